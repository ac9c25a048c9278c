// CameraTest.cpp — the player's aircraft: controls and their precedence, the map edge and the
// ceiling, guns and missiles, the lock-on sight, the chase camera and its matrices, the
// scripted camera, bad numbers and the death.
#include "actors/CameraUnit.h"

#include "ActorTestWorld.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr float Upright = -1.5708f;  // stands a +Y-up model in the z-up world
constexpr float HalfPi = 1.5708f;
constexpr int32_t Allied = 1, Enemy = 2;
constexpr TVector Sky{2000, 2000, 500};  // high over lev1's middle, under the ceiling
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// A world run in the mission's frame order: the player's view first, the player's own
// behaviour after everyone else's. It counts the HUD's missile notices.
class TCameraWorld final : public TWorld {
public:
  TCameraWorld() {
    Surface = std::make_unique<TSurf>(DataDir + "lev1.srf", TSurfSettings{});
    Lights = std::make_unique<TLightBuffer>(nullptr, 0);
    Particles = std::make_unique<TParticleSystem>(TParticleView{&CameraMatrix, &Frustum}, 10000,
                                                  TVector{0, 0, -0.01f});
    Shots = std::make_unique<TShootBuffer>(*this);
    Missiles = std::make_unique<TMissileBuffer>(*this, DataDir + "rocket");
    for (TPlane& plane : Frustum.planes) plane = {0, 0, 0, 1};
  }
  void MissilesChanged() override { ++MissileNotices; }

  TCamera& AddPlayer(const TVector& p, float heading) {
    auto player = std::make_unique<TCamera>(*this);
    TCamera& c = *player;
    Actors.push_back(std::move(player));
    c.LoadTyped(DataDir + "ally1", p, Upright, heading, 0, 0);
    c.Side = Allied;
    c.Behaviour = &TActor::Live;
    c.Eye = p;
    Eye = &c;
    return c;
  }
  // An enemy that only stands there and takes no harm.
  TAirCraft& AddEnemy(const TVector& p) {
    auto enemy = std::make_unique<TAirCraft>(*this);
    TAirCraft& e = *enemy;
    Actors.push_back(std::move(enemy));
    e.LoadTyped(DataDir + "bad1", p, Upright, 0, 0, 3);
    e.Side = Enemy;
    e.HitDamage = 0;
    return e;
  }
  TCamera& Player() { return static_cast<TCamera&>(*Actors.front()); }

  void Step() {
    Counter.Elapsed = FrameMs;
    Player().UpdateView();
    TakeEye();
    PairNearest();
    for (int32_t i = 1; i < ActorCount(); ++i) {
      TActor& a = *Actors[static_cast<size_t>(i)];
      if (a.Behaviour && a.State != StateGone) a.RunBehaviour();
    }
    if (Player().Behaviour && Player().State != StateGone) Player().RunBehaviour();
    Lights->SwapBuffers();
    Shots->UpdateAndDraw();
    Missiles->UpdateAndDraw();
    Particles->UpdateAndDraw();
  }
  void Steps(int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) Step();
  }
  // The view alone, without flying: for the steering tests.
  void ViewOnly() {
    Counter.Elapsed = FrameMs;
    Player().UpdateView();
  }

  int32_t FrameMs = 16;
  int32_t MissileNotices = 0;
};

class CameraTest : public ActorTest {
protected:
  void TearDown() override {
    Level.reset();
    ActorTest::TearDown();
  }
  TCameraWorld& MakeLevel() {
    Level = std::make_unique<TCameraWorld>();
    return *Level;
  }
  static bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
  static bool Finite(const TQuaternion& q) {
    return std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
  }
  static TVector Nose(const TActor& a) {
    TVector n;
    MatrixRotateVector({0, 0, -1}, a.Matrix, n);
    return n;
  }
  // The orientation one view update leaves with the given controls.
  TQuaternion TurnedBy(const TControlState& controls, const TVector& at = Sky, float heading = 0) {
    TCameraWorld& w = MakeLevel();
    TCamera& c = w.AddPlayer(at, heading);
    w.Controls = controls;
    w.ViewOnly();
    return c.Orientation;
  }
  static void ExpectSameTurn(const TQuaternion& a, const TQuaternion& b) {
    EXPECT_NEAR(a.w, b.w, 1e-6f);
    EXPECT_NEAR(a.x, b.x, 1e-6f);
    EXPECT_NEAR(a.y, b.y, 1e-6f);
    EXPECT_NEAR(a.z, b.z, 1e-6f);
  }
  static bool SameTurn(const TQuaternion& a, const TQuaternion& b) {
    return std::fabs(a.w - b.w) < 1e-6f && std::fabs(a.x - b.x) < 1e-6f && std::fabs(a.y - b.y) < 1e-6f &&
           std::fabs(a.z - b.z) < 1e-6f;
  }

