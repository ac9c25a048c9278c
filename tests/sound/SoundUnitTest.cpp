// SoundUnitTest.cpp — slot tables with and without audio, voices heard through a loopback mix, music.
#include "core/ConfigUnit.h"
#include "core/Error.h"
#include "core/Globals.h"
#include "platform/AudioDevice.h"
#include "sound/SoundUnit.h"
#include "common/TempDir.h"
#include "SoundTestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int ToneFrames = 4410;  // 0.1 s at 44100 Hz

class SoundTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::filesystem::create_directories(Dir.Path / "Sound");
    SetAppDir(Dir.Str());
    Config = DefaultConfig();
    WriteBytes(SoundDir + "tone.wav", SineWave(1, 44100, 16, ToneFrames));
    WriteBytes(SoundDir + "other.wav", SineWave(1, 22050, 8, 2205, 300));
    WriteMidiFile(SoundDir + "piece.mid", ShortPiece());
    WriteMidiFile(SoundDir + "organ.mid", ShortPiece(19));
  }
  void TearDown() override {
    DoneAudio();
    FreeAllAudio();
  }

  static std::vector<int16_t> Render(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    EXPECT_TRUE(RenderAudio(out.data(), frames));
    return out;
  }

  TTempDir Dir;
};

// The slot rules hold the same with audio running and without it, so these run both ways.
class SoundSlots : public SoundTest, public ::testing::WithParamInterface<bool> {
protected:
  void SetUp() override {
    SoundTest::SetUp();
    if (GetParam()) {
      ASSERT_TRUE(InitAudio(TAudioOutput::Loopback));
    }
  }
};

