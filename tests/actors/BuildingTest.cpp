// BuildingTest.cpp — buildings and lamps: parameters from the .int file, standing on the ground,
// the death sequence's end, and a lamp that nothing can destroy.
#include "actors/AirCraftUnit.h"
#include "actors/BuildingUnit.h"
#include "actors/LampUnit.h"

#include "ActorTestWorld.h"
#include "common/TempDir.h"
#include "core/Error.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

constexpr float Upright = -1.5708f;
constexpr float SiteX = 1500, SiteY = 1700;

class Building : public ActorTest {
protected:
  TBuilding& AddBuilding(TTestWorld& w, const std::string& name, int32_t type = 0) {
    TBuilding& b = w.Add(std::make_unique<TBuilding>(w));
    b.LoadTyped(name, {SiteX, SiteY, 0}, Upright, 0, 0, type);
    b.Behaviour = &TActor::Live;
    return b;
  }
  TLamp& AddLamp(TTestWorld& w, int32_t type = 0) {
    TLamp& l = w.Add(std::make_unique<TLamp>(w));
    l.LoadTyped(DataDir + "lamp", {SiteX, SiteY, 0}, Upright, 0, 0, type);
    l.LampColor = {1, 0.85f, 0.6f};
    l.Behaviour = &TActor::Live;
    return l;
  }
  // A copy of the gen mesh beside a parameter file of our own.
  static std::string WithIntFile(const TTempDir& dir, const std::string& text) {
    std::filesystem::copy_file(DataDir + "gen.msh", dir / "house.msh");
    std::ofstream(dir / "house.int") << text;
    return dir / "house";
  }
};

TEST_F(Building, TakesEveryParameterAndItsSideFromTheIntFile) {
  TTestWorld& w = MakeWorld();
  TTempDir dir;
  const std::string name = WithIntFile(dir, "44 33\n70\n55 life\n3\n2 enemy\n");
  TBuilding& b = AddBuilding(w, name, 9);
  EXPECT_FLOAT_EQ(b.Radius, 44);
  EXPECT_FLOAT_EQ(b.CollisionRadius, 33);
  EXPECT_FLOAT_EQ(b.Size, 70);
  EXPECT_FLOAT_EQ(b.Life, 55);
  EXPECT_FLOAT_EQ(b.MaxLife, 55);
  EXPECT_FLOAT_EQ(b.HitDamage, 3);
  EXPECT_EQ(b.Side, 2);
  EXPECT_TRUE(b.GroundUnit);
  EXPECT_FALSE(b.Targetable);
  EXPECT_EQ(w.TypeCounters[9], 1);
  EXPECT_FLOAT_EQ(b.Position.z, w.Surface->GroundHeight(SiteX, SiteY));
}

TEST_F(Building, MissingOrDamagedIntFileIsAnErrorNamingIt) {
  TTestWorld& w = MakeWorld();
  TTempDir dir;
  const std::string name = WithIntFile(dir, "44 33\n70\n");
  try {
    AddBuilding(w, name);
    FAIL() << "a three-line file loaded";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, name + ".int");
  }
  std::filesystem::remove(name + ".int");
  EXPECT_THROW(AddBuilding(w, name), TFileError);
}

TEST_F(Building, DeathSequenceEndsOnlyAfterASecondAndTheWholeExplosion) {
  TTestWorld& w = MakeWorld();
  TBuilding& b = AddBuilding(w, DataDir + "gen", 2);
  b.Life = 0;
  w.Step();
  EXPECT_EQ(b.State, StateDying);
  int32_t dyingMs = 0;
  while (b.State != StateGone && dyingMs < 20000) {
    EXPECT_EQ(w.TypeCounters[2], 1) << "counted off while still exploding";
    w.Step();
    dyingMs += w.FrameMs;
  }
  EXPECT_EQ(b.State, StateGone);
  EXPECT_TRUE(b.Behaviour == nullptr);
  EXPECT_EQ(w.TypeCounters[2], 0);
  EXPECT_GT(dyingMs, 1000);
  ASSERT_NE(b.ExplosionAnim, nullptr);
  EXPECT_GT(b.ExplosionAnim->CurrentFrame, b.ExplosionAnim->FrameCount - 1);
}

TEST_F(Building, LongerAnimationThanTheTimerHoldsTheEndBack) {
  TTestWorld& w = MakeWorld();
  TBuilding& b = AddBuilding(w, DataDir + "gen", 2);
  ASSERT_NE(b.ExplosionAnim, nullptr);
  // Two seconds a frame: the light is out long before the last frame has shown.
  b.ExplosionAnim->FrameTime = 2000;
  b.Life = 0;
  w.Step();
  const int32_t frames = w.StepUntil([&] { return b.State == StateGone; }, 100000);
  EXPECT_EQ(b.State, StateGone);
  EXPECT_GE(frames * w.FrameMs, (b.ExplosionAnim->FrameCount - 1) * 2000);
}

