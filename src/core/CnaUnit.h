// CnaUnit.h — the game's own 32-bit image format (.cna): reader and writer.
//
// Layout, little-endian: 12 bytes nobody reads (written as zeros), int32 width, int32 height,
// int32 byte count of the pixels (width * height * 4), then the pixels, top row first, each
// 4 bytes blue, green, red, alpha. No magic, no version, no compression.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t CnaHeaderSize = 24;
constexpr int32_t CnaMaxSide = 16384;

class TCna {
public:
  // Every count is checked against the bytes actually present: a file shorter than its header
  // claims, or whose byte count disagrees with its size, is refused naming nameForErrors.
  // Bytes after the pixels are ignored. Throws TFileError; the image is unchanged then.
  void LoadFromBytes(const uint8_t* data, size_t size, const std::string& nameForErrors);
  void LoadFromFile(const std::string& path);

  uint8_t* ScanLine(int32_t y) { return Data.data() + static_cast<size_t>(y) * Width * 4; }
  const uint8_t* ScanLine(int32_t y) const {
    return Data.data() + static_cast<size_t>(y) * Width * 4;
  }

  std::vector<uint8_t> Data;  // B, G, R, A; file row 0 (the top of the image) first
  int32_t Width = 0;
  int32_t Height = 0;
};

// The writer takes rows top first in either channel order and stores them as the file wants.
enum class TCnaSource { Bgra, Rgba };

// Throw TFileError (naming nameForErrors or path) for an empty or oversized image.
std::vector<uint8_t> EncodeCna(const uint8_t* pixels, int32_t width, int32_t height,
                               TCnaSource order, const std::string& nameForErrors = "CNA image");
void WriteCnaFile(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height,
                  TCnaSource order);  // atomic
