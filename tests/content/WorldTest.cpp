// WorldTest.cpp — the rosters and recorded flights on the forged maps: ground units stand on
// level ground, every path clears the mountains, the convoy meets mission 1's triggers, the
// escort reaches mission 4's haven, and airships fly nose first and upright.
#include "content/Forge.h"
#include "content/PathForge.h"
#include "core/CapFile.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "levels/MissionRoster.h"
#include "platform/GLTable.h"
#include "render/Surface.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr float PathClearance = 60;   // no sample comes closer to the ground than this
constexpr float LevelTolerance = 3;   // height differences under one footprint

const TTempDir& WorldTree() {
  static std::unique_ptr<TTempDir> tree;
  if (!tree) {
    tree = std::make_unique<TTempDir>();
    for (const char* generator : {"ground-texture", "seam-mask", "terrain", "path"})
      RunForge(DefaultManifestPath(), tree->Str(), generator);
  }
  return *tree;
}

std::unique_ptr<TSurf> LoadSurface(int mission) {
  LoadNullGLTable();
  ClearTextureCache();
  SetAppDir(WorldTree().Str());
  return std::make_unique<TSurf>(WorldTree() / ("Data/lev" + std::to_string(mission) + ".srf"), TSurfSettings{});
}

std::vector<TMotionSample> LoadPath(const std::string& file) { return ReadCapFile(WorldTree() / ("Data/" + file)); }

float Distance(const TVector& a, const TVector& b) { return VectorLength(b - a); }

// Where an actor flying the path points its nose and its top, through the game's own
// orientation and matrix code (the conjugate of the view rotation, as the actors take it).
void ActorAxes(const TQuaternion& rotation, TVector& nose, TVector& top) {
  TQuaternion orientation;
  QuatConjugate(rotation, orientation);
  TMatrix m;
  QuatToMatrix(orientation, m);
  MatrixRotateVector({0, 0, -1}, m, nose);
  MatrixRotateVector({0, 1, 0}, m, top);
}

class GroundUnits : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Missions, GroundUnits, ::testing::Range(1, 6));

TEST_P(GroundUnits, StandOnLevelGround) {
  const int mission = GetParam();
  const std::unique_ptr<TSurf> surface = LoadSurface(mission);
  for (const TRosterEntry& e : MissionRoster(mission)) {
    if (!StandsOnGround(e)) continue;
    const float r = FootprintRadius(e);
    float low = 1e9f, high = -1e9f;
    for (int k = 0; k < 16; ++k) {
      const float a = static_cast<float>(k) * 0.3927f, reach = k % 2 ? r : r / 2;
      const float h = surface->GroundHeight(e.Position.x + reach * std::cos(a), e.Position.y + reach * std::sin(a));
      low = std::min(low, h);
      high = std::max(high, h);
    }
    EXPECT_LE(high - low, LevelTolerance) << "mission " << mission << " actor " << e.Index << " (" << e.Mesh << ")";
  }
  ClearTextureCache();
}

// Flying actors start in the air, clear of the ground below them.
TEST_P(GroundUnits, FlyersStartAboveTheGround) {
  const int mission = GetParam();
  const std::unique_ptr<TSurf> surface = LoadSurface(mission);
  for (const TRosterEntry& e : MissionRoster(mission)) {
    if (StandsOnGround(e)) continue;
    EXPECT_GT(e.Position.z - surface->GroundHeight(e.Position.x, e.Position.y), 100)
        << "mission " << mission << " actor " << e.Index;
  }
  ClearTextureCache();
}

struct TPathCase {
  const char* File;
  int Mission;
};
void PrintTo(const TPathCase& c, std::ostream* os) { *os << c.File; }
class RecordedPaths : public ::testing::TestWithParam<TPathCase> {};
INSTANTIATE_TEST_SUITE_P(Files, RecordedPaths,
                         ::testing::Values(TPathCase{"l1m1.cap", 1}, TPathCase{"l1m3.cap", 1},
                                           TPathCase{"l4m1.cap", 4}),
                         [](const ::testing::TestParamInfo<TPathCase>& info) {
                           return std::string(info.param.File).substr(0, 4);
                         });

TEST_P(RecordedPaths, EverySampleClearsTheGroundFromEveryOffset) {
  const std::unique_ptr<TSurf> surface = LoadSurface(GetParam().Mission);
  const std::vector<TMotionSample> samples = LoadPath(GetParam().File);
  for (const TVector& offset : PathPlan(GetParam().File).Offsets)
    for (size_t i = 0; i < samples.size(); ++i) {
      const TVector p = samples[i].Position + offset;
      ASSERT_GT(p.z - surface->GroundHeight(p.x, p.y), PathClearance) << GetParam().File << " sample " << i;
    }
  ClearTextureCache();
}

TEST_P(RecordedPaths, FirstSampleRepeatsTheSecondAndRotationsAreUnit) {
  const std::vector<TMotionSample> samples = LoadPath(GetParam().File);
  ASSERT_GT(samples.size(), 2u);
  EXPECT_EQ(samples[0].Position, samples[1].Position);
  for (const TMotionSample& s : samples) {
    const TQuaternion& q = s.Rotation;
    ASSERT_NEAR(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z, 1.0f, 1e-4f);
  }
}

