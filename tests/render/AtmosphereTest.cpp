// AtmosphereTest.cpp — scattering coefficients, sun colour, table entries, lookups and the
// light-space matrix, each checked against values worked out here from the physics.
#include "render/Atmosphere.h"
#include "render/SceneGlobals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr double Pi = 3.14159265358979323846;

// The physical model written out once more, channel by channel, in double precision.
struct TReference {
  double Rayleigh[3], RayleighAngular[3], Mie[3], MieAngular[3];
};

TReference ReferenceCoefficients() {
  const double nm[3] = {650, 570, 475};
  const double k[3] = {0.685, 0.679, 0.670};
  const double n = 1.003, molecules = 2.545e25, pn = 0.035;
  const double r = std::pow(n * n - 1, 2) * Pi * Pi * (6 + 3 * pn) / (6 - 7 * pn) / molecules;
  const double c = (6.544 * 2.0 - 6.51) * 1e-17;
  TReference ref{};
  for (int i = 0; i < 3; ++i) {
    const double metres = nm[i] * 1e-9;
    ref.Rayleigh[i] = 8 * Pi / 3 * r / std::pow(metres, 4);
    ref.RayleighAngular[i] = r / 2 / std::pow(metres, 4);
    ref.MieAngular[i] = 0.434 * c * 4 * Pi * Pi * 0.5 / (metres * metres);
    ref.Mie[i] = 0.434 * c * Pi * 4 * Pi * Pi * k[i] / (metres * metres);
  }
  return ref;
}

double At(const TVector& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

void ExpectRelative(double actual, double expected, double tolerance = 1e-5) {
  EXPECT_NEAR(actual, expected, std::fabs(expected) * tolerance + 1e-12);
}

// Sets the sun direction for one test and puts the previous one back.
class Atmosphere : public ::testing::Test {
protected:
  void SetUp() override { SavedLight = LightDirection; }
  void TearDown() override { LightDirection = SavedLight; }

  void SetLight(float x, float y, float z) { VectorNormalize({x, y, z}, LightDirection); }

  // The first mission's atmosphere, computed.
  std::unique_ptr<TAtmosphere> MissionOne() {
    SetLight(1, 1, 0.8f);
    auto atmosphere = std::make_unique<TAtmosphere>();
    const TCoefficientScales scales = MissionCoefficientScales(1);
    TAtmosphere::ScaleCoefficients(scales.Rayleigh, scales.Mie);
    atmosphere->Compute();
    return atmosphere;
  }

  // One table entry from the formula: in-scattering then extinction, channel c.
  static std::pair<double, double> ReferenceEntry(int s, int degrees, int c, double rayleighScale,
                                                  double mieScale) {
    const TReference ref = ReferenceCoefficients();
    const double g = 0.8;
    const double tint[3] = {0.0113, 0.0138, 0.008};
    const double total = ref.Rayleigh[c] * rayleighScale + ref.Mie[c] * mieScale;
    const double cosine = std::cos(degrees * Pi / 180);
    const double rayleighPhase = 1 + cosine * cosine;
    const double miePhase = std::pow(1 - g, 2) / std::pow(1 + g * g - 2 * g * cosine, 1.5);
    const double in = (ref.RayleighAngular[c] * rayleighScale * rayleighPhase +
                       ref.MieAngular[c] * mieScale * miePhase) /
                      total * (1 - std::exp(-total * s));
    return {in, std::exp(-total * s) * tint[c]};
  }

  TVector SavedLight{};
};

TEST_F(Atmosphere, ConstructorComputesTheFourCoefficientVectors) {
  SetLight(0, 0, 1);
  TAtmosphere atmosphere;
  const TReference ref = ReferenceCoefficients();
  for (int c = 0; c < 3; ++c) {
    ExpectRelative(At(BetaRayleigh, c), ref.Rayleigh[c]);
    ExpectRelative(At(BetaRayleighAngular, c), ref.RayleighAngular[c]);
    ExpectRelative(At(BetaMie, c), ref.Mie[c]);
    ExpectRelative(At(BetaMieAngular, c), ref.MieAngular[c]);
  }
  EXPECT_FLOAT_EQ(atmosphere.HG, 0.8f);
  EXPECT_FLOAT_EQ(atmosphere.SunIntensity, 100.0f);
  EXPECT_EQ(atmosphere.Turbidity, 2);
  EXPECT_TRUE(atmosphere.Table.empty());  // filled only by Compute
}

TEST_F(Atmosphere, MissionScalesMultiplyEachPair) {
  struct TCase {
    int Mission;
    float Rayleigh, Mie;
  };
  const TCase cases[] = {{1, 0.2f, 0.0001f}, {2, 0.2f, 0.01f}, {3, 0.2f, 0.01f}, {4, 0.2f, 0.01f},
                         {5, 0.2f, 0.01f}};
  const TReference ref = ReferenceCoefficients();
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.Mission);
    TAtmosphere atmosphere;
    const TCoefficientScales scales = MissionCoefficientScales(test.Mission);
    EXPECT_FLOAT_EQ(scales.Rayleigh, test.Rayleigh);
    EXPECT_FLOAT_EQ(scales.Mie, test.Mie);
    TAtmosphere::ScaleCoefficients(scales.Rayleigh, scales.Mie);
    for (int c = 0; c < 3; ++c) {
      ExpectRelative(At(BetaRayleigh, c), ref.Rayleigh[c] * test.Rayleigh);
      ExpectRelative(At(BetaRayleighAngular, c), ref.RayleighAngular[c] * test.Rayleigh);
      ExpectRelative(At(BetaMie, c), ref.Mie[c] * test.Mie);
      ExpectRelative(At(BetaMieAngular, c), ref.MieAngular[c] * test.Mie);
    }
  }
}

