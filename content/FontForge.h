// FontForge.h — the game's bitmap font: a 16 x 16 grid of code page 1250 glyphs rasterised
// from Liberation Sans Bold.
#pragma once

#include "core/PngFile.h"

#include <string>

// The glyph of character code c sits in column c mod 16 and row c div 16 from the top; glyphs
// are white with anti-aliased alpha, placed for the overlay's fixed-pitch labels.
TRgbaImage MakeFontImage(const std::string& ttfPath, int cellPixels);

// Debian's Liberation Sans Bold, metric-compatible with Arial Bold.
std::string DefaultFontPath();
