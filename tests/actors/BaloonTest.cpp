// BaloonTest.cpp — the barrage balloon: target choice, aiming, climbing with its body, firing, and the pair's death.
#include "actors/BaloonUnit.h"

#include "ActorTestWorld.h"

#include <cmath>

namespace {

constexpr float Upright = -1.5708f;  // as the missions stand the balloon
constexpr int32_t BaloonType = 5;

int32_t DrawCalls = 0;
void GLAPIENTRY CountDraw(GLenum, GLint, GLsizei) { ++DrawCalls; }

class BaloonTest : public ActorTest {
protected:
  struct TPair {
    TBaloon* Body;
    TBaloon* Gun;
  };
  // Body then gun at one point, each the other's partner, as the missions place them.
  TPair AddPair(TTestWorld& w, const TVector& p) {
    const int32_t first = w.ActorCount();
    TBaloon& body = w.Add(std::make_unique<TBaloon>(w));
    body.LoadTyped(DataDir + "bad4", p, Upright, 0, 0, BaloonType);
    TBaloon& gun = w.Add(std::make_unique<TBaloon>(w));
    gun.LoadTyped(DataDir + "bad4a", p, Upright, 0, 0, BaloonType);
    body.Side = gun.Side = 2;
    body.Partner = first + 1;
    gun.Partner = first;
    body.Behaviour = &TActor::Live;
    gun.Behaviour = &TActor::Behaviour10;
    return {&body, &gun};
  }
  // A meshless enemy of the balloons that stands where it is put.
  TActor& AddTarget(TTestWorld& w, const TVector& p, int32_t side = 1) {
    TActor& t = w.Add(std::make_unique<TActor>(w, ShadowClass::Building));
    t.Position = p;
    t.Side = side;
    t.Targetable = 1;
    t.CollisionRadius = 20;
    t.Radius = 20;
    t.Life = 100;
    t.HitDamage = 1;
    return t;
  }
  // The gun's own axes in the world.
  static TVector Axis(const TActor& a, const TVector& model) {
    TVector out;
    MatrixRotateVector(model, a.Matrix, out);
    return out;
  }
  static TVector Ahead(const TActor& gun) { return -Axis(gun, {0, 0, 1}); }
  static TVector Side(const TActor& gun) { return Axis(gun, {1, 0, 0}); }
  static int64_t Shots(const TTestWorld& w) { return w.ShotsMade; }
};

// --- Targets ------------------------------------------------------------------------------

TEST_F(BaloonTest, WithNoEnemyInRangeTheGunIdlesButDraws) {
  TTestWorld& w = MakeWorld();
  const TPair b = AddPair(w, {2000, 2000, 800});
  // An enemy just out of range, straight ahead and above: it would be climbed to and shot at.
  AddTarget(w, b.Gun->Position + Ahead(*b.Gun) * 440 + TVector{0, 0, 100});
  const TQuaternion facing = b.Gun->Orientation;
  const TVector at = b.Gun->Position;
  GL.DrawArrays = CountDraw;
  for (int frame = 0; frame < 100; ++frame) w.Step();
  EXPECT_EQ(b.Gun->Orientation, facing);
  EXPECT_EQ(b.Gun->Position, at);
  EXPECT_EQ(Shots(w), 0);
  DrawCalls = 0;
  b.Gun->RunBehaviour();
  EXPECT_GT(DrawCalls, 0);
}

TEST_F(BaloonTest, TheGunHuntsOnlyTheNearestLiveTargetableEnemy) {
  // Two enemies: a near one to the gun's right and a farther one to its left. Each case spoils
  // the near one; the gun must then turn left.
  struct TCase {
    const char* Name;
    void (*Spoil)(TActor&);
    bool TurnsRight;
  };
  const TCase cases[] = {
      {"near one valid", [](TActor&) {}, true},
      {"neutral", [](TActor& a) { a.Side = 0; }, false},
      {"same side", [](TActor& a) { a.Side = 2; }, false},
      {"not targetable", [](TActor& a) { a.Targetable = 0; }, false},
      {"dying", [](TActor& a) { a.State = StateDying; }, false},
      {"gone", [](TActor& a) { a.State = StateGone; }, false},
  };
  for (const TCase& c : cases) {
    TTestWorld& w = MakeWorld();
    const TPair b = AddPair(w, {2000, 2000, 800});
    const TVector ahead = Ahead(*b.Gun), side = Side(*b.Gun);
    TActor& near = AddTarget(w, b.Gun->Position + ahead * 200 + side * 100);
    AddTarget(w, b.Gun->Position + ahead * 300 - side * 100);
    c.Spoil(near);
    w.Step();
    // Turning right brings the right-hand target towards straight ahead.
    const float rightward = VectorDot(Ahead(*b.Gun), side);
    EXPECT_EQ(rightward > 0, c.TurnsRight) << c.Name;
    EXPECT_NE(rightward, 0) << c.Name;
  }
}

TEST_F(BaloonTest, AnAssignedTargetIsFollowedOnlyWhenItExistsAndIsInRange) {
  struct TCase {
    const char* Name;
    int32_t Target;  // -2: the target actor's own index, -3 the gun's own
    float Distance;
    bool Turns;
    uint8_t TargetState = StateAlive;
  };
  const TCase cases[] = {
      {"assigned within range", -2, 300, true},
      {"assigned beyond range", -2, 460, false},
      {"assigned and dying", -2, 300, true, StateDying},
      {"assigned and gone", -2, 300, false, StateGone},
      {"none", -1, 300, false},
      {"past the array", 50, 300, false},
      {"the gun itself", -3, 300, false},
  };
  for (const TCase& c : cases) {
    TTestWorld& w = MakeWorld();
    const TPair b = AddPair(w, {2000, 2000, 800});
    const int32_t index = w.ActorCount();
    // Same side as the gun: behaviour 11 does not look at sides.
    AddTarget(w, b.Gun->Position + (Ahead(*b.Gun) + Side(*b.Gun)) * (c.Distance / std::sqrt(2.0f)), 2).State =
        c.TargetState;
    b.Gun->AssignedTarget = c.Target == -2 ? index : (c.Target == -3 ? index - 1 : c.Target);
    b.Gun->Behaviour = &TActor::Behaviour11;
    const TQuaternion facing = b.Gun->Orientation;
    w.Step();
    EXPECT_EQ(!(b.Gun->Orientation == facing), c.Turns) << c.Name;
  }
}

// --- Aiming, climbing, firing -------------------------------------------------------------

TEST_F(BaloonTest, ATargetBehindIsTurnedToAndClimbedToBeforeAnyShot) {
  TTestWorld& w = MakeWorld();
  const TPair b = AddPair(w, {2000, 2000, 600});
  const TVector start = b.Gun->Position;
  // Dead astern (no sideways offset at all) and 60 above.
  TActor& t = AddTarget(w, start - Ahead(*b.Gun) * 300 + TVector{0, 0, 60});
  w.Step();
  EXPECT_FALSE(b.Gun->Orientation == b.Body->Orientation) << "the gun turns";
  EXPECT_NEAR(b.Gun->Position.z - start.z, 0.01f * 16, 1e-3f);
  EXPECT_EQ(b.Body->Position, b.Gun->Position) << "the body is carried along";

  // Half a turn at 0.001 rad per ms takes over 3 s before the first shot.
  const int32_t frames = w.StepUntil([&] { return Shots(w) > 0; }, 1000);
  ASSERT_GT(Shots(w), 0);
  EXPECT_GT(frames * 16, 3000);
  EXPECT_LT(VectorDot(t.Position - b.Gun->Position, Axis(*b.Gun, {0, 0, 1})), 0) << "facing it";
  EXPECT_EQ(b.Body->Position, b.Gun->Position);
}

TEST_F(BaloonTest, TwinShotsLeaveTheMuzzlesAlongTheBarrelAfterTheReload) {
  TTestWorld& w = MakeWorld();
  const TPair b = AddPair(w, {2000, 2000, 600});
  AddTarget(w, b.Gun->Position + Ahead(*b.Gun) * 300);
  // ReloadTime must pass 120 ms: the eighth frame's aim sees 112, the ninth 128.
  for (int frame = 0; frame < 8; ++frame) w.Step();
  EXPECT_EQ(Shots(w), 0);
  w.Step();
  ASSERT_EQ(Shots(w), 2);
  EXPECT_EQ(b.Gun->GunSoundPlaying, 1);
  const TVector ahead = Ahead(*b.Gun);
  int32_t seen = 0;
  for (const TShot* s = w.Shots->First; s; s = s->Next) {
    EXPECT_NEAR(VectorDot(s->Direction, ahead), 1.0f, 1e-4f);
    const TVector fromGun = s->Start - b.Gun->Position;
    EXPECT_NEAR(VectorDot(fromGun, ahead), 20.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(VectorDot(fromGun, Side(*b.Gun))), 3.0f, 1e-3f);
    ++seen;
  }
  EXPECT_EQ(seen, 2);
  // The next pair once another 120 ms have passed: 128 ms later at 16 ms a frame.
  for (int frame = 0; frame < 7; ++frame) w.Step();
  EXPECT_EQ(Shots(w), 2);
  w.Step();
  EXPECT_EQ(Shots(w), 4);
}

TEST_F(BaloonTest, TheGunSoundStopsWhenBurstsCease) {
  TTestWorld& w = MakeWorld();
  const TPair b = AddPair(w, {2000, 2000, 600});
  TActor& t = AddTarget(w, b.Gun->Position + Ahead(*b.Gun) * 300);
  w.StepUntil([&] { return Shots(w) > 0; }, 20);
  // Bursts every 128 ms keep it going.
  for (int frame = 0; frame < 40; ++frame) {
    w.Step();
    ASSERT_EQ(b.Gun->GunSoundPlaying, 1);
  }
  // With the target gone out of range there is nothing to aim at; the sound still stops.
  t.Position = t.Position + TVector{0, 0, 5000};
  const int32_t frames = w.StepUntil([&] { return b.Gun->GunSoundPlaying == 0; }, 40);
  EXPECT_EQ(b.Gun->GunSoundPlaying, 0);
  EXPECT_GT(frames * 16, 300 - 128);
  // And a balloon the eye has left behind falls silent at once.
  t.Position = t.Position - TVector{0, 0, 5000};
  w.StepUntil([&] { return b.Gun->GunSoundPlaying == 1; }, 20);
  ASSERT_EQ(b.Gun->GunSoundPlaying, 1);
  b.Gun->LeftView();
  EXPECT_EQ(b.Gun->GunSoundPlaying, 0);
}

TEST_F(BaloonTest, TheGunSinksOnlyWhileClearOfTheGround) {
  TTestWorld& w = MakeWorld();
  const float ground = w.Surface->GroundHeight(2000, 2000);
  const TPair b = AddPair(w, {2000, 2000, ground + 10.5f});
  AddTarget(w, b.Gun->Position + Ahead(*b.Gun) * 300 + TVector{0, 0, -200});
  w.StepUntil([&] { return b.Gun->Position.z - ground <= 10; }, 10);
  const float low = b.Gun->Position.z;
  EXPECT_LT(low - ground, 10.5f);
  for (int frame = 0; frame < 20; ++frame) w.Step();
  EXPECT_EQ(b.Gun->Position.z, low);
  EXPECT_EQ(b.Body->Position, b.Gun->Position);
}

// --- Death ----------------------------------------------------------------------------------

TEST_F(BaloonTest, KillingEitherHalfDestroysTheOtherNextFrame) {
  for (const bool killGun : {true, false}) {
    TTestWorld& w = MakeWorld();
    const TPair b = AddPair(w, {2000, 2000, 800});
    TBaloon& hit = killGun ? *b.Gun : *b.Body;
    TBaloon& other = killGun ? *b.Body : *b.Gun;
    hit.Life = 0;
    w.Step();
    EXPECT_EQ(hit.State, StateDying);
    EXPECT_EQ(other.Life, 0);
    w.Step();
    EXPECT_EQ(other.State, StateDying);
    w.StepUntil([&] { return b.Body->State == StateGone && b.Gun->State == StateGone; }, 400);
    EXPECT_EQ(b.Body->State, StateGone);
    EXPECT_EQ(b.Gun->State, StateGone);
    EXPECT_EQ(w.TypeCounters[BaloonType], 0);
  }
}

TEST_F(BaloonTest, ADeadGunHoldsItsFire) {
  TTestWorld& w = MakeWorld();
  const TPair b = AddPair(w, {2000, 2000, 600});
  AddTarget(w, b.Gun->Position + Ahead(*b.Gun) * 300);
  b.Gun->ReloadTime = 1000;
  b.Body->Life = 0;  // the gun learns of it on its next frame
  w.Step();
  w.Step();
  EXPECT_EQ(b.Gun->State, StateDying);
  EXPECT_EQ(Shots(w), 0);
}

TEST_F(BaloonTest, AHalfWithoutAPartnerStillDiesCleanly) {
  struct TCase {
    const char* Name;
    int32_t Partner;  // -2: an actor that is already gone
  };
  for (const TCase& c : {TCase{"none", -1}, TCase{"past the array", 99}, TCase{"gone", -2}}) {
    TTestWorld& w = MakeWorld();
    const TPair b = AddPair(w, {2000, 2000, 800});
    AddTarget(w, b.Gun->Position + TVector{0, 0, 100});  // so the gun climbs
    if (c.Partner == -2) {
      b.Body->State = StateGone;
      b.Body->Behaviour = nullptr;
      b.Body->Life = 7;
    } else {
      b.Gun->Partner = c.Partner;
    }
    const TVector bodyAt = b.Body->Position;
    for (int frame = 0; frame < 5; ++frame) w.Step();
    EXPECT_EQ(b.Body->Position, bodyAt) << c.Name;
    b.Gun->Life = 0;
    w.StepUntil([&] { return b.Gun->State == StateGone; }, 400);
    EXPECT_EQ(b.Gun->State, StateGone) << c.Name;
    if (c.Partner == -2) {
      EXPECT_EQ(b.Body->Life, 7) << c.Name;
    }
  }
}

TEST_F(BaloonTest, ItsDeathNeverDrawsTheMesh) {
  TTestWorld& w = MakeWorld();
  const TPair b = AddPair(w, {2000, 2000, 800});
  b.Gun->Life = 0;
  w.Step();
  ASSERT_EQ(b.Gun->State, StateDying);
  GL.DrawArrays = CountDraw;
  DrawCalls = 0;
  int32_t frames = 0;
  while (b.Gun->State == StateDying && frames < 400) {
    Counter.Elapsed = 16;
    b.Gun->RunBehaviour();
    ++frames;
  }
  EXPECT_EQ(b.Gun->State, StateGone);
  EXPECT_EQ(DrawCalls, 0);
}

TEST_F(BaloonTest, ACrashVanishesAtOnceWithNoWreck) {
  TTestWorld& w = MakeWorld();
  const TPair b = AddPair(w, {2000, 2000, 800});
  b.Body->Behaviour = &TActor::Crash;
  const int32_t particles = w.Particles->ActiveCount();
  w.Step();
  EXPECT_EQ(b.Body->State, StateGone);
  EXPECT_EQ(b.Body->Behaviour, nullptr);
  EXPECT_EQ(w.Particles->ActiveCount(), particles);
}

}  // namespace