// Sun transmittance for a sun at the given angle from the zenith, turbidity 2.
TVector ReferenceSunColour(double zenithDegrees) {
  const double theta = zenithDegrees * Pi / 180;
  const double mass = 1 / (std::cos(theta) + 0.15 * std::pow(93.885 - zenithDegrees, -1.253));
  const double beta = 0.04608365822050 * 2 - 0.04586025928522;
  const double micrometres[3] = {0.65, 0.57, 0.475};
  double out[3];
  for (int c = 0; c < 3; ++c)
    out[c] = std::exp(-mass * 0.008735 * std::pow(micrometres[c], -4.08)) *
             std::exp(-mass * beta * std::pow(micrometres[c], -1.3));
  return {static_cast<float>(out[0]), static_cast<float>(out[1]), static_cast<float>(out[2])};
}

TEST_F(Atmosphere, SunColourIsTheTransmittanceAlongTheSunRay) {
  SetLight(0, 0, 1);
  TAtmosphere overhead;
  overhead.Compute();
  const TVector zenith = ReferenceSunColour(0);
  for (int c = 0; c < 3; ++c) ExpectRelative(At(SunColour, c), At(zenith, c));
  // Overhead the sun is nearly white; blue is lost first.
  EXPECT_GT(SunColour.x, SunColour.z);
  EXPECT_GT(SunColour.z, 0.7f);

  SetLight(0, 1, 1);  // 45 degrees from the zenith: a longer path, a redder sun
  TAtmosphere low;
  low.Compute();
  const TVector slanted = ReferenceSunColour(45);
  for (int c = 0; c < 3; ++c) {
    ExpectRelative(At(SunColour, c), At(slanted, c));
    EXPECT_LT(At(SunColour, c), At(zenith, c));
  }
}

TEST_F(Atmosphere, TableEntriesFollowThePhaseAndExtinctionFormulas) {
  auto atmosphere = MissionOne();
  ASSERT_EQ(atmosphere->Table.size(), static_cast<size_t>(2001 * 181));
  struct TCase {
    int Distance, Angle;
  };
  const TCase cases[] = {{0, 0}, {1, 90}, {250, 17}, {700, 0}, {700, 180}, {1999, 133}, {2000, 180}};
  for (const TCase& test : cases) {
    SCOPED_TRACE(testing::Message() << test.Distance << " units, " << test.Angle << " degrees");
    const TScatterEntry& entry = atmosphere->Entry(test.Distance, test.Angle);
    for (int c = 0; c < 3; ++c) {
      const auto [in, out] = ReferenceEntry(test.Distance, test.Angle, c, 0.2, 0.0001);
      ExpectRelative(entry.InScatter[c], in, 1e-4);
      ExpectRelative(entry.Extinction[c], out, 1e-4);
    }
  }
  // Nothing is scattered in over no distance, and all of the tint comes through.
  EXPECT_EQ(atmosphere->Entry(0, 45).InScatter[0], 0.0f);
  EXPECT_FLOAT_EQ(atmosphere->Entry(0, 45).Extinction[1], 0.0138f);
}

