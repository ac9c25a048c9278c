// SrfFile.h — the .srf terrain format as plain, validated data: reader, encoder and writer.
//
// Layout, little-endian, read front to back with nothing after it:
//   header, 20 bytes: byte 0 grid width W (columns), byte 1 grid height H (rows), bytes 2-3
//     unused, float cell size along x, float cell size along y, float height scale (world
//     units per height step), int32 texture count N
//   N texture names of 12 bytes each: a length byte, then up to 11 characters, zero padded
//   N blend flags, one byte each: non-zero when the texture may take part in seam blending
//   H x W cells of 20 bytes, row 0 first: byte 0 height step, bytes 1-3 unused, three floats
//     of surface normal, byte 16 texture number (into the names), bytes 17-19 unused
// Unused bytes are written as zero and ignored when read.
#pragma once

#include "core/VectMath.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Cells added on every side of the file's grid when the terrain is built; the enlarged grid
// must still fit the byte-sized width and height, which bounds the file's grid.
constexpr int32_t TerrainBorder = 50;
constexpr int32_t SrfMaxEnlargedSide = 255;
constexpr int32_t SrfMaxSide = SrfMaxEnlargedSide - 2 * TerrainBorder;  // 155

constexpr size_t SrfHeaderSize = 20;
constexpr size_t SrfNameSize = 12;
constexpr size_t SrfNameMax = 11;
constexpr size_t SrfCellSize = 20;
// A cell's texture number is one byte, so more names could never be used.
constexpr int32_t SrfMaxTextures = 256;
// Sizes far beyond any map keep every derived position and plane a finite float.
constexpr float SrfMaxCellSize = 65536.0f;
constexpr float SrfMaxHeightScale = 65536.0f;

struct TSrfCell {
  uint8_t HeightStep = 0;
  TVector Normal{0, 0, 1};
  uint8_t Texture = 0;  // index into TSrf::TextureNames

  friend bool operator==(const TSrfCell&, const TSrfCell&) = default;
};

struct TSrf {
  uint8_t Width = 0;   // columns of the file's grid, 1..SrfMaxSide
  uint8_t Height = 0;  // rows, 1..SrfMaxSide
  float CellSizeX = 1, CellSizeY = 1, HeightScale = 1;
  std::vector<std::string> TextureNames;  // texture file names, 1..11 characters each
  std::vector<uint8_t> BlendFlags;        // one per name
  std::vector<TSrfCell> Cells;            // Height x Width, row-major, row 0 first

  const TSrfCell& Cell(int32_t row, int32_t column) const { return Cells[static_cast<size_t>(row) * Width + column]; }
  TSrfCell& Cell(int32_t row, int32_t column) { return Cells[static_cast<size_t>(row) * Width + column]; }

  friend bool operator==(const TSrf&, const TSrf&) = default;
};

// The exact length of a file with this grid and this many textures.
size_t SrfFileSize(int32_t width, int32_t height, int32_t textureCount);

// Throws TFileError naming nameForErrors unless the terrain could be written and built: grid
// sides 1..155, cell sizes positive, height scale not negative, all of them finite and below
// their caps, 1..256 texture names that are plain file names of 1..11 characters, one blend
// flag per name, Width x Height cells with finite normals and texture numbers in the table.
void ValidateSrf(const TSrf& terrain, const std::string& nameForErrors);

// Decodes and validates a whole file image; the length is checked against the header before
// any name or cell is read. Throws TFileError naming nameForErrors.
TSrf ParseSrf(const uint8_t* data, size_t size, const std::string& nameForErrors);
TSrf ReadSrfFile(const std::string& path);

// Validates first, naming nameForErrors.
std::vector<uint8_t> EncodeSrf(const TSrf& terrain, const std::string& nameForErrors = "SRF terrain");
void WriteSrfFile(const std::string& path, const TSrf& terrain);  // atomic
