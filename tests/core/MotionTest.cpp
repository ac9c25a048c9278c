// MotionTest.cpp — the .cap reader's refusals, round trips, the path cache and path playback.
#include "core/CapFile.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

TMotionSample Sample(float x, float y, float z, uint8_t fire, TQuaternion rot = {1, 0, 0, 0}) {
  TMotionSample s{};
  s.Position = {x, y, z};
  s.Rotation = rot;
  s.Fire = fire;
  return s;
}

std::vector<uint8_t> CapBytes(int32_t count, const std::vector<TMotionSample>& samples) {
  std::vector<uint8_t> bytes(4 + samples.size() * 32);
  std::memcpy(bytes.data(), &count, 4);
  if (!samples.empty()) std::memcpy(bytes.data() + 4, samples.data(), samples.size() * 32);
  return bytes;
}

class MotionFiles : public ::testing::Test {
protected:
  void SetUp() override {
    std::filesystem::create_directories(Dir.Path / "Data");
    SetAppDir(Dir.Str());
    ClearMotionCache();
    Counter.Elapsed = 33;
  }
  void TearDown() override { ClearMotionCache(); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteFileAtomic(DataDir + name, bytes.data(), bytes.size());
    return DataDir + name;
  }

  TTempDir Dir;
  // A four-sample path; sample 0 is deliberately odd so its replacement shows.
  const std::vector<TMotionSample> Path = {
      Sample(-100, -100, -100, 1, {0, 1, 0, 0}), Sample(0, 0, 0, 0),
      Sample(10, 20, 30, 1), Sample(20, 20, 30, 0, {0, 0, 0, 1})};
};

}  // namespace

TEST_F(MotionFiles, ReaderRefusesBadFilesNamingThem) {
  const std::vector<uint8_t> partial = [] {
    auto b = CapBytes(3, {Sample(0, 0, 0, 0), Sample(1, 1, 1, 0)});
    b.resize(b.size() + 31);  // the third sample is one byte short
    return b;
  }();
  TMotionSample nan = Sample(0, 0, 0, 0);
  nan.Rotation.x = std::numeric_limits<float>::quiet_NaN();
  struct Case { const char* name; std::vector<uint8_t> bytes; const char* reason; };
  const Case cases[] = {
      {"empty.cap", {}, "too short"},
      {"three.cap", {2, 0, 0}, "too short"},
      {"negative.cap", CapBytes(-1, {Sample(0, 0, 0, 0), Sample(0, 0, 0, 0)}), "negative"},
      {"zero.cap", CapBytes(0, {}), "at least 2"},
      {"one.cap", CapBytes(1, {Sample(0, 0, 0, 0)}), "at least 2"},
      {"truncated.cap", partial, "holds 2"},
      {"huge.cap", CapBytes(0x7FFFFFFF, {Sample(0, 0, 0, 0), Sample(0, 0, 0, 0)}), "holds 2"},
      {"nan.cap", CapBytes(2, {Sample(0, 0, 0, 0), nan}), "sample 1"},
  };
  for (const Case& c : cases) {
    const std::string path = Write(c.name, c.bytes);
    try {
      ReadCapFile(path);
      ADD_FAILURE() << c.name << " was accepted";
    } catch (const TFileError& e) {
      EXPECT_EQ(e.File, path);
      EXPECT_NE(e.Reason.find(c.reason), std::string::npos) << c.name << ": " << e.Reason;
    }
  }
  EXPECT_THROW(ReadCapFile(DataDir + "missing.cap"), TFileError);
}

TEST_F(MotionFiles, RoundTripKeepsEveryByteAndIgnoresTrailingBytes) {
  std::vector<TMotionSample> samples = Path;
  samples[2].Padding[1] = 0xAB;
  const std::string path = DataDir + "trip.cap";
  WriteCapFile(path, samples);
  const std::vector<uint8_t> written = ReadFileBytes(path, 1 << 20);
  ASSERT_EQ(written.size(), 4u + 32 * samples.size());

  const std::vector<TMotionSample> back = ReadCapFile(path);
  ASSERT_EQ(back.size(), samples.size());
  EXPECT_EQ(std::memcmp(back.data(), samples.data(), 32 * samples.size()), 0);

  std::vector<uint8_t> longer = written;
  longer.insert(longer.end(), {1, 2, 3, 4, 5});
  EXPECT_EQ(ParseCap(longer.data(), longer.size(), "longer").size(), samples.size());

  EXPECT_THROW(WriteCapFile(DataDir + "single.cap", {Sample(0, 0, 0, 0)}), TFileError);
}

