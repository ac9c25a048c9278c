// FontForge.cpp — rasterising the bitmap font with FreeType.
#include "content/FontForge.h"

#include "core/Error.h"
#include "core/TextCodec.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace {

// Labels advance by half a cell or a little more, so each glyph is centred in a slot half a
// cell wide at the cell's left; wider glyphs are narrowed to fit, so lines read evenly.
constexpr double SlotWidth = 0.5;
constexpr double MaxGlyphWidth = 0.6;   // of a cell, after narrowing
constexpr double EmSize = 0.8;          // of a cell: capitals a little over half a cell tall
constexpr double Baseline = 0.78;       // of a cell from its top: room for Slovak carons above

struct TFreeType {
  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
  ~TFreeType() {
    if (Face) FT_Done_Face(Face);
    if (Library) FT_Done_FreeType(Library);
  }
};

// The Unicode code point of a cp1250 byte; 0 for the few unassigned codes.
uint32_t CodePoint(int code) {
  const std::string utf8 = Cp1250ToUtf8(std::string(1, static_cast<char>(code)));
  const auto* b = reinterpret_cast<const unsigned char*>(utf8.data());
  if (utf8.size() == 1) return b[0];
  if (utf8.size() == 2) return ((b[0] & 0x1Fu) << 6) | (b[1] & 0x3Fu);
  if (utf8.size() == 3) {
    const uint32_t cp = ((b[0] & 0x0Fu) << 12) | ((b[1] & 0x3Fu) << 6) | (b[2] & 0x3Fu);
    return cp == 0xFFFD ? 0 : cp;
  }
  return 0;
}

void BlitGlyph(TRgbaImage& image, const FT_Bitmap& bitmap, int left, int top, int cellX, int cellY,
               int cell) {
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const int y = top + static_cast<int>(row);
    if (y < 0 || y >= cell) continue;
    for (unsigned col = 0; col < bitmap.width; ++col) {
      const int x = left + static_cast<int>(col);
      if (x < 0 || x >= cell) continue;
      const uint8_t coverage = bitmap.buffer[row * bitmap.pitch + col];
      uint8_t* p = &image.Pixels[((static_cast<size_t>(cellY + y) * image.Width) + cellX + x) * 4];
      p[3] = std::max(p[3], coverage);
    }
  }
}

}  // namespace

std::string DefaultFontPath() {
  return "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf";
}

TRgbaImage MakeFontImage(const std::string& ttfPath, int cell) {
  TFreeType ft;
  if (FT_Init_FreeType(&ft.Library) != 0) throw TFileError(ttfPath, "FreeType cannot start");
  if (FT_New_Face(ft.Library, ttfPath.c_str(), 0, &ft.Face) != 0)
    throw TFileError(ttfPath, "cannot open the font (is fonts-liberation installed?)");
  const int em = static_cast<int>(std::lround(cell * EmSize));
  FT_Set_Pixel_Sizes(ft.Face, 0, static_cast<FT_UInt>(em));

  TRgbaImage image;
  image.Width = image.Height = cell * 16;
  image.Pixels.assign(static_cast<size_t>(image.Width) * image.Height * 4, 255);
  for (size_t i = 3; i < image.Pixels.size(); i += 4) image.Pixels[i] = 0;

  const double slot = cell * SlotWidth;
  const double widest = cell * MaxGlyphWidth;
  for (int code = 33; code < 256; ++code) {
    const uint32_t cp = CodePoint(code);
    if (cp == 0 || cp == 0xA0 || FT_Get_Char_Index(ft.Face, cp) == 0) continue;
    // Measure first, then narrow the glyph when its advance would spill out of its slot.
    FT_Set_Transform(ft.Face, nullptr, nullptr);
    if (FT_Load_Char(ft.Face, cp, FT_LOAD_DEFAULT) != 0) continue;
    const double advance = ft.Face->glyph->advance.x / 64.0;
    const double squeeze = advance > widest ? widest / advance : 1.0;
    FT_Matrix narrow{static_cast<FT_Fixed>(std::lround(squeeze * 65536.0)), 0, 0, 0x10000};
    FT_Set_Transform(ft.Face, &narrow, nullptr);
    if (FT_Load_Char(ft.Face, cp, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = ft.Face->glyph;
    const double width = advance * squeeze;
    // Wide glyphs overhang their slot to the right rather than losing their left edge.
    const int left = std::max(1, static_cast<int>(std::lround((slot - width) / 2.0)) + glyph->bitmap_left);
    const int top = static_cast<int>(std::lround(cell * Baseline)) - glyph->bitmap_top;
    BlitGlyph(image, glyph->bitmap, left, top, (code % 16) * cell, (code / 16) * cell, cell);
  }
  return image;
}
