// AudioContentTest.cpp — the forged sound effects and music: formats, lengths, headroom,
// click-free edges and seamless loops, harmony and form, playback through the synth, and
// byte-for-byte repeatable output.
#include "content/Compose.h"
#include "content/Forge.h"
#include "content/MusicForge.h"
#include "content/SoundForge.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/MidiFile.h"
#include "core/WavFile.h"
#include "platform/MidiSynth.h"
#include "sound/SoundInfo.h"
#include "sound/SoundUnit.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double FullScale = 32767.0;

// The sound and music files, forged once per test process.
const TTempDir& AudioTree() {
  static std::unique_ptr<TTempDir> tree;
  if (!tree) {
    tree = std::make_unique<TTempDir>();
    RunForge(DefaultManifestPath(), tree->Str(), "sound");
    RunForge(DefaultManifestPath(), tree->Str(), "music");
  }
  return *tree;
}

std::string SoundPath(const std::string& name) { return AudioTree() / ("Sound/" + name); }

double Db(double level) { return 20.0 * std::log10(std::max(level, 1e-9) / FullScale); }

double Rms(const std::vector<int16_t>& s, size_t first, size_t count) {
  double sum = 0;
  for (size_t i = first; i < first + count && i < s.size(); ++i) sum += double(s[i]) * s[i];
  return std::sqrt(sum / std::max<size_t>(count, 1));
}

int Peak(const std::vector<int16_t>& s) {
  int peak = 0;
  for (int16_t v : s) peak = std::max(peak, std::abs(int(v)));
  return peak;
}

// The step between neighbouring samples that only one step in a hundred exceeds: what a
// normal step of this sound looks like, so a seam can be judged against it.
double TypicalLargeStep(const std::vector<int16_t>& s) {
  std::vector<int> steps;
  for (size_t i = 1; i < s.size(); ++i) steps.push_back(std::abs(s[i] - s[i - 1]));
  std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
  return steps[steps.size() * 99 / 100];
}

struct TEffectRule {
  const char* Name;
  double MinSeconds, MaxSeconds;
  double PeakDb;         // the headroom it was normalised to
  bool Loop;
  double EndWindowSeconds;  // loops: how much of each end to compare
};

const TEffectRule Effects[] = {
    {"shoot.wav", 0.5, 2.0, GunPeakDb, true, GunPairSeconds},
    {"eng.wav", 1.0, 4.0, EnginePeakDb, true, 0.1},
    {"eng1.wav", 2.0, 6.0, EnginePeakDb, true, 0.25},
    {"explode.wav", 2.5, 5.0, EffectPeakDb, false, 0},
    {"explode1.wav", 0.3, 1.2, EffectPeakDb, false, 0},
    {"missile.wav", 3.5, 4.5, EffectPeakDb, false, 0},
    {"buzz.wav", 0.1, 0.5, BeepPeakDb, false, 0},
    {"die.wav", 0.6, 2.0, EffectPeakDb, false, 0},
};

std::vector<TEffectRule> EffectsWhere(bool loop) {
  std::vector<TEffectRule> out;
  for (const TEffectRule& rule : Effects)
    if (rule.Loop == loop) out.push_back(rule);
  return out;
}

std::string EffectTestName(const testing::TestParamInfo<TEffectRule>& info) {
  std::string name = info.param.Name;
  name.resize(name.find('.'));
  return name;
}

class EffectFiles : public testing::TestWithParam<TEffectRule> {};
class OneShotFiles : public testing::TestWithParam<TEffectRule> {};
class LoopFiles : public testing::TestWithParam<TEffectRule> {};

TEST_P(EffectFiles, MonoSixteenBitOfTheRightLength) {
  const TEffectRule& rule = GetParam();
  const TWaveData wave = ReadWaveFile(SoundPath(rule.Name));
  EXPECT_EQ(wave.FileChannels, 1) << "positioned sounds must be mono";
  EXPECT_EQ(wave.FileBits, 16);
  EXPECT_TRUE(wave.Rate == 22050 || wave.Rate == 44100) << wave.Rate;
  EXPECT_GE(wave.Seconds(), rule.MinSeconds);
  EXPECT_LE(wave.Seconds(), rule.MaxSeconds);
  EXPECT_NO_THROW(DescribeSoundFile(SoundPath(rule.Name)));
}

