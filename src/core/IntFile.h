// IntFile.h — the per-model .int parameter files: aircraft, airship and building layouts.
//
// A text file with a fixed number of values on each line, decimal numbers separated by blanks
// or tabs. Whatever follows a line's values is a comment and skipped; lines after the last one
// of the layout are ignored. Units: speeds in world units per millisecond, positions in the
// model's own space (x right, y up, the nose toward -z).
//
//   line  aircraft                  airship                   building
//   1     Speed                     Speed                     Radius CollisionRadius
//   2     Radius CollisionRadius    Radius CollisionRadius    Size
//   3     Size                      Size                      Life
//   4     Life                      Life                      HitDamage
//   5     HitDamage                 HitDamage                 Side (integer 0, 1 or 2)
//   6     CollisionDamage           CollisionDamage
//   7-8   gun 1, gun 2: x y z
//   9-10  exhaust 1, exhaust 2: x y z
#pragma once

#include "core/VectMath.h"

#include <cstdint>
#include <string>

constexpr size_t IntMaxFileSize = 64u << 10;

struct TAircraftParams {
  float Speed = 0;
  float Radius = 0, CollisionRadius = 0;
  float Size = 0;
  float Life = 0;
  float HitDamage = 0;
  float CollisionDamage = 0;
  TVector Gun1{}, Gun2{};
  TVector Exhaust1{}, Exhaust2{};

  friend bool operator==(const TAircraftParams&, const TAircraftParams&) = default;
};

struct TAirshipParams {
  float Speed = 0;
  float Radius = 0, CollisionRadius = 0;
  float Size = 0;
  float Life = 0;
  float HitDamage = 0;
  float CollisionDamage = 0;

  friend bool operator==(const TAirshipParams&, const TAirshipParams&) = default;
};

struct TBuildingParams {
  float Radius = 0, CollisionRadius = 0;
  float Size = 0;
  float Life = 0;
  float HitDamage = 0;
  int32_t Side = 0;

  friend bool operator==(const TBuildingParams&, const TBuildingParams&) = default;
};

// Parsers take the file's text and throw TFileError naming nameForErrors and the line for a
// missing line, a missing or malformed value, or a value out of its range: numbers must be
// finite, speeds, sizes and damages not negative, radii and life above 0, Side 0, 1 or 2.
TAircraftParams ParseAircraftInt(const std::string& text, const std::string& nameForErrors);
TAirshipParams ParseAirshipInt(const std::string& text, const std::string& nameForErrors);
TBuildingParams ParseBuildingInt(const std::string& text, const std::string& nameForErrors);

TAircraftParams ReadAircraftIntFile(const std::string& path);
TAirshipParams ReadAirshipIntFile(const std::string& path);
TBuildingParams ReadBuildingIntFile(const std::string& path);

// The text of a file: each value written in its shortest exact form (it reads back to the
// same float), then a comment naming the line. Writers validate first and write atomically.
std::string EncodeAircraftInt(const TAircraftParams& p);
std::string EncodeAirshipInt(const TAirshipParams& p);
std::string EncodeBuildingInt(const TBuildingParams& p);
void WriteAircraftIntFile(const std::string& path, const TAircraftParams& p);
void WriteAirshipIntFile(const std::string& path, const TAirshipParams& p);
void WriteBuildingIntFile(const std::string& path, const TBuildingParams& p);
