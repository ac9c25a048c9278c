// ArtIcon.h — the desktop icon: a fighter climbing out over dusk mountains, on a rounded tile.
//
// Desktops show it from 16 to 256 pixels, so it is one bold shape (the dark aircraft against
// the sun's glow) on a simple ground; everything outside the tile's rounded corners is clear.
#pragma once

#include "core/PngFile.h"

constexpr int IconSide = 256;

TRgbaImage MakeIcon();
