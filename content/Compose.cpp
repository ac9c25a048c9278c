// Compose.cpp — keys, spelled chords, chord-scales and the score's MIDI form.
#include "content/Compose.h"

#include "core/Error.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace Music {

namespace {

constexpr int LetterPitch[7] = {0, 2, 4, 5, 7, 9, 11};  // C D E F G A B
constexpr uint8_t MetaTimeSignature = 0x58;
constexpr uint8_t ControllerVolume = 7, ControllerPan = 10, ControllerExpression = 11;
constexpr uint8_t ControllerReverb = 91, ControllerChorus = 93;

// Reads a note name at text[pos] ("C", "Bb", "F#"); advances pos.
bool ReadNoteName(const std::string& text, size_t& pos, int& pitchClass, int& letter) {
  if (pos >= text.size()) return false;
  static const std::string Letters = "CDEFGAB";
  const size_t l = Letters.find(text[pos]);
  if (l == std::string::npos) return false;
  letter = static_cast<int>(l);
  pitchClass = LetterPitch[l];
  ++pos;
  if (pos < text.size() && (text[pos] == 'b' || text[pos] == '#')) {
    pitchClass += text[pos] == 'b' ? -1 : 1;
    ++pos;
  }
  pitchClass = Wrap12(pitchClass);
  return true;
}

// Chord qualities as (semitones above the root, letters above the root's letter).
using TStack = std::vector<std::pair<int, int>>;

const std::map<std::string, TStack>& Qualities() {
  static const TStack major = {{0, 0}, {4, 2}, {7, 4}};
  static const TStack minor = {{0, 0}, {3, 2}, {7, 4}};
  static const TStack diminished = {{0, 0}, {3, 2}, {6, 4}};
  const auto with = [](TStack stack, std::pair<int, int> extra) {
    stack.push_back(extra);
    return stack;
  };
  static const std::map<std::string, TStack> qualities = {
      {"", major},
      {"m", minor},
      {"dim", diminished},
      {"aug", {{0, 0}, {4, 2}, {8, 4}}},
      {"sus2", {{0, 0}, {2, 1}, {7, 4}}},
      {"sus4", {{0, 0}, {5, 3}, {7, 4}}},
      {"7sus4", {{0, 0}, {5, 3}, {7, 4}, {10, 6}}},
      {"5", {{0, 0}, {7, 4}}},
      {"6", with(major, {9, 5})},
      {"m6", with(minor, {9, 5})},
      {"7", with(major, {10, 6})},
      {"m7", with(minor, {10, 6})},
      {"maj7", with(major, {11, 6})},
      {"m7b5", with(diminished, {10, 6})},
      {"dim7", with(diminished, {9, 6})},
      {"add9", with(major, {2, 1})},
      {"madd9", with(minor, {2, 1})},
      {"9", with(with(major, {10, 6}), {2, 1})},
      {"m9", with(with(minor, {10, 6}), {2, 1})},
  };
  return qualities;
}

}  // namespace

int Wrap12(int semitones) { return ((semitones % 12) + 12) % 12; }

TKey MakeKey(const std::string& name) {
  static const std::map<std::string, std::array<int, 7>> modes = {
      {"major", {0, 2, 4, 5, 7, 9, 11}},      {"minor", {0, 2, 3, 5, 7, 8, 10}},
      {"dorian", {0, 2, 3, 5, 7, 9, 10}},     {"phrygian", {0, 1, 3, 5, 7, 8, 10}},
      {"mixolydian", {0, 2, 4, 5, 7, 9, 10}}, {"lydian", {0, 2, 4, 6, 7, 9, 11}},
      {"harmonic", {0, 2, 3, 5, 7, 8, 11}},
  };
  TKey key;
  size_t pos = 0;
  if (!ReadNoteName(name, pos, key.Tonic, key.TonicLetter) || pos >= name.size() || name[pos] != ' ')
    throw TFileError(name, "not a key name");
  const auto mode = modes.find(name.substr(pos + 1));
  if (mode == modes.end()) throw TFileError(name, "unknown mode");
  key.Steps = mode->second;
  return key;
}

TChord ParseChord(const std::string& symbol) {
  TChord chord;
  chord.Symbol = symbol;
  size_t pos = 0;
  int root = 0, letter = 0;
  if (!ReadNoteName(symbol, pos, root, letter)) throw TFileError(symbol, "not a chord symbol");
  const size_t slash = symbol.find('/', pos);
  const std::string quality = symbol.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
  const auto stack = Qualities().find(quality);
  if (stack == Qualities().end()) throw TFileError(symbol, "unknown chord quality \"" + quality + "\"");
  for (const auto& [semitones, letters] : stack->second)
    chord.Tones.push_back({Wrap12(root + semitones), (letter + letters) % 7});
  chord.Bass = root;
  if (slash != std::string::npos) {
    size_t bassPos = slash + 1;
    int bassLetter = 0;
    if (!ReadNoteName(symbol, bassPos, chord.Bass, bassLetter) || bassPos != symbol.size())
      throw TFileError(symbol, "bad bass note");
  }
  return chord;
}

bool InChord(const TChord& chord, int pitch) {
  const int pc = Wrap12(pitch);
  return std::any_of(chord.Tones.begin(), chord.Tones.end(), [pc](const TChordTone& t) { return t.PitchClass == pc; });
}

