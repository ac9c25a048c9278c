// Atmosphere.cpp — the daylight scattering model and its precomputed table.
#include "render/Atmosphere.h"

#include "render/SceneGlobals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

TVector BetaRayleigh{};
TVector BetaRayleighAngular{};
TVector BetaMie{};
TVector BetaMieAngular{};
TVector SunColour{1.0f, 1.0f, 1.0f};

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double RadToDeg = 180.0 / Pi;

// Wavelengths of the three channels, in metres for the scattering coefficients.
constexpr double WavelengthR = 650.0e-9;
constexpr double WavelengthG = 570.0e-9;
constexpr double WavelengthB = 475.0e-9;
// Air: refractive index, molecules per cubic metre, depolarisation factor.
constexpr double RefractiveIndex = 1.003;
constexpr double MolecularDensity = 2.545e25;
constexpr double Depolarisation = 0.035;
constexpr double ModelTurbidity = 2.0;
// Mie's K factor per channel.
constexpr double MieK[3] = {0.685, 0.679, 0.670};
// The sky's base tint that the extinction row is scaled by, per channel.
constexpr double ExtinctionTint[3] = {0.0113, 0.0138, 0.008};

constexpr float DefaultHG = 0.8f;
constexpr float DefaultSunIntensity = 100.0f;
constexpr int32_t DefaultTurbidity = 2;

float Channel(const TVector& v, int c) { return c == 0 ? v.x : (c == 1 ? v.y : v.z); }

TVector PerChannel(double r, double g, double b) {
  return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
}

void ComputeCoefficients() {
  const double n2 = RefractiveIndex * RefractiveIndex - 1.0;
  const double r = n2 * n2 * Pi * Pi * (6.0 + 3.0 * Depolarisation) /
                   (6.0 - 7.0 * Depolarisation) / MolecularDensity;
  const double lambda[3] = {WavelengthR, WavelengthG, WavelengthB};
  double rayleigh[3], rayleighAngular[3], mie[3], mieAngular[3];
  const double concentration = (6.544 * ModelTurbidity - 6.51) * 1.0e-17;
  const double twoPiSquared = (2.0 * Pi) * (2.0 * Pi);
  for (int c = 0; c < 3; ++c) {
    const double inv4 = 1.0 / std::pow(lambda[c], 4.0);
    const double inv2 = 1.0 / (lambda[c] * lambda[c]);
    rayleigh[c] = 8.0 * Pi / 3.0 * r * inv4;
    rayleighAngular[c] = r / 2.0 * inv4;
    mieAngular[c] = 0.434 * concentration * twoPiSquared * 0.5 * inv2;
    mie[c] = 0.434 * concentration * Pi * twoPiSquared * MieK[c] * inv2;
  }
  BetaRayleigh = PerChannel(rayleigh[0], rayleigh[1], rayleigh[2]);
  BetaRayleighAngular = PerChannel(rayleighAngular[0], rayleighAngular[1], rayleighAngular[2]);
  BetaMie = PerChannel(mie[0], mie[1], mie[2]);
  BetaMieAngular = PerChannel(mieAngular[0], mieAngular[1], mieAngular[2]);
}

// Transmittance of direct sunlight through Rayleigh and aerosol (turbidity) extinction.
void ComputeSunColour(const TVector& light, int32_t turbidity) {
  const double cosTheta = std::clamp(static_cast<double>(light.z), -1.0, 1.0);
  const double theta = std::acos(cosTheta);
  const double opticalMass = 1.0 / (cosTheta + 0.15 * std::pow(93.885 - theta * RadToDeg, -1.253));
  const double beta = 0.04608365822050 * turbidity - 0.04586025928522;
  // Wavelengths in micrometres for these fitted formulas.
  const double lambda[3] = {0.65, 0.57, 0.475};
  double colour[3];
  for (int c = 0; c < 3; ++c) {
    const double rayleigh = std::exp(-opticalMass * 0.008735 * std::pow(lambda[c], -4.08));
    const double aerosol = std::exp(-opticalMass * beta * std::pow(lambda[c], -1.3));
    colour[c] = rayleigh * aerosol;
  }
  SunColour = PerChannel(colour[0], colour[1], colour[2]);
}

}  // namespace

TCoefficientScales MissionCoefficientScales(int32_t mission) {
  constexpr float RayleighScale = 0.2f;
  constexpr float ClearMieScale = 0.0001f;
  constexpr float HazyMieScale = 0.01f;
  return {RayleighScale, mission == 1 ? ClearMieScale : HazyMieScale};
}

void ComputeLightSpaceMatrix(const TVector& light, TMatrix& out) {
  MatrixIdentity(out);
  // The partial vectors are used as they are, not normalised, so both angles come out as the
  // angle of the full direction from the zenith; the sign alone depends on the dropped axis.
  const TVector up{0.0f, 0.0f, 1.0f};
  const TVector noX{0.0f, light.y, light.z};
  const float a = static_cast<float>(std::acos(std::clamp(VectorDot(noX, up), -1.0f, 1.0f)) * RadToDeg);
  if (light.y > 0.0f) MatrixRotate(out, -a, 1.0f, 0.0f, 0.0f);
  if (light.y < 0.0f) MatrixRotate(out, a, 1.0f, 0.0f, 0.0f);
  const TVector noY{light.x, 0.0f, light.z};
  const float b = static_cast<float>(std::acos(std::clamp(VectorDot(noY, up), -1.0f, 1.0f)) * RadToDeg);
  if (light.x > 0.0f) MatrixRotate(out, -b, 0.0f, 1.0f, 0.0f);
  if (light.x < 0.0f) MatrixRotate(out, b, 0.0f, 1.0f, 0.0f);
}