TEST_P(EffectFiles, PeaksSitAtTheirHeadroomWithoutClipping) {
  const TEffectRule& rule = GetParam();
  const TWaveData wave = ReadWaveFile(SoundPath(rule.Name));
  const int peak = Peak(wave.Samples);
  EXPECT_LT(peak, 32767);
  EXPECT_LE(Db(peak), rule.PeakDb + 0.05) << "louder than its headroom";
  EXPECT_GE(Db(peak), rule.PeakDb - 0.5) << "not normalised";
  EXPECT_GT(Db(Rms(wave.Samples, 0, wave.Samples.size())), -35.0) << "too quiet to be heard in a mix";
}

TEST_P(OneShotFiles, StartAndEndInSilence) {
  const TEffectRule& rule = GetParam();
  const std::vector<int16_t> s = ReadWaveFile(SoundPath(rule.Name)).Samples;
  const int silence = static_cast<int>(FullScale * 0.002);
  EXPECT_LE(std::abs(s.front()), silence);
  EXPECT_LE(std::abs(s.back()), silence);
  // The last few milliseconds fade out rather than stop.
  const size_t tail = 44;
  EXPECT_LT(Rms(s, s.size() - tail, tail), FullScale * 0.01);
}

TEST_P(LoopFiles, JoinWithoutASeam) {
  const TEffectRule& rule = GetParam();
  const TWaveData wave = ReadWaveFile(SoundPath(rule.Name));
  const std::vector<int16_t>& s = wave.Samples;
  const int peak = Peak(s);
  // The jump from the last sample back to the first is no larger than the sound's own steps.
  EXPECT_LE(std::abs(s.back() - s.front()), TypicalLargeStep(s)) << "a click at the loop point";
  // The first play starts close to silence, at a zero crossing.
  EXPECT_LE(std::abs(s.front()), peak * 0.05);
  // Both ends carry the same level, so the loop does not pulse at the join.
  const size_t window = static_cast<size_t>(rule.EndWindowSeconds * wave.Rate);
  const double head = Rms(s, 0, window), tail = Rms(s, s.size() - window, window);
  EXPECT_LT(std::fabs(Db(head) - Db(tail)), 3.0) << "start " << Db(head) << " dB, end " << Db(tail) << " dB";
}

INSTANTIATE_TEST_SUITE_P(Sound, EffectFiles, testing::ValuesIn(Effects), EffectTestName);
INSTANTIATE_TEST_SUITE_P(Sound, OneShotFiles, testing::ValuesIn(EffectsWhere(false)), EffectTestName);
INSTANTIATE_TEST_SUITE_P(Sound, LoopFiles, testing::ValuesIn(EffectsWhere(true)), EffectTestName);

TEST(EffectShapes, TheWarningBeepLeavesAGapBeforeItsNextRepeat) {
  constexpr double RepeatSeconds = 0.8;  // the lock-on warning sounds every 800 ms
  EXPECT_LT(ReadWaveFile(SoundPath("buzz.wav")).Seconds(), RepeatSeconds / 2);
}

TEST(EffectShapes, TheGunLoopHoldsOneBurstPerPairOfShots) {
  // Count the bursts: 5 ms windows that rise well above the quiet between shots.
  const TWaveData wave = ReadWaveFile(SoundPath("shoot.wav"));
  const size_t window = wave.Rate / 200;
  const double loud = Peak(wave.Samples) * 0.25;
  int bursts = 0;
  bool inBurst = false;
  for (size_t i = 0; i + window <= wave.Samples.size(); i += window) {
    const bool high = Rms(wave.Samples, i, window) > loud;
    if (high && !inBurst) ++bursts;
    if (!high && Rms(wave.Samples, i, window) < loud / 3) inBurst = false;
    if (high) inBurst = true;
  }
  EXPECT_EQ(bursts, GunPairsPerLoop);
}

TEST(EffectShapes, TheHeavyExplosionRumblesOnAfterItsBlast) {
  const TWaveData wave = ReadWaveFile(SoundPath("explode.wav"));
  const size_t tenth = wave.Rate / 10;
  const double blast = Rms(wave.Samples, 0, tenth);
  const double oneSecond = Rms(wave.Samples, wave.Rate, tenth);
  const double twoSeconds = Rms(wave.Samples, 2 * wave.Rate, tenth);
  EXPECT_GT(Db(blast) - Db(oneSecond), 6.0) << "the blast should stand out";
  EXPECT_GT(Db(twoSeconds), Db(blast) - 40.0) << "the rumble should still be heard after two seconds";
  EXPECT_GT(Db(oneSecond), Db(twoSeconds)) << "and keep dying away";
}

