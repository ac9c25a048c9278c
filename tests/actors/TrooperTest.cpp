// TrooperTest.cpp — troopers: the walk cycle, the fall that counts them off at once, the body
// that lies ten seconds, and meshes whose animations are too short for the cycle.
#include "actors/TrooperUnit.h"

#include "ActorTestWorld.h"

#include <cmath>
#include <memory>

namespace {

constexpr float Upright = -1.5708f;
constexpr float TrooperClearance = 5.0f;

class Trooper : public ActorTest {
protected:
  TTrooper& AddTrooper(TTestWorld& w, float x, float y, int32_t type = 0) {
    TTrooper& t = w.Add(std::make_unique<TTrooper>(w));
    t.LoadTyped(DataDir + "bad3", {x, y, 0}, Upright, 0, 0, type);
    t.Side = 2;
    t.HomeRadius = 60;
    t.Behaviour = &TActor::Behaviour8;
    return t;
  }
  // Frames of 16 ms the blend takes to pass 1 at AnimRate.
  static int32_t FramesPerKey() { return static_cast<int32_t>(1.0f / (TTrooper::AnimRate * 16)) + 1; }
};

TEST_F(Trooper, WalksOnTheGroundAndOutOfStepWithItsSquad) {
  TTestWorld& w = MakeWorld();
  TTrooper& a = AddTrooper(w, 2000, 2000);
  TTrooper& b = AddTrooper(w, 2100, 2000);
  EXPECT_NE(a.AnimTime, b.AnimTime);
  for (const TTrooper* t : {&a, &b}) {
    EXPECT_GE(t->AnimTime, 0);
    EXPECT_LT(t->AnimTime, 1);
  }
  for (int32_t frame = 0; frame < 100; ++frame) {
    w.Step();
    EXPECT_NEAR(a.Position.z, w.Surface->GroundHeight(a.Position.x, a.Position.y) + TrooperClearance, 1e-3f);
  }
}

TEST_F(Trooper, WalkCycleAdvancesOnlyWhileItMoves) {
  TTestWorld& w = MakeWorld();
  TTrooper& t = AddTrooper(w, 2000, 2000);
  ASSERT_GE(t.Mesh.Anims.size(), 2u);
  const int32_t keys = static_cast<int32_t>(t.Mesh.Anims[0].Frames.size());
  ASSERT_GT(keys, 1);
  t.Speed = 0;
  const float time = t.AnimTime;
  for (int32_t frame = 0; frame < 200; ++frame) w.Step();
  EXPECT_EQ(t.AnimTime, time);
  EXPECT_EQ(t.AnimFrame, 0);

  t.Speed = 0.004f;
  t.AnimTime = 0;
  int32_t changes = 0, frame = t.AnimFrame;
  for (int32_t i = 0; i < FramesPerKey() * keys * 2; ++i) {
    w.Step();
    if (t.AnimFrame == frame) continue;
    EXPECT_EQ(t.AnimFrame, (frame + 1) % keys);
    frame = t.AnimFrame;
    ++changes;
  }
  EXPECT_EQ(changes, keys * 2);
  EXPECT_EQ(t.AnimFrame, 0);  // twice round the cycle
}

TEST_F(Trooper, CountedOffWhenItStartsToFallAndGoneTenSecondsAfterItLies) {
  TTestWorld& w = MakeWorld();
  TTrooper& t = AddTrooper(w, 2000, 2000, 5);
  const int32_t fallKeys = static_cast<int32_t>(t.Mesh.Anims[1].Frames.size());
  EXPECT_EQ(w.TypeCounters[5], 1);
  t.Life = 0;
  w.Step();  // it notices
  EXPECT_EQ(t.State, StateDying);
  EXPECT_EQ(w.TypeCounters[5], 1);
  w.Step();  // the first frame of the fall
  EXPECT_EQ(w.TypeCounters[5], 0);
  int32_t ms = w.FrameMs;
  while (t.State != StateGone && ms < 60000) {
    w.Step();
    ms += w.FrameMs;
    EXPECT_EQ(w.TypeCounters[5], 0) << "counted off again at " << ms << " ms";
  }
  EXPECT_EQ(t.State, StateGone);
  EXPECT_TRUE(t.Behaviour == nullptr);
  const int32_t fallMs = (fallKeys - 1) * FramesPerKey() * w.FrameMs;
  EXPECT_GT(ms, fallMs + TTrooper::LieTime);
  EXPECT_LE(ms, fallMs + TTrooper::LieTime + 2 * w.FrameMs);
  EXPECT_EQ(t.AnimFrame, fallKeys - 1);
}

TEST_F(Trooper, ShortAnimationsNeitherCrashNorCountTwice) {
  TTestWorld& w = MakeWorld();
  TTrooper& oneKey = AddTrooper(w, 2000, 2000, 3);
  TTrooper& none = AddTrooper(w, 2200, 2000, 3);
  for (TMeshAnim& anim : oneKey.Mesh.Anims) {
    anim.Frames.resize(1);
    anim.FrameCount = 1;
  }
  none.Mesh.Anims.clear();
  none.Mesh.AnimCount = 0;
  for (int32_t frame = 0; frame < 100; ++frame) w.Step();
  EXPECT_EQ(oneKey.AnimFrame, 0);
  EXPECT_EQ(none.AnimFrame, 0);
  oneKey.Life = none.Life = 0;
  w.StepUntil([&] { return oneKey.State == StateGone && none.State == StateGone; }, 2000);
  EXPECT_EQ(oneKey.State, StateGone);
  EXPECT_EQ(none.State, StateGone);
  EXPECT_EQ(w.TypeCounters[3], 0);
}

TEST_F(Trooper, MarchStopsWithinItsRadiusAndTheLegsStop) {
  TTestWorld& w = MakeWorld();
  TTrooper& t = AddTrooper(w, 2000, 2000);
  // Heading 0 walks toward -Y.
  t.HomePoint = {2000, 1900, 0};
  t.HomeRadius = 50;
  t.Behaviour = &TActor::Behaviour9;
  w.StepUntil([&] { return t.Speed == 0; }, 5000);
  EXPECT_EQ(t.Speed, 0);
  EXPECT_NEAR(t.Position.y, 1950, 1);
  const int32_t frame = t.AnimFrame;
  const float time = t.AnimTime;
  for (int32_t i = 0; i < 100; ++i) w.Step();
  EXPECT_EQ(t.AnimFrame, frame);
  EXPECT_EQ(t.AnimTime, time);
}

}  // namespace
