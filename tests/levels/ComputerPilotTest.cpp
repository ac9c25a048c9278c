// ComputerPilotTest.cpp — the computer pilot flying real missions headless: it keeps clear of
// the ground, the ceiling and the map's edge, and it wins every mission; with nobody flying at
// all every mission is lost.
#include "levels/ComputerPilot.h"

#include "actors/CameraUnit.h"
#include "actors/TurretUnit.h"
#include "core/SrfFile.h"
#include "levels/MissionRun.h"
#include "render/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int32_t Step = 16;
constexpr int64_t TwentyMinutes = 20 * 60 * 1000 / Step;
constexpr int64_t ThreeMinutes = 3 * 60 * 1000 / Step;
constexpr float CeilingAboveSky = 570.0f;  // the aircraft's ceiling over the level's SkyHeight

struct TFlight {
  float LowestAltitude = 1e9f;  // above the ground, while under control
  float HighestOverCeiling = -1e9f;  // above the ceiling, while under control; where and when
  TVector OverAt{};
  int64_t OverFrame = 0;
  bool LeftTheMap = false;
};

// Runs the mission with the pilot and watches every frame the player is under its control.
TFlight Fly(TMissionRun& run, int64_t frames) {
  TFlight flight;
  TLevel& level = *run.Level;
  const TSurf& s = *level.Surface;
  const float ex = static_cast<float>(s.Width - 2 * TerrainBorder) * s.CellSizeX;
  const float ey = static_cast<float>(s.Height - 2 * TerrainBorder) * s.CellSizeY;
  for (int64_t i = 0; i < frames; ++i) {
    if (run.Run(1)) break;
    const TCamera& p = *level.Player();
    if (level.Letterbox || p.State != StateAlive) continue;
    flight.LowestAltitude = std::min(flight.LowestAltitude, p.Position.z - s.GroundHeight(p.Position.x, p.Position.y));
    flight.LeftTheMap |= p.Position.x < 0 || p.Position.y < 0 || p.Position.x > ex || p.Position.y > ey;
    const float over = p.Position.z - (level.SkyHeight + CeilingAboveSky);
    if (over > flight.HighestOverCeiling) {
      flight.HighestOverCeiling = over;
      flight.OverAt = p.Position;
      flight.OverFrame = i;
    }
  }
  return flight;
}

TEST(ComputerPilot, KeepsClearOfTheGroundAndTheEdgeInEveryMission) {
  if (!MissionDataForged()) GTEST_SKIP() << "no data forged";
  for (int32_t mission = 1; mission <= 5; ++mission) {
    TFixedStepClock clock(Step);
    TMissionRun run(mission, 5, clock, nullptr);
    TComputerPilot pilot(*run.Level);
    run.Level->Input = &pilot;
    const TFlight flight = Fly(run, ThreeMinutes);
    EXPECT_GT(flight.LowestAltitude, 2 * run.Level->Player()->Radius) << "mission " << mission;
    EXPECT_FALSE(flight.LeftTheMap) << "mission " << mission;
    // Never where the controls are taken away, respawns over high ground included.
    EXPECT_LT(flight.HighestOverCeiling, 0.0f)
        << "mission " << mission << " at (" << flight.OverAt.x << ", " << flight.OverAt.y << ", " << flight.OverAt.z
        << ") frame " << flight.OverFrame;
  }
}

// One seed a mission, each won within twenty minutes of game time (every run takes a second or
// two of wall time headless); scripts/proof flies three seeds of each.
struct TWin {
  int32_t Mission;
  uint32_t Seed;
};
constexpr TWin Wins[] = {{1, 1}, {2, 2}, {3, 2}, {4, 1}, {5, 1}};