  std::unique_ptr<TCameraWorld> Level;
};

// --- Controls ------------------------------------------------------------------------------

TEST_F(CameraTest, SpeedKeysFastWinsOverSlow) {
  struct TCase {
    bool Fast, Slow;
    float Speed;
  };
  for (const TCase& k : {TCase{false, false, 0.06f}, {false, true, 0.03f}, {true, false, 0.085f}, {true, true, 0.085f}}) {
    TCameraWorld& w = MakeLevel();
    TCamera& c = w.AddPlayer(Sky, 0);
    w.Controls.Fast = k.Fast;
    w.Controls.Slow = k.Slow;
    w.ViewOnly();
    EXPECT_FLOAT_EQ(c.Speed, k.Speed) << k.Fast << k.Slow;
  }
}

TEST_F(CameraTest, LaterSteeringInputsOverwriteEarlierOnes) {
  TControlState left, right, both, up, down, upDown;
  left.TurnLeft = true;
  right.TurnRight = true;
  both.TurnLeft = both.TurnRight = true;
  up.NoseUp = true;
  down.NoseDown = true;
  upDown.NoseUp = upDown.NoseDown = true;
  const TQuaternion r = TurnedBy(right);
  ExpectSameTurn(TurnedBy(both), r);
  EXPECT_FALSE(SameTurn(TurnedBy(left), r));
  ExpectSameTurn(TurnedBy(upDown), TurnedBy(down));
  EXPECT_FALSE(SameTurn(TurnedBy(up), TurnedBy(down)));
}

TEST_F(CameraTest, UpRaisesTheNoseUnlessInverted) {
  TControlState up, down;
  up.NoseUp = true;
  down.NoseDown = true;
  {
    TCameraWorld& w = MakeLevel();
    TCamera& c = w.AddPlayer(Sky, 0);
    w.Controls = up;
    w.ViewOnly();
    EXPECT_GT(Nose(c).z, 0.01f);
    EXPECT_EQ(w.PlayerFlag, 1);
  }
  const TQuaternion plainDown = TurnedBy(down);
  Config.InvertY = 1;
  ExpectSameTurn(TurnedBy(up), plainDown);
}

TEST_F(CameraTest, WithoutSteeringTheWingsLevelAndPlayerFlagStaysClear) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  w.Controls.TurnRight = true;
  for (int i = 0; i < 30; ++i) w.ViewOnly();
  const float banked = std::fabs(c.AxisX.z);
  ASSERT_GT(banked, 0.2f);
  w.Controls = {};
  w.ViewOnly();
  EXPECT_EQ(w.PlayerFlag, 0);
  for (int i = 0; i < 200; ++i) w.ViewOnly();
  EXPECT_LT(std::fabs(c.AxisX.z), 0.02f);
}

TEST_F(CameraTest, WeaponSwitchAndCameraKeysActOncePerPress) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  w.Controls.WeaponSwitch = true;
  for (int i = 0; i < 5; ++i) w.ViewOnly();
  EXPECT_EQ(c.MissileMode, 1);
  w.Controls.WeaponSwitch = false;
  w.ViewOnly();
  w.Controls.WeaponSwitch = true;
  w.ViewOnly();
  EXPECT_EQ(c.MissileMode, 0);

  w.Controls = {};
  w.Controls.Camera2 = true;
  w.ViewOnly();
  EXPECT_EQ(c.CameraMode, 2);
  EXPECT_FLOAT_EQ(c.EyeRate, 0.01f);
  w.Controls = {};
  w.Controls.Camera1 = true;
  w.ViewOnly();
  EXPECT_EQ(c.CameraMode, 1);
  EXPECT_FLOAT_EQ(c.EyeRate, 0.001f);
}

