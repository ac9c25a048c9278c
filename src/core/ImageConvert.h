// ImageConvert.h — bitmap files, and images moved between PNG, CNA, BMP and JPEG for qtool's
// convert and info commands and the content forge.
//
// Formats are chosen by the lower-cased extension: png, cna, bmp, jpg or jpeg. Everything
// throws TFileError naming the file.
#pragma once

#include "core/PngFile.h"
#include "platform/BmpCodec.h"

#include <cstdint>
#include <string>

// Any bitmap SDL reads (8- and 24-bit among them), with the header checked first.
TBmpImage ReadBmpFile(const std::string& path);
// Atomic writes; rows top first and packed. The 8-bit file has a grey palette.
void WriteBmp24File(const std::string& path, const uint8_t* rgb, int width, int height);
void WriteBmp8File(const std::string& path, const uint8_t* indices, int width, int height);

// Indexed bitmaps are looked up in their palette; formats without alpha give 255.
TRgbaImage ReadAnyImage(const std::string& path);
// BMP (24-bit) and JPEG drop the alpha channel; PNG and CNA keep it.
constexpr int ConvertJpegQuality = 90;
void WriteAnyImage(const std::string& path, const TRgbaImage& image,
                   int jpegQuality = ConvertJpegQuality);

// A short human-readable summary, one line, or one line per frame for a .str list:
//   "CNA 64 x 64, alpha 0..255"          "BMP 256 x 256, 24-bit"
//   "JPEG 512 x 512, 3 components"       "STR 8 frames" + "  exp00001.bmp: BMP 64 x 64" ...
// A .str frame that is missing or unreadable is reported on its line, not thrown.
std::string DescribeImageFile(const std::string& path);
