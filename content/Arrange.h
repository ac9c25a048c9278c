// Arrange.h — the forge's arranging toolkit: sections, rhythm patterns and the
// writers that turn a chord progression into pad, bass, arpeggio, guitar, drum and melody parts.
//
// Pattern text, shared by every writer: bars are separated by "|"; a bar is split evenly into
// its tokens (space-separated, or one character each when the bar has no spaces), so in 4/4
// "x..x" is four quarters and "x . . x . . x ." eight eighths. "-" holds the previous note,
// "." is a rest. A pattern shorter than a section repeats.
// Writer tokens:
//   Bass      1..9 = steps of the chord-scale above the chord's root ("1" plays a slash chord's
//             bass), ">" a chromatic approach to the next chord's bass, "x" a ghost note.
//   Arpeggio  1..9 = the chord's tones counted upwards from the part's lowest pitch.
//   Chords    x = the voiced chord (pads, stabs and power chords), X accented, m muted.
//   Drums     X accent, x hit, o soft, g ghost.
//   Melody    1..7 = scale degrees (b/# before, ' or , after for octaves), "!" after = accent.
// Velocities follow the meter (downbeats lean, off-beats give way) with a small seeded spread.
#pragma once

#include "content/Compose.h"
#include "content/Synth.h"

#include <string>
#include <utility>
#include <vector>

namespace Music {

// General-MIDI drum kit notes.
constexpr int Kick = 36, SideStick = 37, Snare = 38, Clap = 39, LowFloorTom = 41, ClosedHat = 42,
              HighFloorTom = 43, PedalHat = 44, LowTom = 45, OpenHat = 46, MidTom = 47, HighTom = 50,
              Crash = 49, Ride = 51, RideBell = 53, Tambourine = 54, SplashCymbal = 55, Shaker = 70,
              Cabasa = 69, Triangle = 81;

// One drum line per instrument: (note, pattern).
using TDrums = std::vector<std::pair<int, std::string>>;

struct TSection {
  std::string Name;
  uint32_t Start = 0;
  int Bars = 0;
  uint32_t BarTicks = 0;
  uint32_t End() const { return Start + static_cast<uint32_t>(Bars) * BarTicks; }
  uint32_t Bar(int index) const { return Start + static_cast<uint32_t>(index) * BarTicks; }
};

struct TPhraseNote {
  uint32_t Offset = 0;
  uint32_t Length = 0;
  int Degree = 0;      // 0-based, octaves included
  int Accidental = 0;  // semitones added after the chord-scale
  bool Accent = false;
};

// A melody in scale degrees, not yet bound to chords or register.
struct TPhrase {
  std::vector<TPhraseNote> Notes;
  uint32_t Length = 0;
};

TPhrase Transposed(const TPhrase& phrase, int degrees);  // diatonic: a sequence or an octave
TPhrase Joined(const TPhrase& first, const TPhrase& second);

// Shapes of a chord part: how many voices, in what range, how long each hit sounds.
struct TVoicing {
  int Low = 48;
  int High = 72;
  int Voices = 4;
  double Gate = 1.0;  // fraction of each note's written length that sounds
};

class TComposer {
public:
  // key: as MakeKey reads it; meter 4/4, 3/4 or 6/8 (6/8 counts two dotted-quarter beats).
  TComposer(const std::string& title, const std::string& key, double bpm, int meterNumerator,
            int meterDenominator, uint64_t seed);

  int AddPart(const std::string& name, int channel, int program, TRole role, int volume, int pan,
              int reverb, int chorus = 0);

  // Appends bars to the piece: one "|"-separated bar per chord group, chords within a bar
  // sharing it evenly ("Dm | Bb F | Gm A7").
  TSection Section(const std::string& name, const std::string& progression);
  TPhrase Phrase(const std::string& text) const;

  void Pad(int part, const TSection& section, const TVoicing& voicing, int velocity,
           const std::string& rhythm = "x");
  void Bass(int part, const TSection& section, const std::string& pattern, int lowest, int velocity,
            double gate = 0.9);
  void Arpeggio(int part, const TSection& section, const std::string& pattern, int lowest, int velocity,
                double gate = 0.95);
  void PowerChords(int part, const TSection& section, const std::string& pattern, int lowest, int velocity);
  // The groove repeats through the section; a fill, when given, replaces its last bar.
  void Drums(int part, const TSection& section, const TDrums& groove, const TDrums& fill = {}, int velocityShift = 0);
  // The phrase starts at the section's start plus offset (ticks); degree 0 sounds at tonicPitch.
  void Melody(int part, const TSection& section, const TPhrase& phrase, int tonicPitch, int velocity,
              uint32_t offset = 0);
  void Note(int part, uint32_t tick, uint32_t length, int pitch, int velocity);
  // Repeated strokes (timpani, cymbal) every sixteenth, growing from one velocity to another.
  void Roll(int part, uint32_t tick, uint32_t length, int pitch, int fromVelocity, int toVelocity);
  // A controller moving in eighth-note steps from one value to another (swells and fades).
  void Ramp(int part, uint32_t from, uint32_t to, int controller, int startValue, int endValue);

  const TScore& Score() const { return Piece; }
  uint32_t BarTicks() const { return Piece.BarTicks(); }
  // Ends the piece after the last section.
  TScore Finish();

private:
  struct TStep {
    uint32_t Offset = 0;
    uint32_t Length = 0;
    std::string Token;
  };
  struct TPattern {
    std::vector<TStep> Steps;
    uint32_t Length = 0;
  };
  TPattern Parse(const std::string& text) const;
  // Calls emit(tick, length, token) for each step of the pattern repeated over [from, to).
  template <typename F>
  void Repeat(const TPattern& pattern, uint32_t from, uint32_t to, F emit) const;
  int Velocity(int base, uint32_t tick, bool accent);
  std::vector<int> Voice(const TChord& chord, const TVoicing& voicing, const std::vector<int>& previous) const;
  std::vector<int> ChordScaleAbove(const TChord& chord, int root) const;  // eight steps from root

  TScore Piece;
  Synth::TRng Rng;
};

}  // namespace Music
