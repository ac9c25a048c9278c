// MidiFileTest.cpp — the MIDI reader's refusals, its reading of running status and sysex, round trips and the tempo map.
#include "core/Error.h"
#include "core/MidiFile.h"
#include "common/TempDir.h"
#include "SoundTestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TBytes = std::vector<uint8_t>;

TBytes Header(uint16_t format, uint16_t tracks, uint16_t division, uint32_t length = 6) {
  TBytes b = {'M', 'T', 'h', 'd', uint8_t(length >> 24), uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length),
              uint8_t(format >> 8), uint8_t(format), uint8_t(tracks >> 8), uint8_t(tracks), uint8_t(division >> 8),
              uint8_t(division)};
  return b;
}

TBytes Chunk(const char* type, const TBytes& body, int lengthDelta = 0) {
  const uint32_t length = static_cast<uint32_t>(static_cast<int>(body.size()) + lengthDelta);
  TBytes b(type, type + 4);
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(length >> shift));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

TBytes Join(std::initializer_list<TBytes> parts) {
  TBytes out;
  for (const TBytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const TBytes EndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

TMidiFile Parse(const TBytes& bytes) { return ParseMidi(bytes.data(), bytes.size(), "song.mid"); }

struct TBrokenCase {
  const char* What;
  TBytes Bytes;
  const char* Reason;  // a fragment the refusal must contain
};

TEST(MidiFile, RefusesBrokenFiles) {
  const TBytes good = Chunk("MTrk", Join({{0x00, 0x90, 60, 100}, EndOfTrack}));
  const TBrokenCase cases[] = {
      {"empty", {}, "no MThd"},
      {"wrong magic", Join({{'R', 'I', 'F', 'F'}, TBytes(10, 0)}), "no MThd"},
      {"short header chunk", Header(1, 1, 96, 4), "header chunk of 4"},
      {"header length past the end", Header(1, 1, 96, 100), "runs past the end"},
      {"format 3", Join({Header(3, 1, 96), good}), "unknown format 3"},
      {"no tracks", Header(1, 0, 96), "no tracks"},
      {"format 0 with two tracks", Join({Header(0, 2, 96), good, good}), "format 0 with 2 tracks"},
      {"division 0", Join({Header(1, 1, 0), good}), "division is 0"},
      {"SMPTE 23 fps", Join({Header(1, 1, 0xE950), good}), "23 frames"},
      {"track missing", Join({Header(1, 2, 96), good}), "promises 2 tracks but the file holds 1"},
      {"track length lies", Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 0x90, 60, 100}, 5)}), "claims 9 bytes"},
      {"chunk header cut", Join({Header(1, 1, 96), {'M', 'T', 'r'}}), "promises 1 tracks"},
      {"event cut", Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 0x90, 60})}), "ends inside an event"},
      {"delta cut", Join({Header(1, 1, 96), Chunk("MTrk", {0x81})}), "ends inside an event"},
      {"delta of 5 bytes", Join({Header(1, 1, 96), Chunk("MTrk", {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 1, 1})}),
       "past 4 bytes"},
      {"running status with none", Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 60, 100})}), "no status to run on"},
      {"data byte above 127", Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 0x90, 0xC0, 100})}), "inside a channel"},
      {"meta length lies", Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 0xFF, 0x03, 0x20, 'a'})}), "runs past the end"},
      {"sysex length lies", Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 0xF0, 0x7F, 0x01})}), "runs past the end"},
      {"tempo of 2 bytes", Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 0xFF, 0x51, 0x02, 1, 2})}), "not 3"},
      {"tempo of 0", Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 0xFF, 0x51, 0x03, 0, 0, 0})}), "tempo of 0"},
      {"system common message", Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 0xF2, 0, 0})}), "no place in a file"},
      {"meta cancels running status",
       Join({Header(1, 1, 96), Chunk("MTrk", {0x00, 0x90, 60, 100, 0x00, 0xFF, 0x01, 0x00, 0x00, 60, 0})}),
       "no status to run on"},
  };
  for (const TBrokenCase& c : cases) {
    SCOPED_TRACE(c.What);
    try {
      Parse(c.Bytes);
      ADD_FAILURE() << "accepted";
    } catch (const TFileError& e) {
      EXPECT_EQ(e.File, "song.mid");
      EXPECT_NE(e.Reason.find(c.Reason), std::string::npos) << e.Reason;
    }
  }
}