// --- Map edge and ceiling ------------------------------------------------------------------

// Across a corner both borders match; the y tests come later and decide the turn.
TEST_F(CameraTest, LeavingTheMapAcrossACornerTheLastBorderDecides) {
  struct TCase {
    TVector Corner, YOnly, XOnly;
    float Heading;
  };
  const float e = 5000;  // past the far borders of lev1 in both directions
  // Headings chosen so that the two borders of each corner would turn opposite ways.
  const TCase cases[] = {
      {{-50, -50, 500}, {2000, -50, 500}, {-50, 2000, 500}, -2.5f},
      {{e, e, 500}, {2000, e, 500}, {e, 2000, 500}, 0.7f},
      {{-50, e, 500}, {2000, e, 500}, {-50, 2000, 500}, -0.7f},
  };
  for (const TCase& k : cases) {
    const TQuaternion corner = TurnedBy({}, k.Corner, k.Heading);
    EXPECT_EQ(Level->PlayerFlag, 1);
    const TQuaternion yOnly = TurnedBy({}, k.YOnly, k.Heading);
    const TQuaternion xOnly = TurnedBy({}, k.XOnly, k.Heading);
    ExpectSameTurn(corner, yOnly);
    EXPECT_FALSE(SameTurn(yOnly, xOnly)) << "the case does not tell the borders apart";
  }
}

TEST_F(CameraTest, OutsideTheMapTheControlsAreIgnoredAndTheAircraftTurnsBack) {
  TCameraWorld& w = MakeLevel();
  // Past the west border, flying further west.
  TCamera& c = w.AddPlayer({-20, 2000, 500}, -HalfPi);
  w.Controls.Trigger = true;
  w.Controls.Fast = true;
  const float speed = c.Speed;
  int32_t frames = 0;
  while (c.Position.x < 0 && frames < 3000) {
    w.Step();
    ++frames;
    ASSERT_EQ(w.ShotsFired, 0);
    ASSERT_FLOAT_EQ(c.Speed, speed);
  }
  EXPECT_LT(frames, 3000);
  EXPECT_GT(Nose(c).x, 0);
}

TEST_F(CameraTest, AboveTheCeilingTheNoseGoesDownUntilItPointsOnTheWayBack) {
  TCameraWorld& w = MakeLevel();
  w.SkyHeight = 0;
  TCamera& c = w.AddPlayer({2000, 2000, 600}, 0);
  c.Speed = 0.085f;
  w.Controls.NoseUp = true;
  w.Controls.Fast = true;
  float before = c.AxisZ.z;
  int32_t frames = 0;
  while (c.AxisZ.z < 0.6f && frames < 200) {
    w.ViewOnly();
    ++frames;
    // 0.001 rad per ms: 0.016 rad a frame, the tail's height rising by about that much.
    ASSERT_GT(c.AxisZ.z, before);
    ASSERT_LT(c.AxisZ.z - before, 0.0161f);
    ASSERT_FLOAT_EQ(c.Speed, 0.06f);
    before = c.AxisZ.z;
  }
  ASSERT_GE(c.AxisZ.z, 0.6f);
  EXPECT_GT(frames, 35);  // asin(0.6) / 0.016
  const float stopped = c.AxisZ.z;
  for (int i = 0; i < 20; ++i) w.ViewOnly();
  EXPECT_NEAR(c.AxisZ.z, stopped, 1e-3f);
  EXPECT_FLOAT_EQ(c.Speed, 0.06f);
  // Back under the ceiling the controls work again.
  c.Position.z = 500;
  w.ViewOnly();
  EXPECT_FLOAT_EQ(c.Speed, 0.085f);
  EXPECT_LT(c.AxisZ.z, stopped);
}

TEST_F(CameraTest, CinematicsAndDeathTakeTheControls) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  w.Controls.Trigger = true;
  w.Controls.TurnLeft = true;
  w.Letterbox = 1;
  const TQuaternion start = c.Orientation;
  w.Steps(30);
  EXPECT_EQ(w.ShotsFired, 0);
  EXPECT_EQ(c.GunPlaying, 0);
  ExpectSameTurn(c.Orientation, start);
}

