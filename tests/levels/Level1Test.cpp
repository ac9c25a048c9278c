// Level1Test.cpp — Mission 1 headless on the null table: the opening hands over, the convoy's
// triggers fire once each on either airship's distance rule and release their waves, the hover,
// the last wave and the success ending; the failure when the second airship falls; lives.
#include "levels/Level1Unit.h"

#include "actors/AirCraftUnit.h"
#include "actors/CameraUnit.h"
#include "actors/ZeppelinUnit.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "levels/KeyboardControls.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "render/GLVisualObjectUnit.h"
#include "sound/SoundUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

class Mission1 : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    if (!std::filesystem::exists(DataDir + "lev1.srf")) GTEST_SKIP() << "no data forged";
    SavedConfig = Config;
    Config = DefaultConfig();
    Config.Shadows = 0;
    SetRandomSeed(1);
    SetActiveClock(&Clock);
    Level = std::make_unique<TLevel1>();
    Level->LoadLevel();
  }
  void TearDown() override {
    Level.reset();
    FreeOverlay();
    FreeAllAudio();
    ClearTextureCache();
    ClearMotionCache();
    Config = SavedConfig;
    SetActiveClock(nullptr);
    RestartCounter();
  }
  void Frames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) Level->MissionFrame();
  }

  TFixedStepClock Clock{16};

  TConfig SavedConfig{};
  std::unique_ptr<TLevel1> Level;
};

// Frames until done() or the limit; true when done.
template <typename F>
bool Until(TLevel1& level, F done, int32_t limit) {
  for (int32_t i = 0; i < limit; ++i) {
    level.MissionFrame();
    if (done()) return true;
  }
  return false;
}

TEST_F(Mission1, TheOpeningFlightHandsOverBehindTheAircraftForOneLife) {
  EXPECT_EQ(Level->Letterbox, 1);
  EXPECT_TRUE(Until(*Level, [&] { return Level->Phase == 1; }, 3000));
  Frames(1);  // the level takes the life that puts the player in control
  TCamera& player = *Level->Player();
  EXPECT_EQ(Level->Letterbox, 0);
  EXPECT_EQ(Level->Lives, 3);
  EXPECT_EQ(player.State, StateAlive);
  EXPECT_EQ(player.Motion, nullptr);
  EXPECT_EQ(player.Behaviour, &TActor::Live);
  EXPECT_LE(Level->Fade, 0.0f);
  for (int32_t escort : {3, 4, 5}) EXPECT_EQ(Level->Actors[escort]->Behaviour, &TActor::Behaviour8);
}

class Mission1Legs : public Mission1 {
protected:
  void SetUp() override {
    Mission1::SetUp();
    if (!Level) return;
    ASSERT_TRUE(Until(*Level, [&] { return Level->Phase == 1; }, 3000));
    // The airships hold still wherever the test puts them.
    for (int32_t ship : {1, 2}) {
      TZeppelin& airship = Ship(ship);
      airship.Behaviour = &TActor::Live;
      airship.Speed = airship.CruiseSpeed = 0;
      airship.Position = {3000, 1000, 360};
    }
  }
  TZeppelin& Ship(int32_t i) { return static_cast<TZeppelin&>(*Level->Actors[i]); }
  bool Awake(int32_t first, int32_t last) {
    for (int32_t i = first; i <= last; ++i)
      if (Level->Actors[i]->State != StateAlive) return false;
    return true;
  }
  void Kill(int32_t first, int32_t last) {
    for (int32_t i = first; i <= last; ++i) {
      Level->Actors[i]->State = StateGone;
      Level->Actors[i]->Life = 0;
    }
  }
};

TEST_F(Mission1Legs, EachTriggerFiresOnceOnEitherAirshipsDistance) {
  // Airship 2 within 300 of trigger 1 at its own height sets it off; airship 1 is far away.
  Ship(2).Position = {2592 + 290, 2336, 370};
  EXPECT_FALSE(Awake(22, 25));
  Frames(1);
  EXPECT_EQ(Level->Phase, 2);
  EXPECT_TRUE(Awake(22, 25));
  EXPECT_FALSE(Awake(26, 29));
  Frames(5);
  EXPECT_EQ(Level->Phase, 2);  // the same place is not the next trigger

  // Airship 1 sets trigger 2 off only within 100.
  Ship(1).Position = {1920 + 110, 3072, 360};
  Frames(1);
  EXPECT_EQ(Level->Phase, 2);
  Ship(1).Position = {1920 + 90, 3072, 360};
  Frames(1);
  EXPECT_EQ(Level->Phase, 3);
  EXPECT_TRUE(Awake(26, 29));

  // At the third the airships stop, the base's fighters rise and the escorts hunt.
  Ship(1).Position = {896, 3296, 360};
  Frames(1);
  EXPECT_EQ(Level->Phase, 4);
  EXPECT_TRUE(Awake(6, 8));
  EXPECT_EQ(Ship(1).Speed, 0.0f);
  EXPECT_EQ(Ship(1).Behaviour, &TActor::Live);
  for (int32_t escort : {3, 4, 5}) {
    if (Level->Actors[escort]->State != StateAlive) continue;
    EXPECT_EQ(Level->Actors[escort]->Behaviour, &TActor::Behaviour10);
  }
}

