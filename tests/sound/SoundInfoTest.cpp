// SoundInfoTest.cpp — wave decoding to 16 bits and the file descriptions qtool prints.
#include "core/Error.h"
#include "core/MidiFile.h"
#include "platform/AudioDevice.h"
#include "sound/SoundInfo.h"
#include "sound/SoundUnit.h"
#include "common/TempDir.h"
#include "SoundTestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WaveDecode, ConvertsToSixteenBitMonoOrStereo) {
  const struct {
    int Channels, Rate, Bits, Frames;
    int OutChannels;
  } cases[] = {{1, 44100, 16, 100, 1}, {2, 22050, 8, 50, 2}, {1, 8000, 8, 3, 1}, {4, 11025, 16, 20, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Channels) + " ch " + std::to_string(c.Bits) + " bit");
    const std::vector<uint8_t> file = SineWave(c.Channels, c.Rate, c.Bits, c.Frames, 1000, 0.9);
    TWaveData wave;
    std::string error;
    ASSERT_TRUE(DecodeWave(file.data(), file.size(), wave, error)) << error;
    EXPECT_EQ(wave.Channels, c.OutChannels);
    EXPECT_EQ(wave.FileChannels, c.Channels);
    EXPECT_EQ(wave.FileBits, c.Bits);
    EXPECT_EQ(wave.Rate, c.Rate);
    EXPECT_EQ(wave.Frames(), static_cast<size_t>(c.Frames));
  }
}

TEST(WaveDecode, RefusesWhatIsNotAPlayableWave) {
  std::vector<uint8_t> noData = SineWave(1, 44100, 16, 0);
  std::vector<uint8_t> zeroRate = SineWave(1, 44100, 16, 10);
  zeroRate[24] = zeroRate[25] = zeroRate[26] = zeroRate[27] = 0;
  const std::vector<uint8_t> junk = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '};
  for (const std::vector<uint8_t>* bytes : std::initializer_list<const std::vector<uint8_t>*>{&noData, &zeroRate, &junk}) {
    TWaveData wave;
    std::string error;
    EXPECT_FALSE(DecodeWave(bytes->data(), bytes->size(), wave, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(wave.Frames(), 0u);
  }
  TWaveData wave;
  std::string error;
  EXPECT_FALSE(DecodeWave(nullptr, 0, wave, error));
  EXPECT_EQ(error, "empty file");
}

// A chunk that claims more than the file holds is damage, refused before SDL sizes a buffer
// by it: a cut-off file, and a few bytes whose data chunk claims 2.7 GB.
TEST(WaveDecode, RefusesChunksLongerThanTheFile) {
  std::vector<uint8_t> cut = SineWave(1, 44100, 16, 100);
  cut.resize(cut.size() - 10);
  std::vector<uint8_t> huge = SineWave(1, 44100, 16, 4);
  huge[40] = 0x0c, huge[41] = 0, huge[42] = 0, huge[43] = 0xa3;  // the data chunk's length
  for (const std::vector<uint8_t>* bytes : {&cut, &huge}) {
    TWaveData wave;
    std::string error;
    EXPECT_FALSE(DecodeWave(bytes->data(), bytes->size(), wave, error));
    EXPECT_NE(error.find("chunk \"data\" claims"), std::string::npos) << error;
  }
}

TEST(SoundInfo, DescribesWaveFiles) {
  TTempDir dir;
  WriteBytes(dir / "boom.WAV", SineWave(2, 22050, 8, 11025));
  EXPECT_EQ(DescribeSoundFile(dir / "boom.WAV"),
            dir / "boom.WAV" + ": WAVE, 2 channels, 22050 Hz, 8 bit, 11025 frames, 0.500 s\n");
}

TEST(SoundInfo, DescribesMidiTracksProgramsAndDuration) {
  TTempDir dir;
  TMidiFile midi = ShortPiece(80);
  TMidiTrack drums;
  drums.Events = {MidiNoteOn(0, MidiDrumChannel, 36, 100), MidiNoteOff(96, MidiDrumChannel, 36),
                  MidiNoteOn(96, 3, 60, 100)};
  midi.Tracks.push_back(drums);
  WriteMidiFile(dir / "level1.mid", midi);
  const std::string text = DescribeSoundFile(dir / "level1.mid");
  EXPECT_EQ(text, dir / "level1.mid" +
                      ": Standard MIDI File, format 1, 3 tracks, 96 ticks per quarter note, 2.000 s\n"
                      "  track 0 \"Tempo\": 3 events, 0 ticks\n"
                      "    no notes or programs\n"
                      "  track 1 \"Piano\": 11 events, 384 ticks\n"
                      "    channel 1: program 80 Lead 1 (square)\n"
                      "  track 2: 4 events, 96 ticks\n"
                      "    channel 4: program 0 Acoustic Grand Piano (no program change)\n"
                      "    channel 10: drums, kit 0 (no program change)\n");
}

TEST(SoundInfo, RefusesUnreadableFiles) {
  TTempDir dir;
  WriteBytes(dir / "cut.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0});
  WriteBytes(dir / "notes.txt", {'h', 'i'});
  for (const std::string name : {"missing.wav", "missing.mid", "cut.mid", "notes.txt"}) {
    try {
      DescribeSoundFile(dir / name);
      ADD_FAILURE() << name;
    } catch (const TFileError& e) {
      EXPECT_EQ(e.File, dir / name);
      EXPECT_FALSE(e.Reason.empty());
    }
  }
}

}  // namespace