INSTANTIATE_TEST_SUITE_P(Audio, SoundSlots, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Loopback" : "Off"; });

TEST_P(SoundSlots, TwoHundredSlotsThenMinusOne) {
  for (int32_t i = 0; i < MaxSounds; ++i) ASSERT_EQ(LoadSound("tone.wav", false), i);
  EXPECT_EQ(LoadSound("tone.wav", false), -1);
  EXPECT_EQ(LoadSound("other.wav", false), -1);
  EXPECT_EQ(SoundCount(), MaxSounds);
  if (GetParam()) {
    EXPECT_EQ(LiveSampleBufferCount(), 1);  // every clone shares the first decode
    // Every slot overlapping as far as it may stays within the library's sources.
    for (int32_t i = 0; i < MaxSounds; ++i)
      for (int n = 0; n < VoiceInstanceCap; ++n) PlaySound(i);
    for (int32_t i = 0; i < MaxSounds; ++i) ASSERT_EQ(SoundInstancesPlaying(i), VoiceInstanceCap) << i;
  }
}

TEST_P(SoundSlots, FreedSlotIsTakenFirst) {
  const int32_t a = LoadSound("tone.wav", false);
  const int32_t b = LoadSound("other.wav", false);
  const int32_t c = LoadSound("tone.wav", false);
  FreeSound(b);
  EXPECT_EQ(SoundNames()[b], "empty");
  EXPECT_EQ(SoundCount(), 3);
  EXPECT_EQ(LoadSound("other.wav", true), b);
  EXPECT_EQ(SoundNames()[b], "other.wav");
  EXPECT_EQ(SoundCount(), 3);
  FreeSound(a);
  FreeSound(c);
  EXPECT_EQ(LoadSound("tone.wav", false), a);
  EXPECT_EQ(LoadSound("tone.wav", false), c);
  EXPECT_EQ(LoadSound("tone.wav", false), 3);
}

TEST_P(SoundSlots, CloneKeepsTheLoopSettingOfItsOriginal) {
  const int32_t looping = LoadSound("tone.wav", true);
  const int32_t clone = LoadSound("tone.wav", false);
  const int32_t fresh = LoadSound("other.wav", false);
  EXPECT_TRUE(SoundLooping(looping));
  EXPECT_TRUE(SoundLooping(clone));
  EXPECT_FALSE(SoundLooping(fresh));
  // With the original freed, the next load of the name reads the file and its own flag counts.
  FreeSound(looping);
  FreeSound(clone);
  EXPECT_FALSE(SoundLooping(LoadSound("tone.wav", false)));
}

TEST_P(SoundSlots, MissingOrBrokenFilesLeaveTheTablesAsTheyWere) {
  WriteBytes(SoundDir + "junk.wav", {'R', 'I', 'F', 'F', 1, 2, 3});
  WriteBytes(SoundDir + "junk.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96});
  const int32_t a = LoadSound("tone.wav", false);
  LoadSound("tone.wav", false);
  FreeSound(a);
  LoadMusic("piece.mid", 0);
  const auto soundNames = SoundNames();

  const struct {
    const char* Name;
    bool Music;
  } cases[] = {{"missing.wav", false}, {"junk.wav", false}, {"missing.mid", true}, {"junk.mid", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      c.Music ? LoadMusic(c.Name, 0) : LoadSound(c.Name, false);
      ADD_FAILURE() << "loaded";
    } catch (const TFileError& e) {
      EXPECT_EQ(e.File, SoundDir + c.Name);
    }
    EXPECT_EQ(SoundCount(), 2);
    EXPECT_EQ(MusicCount(), 1);
    EXPECT_EQ(SoundNames(), soundNames);
  }
  EXPECT_EQ(LoadSound("other.wav", false), a);  // the freed slot is still the one free
  if (GetParam()) {
    EXPECT_EQ(LiveVoiceCount(), 2);
  }
}

TEST_P(SoundSlots, InvalidHandlesAreIgnored) {
  const int32_t s = LoadSound("tone.wav", false);
  const int32_t freed = LoadSound("other.wav", false);
  FreeSound(freed);
  const int32_t m = LoadMusic("piece.mid", 0);
  for (int32_t bad : {-1, freed, 2, MaxSounds, 100000}) {
    PlaySound(bad);
    StopSound(bad);
    SetSoundPosition(bad, {1, 2, 3}, 1.0f);
    FreeSound(bad);
    EXPECT_FALSE(SoundPlaying(bad));
  }
  for (int32_t bad : {-1, 1, MaxMusic, 100000}) {
    PlayMusic(bad);
    StopMusic(bad);
  }
  EXPECT_EQ(PlayingMusic(), -1);
  EXPECT_EQ(SoundNames()[s], "tone.wav");
  EXPECT_EQ(SoundNames()[freed], "empty");
  EXPECT_EQ(MusicNames()[m], "piece.mid");
}

TEST_P(SoundSlots, TwentyMusicSlotsClonesAndFreeAll) {
  EXPECT_EQ(LoadMusic("piece.mid", 0), 0);
  for (int32_t i = 1; i < MaxMusic; ++i) ASSERT_EQ(LoadMusic("piece.mid", i), i);
  EXPECT_EQ(LoadMusic("organ.mid", 0), -1);
  EXPECT_EQ(MusicCount(), MaxMusic);
  PlayMusic(3);
  EXPECT_EQ(PlayingMusic(), 3);
  StopMusic(4);  // not the piece playing
  EXPECT_EQ(PlayingMusic(), 3);
  LoadSound("tone.wav", true);
  FreeAllAudio();
  EXPECT_EQ(PlayingMusic(), -1);
  EXPECT_EQ(MusicCount(), 0);
  EXPECT_EQ(SoundCount(), 0);
  EXPECT_EQ(LoadMusic("organ.mid", 0), 0);
  EXPECT_EQ(LoadSound("other.wav", false), 0);
}

TEST_P(SoundSlots, VolumesComeFromTheSettingsAtLoadTime) {
  Config.MusicVolume = -700;
  Config.SoundVolume = -2000;
  const int32_t intro = LoadMusic("piece.mid", 700);
  const int32_t quiet = LoadMusic("piece.mid", -30);
  const int32_t s = LoadSound("tone.wav", false);
  Config.SoundVolume = 0;
  EXPECT_FLOAT_EQ(MusicGain(intro), 1.0f);
  EXPECT_NEAR(MusicGain(quiet), std::pow(10.0, -730 / 2000.0), 1e-6);
  EXPECT_NEAR(SoundGain(s), 0.1f, 1e-6);
}

TEST(SoundVolume, HundredthsOfADecibelToGain) {
  const struct {
    int32_t Volume;
    float Gain;
  } cases[] = {{0, 1.0f}, {-700, 0.44668f}, {-2000, 0.1f}, {-6000, 0.001f}, {-10000, 1e-5f}, {500, 1.0f}};
  for (const auto& c : cases) EXPECT_NEAR(VolumeToGain(c.Volume), c.Gain, c.Gain * 1e-4) << c.Volume;
}

// ---------------------------------------------------------------------------------------------
// Heard through the loopback mix

class SoundMix : public SoundTest {
protected:
  void SetUp() override {
    SoundTest::SetUp();
    Config.SoundVolume = 0;
    Config.MusicVolume = 0;
    ASSERT_TRUE(InitAudio(TAudioOutput::Loopback));
  }
};

TEST_F(SoundMix, CloneStopsIndependently) {
  const int32_t a = LoadSound("tone.wav", true);
  const int32_t b = LoadSound("tone.wav", true);
  EXPECT_EQ(LiveSampleBufferCount(), 1);
  PlaySound(a);
  PlaySound(b);
  Render(512);
  StopSound(a);
  EXPECT_FALSE(SoundPlaying(a));
  EXPECT_TRUE(SoundPlaying(b));
  EXPECT_GT(Measure(Render(4096), 1024).Left, 1000);
  FreeSound(b);  // the shared data outlives the freed clone
  PlaySound(a);
  EXPECT_GT(Measure(Render(4096), 1024).Left, 1000);
}

TEST_F(SoundMix, PlayingAgainOverlapsUpToTheCap) {
  const int32_t s = LoadSound("tone.wav", false);
  PlaySound(s);
  PlaySound(s);
  EXPECT_EQ(SoundInstancesPlaying(s), 2);
  for (int i = 0; i < 5; ++i) PlaySound(s);
  EXPECT_EQ(SoundInstancesPlaying(s), VoiceInstanceCap);
  StopSound(s);
  EXPECT_EQ(SoundInstancesPlaying(s), 0);
}

TEST_F(SoundMix, StopAllSoundsSilencesEverySlot) {
  const int32_t a = LoadSound("tone.wav", true);
  const int32_t b = LoadSound("other.wav", true);
  const int32_t c = LoadSound("tone.wav", false);
  for (int32_t h : {a, b, c}) PlaySound(h);
  Render(256);
  StopAllSounds();
  for (int32_t h : {a, b, c}) EXPECT_FALSE(SoundPlaying(h));
  EXPECT_LT(Measure(Render(2048), 512).Peak, 4);
}

TEST_F(SoundMix, OneShotEndsLoopRepeats) {
  const int32_t once = LoadSound("tone.wav", false);
  const int32_t loop = LoadSound("other.wav", true);
  PlaySound(once);
  PlaySound(loop);
  Render(ToneFrames / 2);
  EXPECT_TRUE(SoundPlaying(once));
  Render(ToneFrames);
  EXPECT_FALSE(SoundPlaying(once));
  Render(44100);  // ten times the loop's length
  EXPECT_TRUE(SoundPlaying(loop));
  EXPECT_GT(Measure(Render(4096)).Left, 1000);
  StopSound(loop);
  PlaySound(once);
  const std::vector<int16_t> mix = Render(3 * ToneFrames);
  EXPECT_GT(Measure(std::vector<int16_t>(mix.begin(), mix.begin() + ToneFrames)).Left, 1000);
  EXPECT_LT(Measure(mix, 2 * ToneFrames).Peak, 4);
}

TEST_F(SoundMix, PositionPansLeftAndRight) {
  const int32_t s = LoadSound("tone.wav", true);
  PlaySound(s);
  const struct {
    TVector Position;
    int Side;  // -1 louder left, 0 even, 1 louder right
  } cases[] = {{{300, 0, 0}, 1}, {{-300, 0, 0}, -1}, {{0, 0, 300}, 0}, {{0, 0, -300}, 0}, {{0, 300, 0}, 0}};
  for (const auto& c : cases) {
    SetSoundPosition(s, c.Position, 0.01f);
    TVector held{};
    ASSERT_TRUE(SoundSourcePosition(s, held));
    EXPECT_EQ(held, c.Position * 0.01f);
    Render(1024);  // let the gains settle
    const TLevels levels = Measure(Render(4096));
    SCOPED_TRACE(std::to_string(levels.Left) + " / " + std::to_string(levels.Right));
    if (c.Side > 0) {
      EXPECT_GT(levels.Right, 2 * levels.Left);
    }
    if (c.Side < 0) {
      EXPECT_GT(levels.Left, 2 * levels.Right);
    }
    if (c.Side == 0) {
      EXPECT_NEAR(levels.Left / levels.Right, 1.0, 0.05);
    }
  }
}

TEST_F(SoundMix, DistanceAndVolumeLowerTheLevel) {
  const int32_t s = LoadSound("tone.wav", true);
  PlaySound(s);
  Render(1024);
  const double near = Measure(Render(4096)).Left;
  SetSoundPosition(s, {0, 0, 1000}, 0.01f);  // 10 units away: a tenth
  Render(1024);
  EXPECT_NEAR(Measure(Render(4096)).Left / near, 0.1, 0.01);
  Config.SoundVolume = -2000;
  const int32_t quiet = LoadSound("tone.wav", true);
  StopSound(s);
  PlaySound(quiet);
  Render(1024);
  EXPECT_NEAR(Measure(Render(4096)).Left / near, 0.1, 0.01);
}

TEST_F(SoundMix, MusicPlaysLoopsAndStops) {
  const int32_t m = LoadMusic("piece.mid", 0);
  PlayMusic(m);
  EXPECT_EQ(PlayingMusic(), m);
  EXPECT_GT(Measure(Render(AudioRate / 2)).Peak, 1000);
  Render(2 * AudioRate);  // past the 2 s piece: it starts over
  EXPECT_GT(Measure(Render(AudioRate / 2)).Peak, 1000);
  StopMusic(m);
  EXPECT_EQ(PlayingMusic(), -1);
  EXPECT_LT(Measure(Render(4096), 512).Peak, 4);
}

TEST_F(SoundMix, PlayMusicReplacesThePiecePlaying) {
  const int32_t piano = LoadMusic("piece.mid", 0);
  const int32_t organ = LoadMusic("organ.mid", -6000);  // a thousandth: almost nothing
  PlayMusic(piano);
  const int loud = Measure(Render(AudioRate / 2)).Peak;
  PlayMusic(organ);
  EXPECT_EQ(PlayingMusic(), organ);
  const TLevels after = Measure(Render(AudioRate / 2), 1024);
  EXPECT_GT(after.Peak, 0);
  EXPECT_LT(after.Peak, loud / 100);
  StopMusic(piano);  // no longer the one playing
  EXPECT_EQ(PlayingMusic(), organ);
}

TEST(SoundDevice, StartsWithoutSoundHardware) {
  // ALSOFT_DRIVERS=null is set for the test run; without it a machine with no device gets the
  // silent output instead. Either way audio starts and sounds play without a speaker.
  ASSERT_TRUE(InitAudio());
  EXPECT_TRUE(AudioRunning());
  EXPECT_FALSE(AudioOutputName().empty());
  TTempDir dir;
  std::filesystem::create_directories(dir.Path / "Sound");
  SetAppDir(dir.Str());
  WriteBytes(SoundDir + "tone.wav", SineWave(2, 44100, 16, 441));
  WriteMidiFile(SoundDir + "piece.mid", ShortPiece());
  const int32_t s = LoadSound("tone.wav", false);
  PlaySound(s);
  EXPECT_LE(SoundInstancesPlaying(s), 1);  // it may already have ended: the null device keeps real time
  PlayMusic(LoadMusic("piece.mid", 0));
  EXPECT_TRUE(MusicStreamActive());
  DoneAudio();
  EXPECT_FALSE(AudioRunning());
  EXPECT_FALSE(AudioOutputOpen());
}

}  // namespace
