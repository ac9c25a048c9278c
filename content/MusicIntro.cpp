// MusicIntro.cpp — intro.mid: the title and menu theme. D minor at 76 bpm, wide and
// mysterious: a horn theme over warm pad, slow strings and harp, a choir in the middle.
//
// Form (40 bars, about 2 minutes): Intro 4 (pedal D) | A 8 (horn) | A' 8 (flute, darker
// turn to the flat second) | B 8 (relative major, flute and horn, choir) | A'' 8 (full) |
// Outro 4, ending on the dominant so the loop falls back onto the opening D minor.
#include "content/MusicForge.h"

#include "content/Arrange.h"

using namespace Music;

namespace {

constexpr int HornTonic = 62;   // D4
constexpr int FluteTonic = 74;  // D5
constexpr int Expression = 11;

}  // namespace

TScore ComposeIntro() {
  TComposer c("Quintara - Title", "D minor", 76, 4, 4, 0x1A7E0);
  const int horn = c.AddPart("Horn", 0, 60, TRole::Melody, 100, 52, 90);
  const int flute = c.AddPart("Flute", 1, 73, TRole::Melody, 88, 78, 96);
  const int pad = c.AddPart("Warm pad", 2, 89, TRole::Harmony, 80, 26, 100, 70);
  const int strings = c.AddPart("Slow strings", 3, 49, TRole::Harmony, 84, 102, 100);
  const int harp = c.AddPart("Harp", 4, 46, TRole::Colour, 82, 90, 84);
  const int basses = c.AddPart("Basses", 5, 43, TRole::Bass, 90, 58, 70);
  const int choir = c.AddPart("Choir", 6, 52, TRole::Harmony, 74, 64, 110);
  const int timpani = c.AddPart("Timpani", 7, 47, TRole::Colour, 84, 64, 80);
  const int drums = c.AddPart("Percussion", 9, 0, TRole::Drums, 78, 64, 90);

  const TSection intro = c.Section("Intro", "Dm | Bb/D | Gm/D | Dm");
  const TSection a1 = c.Section("A", "Dm | Bb | F | C | Dm | Bb | Gm | A");
  const TSection a2 = c.Section("A'", "Dm | Bb | F | C | Gm | Dm/F | Eb | Asus4 A");
  const TSection b = c.Section("B", "Bb | C | Am | Dm | Gm | C | F | A");
  const TSection a3 = c.Section("A''", "Dm | Bb | F | C | Dm | Bb | Gm | A");
  const TSection outro = c.Section("Outro", "Dm | Bbmaj7 | Gm | Asus4 A");

  // The theme: a long fifth sinking by step, answered a third lower, closing on the leading
  // note over the dominant.
  const TPhrase theme = c.Phrase(
      "5 - - - - 4 3 4 | 6 - - - 5 - - - | 3 - - - - 2 1 2 | 4 - - - - - . . |"
      "5 - 6 5 3 - 2 - | 1 - - 2 3 - - - | 4 - - 6 5 - 4 - | 7, - - - 2 - - -");
  // Its variation: the answer climbs instead, and the close darkens through E-flat.
  const TPhrase variation = c.Phrase(
      "5 - - - - 4 3 4 | 6 - - - 1' - - - | 5 - - - - 4 3 4 | 7 - - - 4 - - - |"
      "6 - - 5 4 - 3 - | 5 - - 4 3 - - - | 2 - - - 6 - - - | 5 - - - 7, - - -");
  const TPhrase bridge = c.Phrase(
      "1' - - - 3' - - - | 2' - - - 1' 7 1' - | 7 - - - - 5 6 7 | 1' - - - - - . 5 |"
      "6 - - - 1' - - - | 7 - - - 2' - - - | 3' - - 2' 1' - 7 - | 2' - - - 7 - - -");
  const TPhrase farewell = c.Phrase("5 - - - - 4 3 4 | 6 - - - 5 - - - | 4 - - - - - - - | 5 - - - 7, - - -");

  // Harmony bed throughout; strings join from A' on.
  const TVoicing padVoices{50, 69, 4, 1.0};
  const TVoicing stringVoices{55, 76, 4, 1.0};
  for (const TSection* s : {&intro, &a1, &a2, &b, &a3, &outro}) c.Pad(pad, *s, padVoices, 62);
  for (const TSection* s : {&a2, &b, &a3, &outro}) c.Pad(strings, *s, stringVoices, 58);
  c.Pad(choir, b, TVoicing{57, 74, 3, 1.0}, 56);

  // The pad breathes in at the top of the loop and out at its end, so the seam is a swell.
  c.Ramp(pad, intro.Start, intro.Bar(2), Expression, 88, 127);
  c.Ramp(pad, outro.Bar(2), outro.End(), Expression, 127, 92);

  // Harp ripples: plain in the opening, wider in the returns.
  c.Arpeggio(harp, intro, "1 2 3 4 5 4 3 2", 50, 52);
  c.Arpeggio(harp, a1, "1 2 3 4 5 6 5 4", 50, 56);
  c.Arpeggio(harp, a2, "1 2 3 4 5 6 5 4", 50, 58);
  c.Arpeggio(harp, b, "1 3 2 4 3 5 4 6", 52, 58);
  c.Arpeggio(harp, a3, "1 2 3 4 5 6 7 6 | 5 4 3 4 5 4 3 2", 50, 62);
  c.Arpeggio(harp, outro, "1 2 3 4 5 4 3 2", 50, 52);

  c.Bass(basses, intro, "1 - - - - - - -", 33, 66, 0.98);
  c.Bass(basses, a1, "1 - - - - - - -", 33, 72, 0.98);
  c.Bass(basses, a2, "1 - - - - - - -", 33, 74, 0.98);
  c.Bass(basses, b, "1 - - - 5 - - -", 33, 78, 0.98);
  c.Bass(basses, a3, "1 - - - 5 - - -", 33, 80, 0.98);
  c.Bass(basses, outro, "1 - - - - - - -", 33, 70, 0.98);

  c.Melody(horn, a1, theme, HornTonic, 84);
  c.Melody(flute, a2, variation, FluteTonic - 12, 86);
  c.Melody(flute, b, bridge, FluteTonic - 12, 88);
  c.Melody(horn, b, bridge, HornTonic - 12, 70);
  c.Melody(horn, a3, theme, HornTonic, 92);
  c.Melody(flute, a3, theme, FluteTonic, 72);
  c.Melody(horn, outro, farewell, HornTonic, 76);

  // Timpani mark the great joints; rolls swell into the middle and the return.
  const uint32_t bar = c.BarTicks();
  c.Note(timpani, intro.Start, bar, 38, 70);
  c.Note(timpani, a1.Start, bar, 38, 76);
  c.Roll(timpani, a2.Bar(7), bar, 33, 40, 96);
  c.Note(timpani, b.Start, bar, 34, 90);
  c.Roll(timpani, b.Bar(7), bar, 33, 44, 100);
  c.Note(timpani, a3.Start, bar, 38, 96);
  c.Note(timpani, outro.Bar(3), bar / 2, 33, 70);

  // A heartbeat under the theme, a slow pulse in the middle, cymbal swells at the joints.
  const TDrums heartbeat = {{Kick, "o . . o . . . ."}, {Shaker, "g . g . g . g ."}};
  const TDrums heartbeatWithTom = {{Kick, "o . . o . . . ."}, {Shaker, "g g g g g g g g"}, {LowTom, ". . . . . . o ."}};
  const TDrums pulse = {{Kick, "x . . . x . . ."}, {Shaker, "g g o g g g o g"}, {LowFloorTom, ". . . . . . . o"}};
  const TDrums returning = {{Kick, "x . . o x . . ."}, {Shaker, "g g o g g g o g"}, {Tambourine, ". . o . . . o ."},
                            {LowFloorTom, ". . . . . . . o"}};
  const TDrums toms = {{Kick, "x . . . . . . ."}, {LowTom, ". . . . o o x x"}, {LowFloorTom, ". . . . . . o x"}};
  c.Drums(drums, a1, heartbeat);
  c.Drums(drums, a2, heartbeatWithTom);
  c.Drums(drums, b, pulse, toms);
  c.Drums(drums, a3, returning);
  c.Drums(drums, outro, {{Kick, "o . . . . . . . | o . . . . . . . | o . . . . . . . | . . . . . . . ."}});
  c.Roll(drums, a2.Bar(7), bar, Ride, 24, 84);
  c.Note(drums, b.Start, bar, Crash, 78);
  c.Roll(drums, b.Bar(7), bar, Ride, 24, 90);
  c.Note(drums, a3.Start, bar, Crash, 88);
  return c.Finish();
}
