// MusicLevel2.cpp — level2.mid, the airfield raid: driving E minor rock at 144 bpm. Two
// distorted rhythm guitars left and right, picked bass, a lead guitar, strings and brass in
// the chorus, a straight rock kit.
//
// Form (60 bars, 1 min 40 s): Intro 4 + 4 (riff, then the kit) | A 8 | A' 8 | B 8 (chorus) |
// C 8 (half-time break) | A'' 8 | B' 8 | Outro 4, ending on B major to fall back into the riff.
#include "content/MusicForge.h"

#include "content/Arrange.h"

using namespace Music;

namespace {

constexpr int LeadTonic = 64;  // E4

}  // namespace

TScore ComposeLevel2() {
  TComposer c("Quintara - Raid", "E minor", 144, 4, 4, 0x2A1D0);
  const int lead = c.AddPart("Lead guitar", 0, 29, TRole::Melody, 122, 70, 50, 20);
  const int left = c.AddPart("Rhythm guitar L", 1, 30, TRole::Harmony, 66, 18, 30);
  const int right = c.AddPart("Rhythm guitar R", 2, 30, TRole::Harmony, 62, 110, 30);
  const int bass = c.AddPart("Bass", 3, 34, TRole::Bass, 100, 64, 20);
  const int strings = c.AddPart("Strings", 4, 48, TRole::Harmony, 78, 40, 80);
  const int brass = c.AddPart("Brass", 5, 61, TRole::Harmony, 86, 88, 50);
  const int drums = c.AddPart("Drums", 9, 0, TRole::Drums, 100, 64, 30);

  const TSection riff = c.Section("Riff", "Em | Em | C | D");
  const TSection kit = c.Section("Riff and kit", "Em | Em | C | B");
  const TSection a1 = c.Section("A", "Em | C | D | Em | Em | C | Am | B");
  const TSection a2 = c.Section("A'", "Em | C | D | Bm | C | Am | B | B7");
  const TSection b1 = c.Section("B", "C | D | Em | Em | C | D | B | B");
  const TSection brk = c.Section("C", "Am | Em | Am | B | Am | Em | C | B7");
  const TSection a3 = c.Section("A''", "Em | C | D | Em | Em | C | Am | B");
  const TSection b2 = c.Section("B'", "C | D | Em | G | C | D | B | B");
  const TSection outro = c.Section("Outro", "Em | C | D | B");

  // The verse: a repeated note snapping down a third, answered a step higher each time.
  const TPhrase verse = c.Phrase(
      "5 - 5 4 5 - 3 - | 3 - - 4 3 - 1 - | 2 - - 3 4 - 5 - | 5 - - - - - . . |"
      "5 - 5 4 5 - 1' - | 1' - - 7 6 - 5 - | 6 - - 5 4 - 3 - | 2 - - - 7, - - -");
  const TPhrase verseHigh = c.Phrase(
      "1' - 1' 7 1' - 5 - | 1' - - 7 6 - 5 - | 4 - - 3 2 - 4 - | 5 - - - 2 - - - |"
      "3 - - 2 1 - 3 - | 6 - - 5 4 - 1 - | 2 - - 3 2 - 7, - | 2 - - - - - . .");
  const TPhrase chorus = c.Phrase(
      "3' - - - 1' - - - | 2' - - - 4' - - - | 1' - - - - - 7 1' | 5 - - - - - . . |"
      "3' - - 2' 1' - 7 - | 2' - - 1' 7 - 6 - | 7 - - - 2' - - - | 2' - - - - - . .");
  const TPhrase lament = c.Phrase(
      "1' - - - - - - - | 5 - - - - - - - | 6 - - - 4 - - - | 7, - - - 2 - - - |"
      "1' - - - 6 - - - | 5 - - - 3 - - - | 3 - - - 5 - - - | 4 - - - 2 - - -");
  const TPhrase tag = c.Phrase("5 - 5 4 5 - 3 - | 3 - - 4 3 - 1 - | 2 - - 3 4 - 5 - | 7, - - - - - . .");

  c.Melody(lead, a1, verse, LeadTonic, 92);
  c.Melody(lead, a2, verseHigh, LeadTonic, 94);
  c.Melody(lead, b1, chorus, LeadTonic, 100);
  c.Melody(strings, brk, lament, LeadTonic, 80);
  c.Melody(lead, a3, verse, LeadTonic, 96);
  c.Melody(lead, b2, chorus, LeadTonic, 104);
  c.Melody(lead, outro, tag, LeadTonic, 92);

  // Guitars: palm-muted chugs in the verses, open ringing chords in the chorus.
  const std::string chug = "X-mmx-mmX-mmx-x-";
  const std::string ring = "X-----x-X-----x-";
  const std::string hang = "x--------------- | x--------------- | x--------------- | x-mmx-mmx-x-X-X-";
  for (int g : {left, right}) {
    const int low = g == left ? 40 : 52;
    const int shift = g == left ? 0 : -6;
    c.PowerChords(g, riff, chug, low, 90 + shift);
    c.PowerChords(g, kit, chug, low, 94 + shift);
    c.PowerChords(g, a1, chug, low, 88 + shift);
    c.PowerChords(g, a2, chug, low, 90 + shift);
    c.PowerChords(g, b1, ring, low, 96 + shift);
    c.PowerChords(g, brk, hang, low, 82 + shift);
    c.PowerChords(g, a3, chug, low, 92 + shift);
    c.PowerChords(g, b2, ring, low, 100 + shift);
    c.PowerChords(g, outro, chug, low, 90 + shift);
  }

  c.Bass(bass, riff, "1 1 8 1 1 1 8 5", 28, 90);
  c.Bass(bass, kit, "1 1 8 1 1 1 8 5", 28, 94);
  c.Bass(bass, a1, "1 1 8 1 1 5 8 5", 28, 92);
  c.Bass(bass, a2, "1 1 8 1 1 5 8 5 | 1 1 8 1 1 5 8 >", 28, 92);
  c.Bass(bass, b1, "1 1 1 1 1 1 1 >", 28, 98);
  c.Bass(bass, brk, "1 - - - - - 1 - | 1 - - - - - 5 -", 28, 88, 0.97);
  c.Bass(bass, a3, "1 1 8 1 1 5 8 5 | 1 1 8 1 1 5 8 >", 28, 94);
  c.Bass(bass, b2, "1 1 1 1 1 1 1 >", 28, 100);
  c.Bass(bass, outro, "1 1 8 1 1 1 8 5", 28, 92);

  const TVoicing swell{55, 76, 4, 1.0};
  for (const TSection* s : {&b1, &b2}) c.Pad(strings, *s, swell, 66);
  c.Pad(strings, brk, TVoicing{48, 64, 3, 1.0}, 58);
  const TVoicing stabs{55, 72, 4, 0.5};
  c.Pad(brass, b1, stabs, 84, "X - . x . . x . | x - . . . . . .");
  c.Pad(brass, b2, stabs, 90, "X - . x . . x . | x - . x . x x -");
  c.Pad(brass, brk, TVoicing{52, 67, 3, 0.9}, 60, ". . . . | x - - -");

  const TDrums tomsOnly = {{Kick, "x...x...x...x..."}, {LowFloorTom, "..x...x...x...xx"}};
  const TDrums rock = {{Kick, "X.....x.X.x....."}, {Snare, "....X.......X..."}, {ClosedHat, "x.x.x.x.x.x.x.x."}};
  const TDrums drive = {{Kick, "X.x...x.X.x...x."}, {Snare, "....X.......X..g"}, {Ride, "x.x.x.x.x.x.x.x."}};
  const TDrums half = {{Kick, "X.........x....."}, {Snare, "........X......."}, {ClosedHat, "x.x.x.x.x.x.x.x."}};
  const TDrums fill = {{Kick, "x.......x......."}, {HighTom, "xxxx............"}, {MidTom, "....xxxx........"},
                       {LowTom, "........xxxx...."}, {LowFloorTom, "............xxXX"}};
  const TDrums snareFill = {{Kick, "x...x...x...x..."}, {Snare, "x.x.x.x.xxxxXXXX"}};
  c.Drums(drums, riff, tomsOnly, snareFill, -8);
  c.Drums(drums, kit, rock, fill);
  c.Drums(drums, a1, rock, snareFill);
  c.Drums(drums, a2, rock, fill);
  c.Drums(drums, b1, drive, fill, 6);
  c.Drums(drums, brk, half, snareFill, -6);
  c.Drums(drums, a3, rock, fill);
  c.Drums(drums, b2, drive, fill, 8);
  c.Drums(drums, outro, rock, snareFill);
  const uint32_t bar = c.BarTicks();
  for (const TSection* s : {&kit, &a1, &a2, &b1, &brk, &a3, &b2, &outro}) c.Note(drums, s->Start, bar, Crash, 110);
  c.Note(drums, b1.Bar(4), bar, Crash, 100);
  c.Note(drums, b2.Bar(4), bar, Crash, 104);
  return c.Finish();
}
