// ArtHud.h — head-up display pictures: radar mask and frame, energy and missile signs, sights.
//
// The signs and sights are tinted by the game (energy state, lock state), so they are painted
// in white and greys: their shading survives any tint. The radar frame is drawn untinted and
// carries the palette's steel and teal.
#pragma once

#include "core/PngFile.h"

TRgbaImage MakeRadarMask();    // opaque disc, alpha 0 outside: stencils the radar map
TRgbaImage MakeRadarFrame();   // bezel ring whose inside edge covers the mask's edge
TRgbaImage MakeEnergySign();   // lightning bolt in a hexagon
TRgbaImage MakeMissileSign();  // missile climbing to the upper right
TRgbaImage MakeGunSight();     // ring, ticks and centre dot
TRgbaImage MakeMissileSight(); // corner brackets round a diamond

// The radar frame is drawn 1.15 times the size of the mask, so the map's edge falls at this
// fraction of the frame's radius.
constexpr float RadarMapEdge = 0.1f / 0.115f;