TEST_F(MotionFiles, CacheSharesBuffersByExactName) {
  WriteCapFile(DataDir + "l1m1.cap", Path);
  WriteCapFile(DataDir + "L1M1.cap", Path);
  TMotion a, b, c;
  a.Load("l1m1.cap");
  b.Load("l1m1.cap");
  EXPECT_EQ(a.BufferIndex, b.BufferIndex);
  EXPECT_EQ(MotionFilesLoaded(), 1);
  c.Load("L1M1.cap");
  EXPECT_NE(c.BufferIndex, a.BufferIndex);
  EXPECT_EQ(MotionFilesLoaded(), 2);
  ASSERT_EQ(MotionNames.size(), 2u);
  EXPECT_EQ(MotionBuffers.size(), 2u);
}

TEST_F(MotionFiles, FailedLoadLeavesCacheAndMotionAlone) {
  WriteCapFile(DataDir + "good.cap", Path);
  Write("bad.cap", CapBytes(1, {Sample(0, 0, 0, 0)}));
  TMotion m;
  m.Load("good.cap");
  EXPECT_THROW(m.Load("bad.cap"), TFileError);
  EXPECT_THROW(m.Load("absent.cap"), TFileError);
  EXPECT_EQ(m.BufferIndex, 0);
  EXPECT_EQ(MotionBuffers.size(), 1u);
  EXPECT_EQ(MotionNames.size(), 1u);
  EXPECT_EQ(MotionFilesLoaded(), 1);
}

TEST_F(MotionFiles, PlaybackFromStartToEnd) {
  WriteCapFile(DataDir + "path.cap", Path);
  TMotion m;
  m.Load("path.cap");
  EXPECT_EQ(MotionBuffers[m.BufferIndex]->Count, 4);
  m.Start(33, {1000, 0, 0});

  // Time 0 plays sample 1 as stored: the recorded sample 0 is never seen.
  ASSERT_TRUE(m.Update());
  EXPECT_EQ(m.Position, (TVector{1000, 0, 0}));
  EXPECT_EQ(m.Rotation, (TQuaternion{1, 0, 0, 0}));
  EXPECT_EQ(m.Fire, 0);
  EXPECT_EQ(m.Time, 33);

  ASSERT_TRUE(m.Update());  // t = 33: segment 1 -> 2 at its start
  EXPECT_EQ(m.Position, (TVector{1000, 0, 0}));
  ASSERT_TRUE(m.Update());  // t = 66: segment 2 -> 3
  EXPECT_EQ(m.Position, (TVector{1010, 20, 30}));
  EXPECT_EQ(m.Fire, 1);

  // t = 99 = 33 * (N - 1): the last sample, offset, and time stops.
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(m.Update());
    EXPECT_EQ(m.Position, (TVector{1020, 20, 30}));
    EXPECT_EQ(m.Rotation, (TQuaternion{0, 0, 0, 1}));
    EXPECT_EQ(m.Time, 99);
  }
}

TEST_F(MotionFiles, MidIntervalLiesOnTheSegmentAndFireFollowsEarlierSample) {
  WriteCapFile(DataDir + "path.cap", Path);
  TMotion m;
  m.Load("path.cap");
  m.Start(40, {0, 0, 0});
  m.Time = 70;  // three quarters from sample 1 to sample 2
  Counter.Elapsed = 5;
  ASSERT_TRUE(m.Update());
  EXPECT_EQ(m.Position, (TVector{7.5f, 15, 22.5f}));
  EXPECT_EQ(m.Fire, 0);
  EXPECT_EQ(m.Time, 75);

  m.Time = 90;  // a quarter into 2 -> 3, whose keys are half a turn apart about Z
  ASSERT_TRUE(m.Update());
  EXPECT_EQ(m.Position, (TVector{12.5f, 20, 30}));
  EXPECT_EQ(m.Fire, 1);
  const TQuaternion& q = m.Rotation;
  EXPECT_NEAR(q.w * q.w + q.z * q.z, 1.0f, 1e-6f);
  EXPECT_NEAR(std::atan2(q.z, q.w), 3.14159265f / 8, 1e-6f);
}

TEST_F(MotionFiles, OffsetAndStepChangesApplyAtOnce) {
  WriteCapFile(DataDir + "path.cap", Path);
  TMotion m;
  EXPECT_FALSE(m.Update()) << "an idle motion has no path to play";
  m.Load("path.cap");
  m.Start(33, {0, 0, 0});
  m.Time = 66;
  m.Offset = {0, 0, 500};
  ASSERT_TRUE(m.Update());
  EXPECT_EQ(m.Position, (TVector{10, 20, 530}));

  m.Time = 66;
  m.Step = 0;  // played as 1 ms per sample, so 66 ms is far past the end
  EXPECT_FALSE(m.Update());
  EXPECT_EQ(m.Position, (TVector{20, 20, 530}));
}