TEST(EffectShapes, TheMissileBurnsForMostOfItsLengthThenFades) {
  const TWaveData wave = ReadWaveFile(SoundPath("missile.wav"));
  const size_t tenth = wave.Rate / 10;
  const double early = Rms(wave.Samples, wave.Rate / 2, tenth);
  const double middle = Rms(wave.Samples, 2 * wave.Rate, tenth);
  const double last = Rms(wave.Samples, wave.Samples.size() - tenth, tenth);
  EXPECT_GT(Db(middle), Db(early) - 10.0) << "the motor keeps burning";
  EXPECT_GT(Db(early) - Db(last), 20.0) << "and burns out before the file ends";
}

TEST(EffectShapes, TheTrooperCriesThenHitsTheGround) {
  // Two events with a breath between: the cry, then the thud a few tenths of a second later.
  const TWaveData wave = ReadWaveFile(SoundPath("die.wav"));
  const size_t window = wave.Rate / 20;
  std::vector<double> levels;
  for (size_t i = 0; i + window <= wave.Samples.size(); i += window) levels.push_back(Db(Rms(wave.Samples, i, window)));
  int onsets = 0;
  bool quiet = true;
  for (double level : levels) {
    if (quiet && level > -30) ++onsets;
    if (level < -45) quiet = true;
    else if (level > -30) quiet = false;
  }
  EXPECT_EQ(onsets, 2);
}

TEST(EffectForge, UnknownNamesAreRefused) {
  EXPECT_THROW(MakeSoundEffect("nothing.wav"), TFileError);
  EXPECT_THROW(ComposePiece("nothing.mid"), TFileError);
}

TEST(WavFile, RoundTripsThroughTheGamesReader) {
  TTempDir dir;
  std::vector<int16_t> stereo;
  for (int i = 0; i < 200; ++i) {
    stereo.push_back(static_cast<int16_t>(i * 100 - 10000));
    stereo.push_back(static_cast<int16_t>(-i * 50));
  }
  WriteWavFile(dir / "t.wav", stereo.data(), 200, 2, 22050);
  const TWaveData wave = ReadWaveFile(dir / "t.wav");
  EXPECT_EQ(wave.Channels, 2);
  EXPECT_EQ(wave.Rate, 22050);
  EXPECT_EQ(wave.FileBits, 16);
  EXPECT_EQ(wave.Samples, stereo);
}

TEST(WavFile, RefusesWhatItCannotWrite) {
  const int16_t sample = 0;
  EXPECT_THROW(EncodeWav(&sample, 1, 3, 44100, "x.wav"), TFileError);
  EXPECT_THROW(EncodeWav(&sample, 1, 0, 44100, "x.wav"), TFileError);
  EXPECT_THROW(EncodeWav(&sample, 1, 1, 0, "x.wav"), TFileError);
  EXPECT_EQ(EncodeWav(&sample, 0, 1, 44100, "x.wav").size(), 44u);
}

// ---- Music ---------------------------------------------------------------------------------

struct TPieceRule {
  const char* Name;
  std::vector<int> Programs;  // instruments that give the piece its character
};

const TPieceRule Pieces[] = {
    {"intro.mid", {60, 73, 46, 89}},  // horn, flute, harp, warm pad
    {"level1.mid", {56, 60, 58}},     // trumpet, horns, tuba
    {"level2.mid", {29, 30, 34}},     // lead and rhythm guitars, picked bass
    {"level3.mid", {71, 68, 11, 45}}, // clarinet, oboe, vibraphone, pizzicato
    {"level4.mid", {57, 56, 47, 48}}, // trombones, trumpet, timpani, strings
    {"level5.mid", {59, 33, 28}},     // muted trumpet, fingered bass, muted guitar
};

class MusicFiles : public testing::TestWithParam<TPieceRule> {};

