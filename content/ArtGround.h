// ArtGround.h — the terrain's tileable ground textures, their bump maps and the six seam masks.
#pragma once

#include "content/Paint.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Every ground texture, bump map and mask has this size, because seams mix two textures pixel
// for pixel through a mask read with the same row length.
constexpr int GroundTextureSize = 256;

enum class TGround : uint8_t { Grass, Meadow, Rock, Snow, Dry, Sand, Base };
constexpr int GroundCount = 7;

// The file name in textures/ (at most 10 characters, so the bump map's "b" + name still fits a
// terrain's 11-character texture name).
const char* GroundFileName(TGround ground);
// The texture's average colour, which the radar maps paint with.
TColor GroundMeanColor(TGround ground);

// 24-bit pictures, top row first, tiling seamlessly on both axes.
TRgbaImage MakeGroundTexture(TGround ground);
// Normal-style bump map of the same relief: (128, 128, 255) is flat.
TRgbaImage MakeGroundBump(TGround ground);
// Seam mask `pattern` (0..5) as 8-bit values, top row first; 0 shows the seam's first texture,
// 255 its second.
std::vector<uint8_t> MakeSeamMask(int pattern);

// Forge generators, choosing by the file's name: "grass.bmp", "bgrass.bmp", "alphav.bmp" ...
void ForgeGroundTexture(const std::string& outPath, const std::string& relative);
void ForgeSeamMask(const std::string& outPath, const std::string& relative);
