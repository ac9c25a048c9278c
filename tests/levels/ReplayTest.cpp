// ReplayTest.cpp — input recordings: the file's round trip and every refusal, the controls'
// recorded form, the clock that replays frame lengths, and whole runs that must come out the
// same (one seed and step twice, a recorded run and its replay).
#include "core/Error.h"
#include "core/ReplayFile.h"
#include "levels/ComputerPilot.h"
#include "levels/ControlRecording.h"
#include "levels/MissionRun.h"
#include "levels/WorldHash.h"

#include "core/ConfigUnit.h"
#include "core/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

TReplay SampleReplay() {
  TReplay r;
  r.Mission = 3;
  r.Seed = 0xDEADBEEF;
  r.Step = 16;
  r.EndHash = 0x0123456789ABCDEFull;
  r.Frames = {{16, 0x0001, 0, 0}, {17, 0x07FF, -0.5f, 0.25f}, {0, 0, 0, 0}, {60000, 0x0440, 1.0f, -1.0f}};
  return r;
}

std::string TempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

// The message of the refusal, or "" when the bytes were accepted.
std::string Refusal(const std::vector<uint8_t>& bytes) {
  try {
    ParseReplay(bytes.data(), bytes.size(), "rec.qrp");
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, "rec.qrp");
    return e.Reason;
  }
  return "";
}

TEST(ReplayFile, RoundTripsThroughTheFile) {
  const TReplay r = SampleReplay();
  const std::string path = TempPath("quintara-roundtrip.qrp");
  WriteReplay(path, r);
  const TReplay back = ReadReplay(path, 3);
  std::filesystem::remove(path);
  EXPECT_EQ(back.Version, GameVersion);
  EXPECT_EQ(back.Mission, 3);
  EXPECT_EQ(back.Seed, 0xDEADBEEFu);
  EXPECT_EQ(back.Step, 16);
  EXPECT_EQ(back.EndHash, r.EndHash);
  EXPECT_EQ(back.Frames, r.Frames);
}

TEST(ReplayFile, RefusesDamagedAndTruncatedBytes) {
  const std::vector<uint8_t> good = EncodeReplay(SampleReplay(), "x");
  ASSERT_EQ(Refusal(good), "");
  // Every single flipped bit and every shorter length is refused.
  for (size_t i = 0; i < good.size(); ++i) {
    std::vector<uint8_t> bad = good;
    bad[i] ^= 0x10;
    EXPECT_NE(Refusal(bad), "") << "byte " << i;
    EXPECT_NE(Refusal(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(i))), "") << i;
  }
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_NE(Refusal(longer), "");
  EXPECT_NE(Refusal({}), "");
}

TEST(ReplayFile, RefusesFieldsOutOfRangeEvenWithAGoodChecksum) {
  const std::function<void(TReplay&)> cases[] = {
      [](TReplay& r) { r.Mission = 6; },       [](TReplay& r) { r.Mission = 0; },
      [](TReplay& r) { r.Step = -1; },         [](TReplay& r) { r.Frames[0].Ms = MaxReplayFrameMs + 1; },
      [](TReplay& r) { r.Frames[1].Bits = 0x0800; }, [](TReplay& r) { r.Frames[1].Turn = 1.5f; },
      [](TReplay& r) { r.Version = ""; },      [](TReplay& r) { r.Version = std::string(65, 'v'); },
      [](TReplay& r) { r.Version = "bad\nversion"; },
  };
  for (const auto& spoil : cases) {
    TReplay r = SampleReplay();
    spoil(r);
    EXPECT_THROW(EncodeReplay(r, "x"), TFileError);
  }
  // A frame count larger than the bytes behind it is refused before anything is allocated.
  std::vector<uint8_t> bytes = EncodeReplay(SampleReplay(), "x");
  const size_t countAt = 8 + 4 + 1 + sizeof(GameVersion) - 1 + 12;
  StoreLE<uint32_t>(bytes.data() + countAt, MaxReplayFrames);
  EXPECT_NE(Refusal(bytes).find("truncated"), std::string::npos);
}

TEST(ReplayFile, RefusesAnotherVersionOrMissionNamingTheFile) {
  const std::string path = TempPath("quintara-other.qrp");
  TReplay r = SampleReplay();
  r.Version = "quintara 0.9";
  WriteReplay(path, r);
  try {
    ReadReplay(path, 3);
    ADD_FAILURE() << "another version was accepted";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, path);
    EXPECT_NE(e.Reason.find("quintara 0.9"), std::string::npos);
  }
  WriteReplay(path, SampleReplay());
  EXPECT_THROW(ReadReplay(path, 2), TFileError);
  EXPECT_EQ(ReadReplay(path, 0).Mission, 3);  // no mission asked: the file's
  const std::vector<uint8_t> notReplay = {'Q', 'N', 'T', 'R', 'P', 'L', 'A', 'X', 1, 0, 0, 0};
  WriteFileAtomic(path, notReplay.data(), notReplay.size());
  EXPECT_THROW(ReadReplay(path, 3), TFileError);
  std::filesystem::remove(path);
  EXPECT_THROW(ReadReplay(path, 3), TFileError);
}