TEST_P(MusicFiles, ParsesAsALoopOfTheRightLengthWithDrums) {
  const TMidiFile midi = ReadMidiFile(SoundPath(GetParam().Name));
  EXPECT_EQ(midi.Format, 1);
  const double seconds = MidiDurationSeconds(midi);
  EXPECT_GE(seconds, 90.0);
  EXPECT_LE(seconds, 180.0);

  std::set<int> programs;
  int drumNotes = 0;
  uint32_t lastNoteEnd = 0;
  const uint32_t loop = MidiTrackLength(midi.Tracks.front());
  for (const TMidiTrack& track : midi.Tracks) {
    EXPECT_EQ(MidiTrackLength(track), loop) << "every track ends at the loop point";
    for (const TMidiEvent& e : track.Events) {
      if (e.Kind != TMidiEventKind::Channel) continue;
      if (e.Command() == 0xC0) {
        EXPECT_EQ(e.Tick, 0u) << "instruments are set where the loop restarts";
        if (e.Channel() != MidiDrumChannel) programs.insert(e.Data1);
      }
      if (e.Command() == 0x90 && e.Data2 > 0 && e.Channel() == MidiDrumChannel) ++drumNotes;
      if (e.Command() == 0x80 || (e.Command() == 0x90 && e.Data2 == 0)) lastNoteEnd = std::max(lastNoteEnd, e.Tick);
    }
  }
  EXPECT_GT(drumNotes, 0) << "no drums on channel 10";
  for (int program : GetParam().Programs) EXPECT_TRUE(programs.count(program)) << "program " << program << " missing";
  EXPECT_LE(lastNoteEnd + Music::LoopReleaseTicks, loop) << "notes must be released before the loop point";
  EXPECT_NO_THROW(DescribeSoundFile(SoundPath(GetParam().Name)));
}

TEST_P(MusicFiles, TheSynthPlaysItAudiblyWithoutClipping) {
  if (FindSoundFont().empty()) GTEST_SKIP() << "no General-MIDI soundfont installed";
  ASSERT_TRUE(OpenMidiSynth());
  const std::vector<uint8_t> bytes = ReadFileBytes(SoundPath(GetParam().Name), MidiMaxFileSize);
  ASSERT_TRUE(PlayMidiPiece(bytes));
  constexpr int Seconds = 6;
  constexpr int Block = 1024;
  const int frames = Seconds * MidiRate;
  std::vector<int16_t> audio(static_cast<size_t>(frames) * 2);
  for (int done = 0; done < frames; done += Block) RenderMidi(audio.data() + 2 * done, std::min(Block, frames - done));
  CloseMidiSynth();
  EXPECT_LT(Peak(audio), 32767) << "the mix clips";
  EXPECT_GT(Db(Rms(audio, 0, audio.size())), -45.0) << "the opening is nearly silent";
}

INSTANTIATE_TEST_SUITE_P(Music, MusicFiles, testing::ValuesIn(Pieces),
                         [](const testing::TestParamInfo<TPieceRule>& info) {
                           std::string name = info.param.Name;
                           name.resize(name.find('.'));
                           return name;
                         });

// The composed scores, checked as a musician would read them.
class Scores : public testing::TestWithParam<std::string> {};

bool InChordScale(const Music::TScore& score, const Music::TChord& chord, int pitch) {
  for (int d = 0; d < 7; ++d)
    if (Music::Wrap12(Music::ScalePitch(score.Key, chord, d, score.Key.Tonic) - pitch) == 0) return true;
  return false;
}

TEST_P(Scores, MelodiesFitTheHarmony) {
  const Music::TScore score = ComposePiece(GetParam());
  int notes = 0, scaleNotes = 0, strong = 0, strongChordTones = 0, clashes = 0;
  for (const Music::TPart& part : score.Parts) {
    if (part.Role != Music::TRole::Melody) continue;
    for (const Music::TNote& n : part.Notes) {
      const Music::TChord& chord = score.ChordAt(n.Tick);
      ++notes;
      scaleNotes += InChordScale(score, chord, n.Pitch);
      if (!score.StrongBeat(n.Tick)) continue;
      ++strong;
      strongChordTones += Music::InChord(chord, n.Pitch);
      // A semitone above a chord tone on a strong beat is heard as a wrong note.
      clashes += !Music::InChord(chord, n.Pitch) && Music::InChord(chord, n.Pitch - 1);
    }
  }
  ASSERT_GT(notes, 50);
  EXPECT_GE(scaleNotes, notes * 95 / 100) << "melody notes outside key and chord";
  EXPECT_GE(strongChordTones, strong * 80 / 100) << "strong beats should land on chord tones";
  EXPECT_EQ(clashes, 0);
}