// --- Guns ----------------------------------------------------------------------------------

TEST_F(CameraTest, GunPairsAreThePlayersAndMoreThan120MsApart) {
  for (int32_t frameMs : {7, 16, 20, 33, 40, 50, 130}) {
    TCameraWorld& w = MakeLevel();
    w.FrameMs = frameMs;
    TCamera& c = w.AddPlayer(Sky, 0);
    w.Controls.Trigger = true;
    int32_t lastPair = -1000, time = 0, pairs = 0;
    for (int i = 0; i < 2000 / frameMs; ++i) {
      const int32_t before = w.ShotsFired;
      w.Step();
      time += frameMs;
      if (w.ShotsFired == before) continue;
      ASSERT_EQ(w.ShotsFired - before, 2);
      EXPECT_GT(time - lastPair, 120) << frameMs;
      lastPair = time;
      ++pairs;
    }
    EXPECT_GE(pairs, 2000 / std::max(frameMs, 121) / 2) << frameMs;
    for (TShot* s = w.Shots->First; s; s = s->Next) EXPECT_EQ(s->FromPlayer, 1);
    EXPECT_EQ(c.GunPlaying, 1);
    // The player's own tracers never strike the aircraft that fired them.
    EXPECT_FLOAT_EQ(c.Life, c.MaxLife);
    EXPECT_EQ(w.ShotsHit, 0);
  }
}

// --- Missiles ------------------------------------------------------------------------------

TEST_F(CameraTest, OneUnguidedMissilePerPressWithoutALock) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  w.MissileCount = 2;
  c.MissileMode = 1;
  w.Controls.Trigger = true;
  w.Steps(20);
  ASSERT_EQ(w.Missiles->Count(), 1);
  EXPECT_EQ(w.Missiles->First->Target, -1);
  EXPECT_EQ(w.MissileCount, 1);
  EXPECT_EQ(w.MissileNotices, 1);
  EXPECT_EQ(w.ShotsFired, 0);
  // Launched ahead of and below the aircraft, flying its way.
  const TVector toMissile = w.Missiles->First->Position - c.Position;
  EXPECT_GT(VectorDot(toMissile, Nose(c)), 25.0f);

  w.Controls.Trigger = false;
  w.Step();
  w.Controls.Trigger = true;
  w.Step();
  EXPECT_EQ(w.MissileCount, 0);
  EXPECT_EQ(w.MissileNotices, 2);
  EXPECT_EQ(w.MissilesMade, 2);
}

TEST_F(CameraTest, NothingLeavesWithNoMissilesLeft) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  w.MissileCount = 0;
  c.MissileMode = 1;
  for (int press = 0; press < 3; ++press) {
    w.Controls.Trigger = true;
    w.Steps(3);
    EXPECT_EQ(c.MissileLatch, 1);
    w.Controls.Trigger = false;
    w.Step();
  }
  EXPECT_EQ(w.Missiles->Count(), 0);
  EXPECT_EQ(w.MissileCount, 0);
  EXPECT_EQ(w.MissileNotices, 0);
}

// --- Lock-on -------------------------------------------------------------------------------

class CameraLockTest : public CameraTest {
protected:
  // The player flying along +y with an enemy straight ahead under the sight.
  TCameraWorld& Setup(float distance = 450) {
    TCameraWorld& w = MakeLevel();
    TCamera& c = w.AddPlayer({2000, 1500, 500}, 0);
    c.MissileMode = 1;
    c.Speed = 0.03f;
    w.Controls.Slow = true;
    w.AddEnemy(c.Position + Nose(c) * distance);
    return w;
  }
  static int32_t StepsUntilLocked(TCameraWorld& w, int32_t limit) {
    for (int32_t frame = 1; frame <= limit; ++frame) {
      w.Step();
      if (w.Player().Locked) return frame;
    }
    return -1;
  }
};