TEST(ComputerPilot, WinsEveryMission) {
  if (!MissionDataForged()) GTEST_SKIP() << "no data forged";
  for (const TWin& win : Wins) {
    TFixedStepClock clock(Step);
    TMissionRun run(win.Mission, win.Seed, clock, nullptr);
    TComputerPilot pilot(*run.Level);
    run.Level->Input = &pilot;
    ASSERT_TRUE(run.Run(TwentyMinutes)) << "mission " << win.Mission;
    EXPECT_EQ(run.Level->Outcome, TOutcome::Success) << "mission " << win.Mission;
    EXPECT_GT(run.Level->Lives, 0) << "mission " << win.Mission;
    EXPECT_GT(run.Level->ShotAccuracy, 10) << "mission " << win.Mission;
    std::printf("mission %d seed %u won in %.0f s of game time, accuracy %d%%, %d lives left\n", win.Mission, win.Seed,
                static_cast<double>(run.FramesRun * Step) / 1000.0, run.Level->ShotAccuracy, run.Level->Lives);
  }
}

// On a raid, a fighter whose life never falls (restored after every frame) is chased for half a
// minute at most, then left alone for a while: the pilot goes on with the mission instead of
// circling it at the ceiling for minutes.
TEST(ComputerPilot, LeavesAFighterThatTakesNoHarm) {
  if (!MissionDataForged()) GTEST_SKIP() << "no data forged";
  constexpr int64_t GiveUpFrames = 30000 / Step;
  constexpr int64_t IgnoreFrames = 120000 / Step;
  TFixedStepClock clock(Step);
  TMissionRun run(2, 1, clock, nullptr);
  TComputerPilot pilot(*run.Level);
  run.Level->Input = &pilot;
  TLevel& level = *run.Level;
  const TSurf& surface = *level.Surface;
  auto fighter = [&](const TActor& a) {
    return !a.GroundUnit && a.Radius <= 50 && a.Position.z - surface.GroundHeight(a.Position.x, a.Position.y) > 40;
  };
  std::vector<float> life(static_cast<size_t>(level.ActorCount()), -1.0f);
  std::vector<int64_t> leftAt(static_cast<size_t>(level.ActorCount()), -1);
  int32_t current = -1;
  int64_t since = 0, longest = 0, left = 0;
  for (int64_t frame = 0; frame < 2 * GiveUpFrames + IgnoreFrames && !run.Run(1); ++frame) {
    const int32_t target = pilot.Target();
    const bool chased = target >= 0 && fighter(*level.Actors[static_cast<size_t>(target)]);
    if (target != current) {
      if (current >= 0 && frame - since >= GiveUpFrames) {
        leftAt[static_cast<size_t>(current)] = frame;
        ++left;
      }
      // A fighter left before is not taken up again until its time is out.
      if (chased && leftAt[static_cast<size_t>(target)] >= 0) {
        EXPECT_GE(frame - leftAt[static_cast<size_t>(target)], IgnoreFrames - 2) << "actor " << target;
      }
      current = chased ? target : -1;
      since = frame;
    }
    if (!chased) continue;
    longest = std::max(longest, frame - since);
    TActor& a = *level.Actors[static_cast<size_t>(target)];
    float& kept = life[static_cast<size_t>(target)];
    if (kept < 0) kept = a.Life;
    a.Life = kept;
  }
  EXPECT_LE(longest, GiveUpFrames + 2);
  EXPECT_GE(left, 1) << "no fighter was ever chased for the whole half minute";
}

