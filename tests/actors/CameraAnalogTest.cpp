// CameraAnalogTest.cpp — a stick's deflection scales the player's turn and pitch rates: full
// deflection equals the key, half turns at half the rate, and bad deflections read as keys.
#include "actors/CameraUnit.h"

#include "ActorTestWorld.h"

#include <limits>

namespace {

constexpr float Upright = -1.5708f;  // stands a +Y-up model in the z-up world
constexpr TVector Sky{2000, 2000, 500};
constexpr float FullRate = 0.001f;   // the player's turn rate per ms

// Opens the player's control step to the test: the rates it asks for, before they fly.
class TRatesProbe final : public TCamera {
public:
  using TCamera::TCamera;
  struct TOut {
    float Yaw, Pitch, Roll;
  };
  TOut Rates() {
    const TRates r = ReadControls(16);
    return {r.Yaw, r.Pitch, r.Roll};
  }
};

class CameraAnalogTest : public ActorTest {
protected:
  TRatesProbe::TOut RatesFor(const TControlState& controls) {
    TTestWorld& w = MakeWorld();
    auto probe = std::make_unique<TRatesProbe>(w);
    TRatesProbe& p = *probe;
    w.Add(std::move(probe));
    p.LoadTyped(DataDir + "ally1", Sky, Upright, 0, 0, 0);
    w.Controls = controls;
    return p.Rates();
  }
  static TControlState Steer(bool left, bool right, bool up, bool down, float turn, float pitch) {
    TControlState s;
    s.TurnLeft = left;
    s.TurnRight = right;
    s.NoseUp = up;
    s.NoseDown = down;
    s.Turn = turn;
    s.Pitch = pitch;
    return s;
  }
};

TEST_F(CameraAnalogTest, FullDeflectionEqualsTheKey) {
  const auto key = RatesFor(Steer(true, false, true, false, 0, 0));
  const auto stick = RatesFor(Steer(true, false, true, false, -1, -1));
  EXPECT_EQ(key.Yaw, -FullRate);
  EXPECT_EQ(stick.Yaw, key.Yaw);
  EXPECT_EQ(stick.Roll, key.Roll);
  EXPECT_EQ(stick.Pitch, key.Pitch);
}

TEST_F(CameraAnalogTest, DeflectionScalesTurnBankAndPitch) {
  struct TCase {
    TControlState Controls;
    float Yaw, Pitch, Roll;
  };
  const TCase cases[] = {
      {Steer(true, false, false, false, -0.5f, 0), -0.5f * FullRate, 0, -0.5f * FullRate},
      {Steer(false, true, false, false, 0.25f, 0), 0.25f * FullRate, 0, 0.25f * FullRate},
      {Steer(false, false, true, false, 0, -0.25f), 0, -0.25f * FullRate, 0},
      {Steer(false, false, false, true, 0, 0.75f), 0, 0.75f * FullRate, 0},
      // Right overwrites left, and the deflection given is the one that counts.
      {Steer(true, true, false, false, 0.5f, 0), 0.5f * FullRate, 0, 0.5f * FullRate},
  };
  for (const TCase& c : cases) {
    const auto r = RatesFor(c.Controls);
    EXPECT_FLOAT_EQ(r.Yaw, c.Yaw);
    EXPECT_FLOAT_EQ(r.Pitch, c.Pitch);
    EXPECT_FLOAT_EQ(r.Roll, c.Roll);
  }
}

TEST_F(CameraAnalogTest, InvertYFlipsAScaledPitchToo) {
  Config.InvertY = 1;
  EXPECT_FLOAT_EQ(RatesFor(Steer(false, false, true, false, 0, -0.5f)).Pitch, 0.5f * FullRate);
}

TEST_F(CameraAnalogTest, ADeflectionWithoutItsDirectionDoesNothing) {
  const auto r = RatesFor(Steer(false, false, false, false, -0.8f, 0.8f));
  EXPECT_EQ(r.Yaw, 0);
  EXPECT_EQ(r.Pitch, 0);
  EXPECT_EQ(r.Roll, 0);
  EXPECT_EQ(World->PlayerFlag, 0);
}

TEST_F(CameraAnalogTest, BadDeflectionsReadAsAKey) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (float bad : {nan, inf, -inf, 3.0f, -2.0f}) {
    const auto r = RatesFor(Steer(true, false, false, true, bad, bad));
    EXPECT_EQ(r.Yaw, -FullRate) << bad;
    EXPECT_EQ(r.Pitch, FullRate) << bad;
  }
}

}  // namespace