TEST_F(Building, LampStandsOnTheGroundAndIsNotCounted) {
  TTestWorld& w = MakeWorld();
  TLamp& l = AddLamp(w, 7);
  EXPECT_FLOAT_EQ(l.Position.z, w.Surface->GroundHeight(SiteX, SiteY));
  for (int32_t c : w.TypeCounters) EXPECT_EQ(c, 0);
  EXPECT_FALSE(l.GroundUnit);
  EXPECT_FALSE(l.Targetable);
}

TEST_F(Building, LampGlowsAndLightsEveryFrame) {
  TTestWorld& w = MakeWorld();
  TLamp& l = AddLamp(w);
  for (int32_t frame = 0; frame < 5; ++frame) {
    w.Step();
    EXPECT_EQ(w.Lights->PreviousCount, 1);
  }
  const TLight& light = w.Lights->ReadBuffer[0];
  EXPECT_EQ(light.Color, l.LampColor);
  EXPECT_FLOAT_EQ(light.Range, TLamp::LightRange);
  // The light hangs from the arm, up the post.
  EXPECT_GT(light.Position.z, l.Position.z + 80);
  // The glow lives one frame: caught between the lamp's turn and the particles'.
  l.RunBehaviour();
  ASSERT_EQ(w.Particles->ActiveCount(), 1);
  const TVector bulb = l.Position + TVector{TLamp::GlowAlongX, 0, TLamp::GlowAlongY};  // standing, heading 0
  EXPECT_NEAR(VectorLength(w.Particles->ActiveList->Position - bulb), 0, 1e-3f);
}

// Each barrage is checked against a lamp that can be hurt, so it is known to hit.
TEST_F(Building, LampIsNeverDestroyedByShotsOrMissiles) {
  for (const bool missiles : {false, true})
    for (const bool hurtable : {false, true}) {
      TTestWorld& w = MakeWorld();
      TLamp& l = AddLamp(w);
      EXPECT_EQ(l.HitDamage, 0);
      if (hurtable) l.HitDamage = 0.001f;
      // Across the post below the arm: shots from the side, unguided missiles from in front.
      const TVector post = l.Position + TVector{0, 0, 60};
      for (int32_t frame = 0; frame < 300; ++frame) {
        if (frame % 10 == 0 && !missiles) w.Shots->Fire(post + TVector{-100, 0, 0}, {1, 0, 0});
        if (frame % 10 == 0 && missiles)
          w.Missiles->Launch(post + TVector{0, -150, 0}, l.Orientation, MissileSpeed, MissileRange, -1);
        w.Step();
      }
      const char* what = missiles ? "missiles" : "shots";
      if (hurtable) {
        EXPECT_LT(l.Life, 1) << "the " << what << " missed";
        continue;
      }
      EXPECT_FLOAT_EQ(l.Life, 1) << what;
      EXPECT_EQ(l.State, StateAlive) << what;
      EXPECT_TRUE(l.Behaviour == &TActor::Live) << what;
    }
}

// An aircraft flying into the post: the lamp takes nothing, as checked against one that can.
TEST_F(Building, LampIsNeverDestroyedByAnAircraftFlyingIntoIt) {
  for (const bool hurtable : {false, true}) {
    TTestWorld& w = MakeWorld();
    TLamp& l = AddLamp(w);
    if (hurtable) l.CollisionDamage = 0.001f;
    TAirCraft& a = w.Add(std::make_unique<TAirCraft>(w));
    // Standing upright at heading 0 its nose points along +Y, at the post.
    a.LoadTyped(DataDir + "bad1", l.Position + TVector{0, -150, 60}, Upright, 0, 0, 0);
    a.CollideTerrain = 0;
    a.Life = a.MaxLife = 1e6f;
    a.Behaviour = &TActor::Live;
    const float aircraftLife = a.Life;
    for (int32_t frame = 0; frame < 200; ++frame) w.Step();
    ASSERT_LT(a.Life, aircraftLife) << "the aircraft never met the lamp";
    if (hurtable) {
      EXPECT_LT(l.Life, 1) << "the collision passed the lamp by";
      continue;
    }
    EXPECT_FLOAT_EQ(l.Life, 1);
    EXPECT_EQ(l.State, StateAlive);
  }
}

}  // namespace