TEST_F(Atmosphere, LookupInterpolatesInAngleAndScalesBySunColourAndIntensity) {
  auto atmosphere = MissionOne();
  const TVector eye{100, 200, 300};
  // A point 300 units away at 40.5 degrees from the sun: halfway between columns 40 and 41.
  const double angle = 40.5 * Pi / 180;
  TVector side;  // a unit vector perpendicular to the sun direction
  VectorCross(LightDirection, {0, 0, 1}, side);
  VectorNormalize(side, side);
  const TVector dir = LightDirection * static_cast<float>(std::cos(angle)) +
                      side * static_cast<float>(std::sin(angle));
  const TVector point = eye + dir * 300.0f;

  atmosphere->SunIntensity = 3.0f;  // every lookup sets it back to 100
  TVector in, out, only;
  atmosphere->Scatter(point, eye, in, out);
  EXPECT_FLOAT_EQ(atmosphere->SunIntensity, 100.0f);
  atmosphere->InScatter(point, eye, {}, only);
  EXPECT_EQ(in, only);
  for (int c = 0; c < 3; ++c) {
    const auto [in40, out40] = ReferenceEntry(300, 40, c, 0.2, 0.0001);
    const auto [in41, out41] = ReferenceEntry(300, 41, c, 0.2, 0.0001);
    const double scale = At(SunColour, c) * 100;
    EXPECT_NEAR(At(in, c), (in40 + in41) / 2 * scale, std::fabs(in40 * scale) * 1e-3);
    EXPECT_NEAR(At(out, c), (out40 + out41) / 2 * scale, std::fabs(out40 * scale) * 1e-3);
  }
}

TEST_F(Atmosphere, LookupEdges) {
  auto atmosphere = MissionOne();
  // The table does not depend on the sun's direction; an axis makes the angles exact.
  LightDirection = {0, 0, 1};
  const TVector eye{0, 0, 0};
  const auto expectEntry = [&](const TVector& colour, const TScatterEntry& entry) {
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(At(colour, c), entry.InScatter[c] * At(SunColour, c) * 100,
                  entry.InScatter[c] * At(SunColour, c) * 100 * 1e-4 + 1e-9);
  };
  TVector colour;
  // Beyond 2000 units the last row is used.
  atmosphere->InScatter(LightDirection * 5000.0f, eye, {}, colour);
  expectEntry(colour, atmosphere->Entry(2000, 0));
  // Straight away from the sun: 180 degrees reads column 179 with 180 weighted by frac(180) = 0.
  atmosphere->InScatter(LightDirection * -500.0f, eye, {}, colour);
  expectEntry(colour, atmosphere->Entry(500, 179));
  // Distances round to the nearest row.
  atmosphere->InScatter(LightDirection * 10.6f, eye, {}, colour);
  expectEntry(colour, atmosphere->Entry(11, 0));
  // The eye itself: distance 0, nothing scattered.
  atmosphere->InScatter(eye, eye, {}, colour);
  EXPECT_EQ(colour, (TVector{0, 0, 0}));
}

TEST_F(Atmosphere, LookupBeforeComputeGivesNoLight) {
  TAtmosphere atmosphere;
  TVector in{1, 1, 1}, out{1, 1, 1};
  atmosphere.Scatter({10, 0, 0}, {0, 0, 0}, in, out);
  EXPECT_EQ(in, (TVector{0, 0, 0}));
  EXPECT_EQ(out, (TVector{0, 0, 0}));
}

// Textbook rotation matrices, column-major.
TMatrix RotationX(double degrees) {
  const float c = static_cast<float>(std::cos(degrees * Pi / 180));
  const float s = static_cast<float>(std::sin(degrees * Pi / 180));
  return {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
}
TMatrix RotationY(double degrees) {
  const float c = static_cast<float>(std::cos(degrees * Pi / 180));
  const float s = static_cast<float>(std::sin(degrees * Pi / 180));
  return {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
}

TEST_F(Atmosphere, LightSpaceMatrixRotatesAboutXThenY) {
  struct TCase {
    float X, Y, Z;
    double XSign, YSign;  // sign of each rotation; 0 when that axis is skipped
  };
  const TCase cases[] = {
      {1, 1, 0.8f, -1, -1}, {-1, 1, 0.8f, -1, 1}, {1, -1, 0.17f, 1, -1},
      {-1, -1, 0.5f, 1, 1}, {0, 1, 1, -1, 0},     {1, 0, 1, 0, -1},
      {0, 0, 1, 0, 0},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(testing::Message() << test.X << ", " << test.Y << ", " << test.Z);
    SetLight(test.X, test.Y, test.Z);
    TAtmosphere atmosphere;
    // Both partial vectors keep the full z, so both angles are the zenith angle of the sun.
    const double zenith = std::acos(LightDirection.z) * 180 / Pi;
    TMatrix expected;
    MatrixMultiply(RotationX(test.XSign * zenith), RotationY(test.YSign * zenith), expected);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(LightSpaceMatrix[i], expected[i], 1e-5) << i;
  }
}

}  // namespace
