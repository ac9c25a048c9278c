// MissionSettings.h — what each mission's loader sets before its actors are placed: light,
// atmosphere, terrain, sky, fog, radar picture and music.
#pragma once

#include "core/VectMath.h"

#include <GL/gl.h>

#include <cstdint>

struct TMissionSettings {
  int32_t MissileCount;
  TVector LightDirection;  // towards the sun, before normalising
  float RayleighScale, MieScale;
  const char* Terrain;     // in Data/
  float TextureScale;      // cells one ground texture spans
  bool TerrainFlag;        // per-vertex scattering instead of lighting and fog
  const char* SkyPicture;  // in textures/
  GLenum SkyTexEnvMode;
  float SkyHeight;         // times the terrain's height scale: the dome's base
  bool SunVisible;
  float ViewRange;         // actors farther from the eye are not updated or drawn
  TVector FogColour;       // also the clear colour
  float FogStart, FogEnd;
  const char* Radar;       // in textures/
  const char* Music;       // in Sound/
  float FadeRate;          // fade-in per millisecond
};

constexpr int32_t MissionCount = 5;

// Mission 1..5; anything else is clamped into that range.
const TMissionSettings& MissionSettings(int32_t mission);