TEST_F(Mission1Legs, TheMarkerAndTheEscortsFollowTheAirships) {
  Ship(1).Position = {3100, 1200, 360};
  Ship(2).Position = {3300, 1100, 370};
  Frames(1);
  EXPECT_EQ(Level->ObjectivePoint, Ship(1).Position);
  EXPECT_EQ(static_cast<TAirCraft&>(*Level->Actors[3]).GuardPoint, Ship(2).Position);
  EXPECT_EQ(static_cast<TAirCraft&>(*Level->Actors[4]).GuardPoint, Ship(1).Position);
  // With airship 1 gone the marker follows airship 2.
  Kill(1, 1);
  Frames(1);
  EXPECT_EQ(Level->ObjectivePoint, Ship(2).Position);
  EXPECT_EQ(Level->Phase, 1);
}

TEST_F(Mission1Legs, OneAirshipLostDoesNotFailTheSecondDoesAndTheCameraWatchesIt) {
  Ship(1).Life = 0;
  Frames(1);  // it notices its death and starts to explode
  EXPECT_EQ(Ship(1).State, StateDying);
  EXPECT_NE(Level->Phase, 8);
  ASSERT_TRUE(Until(*Level, [&] { return Ship(1).State == StateGone; }, 500));
  EXPECT_NE(Level->Phase, 8);
  // Within the view range, or it would wait.
  Ship(2).Position = Level->Player()->Position + TVector{300, 0, 100};
  Ship(2).Life = 0;
  Frames(2);
  EXPECT_EQ(Ship(2).State, StateDying);
  EXPECT_EQ(Level->Phase, 8);
  EXPECT_EQ(Level->Letterbox, 1);
  EXPECT_EQ(Level->Player()->CameraMode, 9);
  EXPECT_EQ(Level->Player()->Position, Ship(2).Position);
  ASSERT_TRUE(Until(*Level, [&] { return Level->Outcome != TOutcome::Running; }, 1000));
  EXPECT_EQ(Level->Outcome, TOutcome::Failure);
  EXPECT_EQ(Level->MissionSuccess, 0);
}

TEST_F(Mission1Legs, TheLastWaveFallingEndsInSuccessAfterTheFade) {
  Level->Phase = 4;
  Level->Actors[6]->State = Level->Actors[7]->State = Level->Actors[8]->State = StateAlive;
  Frames(1);
  EXPECT_EQ(Level->Phase, 4);
  Kill(6, 8);
  Frames(1);
  EXPECT_EQ(Level->Phase, 5);
  EXPECT_TRUE(Awake(30, 32));
  Kill(30, 32);
  Frames(1);
  EXPECT_EQ(Level->Phase, 7);
  EXPECT_EQ(Level->Letterbox, 1);
  EXPECT_EQ(Ship(1).Behaviour, &TActor::Behaviour7);
  Level->ShotsFired = 3;
  Level->ShotsHit = 2;
  // 0.0002 of black a millisecond: five seconds to the end.
  EXPECT_FALSE(Until(*Level, [&] { return Level->Outcome != TOutcome::Running; }, 4900 / 16));
  EXPECT_TRUE(Until(*Level, [&] { return Level->Outcome != TOutcome::Running; }, 40));
  EXPECT_EQ(Level->Outcome, TOutcome::Success);
  EXPECT_EQ(Level->MissionSuccess, 1);
  EXPECT_EQ(Level->ShotAccuracy, 67);
}