// Where two missiles would end the aircraft's life (Mission 1: each takes half of it), a
// missile turret's dive ends outside the range it launches within and the pull-out turns away
// from it; the turn carries the aircraft a little way in, never to the guns' usual break, from
// where two dives cost a life.
TEST(ComputerPilot, StrafesALauncherFromOutsideItsReach) {
  if (!MissionDataForged()) GTEST_SKIP() << "no data forged";
  TFixedStepClock clock(Step);
  TMissionRun run(1, 1, clock, nullptr);
  TComputerPilot pilot(*run.Level);
  run.Level->Input = &pilot;
  TLevel& level = *run.Level;
  int64_t turretFrames = 0;
  float closest = 1e9f;  // the nearest the aircraft came, in parts of the turret's reach
  for (int64_t frame = 0; frame < TwentyMinutes && !run.Run(1); ++frame) {
    const TCamera* player = level.Player();
    const TActor* target = level.LiveActor(pilot.Target());
    const auto* turret = dynamic_cast<const TTurret*>(target);
    if (!player || player->State != StateAlive || !turret) continue;
    ++turretFrames;
    closest = std::min(closest, VectorLength(turret->Position - player->Position) / turret->FireRange);
  }
  ASSERT_GT(turretFrames, 0) << "no turret was ever attacked";
  EXPECT_GT(closest, 0.8f);
}

// Nobody at the controls: the aircraft flies straight on, the border turns it back, and every
// mission is lost within twenty minutes: hunters shoot it down life after life, or (Mission 4)
// the airship falls. (Mission 1's escorts win the convoy through on their own from some seeds;
// seed 3 is not one of them.)
TEST(ComputerPilot, NobodyFlyingLosesEveryMission) {
  if (!MissionDataForged()) GTEST_SKIP() << "no data forged";
  for (int32_t mission = 1; mission <= 5; ++mission) {
    TFixedStepClock clock(Step);
    TIdleControls nobody;
    TMissionRun run(mission, mission == 1 ? 3 : 1, clock, &nobody);
    ASSERT_TRUE(run.Run(TwentyMinutes)) << "mission " << mission;
    EXPECT_EQ(run.Level->Outcome, TOutcome::Failure) << "mission " << mission;
    EXPECT_EQ(run.Level->ShotsFired, 0) << "mission " << mission;
  }
}

}  // namespace

// A whole run of any mission and seed, for looking into the pilot by hand:
//   QUINTARA_MISSION=2 QUINTARA_SEED=1 test_levels --gtest_also_run_disabled_tests
//     --gtest_filter='*DISABLED_OneRun'
// QUINTARA_IDLE=1 leaves the controls alone, QUINTARA_TRACE=N prints every Nth frame,
// QUINTARA_FRAMES=N stops early, QUINTARA_DUMP=1 lists the actors left at the end.
namespace {
int32_t EnvNumber(const char* name, int32_t fallback) {
  const char* v = std::getenv(name);
  return v ? std::atoi(v) : fallback;
}
}  // namespace

