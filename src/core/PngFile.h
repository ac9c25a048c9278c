// PngFile.h — PNG images through libpng: screenshots, contact sheets and conversions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TRgbaImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;  // RGBA, 4 bytes a pixel, top row first
};

// Throws TFileError naming the file on any failure.
void WritePng(const std::string& path, const TRgbaImage& image);
TRgbaImage ReadPng(const std::string& path);

// OpenGL reads pixels bottom row first; this turns such rows the other way up.
void FlipRows(TRgbaImage& image);