TEST_F(CameraLockTest, NothingUnderTheSightIsYellowAndNeverCounts) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  c.MissileMode = 1;
  w.AddEnemy(c.Position - Nose(c) * 300);  // behind
  w.Steps(200);
  EXPECT_EQ(c.Candidate, -1);
  EXPECT_EQ(c.LockTimer, 0);
  EXPECT_EQ(c.Locked, 0);
  EXPECT_FLOAT_EQ(c.SightColor[0], 1);
  EXPECT_FLOAT_EQ(c.SightColor[1], 1);
  EXPECT_FLOAT_EQ(c.SightColor[2], 0.1f);
}

TEST_F(CameraLockTest, TheSameEnemyLocksAfter2000MsBlinkingAndBuzzing) {
  TCameraWorld& w = Setup();
  TCamera& c = w.Player();
  std::vector<bool> red;
  std::vector<int32_t> buzzResets;
  int32_t frame = 0;
  while (!c.Locked && frame < 400) {
    const int32_t buzz = c.BuzzTimer;
    w.Step();
    ++frame;
    ASSERT_EQ(c.Candidate, 1) << frame;
    red.push_back(c.SightColor[1] == 0);
    if (c.BuzzTimer < buzz) buzzResets.push_back(frame);
  }
  ASSERT_TRUE(c.Locked);
  // One frame to become the candidate, then 2000 ms of frame time counted, then the lock.
  EXPECT_EQ(frame, 1 + (2000 + 15) / 16 + 1);
  EXPECT_EQ(c.LockedTarget, 1);
  EXPECT_TRUE(red.back());
  // Yellow for 400 ms, red until 800, when the buzz sounds and the period starts again.
  EXPECT_FALSE(red[1]);
  EXPECT_FALSE(red[25]);  // frame 26: 400 ms counted
  EXPECT_TRUE(red[26]);
  ASSERT_GE(buzzResets.size(), 2u);
  EXPECT_EQ(buzzResets[1] - buzzResets[0], 50);  // 800 ms of 16 ms frames
}

TEST_F(CameraLockTest, ALockedMissileIsGuidedAtTheTarget) {
  TCameraWorld& w = Setup();
  TCamera& c = w.Player();
  ASSERT_GT(StepsUntilLocked(w, 200), 0);
  w.Controls.Trigger = true;
  w.Step();
  ASSERT_EQ(w.Missiles->Count(), 1);
  EXPECT_EQ(w.Missiles->First->Target, 1);
  EXPECT_EQ(c.Locked, 1);
}

TEST_F(CameraLockTest, AGoneTargetReleasesTheLockTheSameFrame) {
  TCameraWorld& w = Setup();
  TCamera& c = w.Player();
  ASSERT_GT(StepsUntilLocked(w, 200), 0);
  w.Actors[1]->State = StateGone;
  w.Step();
  EXPECT_EQ(c.Locked, 0);
  EXPECT_EQ(c.LockedTarget, -1);
  w.Controls.Trigger = true;
  w.Step();
  ASSERT_EQ(w.Missiles->Count(), 1);
  EXPECT_EQ(w.Missiles->First->Target, -1);
}

TEST_F(CameraLockTest, TheLockHoldsWhileTheSightWandersOff) {
  TCameraWorld& w = Setup();
  TCamera& c = w.Player();
  ASSERT_GT(StepsUntilLocked(w, 200), 0);
  w.Actors[1]->Position.z += 200;  // out of the sight
  w.Steps(10);
  EXPECT_EQ(c.Locked, 1);
  EXPECT_EQ(c.Candidate, 1);
}

TEST_F(CameraLockTest, AnotherEnemyUnderTheSightTakesTheLockOnTheNextFrame) {
  TCameraWorld& w = Setup();
  TCamera& c = w.Player();
  ASSERT_GT(StepsUntilLocked(w, 200), 0);
  w.AddEnemy(c.Position + Nose(c) * 200);  // nearer on the same line
  w.Step();
  EXPECT_EQ(c.Locked, 0);
  EXPECT_EQ(c.Candidate, 2);
  w.Step();
  EXPECT_EQ(c.Locked, 1);
  EXPECT_EQ(c.LockedTarget, 2);
}

// --- The eye and the view ------------------------------------------------------------------