TEST(MidiFile, ReadsRunningStatusSysexAndSkipsForeignChunks) {
  const TBytes track = {
      0x00, 0xC9, 5,                  // program change, one data byte
      0x10, 0x99, 36, 100,            // note on, drum channel
      0x10, 38, 90,                   // running status
      0x00, 0xF0, 0x02, 0x7E, 0xF7,   // sysex
      0x83, 0x00, 0xFF, 0x2F, 0x00,   // end of track after 384 ticks
      0x55, 0x55,                     // padding after the end is ignored
  };
  const TMidiFile midi =
      Parse(Join({Header(1, 1, 96, 8), {0, 0}, Chunk("XFIH", {1, 2, 3}), Chunk("MTrk", track)}));
  ASSERT_EQ(midi.Tracks.size(), 1u);
  const auto& e = midi.Tracks[0].Events;
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0].Status, 0xC9);
  EXPECT_EQ(e[0].Data1, 5);
  EXPECT_EQ(e[2].Status, 0x99);
  EXPECT_EQ(e[2].Data1, 38);
  EXPECT_EQ(e[2].Tick, 32u);
  EXPECT_EQ(e[3].Kind, TMidiEventKind::SysEx);
  EXPECT_EQ(e[3].Data, (TBytes{0x7E, 0xF7}));
  EXPECT_EQ(e[4].Tick, 32u + 384u);
  EXPECT_EQ(MidiTrackLength(midi.Tracks[0]), 416u);
}

TEST(MidiFile, RoundTripsThroughTheWriter) {
  TTempDir dir;
  TMidiFile midi = ShortPiece(40);
  TMidiTrack drums;
  drums.Events = {MidiTrackName(0, "Drums"), MidiController(0, MidiDrumChannel, 7, 100),
                  MidiNoteOn(0, MidiDrumChannel, 36, 127), MidiNoteOff(48, MidiDrumChannel, 36)};
  midi.Tracks.push_back(drums);
  WriteMidiFile(dir / "a.mid", midi);
  const TMidiFile back = ReadMidiFile(dir / "a.mid");

  // The writer closes tracks that lack an end of track; otherwise the file comes back as written.
  TMidiFile expected = midi;
  expected.Tracks[0].Events.push_back(MidiEndOfTrack(0));
  expected.Tracks[2].Events.push_back(MidiEndOfTrack(48));
  EXPECT_EQ(back, expected);
  EXPECT_EQ(MidiTrackTitle(back.Tracks[2]), "Drums");
  EXPECT_EQ(EncodeMidi(back, "b.mid"), EncodeMidi(expected, "b.mid"));
}

TEST(MidiFile, WriterRefusesWhatTheReaderWould) {
  const auto refuses = [](TMidiFile midi, const char* reason) {
    try {
      EncodeMidi(midi, "out.mid");
      ADD_FAILURE() << "encoded: " << reason;
    } catch (const TFileError& e) {
      EXPECT_NE(e.Reason.find(reason), std::string::npos) << e.Reason;
    }
  };
  TMidiFile format0 = ShortPiece();
  format0.Format = 0;
  refuses(format0, "format 0 with 2 tracks");
  TMidiFile unordered = ShortPiece();
  std::swap(unordered.Tracks[1].Events[2], unordered.Tracks[1].Events[3]);
  refuses(unordered, "out of tick order");
  TMidiFile badData = ShortPiece();
  badData.Tracks[1].Events[2].Data1 = 200;
  refuses(badData, "above 127");
  TMidiFile early = ShortPiece();
  early.Tracks[1].Events.insert(early.Tracks[1].Events.begin(), MidiEndOfTrack(0));
  refuses(early, "after the end of track");
  refuses(TMidiFile{}, "no tracks");
}

TEST(MidiFile, DurationFollowsTheTempoMap) {
  TMidiFile midi = ShortPiece();  // 384 ticks at 96 per quarter, 120 bpm
  EXPECT_DOUBLE_EQ(MidiDurationSeconds(midi), 2.0);
  // Half way the tempo halves: 1 s, then 192 ticks at 60 bpm for 2 s.
  midi.Tracks[0].Events.push_back(MidiTempo(192, 1000000));
  EXPECT_DOUBLE_EQ(MidiDurationSeconds(midi), 3.0);
  midi.Division = 0xE728;  // SMPTE 25 fps x 40 ticks: 1000 ticks a second
  EXPECT_DOUBLE_EQ(MidiDurationSeconds(midi), 0.384);
}

}  // namespace
