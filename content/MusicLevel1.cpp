// MusicLevel1.cpp — level1.mid, the convoy escort: a steady, noble march in B-flat major at
// 104 bpm. Trumpet fanfare theme, horns, brass, strings, tuba on the beat, snare cadence.
//
// Form (48 bars, about 1 min 51 s): Intro 4 (snare and brass call) | A 8 (trumpet theme) |
// A' 8 (theme closing home) | B 8 (horns, the minor side) | B' 8 (trumpet climbs to the
// climax) | A'' 8 (theme with full brass) | Outro 4, ending on the dominant F to lead back.
#include "content/MusicForge.h"

#include "content/Arrange.h"

using namespace Music;

namespace {

constexpr int TrumpetTonic = 58;  // B-flat 3: the theme sits between F3 and F5
constexpr int HornTonic = 58;

}  // namespace

TScore ComposeLevel1() {
  TComposer c("Quintara - Escort", "Bb major", 104, 4, 4, 0x1E5C0);
  const int trumpet = c.AddPart("Trumpet", 0, 56, TRole::Melody, 104, 70, 60);
  const int horns = c.AddPart("Horns", 1, 60, TRole::Melody, 96, 46, 70);
  const int brass = c.AddPart("Brass", 2, 61, TRole::Harmony, 84, 84, 60);
  const int strings = c.AddPart("Strings", 3, 48, TRole::Harmony, 80, 30, 80);
  const int tuba = c.AddPart("Tuba", 4, 58, TRole::Bass, 96, 60, 40);
  const int timpani = c.AddPart("Timpani", 5, 47, TRole::Colour, 86, 64, 60);
  const int drums = c.AddPart("Drums", 9, 0, TRole::Drums, 92, 64, 50);

  const TSection intro = c.Section("Intro", "Bb | Eb/Bb | Bb | F");
  const TSection a1 = c.Section("A", "Bb | F/A | Gm | Dm | Eb | Bb/D | Cm7 | F");
  const TSection a2 = c.Section("A'", "Bb | F/A | Gm | Dm | Eb | F | Bb | Bb");
  const TSection b1 = c.Section("B", "Gm | Eb | Bb | F | Gm | Eb | C | F");
  const TSection b2 = c.Section("B'", "Eb | F | Dm | Gm | Cm | F | Eb | F");
  const TSection a3 = c.Section("A''", "Bb | F/A | Gm | Dm | Eb | F | Bb | Bb");
  const TSection outro = c.Section("Outro", "Eb | Bb/D | Cm7 | F");

  // The fanfare: a dotted rising call, a falling answer, and the call again on the fourth.
  const std::string call = "5, - - 5, 1 - - - 3 - - - 5 - - - | 5 - - - - - 4 3 2 - - - 3 - - - |";
  const TPhrase theme = c.Phrase(call +
      "3 - - 2 1 - - - 2 - - - 5, - - - | 7, - - - - - - - . . 5, 6, 7, - 1 - |"
      "1 - - 1 4 - - - 6 - - - 5 - - - | 5 - - - - - 4 3 1 - - - 3 - - - |"
      "2 - - - 4 - - - 6 - - - 5 - 4 - | 5 - - - - - - - - - - - . . . .");
  const TPhrase themeHome = c.Phrase(call +
      "3 - - 2 1 - - - 2 - - - 5, - - - | 7, - - - - - - - . . 5, 6, 7, - 1 - |"
      "1 - - 1 4 - - - 6 - - - 5 - - - | 7 - - - 2' - - - 5 - - - 7 - - - |"
      "1' - - - - - - - 5 - - - 3 - - - | 1' - - - - - - - . . . . . . . .");
  const TPhrase song = c.Phrase(
      "3 - - - - - - - 1 - - - 2 - - - | 6 - - - 5 - - - 4 - - - - - - - |"
      "3 - - - 4 - - - 5 - - - 1' - - - | 7 - - - - - - - 6 - 5 - 4 - - - |"
      "3 - - - - - - - 2 - - - 1 - - - | 6 - - - 5 - - - 4 - - - 3 - - - |"
      "2 - - - 3 - - - 4 - - - 3 - - - | 2 - - - - - - - 7, - - - . . . .");
  const TPhrase climb = c.Phrase(
      "6 - - - 5 - - - 1' - - - 6 - - - | 7 - - - - - 6 - 5 - - - - - - - |"
      "3' - - - - - 2' - 7 - - - 6 - - - | 6 - - - - - - - . . . . 7 - 1' - |"
      "2' - - - - - 1' 7 6 - - - 4 - - - | 5 - - - - - - - 7 - - - 2' - - - |"
      "1' - - - - - 6 - 4 - - - 6 - - - | 5 - - - - - - - - - - - . . . .");
  const TPhrase farewell = c.Phrase(
      "1 - - 1 4 - - - 6 - - - 5 - - - | 5 - - - - - 4 3 1 - - - 3 - - - |"
      "2 - - - 4 - - - 6 - - - - - - - | 5 - - - - - - - - - - - . . . .");

  c.Melody(trumpet, a1, theme, TrumpetTonic, 88);
  c.Melody(trumpet, a2, themeHome, TrumpetTonic, 92);
  c.Melody(horns, b1, song, HornTonic, 88);
  c.Melody(trumpet, b2, climb, TrumpetTonic, 98);
  c.Melody(horns, b2, climb, HornTonic - 12, 76);
  c.Melody(trumpet, a3, themeHome, TrumpetTonic, 100);
  c.Melody(horns, a3, themeHome, HornTonic - 12, 80);
  c.Melody(horns, outro, farewell, HornTonic, 80);

  // Horns hold the harmony under the trumpet's theme; strings carry it everywhere.
  const TVoicing hornChords{53, 67, 3, 0.97};
  c.Pad(horns, a1, hornChords, 62, "x - - - x - - -");
  c.Pad(horns, a2, hornChords, 64, "x - - - x - - -");
  const TVoicing stringChords{55, 76, 4, 1.0};
  for (const TSection* s : {&intro, &a1, &a2, &b1, &b2, &a3, &outro}) c.Pad(strings, *s, stringChords, 64);
  c.Arpeggio(strings, b2, "4 5 6 5 4 5 6 7", 55, 56, 0.9);

  // Brass: the intro's call, then march stabs that grow through the piece.
  const TVoicing stabs{53, 70, 4, 0.55};
  c.Pad(brass, intro, stabs, 84, "X - . x x - . . | x - . . . . . . | X - . x x - . . | x - x - x - x -");
  c.Pad(brass, a2, stabs, 70, ". . . . x . . . | . . . . x . . .");
  c.Pad(brass, b2, stabs, 80, "x . . x . . x . | x - - - . . x .");
  c.Pad(brass, a3, stabs, 86, "X . . x x . . . | x . . x X . x .");

  // Tuba on the strong beats: root and fifth, a walk up into the returns.
  c.Bass(tuba, intro, "1 - . . 5 - . . | 1 - . . 5 - . . | 1 - . . 5 - . . | 1 - 2 - 3 - > -", 34, 82);
  c.Bass(tuba, a1, "1 - . . 5 - . .", 34, 84);
  c.Bass(tuba, a2, "1 - . . 5 - . .", 34, 86);
  c.Bass(tuba, b1, "1 - - - 5 - - -", 34, 80);
  c.Bass(tuba, b2, "1 - . 1 5 - . 5", 34, 88);
  c.Bass(tuba, a3, "1 - . . 5 - . . | 1 - . . 5 - > -", 34, 90);
  c.Bass(tuba, outro, "1 - . . 5 - . .", 34, 82);

  const uint32_t bar = c.BarTicks();
  c.Roll(timpani, intro.Start, bar, 34, 40, 100);
  c.Note(timpani, intro.Bar(1), Ppq, 34, 96);
  c.Note(timpani, intro.Bar(3), Ppq, 41, 96);
  c.Note(timpani, intro.Bar(3) + 2 * Ppq, Ppq, 41, 90);
  for (const TSection* s : {&a1, &a2, &b2, &a3}) c.Note(timpani, s->Start, Ppq, 34, 96);
  c.Roll(timpani, b2.Bar(7), bar, 41, 50, 104);
  c.Note(timpani, outro.Bar(3), Ppq, 41, 84);

  // The march cadence: bass drum on the beat, a snare figure with ghost notes, cymbals at
  // the joints; fills before every new section.
  const TDrums march = {{Kick, "x...x...x...x..."}, {Snare, "x..gx.g.x..gx.xg"}};
  const TDrums marchFull = {{Kick, "x...x...x...x..."}, {Snare, "X..gx.g.x..gX.xg"}, {Crash, "x..............."},
                            {ClosedHat, "..x...x...x...x."}};
  const TDrums lilt = {{Kick, "x.......x......."}, {SideStick, "....x.......x..."}, {Ride, "x.x.x.x.x.x.x.x."}};
  const TDrums roll = {{Kick, "x...x...x...x..."}, {Snare, "gggoggoooxoxxxXX"}};
  c.Drums(drums, intro, march, roll, -10);
  c.Drums(drums, a1, march, roll);
  c.Drums(drums, a2, march, roll);
  c.Drums(drums, b1, lilt, roll);
  c.Drums(drums, b2, march, roll, 6);
  c.Drums(drums, a3, marchFull, roll, 8);
  c.Drums(drums, outro, march, {{Kick, "x...x...x...x..."}, {Snare, "x..gx.g.x......."}}, -6);
  for (const TSection* s : {&a1, &b1, &b2, &a3}) c.Note(drums, s->Start, bar, Crash, 100);
  return c.Finish();
}
