// ArtSky.h — the five mission skies.
//
// The dome repeats a sky picture four times around the horizon, so every picture tiles left to
// right. Its top row is the zenith, where the dome pinches every column into one point, so the
// top stays free of detail; its bottom row is the horizon, where the picture meets the
// mission's fog colour.
#pragma once

#include "core/PngFile.h"

// A tile spans a quarter of the horizon and the picture's height a quarter turn up to the
// zenith: at this size a texel stays under about three pixels on a 1024-pixel-wide screen.
constexpr int SkyWidthLog2 = 10;
constexpr int SkyWidth = 1 << SkyWidthLog2;
constexpr int SkyHeight = SkyWidth / 2;

TRgbaImage MakeSky1();  // fair-weather clouds with alpha, laid over the scattered daylight
TRgbaImage MakeSky2();  // dust and streaks added to a low, hazy sun: ochre
TRgbaImage MakeSky3();  // heavy grey overcast
TRgbaImage MakeSky4();  // green-grey storm light over a trap
TRgbaImage MakeSky5();  // clearing cold front: slate blue between grey-white clouds