TEST_F(CameraTest, EachPresetPlacesTheEyeWithItsOwnSmoothing) {
  struct TPreset {
    uint8_t Mode;
    TVector Offset;
    float EyeRate;
    bool MeshVisible;
  };
  const TPreset presets[] = {
      {1, {0, 10, 45}, 0.001f, true},   {2, {0, 10, 45}, 0.01f, true},    {3, {0, 10, 5}, 1.0f, false},
      {4, {20, 0, -60}, 0.001f, true},  {5, {20, 0, 10}, 0.0001f, true},  {6, {20, 0, 10}, 0.0001f, true},
      {7, {20, 0, -200}, 0.0005f, true}, {8, {20, 0, -10}, 0.001f, true}, {9, {0, 0, 400}, 0.001f, false},
  };
  for (const TPreset& p : presets) {
    TCameraWorld& w = MakeLevel();
    TCamera& c = w.AddPlayer(Sky, 0.3f);
    c.CameraMode = p.Mode;
    const TVector start = c.Eye;
    w.ViewOnly();
    const TVector target = c.Position + c.AxisX * p.Offset.x + c.AxisY * p.Offset.y + c.AxisZ * p.Offset.z;
    const float f = std::min(1.0f, 16 * p.EyeRate);
    const TVector expected = start + (target - start) * f;
    EXPECT_NEAR(c.Eye.x, expected.x, 1e-3f) << int(p.Mode);
    EXPECT_NEAR(c.Eye.y, expected.y, 1e-3f) << int(p.Mode);
    EXPECT_NEAR(c.Eye.z, expected.z, 1e-3f) << int(p.Mode);
    EXPECT_EQ(c.MeshVisible, p.MeshVisible ? 1 : 0) << int(p.Mode);
  }
}

TEST_F(CameraTest, ModeZeroKeepsTheMissionsOwnOffset) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  c.CameraMode = 0;
  c.CameraOffset = {0, 30, 0};
  c.EyeRate = 1;
  w.ViewOnly();
  EXPECT_NEAR(c.Eye.z, c.Position.z + 30, 1e-3f);
  EXPECT_FLOAT_EQ(c.EyeRate, 1);
}

TEST_F(CameraTest, TheEyeSettlesBehindAndAboveAndLooksAlongTheNose) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer({2000, 1000, 500}, 0.8f);
  w.Steps(1500);
  // Behind, trailing further than the offset by the smoothing's lag, 10 above and centred.
  const TVector fromAircraft = c.Eye - c.Position;
  EXPECT_LT(VectorDot(fromAircraft, Nose(c)), -45.0f);
  EXPECT_NEAR(VectorDot(fromAircraft, c.AxisY), 10.0f, 1.0f);
  EXPECT_NEAR(VectorDot(fromAircraft, c.AxisX), 0.0f, 1.0f);
  // A point far ahead of the aircraft lies straight ahead in the view: -z, centred.
  TVector ahead;
  MatrixTransformPoint(c.Position + Nose(c) * 300, c.CameraMatrix(), ahead);
  EXPECT_LT(ahead.z, -250);
  EXPECT_LT(std::fabs(ahead.x), 5);
  EXPECT_LT(std::fabs(ahead.y), 30);
  // The world's up is the view's up.
  TVector up;
  MatrixRotateVector({0, 0, 1}, c.ViewMatrix(), up);
  EXPECT_GT(up.y, 0.95f);
  EXPECT_EQ(w.EyePoint, c.Eye);
}

TEST_F(CameraTest, TheEyeNeverStaysUnderTheGround) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  const float ground = w.Surface->GroundHeight(Sky.x, Sky.y);
  c.Position.z = ground + 40;
  c.CameraMode = 0;
  c.CameraOffset = {0, -300, 0};  // straight down, deep into the hill
  c.EyeRate = 1;
  w.ViewOnly();
  EXPECT_GE(c.Eye.z, w.Surface->GroundHeight(c.Eye.x, c.Eye.y));
}

