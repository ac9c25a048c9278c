// ArtEffects.h — effect pictures: exhaust star, spark, smoke puff, shot mark, sun, lens-flare
// ring and the explosion flip-book.
//
// Pictures drawn additively carry their light in colour times alpha and fade to alpha 0 well
// before the border, so clamped decals and mipmaps never show a square edge.
#pragma once

#include "core/PngFile.h"

#include <string>

TRgbaImage MakeStar();      // exhaust flame and lamp glow: white-hot core, halo and rays
TRgbaImage MakeSparkle();   // spark and ground light pool: round glow without rays
TRgbaImage MakeSmoke();     // soft billowing puff, light grey, lit from the upper left
TRgbaImage MakeShotMark();  // glowing ground mark where a gun shot lands
TRgbaImage MakeSun();       // sun disc with its corona
TRgbaImage MakeFlare();     // one faint lens-flare ring with coloured fringes

// The explosion plays ExplosionFrameCount frames of ExplosionFrameSide square pixels.
constexpr int ExplosionFrameCount = 20;
constexpr int ExplosionFrameSide = 128;
// "exp00001.cna" for frame 0: the 12-character names the flip-book list holds.
std::string ExplosionFrameName(int frame);
// The frame number of such a name; -1 when it is not one.
int ExplosionFrameIndex(const std::string& fileName);
TRgbaImage MakeExplosionFrame(int frame);