TEST(ControlRecording, StoresWhatTheNoseDoesWhateverTheInversion) {
  TControlState s;
  s.NoseUp = true;  // with InvertY this key lowers the nose
  s.Fast = s.Trigger = true;
  s.Turn = 0.5f;
  s.Pitch = std::numeric_limits<float>::quiet_NaN();  // read as full rate: stored as 0
  const TReplayFrame inverted = EncodeControls(s, true);
  const TReplayFrame plain = EncodeControls(s, false);
  EXPECT_NE(inverted.Bits, plain.Bits);
  EXPECT_EQ(inverted.Pitch, 0.0f);
  EXPECT_EQ(inverted.Turn, 0.5f);
  // Played back to a player with the other setting, the nose still goes down.
  const TControlState back = DecodeControls(inverted, false);
  EXPECT_TRUE(back.NoseDown);
  EXPECT_FALSE(back.NoseUp);
  EXPECT_TRUE(back.Fast && back.Trigger);
  s.Pitch = 0;
  EXPECT_EQ(DecodeControls(EncodeControls(s, true), true), s);
}

TEST(ControlRecording, TheReplayClockGivesEveryFrameItsRecordedLength) {
  TReplay r = SampleReplay();
  r.Step = 20;
  TReplayClock clock(r);
  TCounter counter(clock);
  for (const TReplayFrame& f : r.Frames) {
    counter.Update();
    EXPECT_EQ(counter.Elapsed, static_cast<int32_t>(f.Ms));
  }
  counter.Update();
  EXPECT_EQ(counter.Elapsed, 20);  // past the end: the recorded step
  TReplayControls controls(r);
  controls.Poll(16);
  EXPECT_EQ(controls.FirstMismatch(), -1);
  controls.Poll(16);  // recorded 17
  EXPECT_EQ(controls.FirstMismatch(), 1);
  controls.Poll(0);
  EXPECT_FALSE(controls.Finished());
  const TControlState last = controls.Poll(60000);
  EXPECT_FALSE(last.Pause);  // never replayed
  EXPECT_TRUE(last.Trigger);
  EXPECT_TRUE(controls.Finished());
  EXPECT_EQ(controls.Poll(16), TControlState{});
}

// --- Whole runs ----------------------------------------------------------------------------

constexpr int64_t RunFrames = 90 * 1000 / 16;  // a minute and a half: the opening and a fight

uint64_t PilotRunHash(uint32_t seed, int32_t step) {
  TFixedStepClock clock(step);
  TMissionRun run(1, seed, clock, nullptr);
  TComputerPilot pilot(*run.Level);
  run.Level->Input = &pilot;
  run.Run(RunFrames);
  return WorldHash(*run.Level);
}

TEST(WorldRuns, OneSeedAndStepGiveOneHash) {
  if (!MissionDataForged()) GTEST_SKIP() << "no data forged";
  const uint64_t first = PilotRunHash(7, 16);
  EXPECT_EQ(PilotRunHash(7, 16), first);
  EXPECT_NE(PilotRunHash(8, 16), first);
  EXPECT_NE(PilotRunHash(7, 17), first);
}

TEST(WorldRuns, ARecordedRunReplaysToTheSameHash) {
  if (!MissionDataForged()) GTEST_SKIP() << "no data forged";
  // Recorded with frame lengths that vary, as a real clock's do.
  TReplay frameTimes;
  frameTimes.Frames.resize(static_cast<size_t>(RunFrames) + 1);
  for (size_t i = 0; i < frameTimes.Frames.size(); ++i) frameTimes.Frames[i].Ms = 10 + static_cast<uint32_t>(i * 7 % 13);
  TReplayClock uneven(frameTimes);
  TReplay recording;
  uint64_t recordedHash = 0;
  {
    TMissionRun run(1, 11, uneven, nullptr);
    TComputerPilot pilot(*run.Level);
    TRecordingControls recorder(pilot, 1, 11, 0);
    run.Level->Input = &recorder;
    run.Run(RunFrames);
    recordedHash = WorldHash(*run.Level);
    const std::string path = TempPath("quintara-run.qrp");
    recorder.Save(path, recordedHash);
    recording = ReadReplay(path, 1);
    std::filesystem::remove(path);
  }
  ASSERT_EQ(recording.Frames.size(), static_cast<size_t>(RunFrames));
  EXPECT_EQ(recording.EndHash, recordedHash);
  // Played back by someone who flies with the nose inverted.
  TReplayClock clock(recording);
  TReplayControls controls(recording);
  TMissionRun replay(1, recording.Seed, clock, &controls);
  Config.InvertY = 1;
  replay.Run(RunFrames);
  EXPECT_TRUE(controls.Finished());
  EXPECT_EQ(controls.FirstMismatch(), -1);
  EXPECT_EQ(WorldHash(*replay.Level), recordedHash);
}

}  // namespace