TEST(ComputerPilot, DISABLED_OneRun) {
  if (!MissionDataForged()) GTEST_SKIP() << "no data forged";
  const int32_t mission = EnvNumber("QUINTARA_MISSION", 1);
  const uint32_t seed = static_cast<uint32_t>(EnvNumber("QUINTARA_SEED", 1));
  const bool idle = EnvNumber("QUINTARA_IDLE", 0) != 0;
  TFixedStepClock clock(Step);
  TIdleControls nobody;
  TMissionRun run(mission, seed, clock, &nobody);
  TComputerPilot pilot(*run.Level);
  if (!idle) run.Level->Input = &pilot;
  TLevel& level = *run.Level;
  int32_t phase = level.Phase, lives = level.Lives;
  float worst = -1e9f;
  const int64_t frames = EnvNumber("QUINTARA_FRAMES", static_cast<int32_t>(TwentyMinutes));
  for (int64_t i = 0; i < frames; ++i) {
    if (run.Run(1)) break;
    const TCamera& p = *level.Player();
    const double t = static_cast<double>(run.FramesRun * Step) / 1000.0;
    if (level.Phase != phase || level.Lives != lives) {
      std::printf("t=%7.1f phase %d -> %d lives %d -> %d at (%.0f %.0f %.0f)\n", t, phase, level.Phase, lives,
                  level.Lives, static_cast<double>(p.Position.x), static_cast<double>(p.Position.y),
                  static_cast<double>(p.Position.z));
      phase = level.Phase;
      lives = level.Lives;
    }
    const int32_t trace = EnvNumber("QUINTARA_TRACE", 0);
    if (trace > 0 && run.FramesRun % trace == 0) {
      const TActor* tg = level.LiveActor(pilot.Target());
      std::printf("  t=%6.1f p (%.0f %.0f %.0f) alt %.0f nose %.2f spd %.3f tgt %d", t, static_cast<double>(p.Position.x),
                  static_cast<double>(p.Position.y), static_cast<double>(p.Position.z),
                  static_cast<double>(p.Position.z - level.Surface->GroundHeight(p.Position.x, p.Position.y)),
                  static_cast<double>(-p.AxisZ.z), static_cast<double>(p.Speed), pilot.Target());
      if (tg)
        std::printf(" at (%.0f %.0f %.0f) side %d life %.1f", static_cast<double>(tg->Position.x),
                    static_cast<double>(tg->Position.y), static_cast<double>(tg->Position.z), tg->Side,
                    static_cast<double>(tg->Life));
      std::printf(" fired %d\n", level.ShotsFired);
    }
    if (run.FramesRun % 3750 == 0)
      std::printf("t=%7.1f marker (%.0f %.0f %.0f) player (%.0f %.0f %.0f) target %d\n", t,
                  static_cast<double>(level.ObjectivePoint.x), static_cast<double>(level.ObjectivePoint.y),
                  static_cast<double>(level.ObjectivePoint.z), static_cast<double>(p.Position.x),
                  static_cast<double>(p.Position.y), static_cast<double>(p.Position.z), pilot.Target());
    if (mission == 4 && run.FramesRun % 625 == 0) {
      const TActor& z = *level.Actors[2];
      std::printf("  z2 state %d life %.1f time %d done %d path %d pos %.0f %.0f %.0f\n", z.State,
                  static_cast<double>(z.Life), z.PathMotion.Time, z.MotionDone, z.Behaviour == &TActor::Behaviour7,
                  static_cast<double>(z.Position.x), static_cast<double>(z.Position.y), static_cast<double>(z.Position.z));
    }
    if (!level.Letterbox && p.State == StateAlive) {
      const float over = p.Position.z - (level.SkyHeight + CeilingAboveSky);
      // Each time it is found twenty higher over the ceiling than last reported.
      if (over > 0 && over > std::max(worst, 0.0f) + 20) {
        std::printf("t=%7.1f above the ceiling by %.0f at (%.0f %.0f), ground %.0f\n", t, static_cast<double>(over),
                    static_cast<double>(p.Position.x), static_cast<double>(p.Position.y),
                    static_cast<double>(level.Surface->GroundHeight(p.Position.x, p.Position.y)));
        worst = over;
      }
    }
  }
  if (EnvNumber("QUINTARA_DUMP", 0))
    for (int32_t i = 1; i < level.ActorCount(); ++i) {
      const TActor& a = *level.Actors[static_cast<size_t>(i)];
      if (a.State == StateGone) continue;
      std::printf("  actor %d type %d side %d state %d life %.1f ground %d speed %.3f pos %.0f %.0f %.0f above %.0f r %.0f\n", i,
                  a.TypeIndex, a.Side, a.State, static_cast<double>(a.Life), a.GroundUnit, static_cast<double>(a.Speed),
                  static_cast<double>(a.Position.x), static_cast<double>(a.Position.y), static_cast<double>(a.Position.z),
                  static_cast<double>(a.Position.z - level.Surface->GroundHeight(a.Position.x, a.Position.y)),
                  static_cast<double>(a.Radius));
    }
  std::printf("RESULT mission=%d seed=%u outcome=%d phase=%d lives=%d accuracy=%d time=%.1f\n", mission, seed,
              static_cast<int>(level.Outcome), level.Phase, level.Lives, level.Accuracy(),
              static_cast<double>(run.FramesRun * Step) / 1000.0);
}