class AirshipPaths : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Files, AirshipPaths, ::testing::Values("l1m1.cap", "l4m1.cap"));

TEST_P(AirshipPaths, FlyNoseFirstAndUprightAtCruisingSpeed) {
  const std::vector<TMotionSample> samples = LoadPath(GetParam());
  for (size_t i = 1; i + 1 < samples.size(); ++i) {
    const TVector travel = samples[i + 1].Position - samples[i].Position;
    EXPECT_NEAR(VectorLength(travel), AirshipSpeed * PathStep, 0.01f) << "sample " << i;
    TVector nose, top, along;
    ActorAxes(samples[i].Rotation, nose, top);
    VectorNormalize(travel, along);
    ASSERT_GT(VectorDot(nose, along), 0.995f) << GetParam() << " sample " << i;
    ASSERT_GT(top.z, 0.99f) << GetParam() << " sample " << i;
  }
}

// The first sample of the path (after the repeated one) that comes within reach of a point.
size_t FirstWithin(const std::vector<TMotionSample>& samples, const TVector& offset, const TVector& point, float reach) {
  for (size_t i = 1; i < samples.size(); ++i)
    if (Distance(samples[i].Position + offset, point) <= reach) return i;
  return samples.size();
}

TEST(ConvoyPath, BothAirshipsMeetTheTriggersInOrder) {
  const std::vector<TMotionSample> samples = LoadPath("l1m1.cap");
  const TVector ship1 = MissionRoster(1)[1].PathOffset, ship2 = MissionRoster(1)[2].PathOffset;
  const float triggers[][2] = {{2592, 2336}, {1920, 3072}, {896, 3296}};
  size_t previous = 0;
  for (const auto& t : triggers) {
    const size_t first = FirstWithin(samples, ship1, {t[0], t[1], 360}, 100);
    ASSERT_LT(first, samples.size()) << "airship 1 misses " << t[0] << ", " << t[1];
    EXPECT_GT(first, previous);
    EXPECT_LT(FirstWithin(samples, ship2, {t[0], t[1], 370}, 300), samples.size())
        << "airship 2 misses " << t[0] << ", " << t[1];
    previous = first;
  }
  // The airships resume after the last trigger for the closing shot: at least 30 s more.
  EXPECT_GE((samples.size() - previous) * PathStep, 30000u);
}

TEST(EscortPath, EndsAtTheHaven) {
  const std::vector<TMotionSample> samples = LoadPath("l4m1.cap");
  const TVector offset = MissionRoster(4)[1].PathOffset;
  const TVector haven{896, 832, 360};
  EXPECT_LT(Distance(samples.back().Position + offset, haven), 200);
  // The airship reaches the haven on the way, not only by resting at the end.
  EXPECT_LT(FirstWithin(samples, offset, haven, 200), samples.size() - 1);
}

TEST(OpeningSweep, ShowsTheAirshipsAndEndsBehindThePlayer) {
  const std::vector<TMotionSample> samples = LoadPath("l1m3.cap");
  const size_t duration = (samples.size() - 1) * PathStep;
  EXPECT_GE(duration, 15000u);
  EXPECT_LE(duration, 30000u);

  const TRosterEntry& player = MissionRoster(1)[0];
  const TVector origin = player.PathOffset;
  TQuaternion orientation;
  QuatFromEuler(player.Angles.x, player.Angles.y, player.Angles.z, orientation);
  TMatrix m;
  QuatToMatrix(orientation, m);
  TVector axisY, axisZ, nose;
  MatrixRotateVector({0, 1, 0}, m, axisY);
  MatrixRotateVector({0, 0, 1}, m, axisZ);
  MatrixRotateVector({0, 0, -1}, m, nose);
  const TVector chaseEye = player.Position + axisY * 10 + axisZ * 45;
  EXPECT_LT(Distance(samples.back().Position + origin, chaseEye), 1.0f);
  // The camera's view rotation is used as it is: eye-space forward turned into the world.
  TVector look, up;
  TQuaternion conjugate;
  QuatConjugate(samples.back().Rotation, conjugate);
  ActorAxes(samples.back().Rotation, look, up);
  EXPECT_GT(VectorDot(look, nose), 0.999f);

  // For its first seconds the airships are in the middle of the picture.
  const std::vector<TMotionSample> convoy = LoadPath("l1m1.cap");
  const TVector ship1 = MissionRoster(1)[1].PathOffset, ship2 = MissionRoster(1)[2].PathOffset;
  for (size_t i = 1; i * PathStep < 8000; ++i) {
    const TVector middle = (convoy[i].Position + ship1 + convoy[i].Position + ship2) * 0.5f;
    TVector toShips;
    VectorNormalize(middle - (samples[i].Position + origin), toShips);
    ActorAxes(samples[i].Rotation, look, up);
    EXPECT_GT(VectorDot(look, toShips), 0.94f) << "sample " << i;  // within 20 degrees
  }
}

}  // namespace
