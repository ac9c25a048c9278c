// Compose.h — the forge's composition toolkit: keys, spelled chords, chord-scales and
// the score that becomes a General-MIDI file.
//
// Conventions:
//   - Pitch classes are 0..11 from C; MIDI pitches 60 = middle C. Letters are 0..6 for
//     C D E F G A B, so a chord knows that the third of "C" in B-flat major is E natural
//     (letter E) and replaces the key's E-flat with it.
//   - Scale degrees are 0-based in code (0 = tonic) and any integer: 7 is the tonic an octave
//     up, -1 the leading note below. Musicians' 1-based degrees appear only in pattern text.
//   - Times are MIDI ticks at Ppq per quarter note. A score's Length is where the piece loops
//     back to its start.
#pragma once

#include "core/MidiFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Music {

constexpr uint32_t Ppq = 480;

struct TKey {
  int Tonic = 0;                          // pitch class
  int TonicLetter = 0;                    // letter of the tonic
  std::array<int, 7> Steps{};             // semitones of the degrees above the tonic
};

// "D minor", "Bb major", "A dorian", "E phrygian", "G harmonic" (harmonic minor). Throws
// TFileError for a name it cannot read.
TKey MakeKey(const std::string& name);

struct TChordTone {
  int PitchClass = 0;
  int Letter = 0;
};

struct TChord {
  std::string Symbol;
  std::vector<TChordTone> Tones;  // root first, then as the symbol stacks them
  int Bass = 0;                   // pitch class of the lowest note: the root unless "/X" names one
};

// Chord symbols: root letter, optional b or #, then m, dim, aug, sus2, sus4, 5, 6, m6, 7, m7,
// maj7, m7b5, dim7, add9, 9, m9, and an optional "/bass". Throws TFileError for others.
TChord ParseChord(const std::string& symbol);

bool InChord(const TChord& chord, int pitch);
int Wrap12(int semitones);  // into 0..11

// The pitch of `degree` in the chord-scale: the key's scale with each degree whose letter a
// chord tone carries moved to that chord tone (the raised leading note over the dominant, the
// flat second over the Neapolitan). Counted from tonicPitch, the MIDI pitch of degree 0.
int ScalePitch(const TKey& key, const TChord& chord, int degree, int tonicPitch);

// The chord tone nearest to pitch (ties go down).
int NearestChordTone(const TChord& chord, int pitch);

struct TNote {
  uint32_t Tick = 0;
  uint32_t Length = 0;
  int Pitch = 0;
  int Velocity = 0;
};

struct TControl {
  uint32_t Tick = 0;
  int Controller = 0;
  int Value = 0;
};

// What a part does in the arrangement; tests check melodies against the harmony.
enum class TRole { Melody, Harmony, Bass, Drums, Colour };

struct TPart {
  std::string Name;
  int Channel = 0;  // 0..15; 9 is the General-MIDI drum kit
  int Program = 0;  // General-MIDI program 0..127 (ignored on the drum channel)
  TRole Role = TRole::Harmony;
  int Volume = 100, Pan = 64, Reverb = 40, Chorus = 0;
  std::vector<TNote> Notes;
  std::vector<TControl> Controls;
};

struct TChordSpan {
  uint32_t Tick = 0;
  uint32_t Length = 0;
  TChord Chord;
};

struct TScore {
  std::string Title;
  TKey Key;
  double Bpm = 120;          // quarter notes a minute
  int BeatsPerBar = 4;       // beats the meter counts
  uint32_t BeatTicks = Ppq;  // a quarter in 4/4, a dotted quarter in 6/8
  int MeterNumerator = 4, MeterDenominator = 4;
  uint32_t Length = 0;
  std::vector<TPart> Parts;
  std::vector<TChordSpan> Chords;

  uint32_t BarTicks() const { return BeatTicks * static_cast<uint32_t>(BeatsPerBar); }
  // The chord sounding at tick (the last one past the end).
  const TChord& ChordAt(uint32_t tick) const;
  // Beat 1, and the middle beat of a bar of four: where harmony is heard most.
  bool StrongBeat(uint32_t tick) const;
  double Seconds() const { return Length / static_cast<double>(Ppq) * 60.0 / Bpm; }
};

// Notes released this long before the loop point, so nothing hangs over the jump back.
constexpr uint32_t LoopReleaseTicks = Ppq / 4;

// A format-1 file: a conductor track (name, tempo, meter) and one track per part with its
// program, volume, pan, reverb and chorus set at tick 0 (the player resets the synth when it
// loops, so every loop must set them again). Every track ends at Length; notes are cut to end
// LoopReleaseTicks before it.
TMidiFile ScoreToMidi(const TScore& score);

}  // namespace Music