TEST_P(Scores, BassAndHarmonyStandOnTheChords) {
  const Music::TScore score = ComposePiece(GetParam());
  for (const Music::TPart& part : score.Parts) {
    if (part.Role != Music::TRole::Bass && part.Role != Music::TRole::Harmony) continue;
    int downbeats = 0, chordTones = 0;
    for (const Music::TNote& n : part.Notes) {
      if (n.Tick % score.BarTicks() != 0) continue;
      ++downbeats;
      const Music::TChord& chord = score.ChordAt(n.Tick);
      chordTones += Music::InChord(chord, n.Pitch) || Music::Wrap12(n.Pitch - chord.Bass) == 0;
    }
    EXPECT_EQ(chordTones, downbeats) << part.Name << " leaves the chord on a downbeat";
  }
}

TEST_P(Scores, TheOpeningMotifReturns) {
  // The first six intervals of the main melody come back later, here or transposed.
  const Music::TScore score = ComposePiece(GetParam());
  // The main melody is the one heard first.
  const auto earlier = [](const Music::TNote& a, const Music::TNote& b) { return a.Tick < b.Tick; };
  std::vector<Music::TNote> melody;
  for (const Music::TPart& part : score.Parts) {
    if (part.Role != Music::TRole::Melody || part.Notes.empty()) continue;
    std::vector<Music::TNote> notes = part.Notes;
    std::sort(notes.begin(), notes.end(), earlier);
    if (melody.empty() || notes.front().Tick < melody.front().Tick) melody = notes;
  }
  ASSERT_GT(melody.size(), 20u);
  // Contour of steps (up, down, repeat) is what the ear recognises across transpositions.
  const auto contour = [&](size_t at) {
    std::vector<int> c;
    for (size_t i = at; i < at + 6; ++i) c.push_back((melody[i + 1].Pitch > melody[i].Pitch) - (melody[i + 1].Pitch < melody[i].Pitch));
    return c;
  };
  const std::vector<int> opening = contour(0);
  int returns = 0;
  for (size_t at = 1; at + 7 < melody.size(); ++at) returns += contour(at) == opening;
  EXPECT_GE(returns, 1);
}

TEST_P(Scores, EndsOnTheTonicOrDominantToLeadBackToTheStart) {
  const Music::TScore score = ComposePiece(GetParam());
  const Music::TChord& last = score.ChordAt(score.Length - 1);
  const Music::TChord& first = score.ChordAt(0);
  const int root = last.Tones.front().PitchClass;
  EXPECT_TRUE(root == score.Key.Tonic || root == Music::Wrap12(score.Key.Tonic + 7)) << last.Symbol;
  EXPECT_EQ(first.Tones.front().PitchClass, score.Key.Tonic) << "the loop restarts on the tonic";
  EXPECT_EQ(score.Length % score.BarTicks(), 0u) << "the loop is a whole number of bars";
}

TEST_P(Scores, ComposingIsRepeatable) {
  const TMidiFile a = Music::ScoreToMidi(ComposePiece(GetParam()));
  const TMidiFile b = Music::ScoreToMidi(ComposePiece(GetParam()));
  EXPECT_EQ(EncodeMidi(a, "a"), EncodeMidi(b, "b"));
}

INSTANTIATE_TEST_SUITE_P(Music, Scores, testing::ValuesIn(MusicFileNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param.substr(0, info.param.find('.'));
                         });

// ---- Repeatability -------------------------------------------------------------------------

TEST(AudioForge, TwoRunsWriteTheSameBytes) {
  TTempDir second;
  RunForge(DefaultManifestPath(), second.Str(), "sound");
  RunForge(DefaultManifestPath(), second.Str(), "music");
  int compared = 0;
  for (const TManifestEntry& entry : ReadManifest(DefaultManifestPath())) {
    if (entry.Generator != "sound" && entry.Generator != "music") continue;
    const auto a = ReadFileBytes(AudioTree() / entry.Path, 64u << 20);
    const auto b = ReadFileBytes(second / entry.Path, 64u << 20);
    EXPECT_TRUE(a == b) << entry.Path << " differs between two runs";
    ++compared;
  }
  EXPECT_EQ(compared, 14);
}

TEST(AudioForge, TheManifestListsEveryEffectAndPiece) {
  std::set<std::string> listed;
  for (const TManifestEntry& entry : ReadManifest(DefaultManifestPath())) listed.insert(entry.Path);
  for (const TEffectRule& rule : Effects) EXPECT_TRUE(listed.count(std::string("Sound/") + rule.Name)) << rule.Name;
  for (const std::string& name : MusicFileNames()) EXPECT_TRUE(listed.count("Sound/" + name)) << name;
}

}  // namespace