TAtmosphere::TAtmosphere() {
  ComputeCoefficients();
  Turbidity = DefaultTurbidity;
  HG = DefaultHG;
  SunIntensity = DefaultSunIntensity;
  ComputeLightSpaceMatrix(LightDirection, LightSpaceMatrix);
}

void TAtmosphere::ScaleCoefficients(float rayleigh, float mie) {
  BetaRayleigh *= rayleigh;
  BetaRayleighAngular *= rayleigh;
  BetaMie *= mie;
  BetaMieAngular *= mie;
}

void TAtmosphere::Compute() {
  ComputeSunColour(LightDirection, Turbidity);
  Table.assign(static_cast<size_t>(ScatterDistances) * ScatterAngles, TScatterEntry{});

  const double g = HG;
  double total[3], rayleighAngular[3], mieAngular[3];
  for (int c = 0; c < 3; ++c) {
    total[c] = static_cast<double>(Channel(BetaRayleigh, c)) + Channel(BetaMie, c);
    rayleighAngular[c] = Channel(BetaRayleighAngular, c);
    mieAngular[c] = Channel(BetaMieAngular, c);
  }
  // The phase terms depend on the angle only: one row of them serves every distance.
  double rayleighPhase[ScatterAngles], miePhase[ScatterAngles];
  for (int a = 0; a < ScatterAngles; ++a) {
    const double cosTheta = std::cos(a * Pi / 180.0);
    rayleighPhase[a] = 1.0 + cosTheta * cosTheta;
    miePhase[a] = (1.0 - g) * (1.0 - g) / std::pow(1.0 + g * g - 2.0 * g * cosTheta, 1.5);
  }
  for (int s = 0; s < ScatterDistances; ++s) {
    double extinction[3], scattered[3];
    for (int c = 0; c < 3; ++c) {
      const double transmitted = std::exp(-total[c] * s);
      extinction[c] = transmitted * ExtinctionTint[c];
      scattered[c] = total[c] > 0.0 ? (1.0 - transmitted) / total[c] : 0.0;
    }
    TScatterEntry* row = &Table[static_cast<size_t>(s) * ScatterAngles];
    for (int a = 0; a < ScatterAngles; ++a) {
      for (int c = 0; c < 3; ++c) {
        const double angular = rayleighAngular[c] * rayleighPhase[a] + mieAngular[c] * miePhase[a];
        row[a].InScatter[c] = static_cast<float>(angular * scattered[c]);
        row[a].Extinction[c] = static_cast<float>(extinction[c]);
      }
    }
  }
}

void TAtmosphere::Lookup(const TVector& point, const TVector& eye, TVector* inScatter,
                         TVector* extinction) {
  SunIntensity = DefaultSunIntensity;
  if (Table.empty()) {  // not computed yet: no light rather than a read past the table
    if (inScatter) *inScatter = {};
    if (extinction) *extinction = {};
    return;
  }
  const TVector v = point - eye;
  constexpr float MaxDistance = ScatterDistances - 1;
  const int32_t s = static_cast<int32_t>(std::clamp(std::round(VectorLength(v)), 0.0f, MaxDistance));
  TVector dir;
  VectorNormalize(v, dir);
  const double cosTheta = std::clamp(static_cast<double>(VectorDot(LightDirection, dir)), -1.0, 1.0);
  const double theta = std::acos(cosTheta) * RadToDeg;
  const int32_t a = std::clamp(static_cast<int32_t>(theta), 0, ScatterAngles - 2);
  const float f = static_cast<float>(theta - std::trunc(theta));

  const TScatterEntry& lo = Entry(s, a);
  const TScatterEntry& hi = Entry(s, a + 1);
  float in[3], ex[3];
  for (int c = 0; c < 3; ++c) {
    const float scale = Channel(SunColour, c) * SunIntensity;
    in[c] = (lo.InScatter[c] + (hi.InScatter[c] - lo.InScatter[c]) * f) * scale;
    ex[c] = (lo.Extinction[c] + (hi.Extinction[c] - lo.Extinction[c]) * f) * scale;
  }
  if (inScatter) *inScatter = {in[0], in[1], in[2]};
  if (extinction) *extinction = {ex[0], ex[1], ex[2]};
}

void TAtmosphere::InScatter(const TVector& point, const TVector& eye, const TVector& unused,
                            TVector& colour) {
  Lookup(point, eye, &colour, nullptr);
}

void TAtmosphere::Scatter(const TVector& point, const TVector& eye, TVector& inScatter,
                          TVector& extinction) {
  Lookup(point, eye, &inScatter, &extinction);
}
