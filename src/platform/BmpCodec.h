// BmpCodec.h — Windows bitmaps to and from memory through SDL's bitmap reader and writer.
//
// Rows are always handed over top row first and packed (no padding), whatever the file's own
// order. Files of 8 bits a pixel or fewer keep their raw palette indices: the terrain's alpha
// masks are indices, not colours. Deeper files come out as 3 bytes a pixel, red, green, blue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Larger sides are refused before anything is allocated.
constexpr int BmpMaxSide = 16384;
// The largest file such a bitmap can need (32 bits a pixel) with room for any header.
constexpr size_t BmpMaxFileSize = size_t(BmpMaxSide) * BmpMaxSide * 4 + 65536;

struct TBmpImage {
  int Width = 0;
  int Height = 0;
  int BitsPerPixel = 0;          // as stored in the file: 1, 4, 8, 16, 24 or 32
  std::vector<uint8_t> Rows;     // top row first; 1 byte (index) or 3 bytes (R, G, B) a pixel
  std::vector<uint8_t> Palette;  // R, G, B triples of an indexed file; empty otherwise

  bool Indexed() const { return BitsPerPixel <= 8; }
  int BytesPerPixel() const { return Indexed() ? 1 : 3; }
};

// Decodes a whole .bmp image. On failure returns false with the reason and leaves `image` as
// it was. Compressed (RLE) bitmaps are refused: the game only ever reads plain ones.
bool DecodeBmp(const uint8_t* data, size_t size, TBmpImage& image, std::string& error);

// A 24-bit bitmap from packed R, G, B rows, top row first.
bool EncodeBmp24(const uint8_t* rgb, int width, int height, std::vector<uint8_t>& out,
                 std::string& error);

// An 8-bit bitmap with a grey palette (index i is grey level i) from packed index rows, top
// row first.
bool EncodeBmp8(const uint8_t* indices, int width, int height, std::vector<uint8_t>& out,
                std::string& error);
