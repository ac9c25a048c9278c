// ArtIntro.h — the two intro pictures, painted as small 3D scenes of the game's world.
#pragma once

#include "core/PngFile.h"

// Mountains at dusk, the sun going down on the left, a convoy airship far off on the right:
// 512 x 256 for the 2 x 1 sprite.
TRgbaImage MakeIntroDusk();
// A rebel fighter banking over snowy peaks in low evening light: 512 x 512 for the 4 x 4
// sprite that slowly grows on screen.
TRgbaImage MakeIntroFighter();
