// JpegFile.h — JPEG images through libjpeg-turbo: a strict decoder for textures, an encoder
// for the content forge.
//
// The decoder never lets the library end the program or paper over damage: any corrupt-data
// warning (a truncated file among them, which libjpeg would pad with grey) is an error. Sides
// are capped right after the header and the library's buffers are limited, so a lying header
// costs nothing. Output is always R, G, B, top row first; grey files are widened to RGB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int JpegMaxSide = 16384;
constexpr size_t JpegMaxFileSize = 64u << 20;

struct TJpegInfo {
  int Width = 0;
  int Height = 0;
  int Components = 0;  // in the file: 1 grey, 3 colour
  bool Progressive = false;
};

struct TJpegImage {
  int Width = 0;
  int Height = 0;
  int Components = 0;        // as in the file; Rgb is 3 bytes a pixel regardless
  std::vector<uint8_t> Rgb;  // R, G, B, top row first, packed
};

// All throw TFileError naming nameForErrors (or the path) with the library's reason.
TJpegInfo ReadJpegInfo(const uint8_t* data, size_t size, const std::string& nameForErrors);
TJpegImage DecodeJpeg(const uint8_t* data, size_t size, const std::string& nameForErrors);
TJpegImage ReadJpegFile(const std::string& path);

// Baseline JPEG of packed R, G, B rows, top row first; quality 1 (smallest) to 100. The same
// input gives the same bytes every time, as the forge needs.
std::vector<uint8_t> EncodeJpeg(const uint8_t* rgb, int width, int height, int quality);
void WriteJpegFile(const std::string& path, const uint8_t* rgb, int width, int height,
                   int quality);  // atomic
