// MusicLevel5.cpp — level5.mid, hunting the convoys: a stalking groove in A dorian at 100 bpm.
// Syncopated fingered bass and muted-guitar sixteenths under a muted trumpet that moves in
// short, watchful phrases; the middle slips to the flat second like something closing in.
//
// Form (56 bars, 2 min 14 s): Intro 4 (bass and guitar) | A 8 | A' 8 | B 8 (brass joins) |
// C 8 (toms, A-B-flat) | A'' 8 | B' 8 | Outro 4, ending on E major to lead back to A minor.
#include "content/MusicForge.h"

#include "content/Arrange.h"

using namespace Music;

namespace {

constexpr int TrumpetTonic = 69;  // A4

}  // namespace

TScore ComposeLevel5() {
  TComposer c("Quintara - Hunt", "A dorian", 100, 4, 4, 0x5C0A7);
  const int trumpet = c.AddPart("Muted trumpet", 0, 59, TRole::Melody, 127, 70, 70);
  const int guitar = c.AddPart("Muted guitar", 1, 28, TRole::Colour, 80, 34, 40);
  const int bass = c.AddPart("Bass", 2, 33, TRole::Bass, 94, 64, 30);
  const int strings = c.AddPart("Synth strings", 3, 50, TRole::Harmony, 72, 96, 100, 40);
  const int brass = c.AddPart("Brass", 4, 61, TRole::Harmony, 84, 52, 60);
  const int marimba = c.AddPart("Marimba", 5, 12, TRole::Colour, 80, 100, 70);
  const int drums = c.AddPart("Drums", 9, 0, TRole::Drums, 82, 64, 40);

  const TSection intro = c.Section("Intro", "Am | Am | G | Am");
  const TSection a1 = c.Section("A", "Am | Am | G | D | Am | Am | F | E");
  const TSection a2 = c.Section("A'", "Am | Am | C | D | F | G | Esus4 | E");
  const TSection b1 = c.Section("B", "Dm | Am | Dm | E | F | C | Dm | E");
  const TSection prowl = c.Section("C", "Am | Bb | Am | Bb | Am | Bb | Dm | E");
  const TSection a3 = c.Section("A''", "Am | Am | G | D | Am | Am | F | E");
  const TSection b2 = c.Section("B'", "Dm | Am | Dm | E | F | C | Dm | E");
  const TSection outro = c.Section("Outro", "Am | G | F | E");

  // Short phrases that start after the beat, as if looking around before moving.
  const TPhrase watch = c.Phrase(
      ". . 1 2 3 - 1 - | 5 - - 4 3 - . . | . . 7, 1 2 - 7, - | 4 - - 3 2 - . . |"
      ". . 1 2 3 - 5 - | 1' - - 7 5 - . . | 6 - - 5 4 - 3 - | 5 - - - 7, - - -");
  const TPhrase watchAgain = c.Phrase(
      ". . 1 2 3 - 1 - | 5 - - 4 3 - . . | . . 3 4 5 - 3 - | 6 - - 5 4 - . . |"
      "6 - - 5 4 - 3 - | 7 - - 6 5 - 4 - | 1 - - - 5 - - - | 7, - - - - - . .");
  const TPhrase strike = c.Phrase(
      "4 - - - 6 - - - | 5 - - - 3 - - - | 4 - - 5 6 - 1' - | 7 - - - - - . . |"
      "3 - - 4 3 - 1 - | 5 - - - 3 - - - | 4 - - 3 2 - 1 - | 7, - - - 2 - - -");
  const TPhrase closing = c.Phrase(
      "1 - - - . . . . | 2 - - - . . . . | 5 - - - . . 4 3 | 2 - - - . . . . |"
      "1 - - - 3 - - - | 4 - - - 2 - - - | 4 - - - 6 - - - | 5 - - - 7, - - -");
  const TPhrase away = c.Phrase("5 - - 4 3 - . . | . . 7, 1 2 - 7, - | 6 - - 5 4 - 3 - | 5 - - - 7, - - -");

  c.Melody(trumpet, a1, watch, TrumpetTonic, 100);
  c.Melody(trumpet, a2, watchAgain, TrumpetTonic, 102);
  c.Melody(trumpet, b1, strike, TrumpetTonic, 108);
  c.Melody(marimba, prowl, closing, TrumpetTonic - 12, 96);
  c.Melody(trumpet, a3, watch, TrumpetTonic, 104);
  c.Melody(trumpet, b2, strike, TrumpetTonic, 112);
  c.Melody(trumpet, outro, away, TrumpetTonic, 98);

  // The hunt's gait: a syncopated bass that leaves the downbeat's echo unanswered.
  const std::string gait = "1 . . 1 . . 5 . 8 . 7 . 5 . 3 .";
  const std::string gaitTurn = "1 . . 1 . . 5 . 8 . 7 . 5 . > .";
  c.Bass(bass, intro, gait, 33, 90, 0.8);
  for (const TSection* s : {&a1, &a2, &a3}) c.Bass(bass, *s, gait + "|" + gait + "|" + gait + "|" + gaitTurn, 33, 94, 0.8);
  for (const TSection* s : {&b1, &b2}) c.Bass(bass, *s, "1 . . 1 . . 5 . 1 . . 1 . 5 8 .", 33, 98, 0.8);
  c.Bass(bass, prowl, "1 - - - . . . 1 . . 1 - . . . .", 33, 92, 0.9);
  c.Bass(bass, outro, gait, 33, 90, 0.8);

  const std::string tick = "1 . 2 1 . 2 3 . 1 . 2 1 . 3 2 .";
  for (const TSection* s : {&intro, &a1, &a2, &b1, &a3, &b2, &outro}) c.Arpeggio(guitar, *s, tick, 52, 68, 0.4);
  c.Arpeggio(guitar, prowl, "1 . . . . . . . 1 . . . . . . .", 52, 60, 0.4);

  const TVoicing bed{55, 74, 4, 1.0};
  for (const TSection* s : {&a2, &b1, &prowl, &a3, &b2}) c.Pad(strings, *s, bed, 58);
  c.Ramp(strings, a2.Start, a2.Bar(2), 11, 60, 127);
  const TVoicing stabs{55, 72, 4, 0.35};
  c.Pad(brass, b1, stabs, 86, ". . . . . . x . . . x . . . . . | . . . . . . x . . . x . X . . .");
  c.Pad(brass, b2, stabs, 92, ". . . . . . x . . . x . . . . . | . . . . . . x . . . x . X . X .");

  const TDrums prowlHats = {{Kick, "X..............."}, {ClosedHat, "x.x.x.x.x.x.x.x."}};
  const TDrums groove = {{Kick, "X..x..x...X..x.."}, {Snare, "....X.......X..g"}, {ClosedHat, "xgxgxgxgxgxgxgxg"}};
  const TDrums grooveOpen = {{Kick, "X..x..x...X..x.."}, {Snare, "....X.......X..g"}, {ClosedHat, "xgxgxgxgxgxgxg.."},
                             {OpenHat, "..............x."}};
  const TDrums toms = {{Kick, "X.......X......."}, {LowTom, "...x......x..x.."}, {LowFloorTom, "......x.......x."},
                       {ClosedHat, "x.x.x.x.x.x.x.x."}};
  const TDrums fill = {{Kick, "X..x..x........."}, {Snare, "....X.....g.xxXX"}, {ClosedHat, "xgxgxgxg........"}};
  c.Drums(drums, intro, prowlHats, fill, -8);
  c.Drums(drums, a1, groove, fill);
  c.Drums(drums, a2, groove, fill);
  c.Drums(drums, b1, grooveOpen, fill, 6);
  c.Drums(drums, prowl, toms, fill);
  c.Drums(drums, a3, groove, fill, 4);
  c.Drums(drums, b2, grooveOpen, fill, 8);
  c.Drums(drums, outro, groove, {{Kick, "X..x..x........."}, {ClosedHat, "xgxgxgxg........"}});
  const uint32_t bar = c.BarTicks();
  for (const TSection* s : {&a1, &b1, &prowl, &a3, &b2}) c.Note(drums, s->Start, bar, Crash, 100);
  return c.Finish();
}