TEST_F(CameraTest, ResetViewBuildsTheMatricesFromEyeAndRotation) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  c.Eye = {100, 200, 300};
  QuatFromEuler(1.5708f, 0, 3.40339f, c.ViewRotation);
  c.ResetView();
  TMatrix rotation;
  QuatToMatrix(c.ViewRotation, rotation);
  EXPECT_EQ(c.ViewMatrix(), rotation);
  TVector atEye;
  MatrixTransformPoint(c.Eye, c.CameraMatrix(), atEye);
  EXPECT_NEAR(VectorLength(atEye), 0, 1e-3f);
  EXPECT_EQ(c.EyePoint(), c.Eye);
}

TEST_F(CameraTest, ExplosionsShakeTheEyeForOneFrame) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  c.CameraMode = 0;
  c.EyeRate = 0;
  const TVector start = c.Eye;
  w.ShakeCamera({0.5f, 0, 0});
  w.ViewOnly();
  EXPECT_NEAR(c.Eye.x - start.x, 0.5f / 1.6f, 1e-4f);  // spread over ms / 10
  w.ViewOnly();
  EXPECT_NEAR(c.Eye.x - start.x, 0.5f / 1.6f, 1e-4f);
}

TEST_F(CameraTest, BadNumbersNeverReachTheMatrices) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  c.SetShake({NaN, 1, NaN});
  c.Kick = {NaN, NaN, NaN};
  w.Controls.TurnLeft = true;
  w.Step();
  EXPECT_TRUE(Finite(c.Eye));
  EXPECT_TRUE(Finite(c.Orientation));
  EXPECT_TRUE(Finite(c.ViewRotation));
  for (float v : c.CameraMatrix()) EXPECT_TRUE(std::isfinite(v));
  // A frame of no time neither moves nor poisons anything.
  w.FrameMs = 0;
  c.SetShake({1, 1, 1});
  w.Step();
  EXPECT_TRUE(Finite(c.Eye));
  for (float v : c.CameraMatrix()) EXPECT_TRUE(std::isfinite(v));
}

// --- Scripted camera and death -------------------------------------------------------------

TEST_F(CameraTest, ScriptedCameraTakesEyeAndRotationFromThePath) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  const TVector offset{1000, 1000, 300};
  c.PathMotion.Load("l1m1.cap");
  c.PathMotion.Start(33, offset);
  c.Motion = &c.PathMotion;
  c.Behaviour = &TActor::Behaviour7;
  w.Letterbox = 1;
  TMotion reference;
  reference.Load("l1m1.cap");
  reference.Start(33, offset);
  const TVector parked = c.Position;
  for (int frame = 0; frame < 50; ++frame) {
    w.Step();
    reference.Update();
    ASSERT_EQ(c.Eye, reference.Position) << frame;
    ASSERT_EQ(c.ViewRotation, reference.Rotation) << frame;
  }
  TMatrix rotation;
  QuatToMatrix(reference.Rotation, rotation);
  EXPECT_EQ(c.ViewMatrix(), rotation);
  TVector atEye;
  MatrixTransformPoint(c.Eye, c.CameraMatrix(), atEye);
  EXPECT_NEAR(VectorLength(atEye), 0, 1e-2f);
  EXPECT_EQ(c.Position, parked);
  EXPECT_FLOAT_EQ(c.Speed, 0);
  EXPECT_EQ(c.MotionDone, 0);
}

TEST_F(CameraTest, DeathLeavesTheTypeCounterToTheLevel) {
  TCameraWorld& w = MakeLevel();
  TCamera& c = w.AddPlayer(Sky, 0);
  const int32_t counted = w.TypeCounters[0];
  c.Life = 0;
  // Shot down: whichever end Live picks, the player explodes where it is.
  const int32_t frames = [&] {
    for (int32_t f = 1; f <= 2000; ++f) {
      w.Step();
      if (c.State == StateGone) return f;
    }
    return -1;
  }();
  ASSERT_GT(frames, 0);
  EXPECT_EQ(w.TypeCounters[0], counted);
  EXPECT_EQ(c.Behaviour, nullptr);

  TCameraWorld& w2 = MakeLevel();
  TCamera& d = w2.AddPlayer(Sky, 0);
  d.State = StateDying;
  d.Behaviour = &TActor::Crash;
  const TVector at = d.Position;
  w2.Step();
  EXPECT_EQ(d.Behaviour, &TActor::Die);
  EXPECT_EQ(d.Position, at);
}

}  // namespace