TEST_F(Mission1Legs, LosingEveryLifeFadesToFailure) {
  TCamera& player = *Level->Player();
  for (int32_t life = Level->Lives; life > 1; --life) {
    player.State = StateGone;
    Frames(1);
    EXPECT_EQ(player.State, StateAlive);
    EXPECT_EQ(player.Life, player.MaxLife);
  }
  EXPECT_EQ(Level->Lives, 1);
  player.State = StateGone;
  Level->Fade = 0;
  // A second of fading, then the end.
  EXPECT_FALSE(Until(*Level, [&] { return Level->Outcome != TOutcome::Running; }, 950 / 16));
  EXPECT_TRUE(Until(*Level, [&] { return Level->Outcome != TOutcome::Running; }, 10));
  EXPECT_EQ(Level->Outcome, TOutcome::Failure);
  EXPECT_EQ(Level->Lives, 0);
}

TEST_F(Mission1Legs, ARespawnLiftsThePlayerClearOfEveryActor) {
  TCamera& player = *Level->Player();
  // An airship hovering right where the player falls.
  Ship(1).Position = player.Position + TVector{0, 0, 100};
  const TVector fell = player.Position;
  player.State = StateGone;
  Frames(1);
  for (const auto& actor : Level->Actors) {
    if (actor.get() == &player || actor->State == StateGone) continue;
    EXPECT_GE(VectorLength(actor->Position - player.Position), player.Radius + actor->Radius - 40)
        << actor->MeshName;
  }
  EXPECT_LT(std::abs(player.Position.x - fell.x), 21.0f);
  EXPECT_LT(std::abs(player.Position.y - fell.y), 21.0f);
}

TEST_F(Mission1Legs, EscapePausesOnceStopsEverySoundAndNoResumes) {
  TScriptedInput keys;
  TKeyboardControls controls;
  Level->Input = &controls;
  SetInputSource(&keys);
  keys.Press(VK::Escape);
  Frames(1);
  EXPECT_TRUE(Level->Paused());
  Level->PauseFrame();
  Level->QuitNo();
  EXPECT_FALSE(Level->Paused());
  EXPECT_EQ(Level->Resumed, 1);
  // Escape still held from the answer does not ask again.
  Frames(2);
  EXPECT_FALSE(Level->Paused());
  keys.Release(VK::Escape);
  Frames(1);
  keys.Press(VK::Escape);
  Frames(1);
  EXPECT_TRUE(Level->Paused());
  Level->QuitYes();
  EXPECT_EQ(Level->Outcome, TOutcome::Quit);
  SetInputSource(nullptr);
}

TEST_F(Mission1, AnEscapeStillHeldFromTheScreenBeforeDoesNotPause) {
  TScriptedInput keys;
  TKeyboardControls controls;
  Level->Input = &controls;
  SetInputSource(&keys);
  keys.Press(VK::Escape);
  Frames(3);
  EXPECT_FALSE(Level->Paused());
  keys.Release(VK::Escape);
  Frames(1);
  keys.Press(VK::Escape);
  Frames(1);
  EXPECT_TRUE(Level->Paused());
  SetInputSource(nullptr);
}

// Twenty missions loaded, played a moment and freed leave no GL name, sound slot or texture.
TEST_F(Mission1, LoadingAndFreeingItTwentyTimesLeavesNothingBehind) {
  Level.reset();
  FreeOverlay();
  const TNullGLCounts before = NullGLCounts();
  const size_t textures = Textures.size();
  for (int32_t run = 0; run < 20; ++run) {
    Level = std::make_unique<TLevel1>();
    Level->LoadLevel();
    Frames(50);
    Level.reset();
    FreeOverlay();
    EXPECT_EQ(SoundCount(), 0) << run;
    EXPECT_EQ(MusicCount(), 0) << run;
    EXPECT_LE(Textures.size(), std::max<size_t>(textures, 1)) << run;
    EXPECT_EQ(NullGLCounts().LiveLists, before.LiveLists) << run;
    EXPECT_LE(NullGLCounts().LiveTextures, before.LiveTextures + 1) << run;
  }
}

TEST(Mission1Accuracy, RoundsHalfToEven) {
  struct Case {
    int32_t Fired, Hit, Percent;
  } cases[] = {{0, 0, 0}, {3, 1, 33}, {3, 2, 67}, {8, 1, 12}, {200, 1, 0}, {400, 2, 0}, {200, 3, 2}, {1, 1, 100}};
  for (const Case& c : cases) {
    TLevel level(1);
    level.ShotsFired = c.Fired;
    level.ShotsHit = c.Hit;
    EXPECT_EQ(level.Accuracy(), c.Percent) << c.Hit << " of " << c.Fired;
  }
}

}  // namespace
