// MusicLevel3.cpp — level3.mid, the balloon barrier: a floating, uneasy C minor in 6/8
// (dotted quarter = 66). Vibraphone and pizzicato drift over slow strings; clarinet and oboe
// trade the tune; the middle turns dark on the flat second before the tune comes back.
//
// Form (60 bars, 1 min 49 s): Intro 4 | A 8 (clarinet) | A' 8 (oboe answers) | B 8 (oboe,
// relative major) | C 8 (low clarinet, D-flat) | A'' 8 (both) | B' 8 | Outro 8, ending on G
// so the loop settles back onto C minor.
#include "content/MusicForge.h"

#include "content/Arrange.h"

using namespace Music;

namespace {

constexpr int ReedTonic = 60;  // C4

}  // namespace

TScore ComposeLevel3() {
  // 6/8 at a dotted quarter of 66 is 99 quarter notes a minute.
  TComposer c("Quintara - Balloons", "C minor", 99, 6, 8, 0x3BA11);
  const int clarinet = c.AddPart("Clarinet", 0, 71, TRole::Melody, 100, 52, 80);
  const int oboe = c.AddPart("Oboe", 1, 68, TRole::Melody, 92, 78, 80);
  const int vibes = c.AddPart("Vibraphone", 2, 11, TRole::Colour, 84, 92, 90, 40);
  const int pizz = c.AddPart("Pizzicato", 3, 45, TRole::Colour, 84, 34, 70);
  const int strings = c.AddPart("Slow strings", 4, 49, TRole::Harmony, 78, 64, 100);
  const int bass = c.AddPart("Bass", 5, 32, TRole::Bass, 96, 60, 50);
  const int celesta = c.AddPart("Celesta", 6, 8, TRole::Colour, 72, 104, 100);
  const int drums = c.AddPart("Percussion", 9, 0, TRole::Drums, 84, 64, 70);

  const TSection intro = c.Section("Intro", "Cm | Ab | Cm | G");
  const TSection a1 = c.Section("A", "Cm | Fm | Bb | Eb | Ab | Fm | Dm7b5 | G");
  const TSection a2 = c.Section("A'", "Cm | Fm | Bb | Eb | Ab | Dm7b5 | G | G7");
  const TSection b1 = c.Section("B", "Ab | Bb | Gm | Cm | Fm | Bb | Eb | G");
  const TSection dark = c.Section("C", "Fm | Cm | Fm | Cm | Db | Ab | Dm7b5 | G");
  const TSection a3 = c.Section("A''", "Cm | Fm | Bb | Eb | Ab | Fm | Dm7b5 | G");
  const TSection b2 = c.Section("B'", "Ab | Bb | Gm | Cm | Fm | Bb | Eb | G");
  const TSection outro = c.Section("Outro", "Cm | Ab | Fm | G | Cm | Ab | Dm7b5 | G");

  // A sighing figure that falls a third and lifts to the sixth; sequenced down the circle.
  const TPhrase tune = c.Phrase(
      "5 - 4 3 - - | 4 - - 6 - - | 4 - 3 2 - - | 3 - - - - - |"
      "1' - 7 6 - - | 4 - 5 6 - 4 | 2 - 3 4 - - | 7, - - 2 - -");
  const TPhrase answer = c.Phrase(
      "5 - 4 3 - 5 | 1' - - 6 - - | 2' - 1' 7 - - | 5 - - - - - |"
      "6 - 5 3 - - | 4 - - 6 - - | 5 - - 7, - - | 2 - - - - -");
  const TPhrase lift = c.Phrase(
      "1' - - - 7 6 | 2' - - 1' - - | 7 - - 5 - - | 1' - - - - - |"
      "6 - - 1' - - | 2' - 1' 7 - - | 3' - 2' 1' - 7 | 7 - - - - -");
  const TPhrase shadow = c.Phrase(
      "1 - - - - - | 3 - - 2 - - | 4 - - 6 - - | 5 - - - - - |"
      "2 - - 4 - - | 3 - - 1 - - | 4 - - 6 - - | 7, - - 2 - -");
  const TPhrase lastWord = c.Phrase("5 - 4 3 - - | 1 - - 3 - - | 4 - - 6 - - | 7, - - 2 - - | 5 - - - - -");

  c.Melody(clarinet, a1, tune, ReedTonic, 86);
  c.Melody(oboe, a2, answer, ReedTonic, 86);
  c.Melody(oboe, b1, lift, ReedTonic, 90);
  c.Melody(clarinet, dark, shadow, ReedTonic - 12, 88);
  c.Melody(clarinet, a3, tune, ReedTonic, 90);
  c.Melody(oboe, a3, tune, ReedTonic + 12, 72);
  c.Melody(oboe, b2, lift, ReedTonic, 94);
  c.Melody(clarinet, b2, lift, ReedTonic - 12, 74);
  c.Melody(clarinet, outro, lastWord, ReedTonic, 80);

  // Drifting colour: vibraphone rising and falling, pizzicato on the off-beats.
  for (const TSection* s : {&intro, &a1, &a2, &a3, &outro}) c.Arpeggio(vibes, *s, "1 2 3 4 3 2", 60, 58);
  for (const TSection* s : {&b1, &b2}) c.Arpeggio(vibes, *s, "1 2 3 4 5 6 | 5 4 3 4 3 2", 60, 62);
  c.Arpeggio(vibes, dark, "1 . . 3 . . | 2 . . 4 . .", 60, 54);
  for (const TSection* s : {&a1, &a2, &b1, &a3, &b2}) c.Arpeggio(pizz, *s, ". 2 3 . 2 3", 48, 64, 0.5);
  c.Arpeggio(celesta, dark, ". . 5 . . 6 | . . 4 . . 5", 72, 60);
  c.Arpeggio(celesta, outro, "5 . . . . . | . . . 6 . .", 72, 52);

  const TVoicing bed{53, 72, 4, 1.0};
  for (const TSection* s : {&intro, &a1, &a2, &b1, &dark, &a3, &b2, &outro}) c.Pad(strings, *s, bed, 56);

  c.Bass(bass, intro, "1 - - - - -", 36, 74, 0.97);
  for (const TSection* s : {&a1, &a2, &a3}) c.Bass(bass, *s, "1 - - 5 - -", 36, 82, 0.95);
  for (const TSection* s : {&b1, &b2}) c.Bass(bass, *s, "1 - - 5 - 3", 36, 84, 0.95);
  c.Bass(bass, dark, "1 - - - - - | 1 - - 5 - -", 36, 80, 0.97);
  c.Bass(bass, outro, "1 - - 5 - -", 36, 76, 0.95);

  // A soft pulse that never settles: rim and shaker, toms in the dark middle.
  const TDrums drift = {{Kick, "o . . . . . | o . . . . ."}, {SideStick, ". . . o . ."}, {Shaker, "g g g g g g"}};
  const TDrums sway = {{Kick, "x . . o . ."}, {SideStick, ". . . x . ."}, {Shaker, "g g o g g o"}, {LowTom, ". . . . . g"}};
  const TDrums dread = {{LowFloorTom, "o . . o . o"}, {Kick, "x . . . . ."}, {Tambourine, ". . . g . ."}};
  const TDrums fill = {{Kick, "x . . . . . . . . . . ."}, {HighTom, ". . . . . . o o . . . ."},
                       {MidTom, ". . . . . . . . o o . ."}, {LowTom, ". . . . . . . . . . x x"}};
  c.Drums(drums, intro, {{Shaker, "g . g g . g"}});
  c.Drums(drums, a1, drift);
  c.Drums(drums, a2, drift, fill);
  c.Drums(drums, b1, sway, fill);
  c.Drums(drums, dark, dread, fill);
  c.Drums(drums, a3, sway);
  c.Drums(drums, b2, sway, fill);
  c.Drums(drums, outro, drift);
  const uint32_t bar = c.BarTicks();
  c.Roll(drums, a2.Bar(7), bar, Ride, 20, 70);
  c.Note(drums, b1.Start, bar, Crash, 76);
  c.Note(drums, a3.Start, bar, Crash, 80);
  return c.Finish();
}
