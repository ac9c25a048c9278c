// MusicLevel4.cpp — level4.mid, trap and escape: urgent G minor at 152 bpm. Sixteenth-note
// string ostinato, brass stabs, timpani and driving toms; the trap's low trombone theme gives
// way to a horn call in the relative major as the airship breaks out, then a climbing chase.
//
// Form (72 bars, 1 min 54 s): Intro 8 (ostinato builds) | A 8 (trombones) | A' 8 (trumpet) |
// B 8 (horns, B-flat: the escape) | B' 8 | C 8 (the theme climbs the scale) | A'' 8 |
// Outro 8, ending on D major to throw the loop back into the ostinato.
#include "content/MusicForge.h"

#include "content/Arrange.h"

using namespace Music;

namespace {

constexpr int LowTonic = 55;  // G3

}  // namespace

TScore ComposeLevel4() {
  TComposer c("Quintara - Breakout", "G minor", 152, 4, 4, 0x4B0E5);
  const int trumpet = c.AddPart("Trumpet", 0, 56, TRole::Melody, 100, 72, 60);
  const int horns = c.AddPart("Horns", 1, 60, TRole::Melody, 100, 50, 70);
  const int trombones = c.AddPart("Trombones", 2, 57, TRole::Melody, 98, 40, 60);
  const int ostinato = c.AddPart("Strings", 3, 48, TRole::Colour, 86, 86, 70);
  const int brass = c.AddPart("Brass", 4, 61, TRole::Harmony, 88, 64, 60);
  const int basses = c.AddPart("Basses", 5, 43, TRole::Bass, 100, 60, 50);
  const int timpani = c.AddPart("Timpani", 6, 47, TRole::Colour, 92, 64, 60);
  const int pad = c.AddPart("Pad", 7, 49, TRole::Harmony, 70, 24, 90);
  // Bowed strings alone smear sixteenths into a pad; plucked strings doubling them give
  // each note its edge.
  const int pizz = c.AddPart("Pizzicato", 8, 45, TRole::Colour, 84, 100, 60);
  const int drums = c.AddPart("Drums", 9, 0, TRole::Drums, 96, 64, 40);

  const TSection intro = c.Section("Intro", "Gm | Gm | Eb | D | Gm | Gm | Eb | D");
  const TSection a1 = c.Section("A", "Gm | Eb | Cm | D | Gm | Eb | Ab | D");
  const TSection a2 = c.Section("A'", "Gm | F | Eb | D | Cm | Gm/Bb | Am7b5 | D");
  const TSection b1 = c.Section("B", "Bb | F | Gm | Eb | Bb | F | Eb | D");
  const TSection b2 = c.Section("B'", "Eb | F | Bb | Gm | Cm | F | Bb | D");
  const TSection climb = c.Section("C", "Cm | Dm | Eb | F | Gm | Ab | Bb | D");
  const TSection a3 = c.Section("A''", "Gm | Eb | Cm | D | Gm | Eb | Ab | D");
  const TSection outro = c.Section("Outro", "Gm | Eb | Cm | D | Gm | Eb | Ab | D");

  // The trap: a low line that climbs a third and sinks back, darkened by the flat second.
  const TPhrase trap = c.Phrase(
      "1 - - 2 3 - - - | 3 - - 2 1 - - - | 4 - - 3 4 - 6 - | 5 - - - 7, - - - |"
      "1 - - 2 3 - 5 - | 6 - - 5 3 - - - | 2 - - 4 6 - - - | 7, - - - 5 - - -");
  const TPhrase trapHigh = c.Phrase(
      "5 - - 6 5 - 3 - | 4 - - 3 2 - - - | 3 - - 2 1 - 3 - | 2 - - - 7, - - - |"
      "4 - - 5 6 - - - | 5 - - 4 3 - - - | 2 - - 4 6 - - - | 7, - - - - - . .");
  // The escape: a horn call in B-flat that reaches up and holds.
  const TPhrase escape = c.Phrase(
      "3 - - - 5 - - - | 4 - - 3 2 - - - | 5 - - 4 3 - 1 - | 6 - - - - - 5 - |"
      "3 - - - 5 - 1' - | 7 - - 6 4 - 2 - | 3 - - 4 6 - - - | 5 - - - - - - -");
  const TPhrase escapeHigh = c.Phrase(
      "6 - - - 1' - - - | 7 - - - 2' - - - | 3' - - - 2' 1' 7 - | 1' - - - 5 - - - |"
      "6 - - 5 4 - - - | 4 - - 5 7 - - - | 3' - - - 5 - - - | 5 - - - - - . .");
  // The chase: one rising arpeggio figure carried up the scale, a step each bar.
  const TPhrase figure = c.Phrase("4 - - 6 - - 1' -");
  TPhrase chase = figure;
  for (int step = 1; step < 7; ++step) chase = Joined(chase, Transposed(figure, step));
  chase = Joined(chase, c.Phrase("5' - - - - - . ."));
  const TPhrase fade = c.Phrase("1 - - 2 3 - - - | 3 - - 2 1 - - - | 4 - - 3 4 - 6 - | 5 - - - 7, - - -");

  c.Melody(trombones, a1, trap, LowTonic, 90);
  c.Melody(trumpet, a2, trapHigh, LowTonic + 12, 90);
  c.Melody(trombones, a2, trapHigh, LowTonic, 74);
  c.Melody(horns, b1, escape, LowTonic, 96);
  c.Melody(horns, b2, escapeHigh, LowTonic, 100);
  c.Melody(trumpet, b2, escapeHigh, LowTonic + 12, 84);
  c.Melody(trumpet, climb, chase, LowTonic, 100);
  c.Melody(horns, climb, Transposed(chase, -7), LowTonic, 84);
  c.Melody(trombones, a3, trap, LowTonic, 98);
  c.Melody(horns, a3, trap, LowTonic + 12, 84);
  c.Melody(trombones, outro, fade, LowTonic, 82);

  // The engine of the piece: sixteenths that never stop, from the third bar of the intro.
  const std::string pulse = "1 1 2 1 1 2 1 2 1 1 2 1 3 2 1 2";
  const std::string surge = "1 1 2 1 3 1 2 1 4 1 3 1 2 3 4 5";
  std::string introFigure;
  for (int b = 0; b < intro.Bars - 1; ++b) introFigure += pulse + "|";
  c.Arpeggio(ostinato, intro, introFigure + surge, 55, 72, 0.8);
  // The ostinato eases off in the outro's last bars and swells again through the intro, so
  // the loop point is a breath, not a cut.
  c.Ramp(ostinato, outro.Bar(6), outro.End(), 11, 127, 84);
  c.Ramp(ostinato, intro.Start, intro.Bar(4), 11, 84, 127);
  for (int part : {ostinato, pizz}) {
    for (const TSection* s : {&a1, &a2, &a3}) c.Arpeggio(part, *s, pulse, 55, 72, 0.8);
    for (const TSection* s : {&b1, &b2}) c.Arpeggio(part, *s, pulse + "|" + surge, 58, 74, 0.8);
    c.Arpeggio(part, climb, surge, 55, 80, 0.8);
    c.Arpeggio(part, outro, pulse, 55, 66, 0.8);
  }
  c.Arpeggio(pizz, intro, introFigure + surge, 55, 68, 0.8);

  const TVoicing stabs{52, 70, 4, 0.45};
  c.Pad(brass, a1, stabs, 84, "X . . . . . x . | . . x . . . . .");
  c.Pad(brass, a2, stabs, 86, "X . . . . . x . | . . x . X . . .");
  c.Pad(brass, b2, stabs, 92, "X . . x . . x . | X - - - . . x .");
  c.Pad(brass, climb, stabs, 96, "X . . x . . x .");
  c.Pad(brass, a3, stabs, 96, "X . . . . . x . | . . x . X . x .");
  const TVoicing bed{50, 69, 4, 1.0};
  for (const TSection* s : {&b1, &b2, &climb}) c.Pad(pad, *s, bed, 64);

  const std::string held = "1 - - - - - - - |";
  const std::string driven = "1 1 1 1 1 1 1 1 |";
  c.Bass(basses, intro, held + held + driven + driven + driven + driven + driven + "1 1 1 1 1 1 5 >", 31, 88, 0.7);
  for (const TSection* s : {&a1, &a2, &a3}) c.Bass(basses, *s, "1 1 1 1 1 1 1 1 | 1 1 1 1 1 1 5 >", 31, 92, 0.7);
  for (const TSection* s : {&b1, &b2}) c.Bass(basses, *s, "1 - 1 - 5 - 1 - | 1 - 1 - 5 - > -", 31, 94, 0.85);
  c.Bass(basses, climb, "1 1 1 1 1 1 1 1", 31, 98, 0.7);
  c.Bass(basses, outro, "1 1 1 1 1 1 1 1 | 1 1 1 1 1 1 5 >", 31, 86, 0.7);

  const uint32_t bar = c.BarTicks();
  // Timpani strike the root of the chord they land on, tuned between D2 and C#3.
  const auto drumRoot = [&](uint32_t tick) { return 38 + Wrap12(c.Score().ChordAt(tick).Bass - 38); };
  c.Roll(timpani, intro.Bar(6), 2 * bar, 38, 40, 110);
  for (const TSection* s : {&a1, &a2, &b1, &b2, &climb, &a3}) {
    c.Note(timpani, s->Start, Ppq, drumRoot(s->Start), 104);
    c.Note(timpani, s->Bar(4), Ppq, drumRoot(s->Bar(4)), 96);
  }
  c.Roll(timpani, climb.Bar(7), bar, 38, 60, 118);
  c.Note(timpani, outro.Bar(7), Ppq, 38, 96);

  const TDrums build = {{Kick, "x...............|x.......x.......|x...x...x...x...|x...x...x...x..."},
                        {LowFloorTom, "g.g.g.g.g.g.g.g.|o.g.o.g.o.g.o.g.|..x...x...x...x.|..x...x...x.xxxx"}};
  const TDrums gallop = {{Kick, "X..x..x.X..x..x."}, {Snare, "....X.......X..."}, {LowFloorTom, "..x...x...x...x."},
                         {ClosedHat, "x.x.x.x.x.x.x.x."}};
  const TDrums flight = {{Kick, "X.x...x.X.x...x."}, {Snare, "....X.......X..g"}, {Ride, "x.x.x.x.x.x.x.x."}};
  const TDrums chaseKit = {{Kick, "X.x.X.x.X.x.X.x."}, {Snare, "....X.......X.XX"}, {Crash, "x.......x......."},
                           {LowTom, "..x...x...x...x."}};
  const TDrums fill = {{Kick, "x...x...x...x..."}, {HighTom, "xxx............."}, {MidTom, "...xxx.........."},
                       {LowTom, "......xxx......."}, {LowFloorTom, ".........xxx...."}, {Snare, "............xxXX"}};
  // The intro's first half builds on kick and floor tom alone; the second half gallops.
  TSection introHead = intro, introTail = intro;
  introHead.Bars = introTail.Bars = intro.Bars / 2;
  introTail.Start = intro.Bar(intro.Bars / 2);
  c.Drums(drums, introHead, build, {}, -4);
  c.Drums(drums, introTail, gallop, fill, -4);
  c.Drums(drums, a1, gallop, fill);
  c.Drums(drums, a2, gallop, fill);
  c.Drums(drums, b1, flight, fill);
  c.Drums(drums, b2, flight, fill, 6);
  c.Drums(drums, climb, chaseKit, fill, 8);
  c.Drums(drums, a3, gallop, fill, 6);
  c.Drums(drums, outro, gallop, {{Kick, "x...x...x......."}, {LowFloorTom, "..x...x...x.x.x."}}, -6);
  for (const TSection* s : {&a1, &a2, &b1, &b2, &climb, &a3}) c.Note(drums, s->Start, bar, Crash, 112);
  return c.Finish();
}
