// Atmosphere.h — the daylight scattering model: coefficients, sun colour, the table of
// in-scattered light and extinction by distance and sun angle, and the light-space matrix.
//
// Conventions: colours are RGB in TVector (x = red, y = green, z = blue). Coefficients are per
// metre of the physical model but the table is indexed by world units (1 unit = 1 step of
// distance), as the game was tuned. Angles in the table are whole degrees between the view ray
// and the sun direction (LightDirection).
#pragma once

#include "core/VectMath.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Process-wide scattering coefficients, filled by the TAtmosphere constructor and then scaled
// by the mission (ScaleCoefficients) before Compute.
extern TVector BetaRayleigh;         // total Rayleigh scattering
extern TVector BetaRayleighAngular;  // multiplies the Rayleigh phase term
extern TVector BetaMie;              // total Mie scattering
extern TVector BetaMieAngular;       // multiplies the Mie phase term

// The sun's transmitted colour, written by Compute.
extern TVector SunColour;

// Table extent: distance rows 0..2000 world units, angle columns 0..180 degrees.
constexpr int32_t ScatterDistances = 2001;
constexpr int32_t ScatterAngles = 181;

struct TScatterEntry {
  float InScatter[3];
  float Extinction[3];
};
static_assert(sizeof(TScatterEntry) == 24);

// How much one mission scales the Rayleigh pair and the Mie pair of coefficients.
struct TCoefficientScales {
  float Rayleigh;
  float Mie;
};
// Mission 1 has a clear sky (almost no Mie haze); missions 2 to 5 are hazier. mission is 1..5.
TCoefficientScales MissionCoefficientScales(int32_t mission);

class TAtmosphere {
public:
  // Computes the coefficients, HG, Turbidity, SunIntensity and LightSpaceMatrix from
  // LightDirection. Does not fill the table: the mission scales the coefficients first.
  TAtmosphere();

  // Multiplies BetaRayleigh and BetaRayleighAngular by rayleigh, BetaMie and BetaMieAngular by mie.
  static void ScaleCoefficients(float rayleigh, float mie);

  // SunColour, then the whole table (a few million exponentials: once per mission load).
  void Compute();

  // The in-scattered colour seen from eye towards point. The third vector is not used; it is
  // kept so every caller of the scattering model passes the same arguments.
  void InScatter(const TVector& point, const TVector& eye, const TVector& unused, TVector& colour);
  // Both colours for one terrain vertex.
  void Scatter(const TVector& point, const TVector& eye, TVector& inScatter, TVector& extinction);

  const TScatterEntry& Entry(int32_t distance, int32_t angle) const {
    return Table[static_cast<size_t>(distance) * ScatterAngles + static_cast<size_t>(angle)];
  }

  std::vector<TScatterEntry> Table;  // ScatterDistances x ScatterAngles, distance outer
  float HG = 0.8f;                   // Henyey-Greenstein asymmetry of Mie scattering
  float SunIntensity = 100.0f;       // set again by every lookup
  int32_t Turbidity = 2;

private:
  // Interpolates one row in angle and scales by SunColour and SunIntensity.
  void Lookup(const TVector& point, const TVector& eye, TVector* inScatter, TVector* extinction);
};

// The rotation that turns LightDirection towards +z, as the constructor stores it.
void ComputeLightSpaceMatrix(const TVector& light, TMatrix& out);