int ScalePitch(const TKey& key, const TChord& chord, int degree, int tonicPitch) {
  const int octave = degree >= 0 ? degree / 7 : -((-degree + 6) / 7);
  const int d = degree - 7 * octave;
  int pitch = tonicPitch + key.Steps[d] + 12 * octave;
  const int letter = (key.TonicLetter + d) % 7;
  const int pc = Wrap12(key.Tonic + key.Steps[d]);
  for (const TChordTone& tone : chord.Tones) {
    if (tone.Letter != letter || tone.PitchClass == pc) continue;
    int delta = Wrap12(tone.PitchClass - pc);
    if (delta > 6) delta -= 12;
    if (std::abs(delta) <= 2) pitch += delta;
    break;
  }
  return pitch;
}

int NearestChordTone(const TChord& chord, int pitch) {
  for (int distance = 0; distance <= 6; ++distance) {
    if (InChord(chord, pitch - distance)) return pitch - distance;
    if (InChord(chord, pitch + distance)) return pitch + distance;
  }
  return pitch;
}

const TChord& TScore::ChordAt(uint32_t tick) const {
  static const TChord none;
  if (Chords.empty()) return none;
  auto span = std::upper_bound(Chords.begin(), Chords.end(), tick,
                               [](uint32_t t, const TChordSpan& s) { return t < s.Tick; });
  if (span != Chords.begin()) --span;
  return span->Chord;
}

bool TScore::StrongBeat(uint32_t tick) const {
  const uint32_t inBar = tick % BarTicks();
  if (inBar % BeatTicks != 0) return false;
  const int beat = static_cast<int>(inBar / BeatTicks);
  return beat == 0 || beat * 2 == BeatsPerBar;
}

namespace {

uint8_t Clamp7(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 127)); }

// Notes of one pitch must not overlap: a second note-on before the first note's off would
// be cut short by that off. The earlier note gives way.
std::vector<TNote> Untangled(std::vector<TNote> notes, uint32_t end) {
  std::stable_sort(notes.begin(), notes.end(), [](const TNote& a, const TNote& b) {
    return a.Pitch != b.Pitch ? a.Pitch < b.Pitch : a.Tick < b.Tick;
  });
  std::vector<TNote> out;
  for (size_t i = 0; i < notes.size(); ++i) {
    TNote n = notes[i];
    uint32_t stop = std::min(n.Tick + n.Length, end);
    if (i + 1 < notes.size() && notes[i + 1].Pitch == n.Pitch) stop = std::min(stop, notes[i + 1].Tick);
    if (stop <= n.Tick) continue;
    n.Length = stop - n.Tick;
    out.push_back(n);
  }
  return out;
}

TMidiTrack PartTrack(const TPart& part, uint32_t length) {
  struct TTimed {
    uint32_t Tick;
    int Order;  // at one tick: note-offs, then controls, then note-ons
    TMidiEvent Event;
  };
  const uint8_t ch = static_cast<uint8_t>(part.Channel);
  std::vector<TTimed> timed;
  for (const TNote& n : Untangled(part.Notes, length - LoopReleaseTicks)) {
    timed.push_back({n.Tick, 2, MidiNoteOn(n.Tick, ch, Clamp7(n.Pitch), static_cast<uint8_t>(std::clamp(n.Velocity, 1, 127)))});
    timed.push_back({n.Tick + n.Length, 0, MidiNoteOff(n.Tick + n.Length, ch, Clamp7(n.Pitch))});
  }
  for (const TControl& c : part.Controls)
    if (c.Tick < length) timed.push_back({c.Tick, 1, MidiController(c.Tick, ch, Clamp7(c.Controller), Clamp7(c.Value))});
  std::stable_sort(timed.begin(), timed.end(), [](const TTimed& a, const TTimed& b) {
    return a.Tick != b.Tick ? a.Tick < b.Tick : a.Order < b.Order;
  });

  TMidiTrack track;
  track.Events = {MidiTrackName(0, part.Name),
                  MidiProgram(0, ch, Clamp7(part.Program)),
                  MidiController(0, ch, ControllerVolume, Clamp7(part.Volume)),
                  MidiController(0, ch, ControllerPan, Clamp7(part.Pan)),
                  MidiController(0, ch, ControllerReverb, Clamp7(part.Reverb)),
                  MidiController(0, ch, ControllerChorus, Clamp7(part.Chorus)),
                  MidiController(0, ch, ControllerExpression, 127)};
  for (TTimed& t : timed) track.Events.push_back(std::move(t.Event));
  track.Events.push_back(MidiEndOfTrack(length));
  return track;
}

}  // namespace

TMidiFile ScoreToMidi(const TScore& score) {
  if (score.Length <= LoopReleaseTicks) throw TFileError(score.Title, "the piece is empty");
  TMidiFile midi;
  midi.Format = 1;
  midi.Division = Ppq;

  TMidiTrack conductor;
  conductor.Events.push_back(MidiTrackName(0, score.Title));
  conductor.Events.push_back(MidiTempo(0, static_cast<uint32_t>(std::lround(60000000.0 / score.Bpm))));
  TMidiEvent meter;
  meter.Kind = TMidiEventKind::Meta;
  meter.Status = MetaTimeSignature;
  // Numerator, log2 of the denominator, MIDI clocks per counted beat, 32nds per quarter.
  const int denominatorLog = score.MeterDenominator == 8 ? 3 : 2;
  const uint8_t clocksPerBeat = static_cast<uint8_t>(24 * score.BeatTicks / Ppq);
  meter.Data = {static_cast<uint8_t>(score.MeterNumerator), static_cast<uint8_t>(denominatorLog), clocksPerBeat, 8};
  conductor.Events.push_back(meter);
  conductor.Events.push_back(MidiEndOfTrack(score.Length));
  midi.Tracks.push_back(std::move(conductor));

  for (const TPart& part : score.Parts) midi.Tracks.push_back(PartTrack(part, score.Length));
  return midi;
}

}  // namespace Music
