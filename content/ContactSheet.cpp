// ContactSheet.cpp — laying the forge's pictures out on one sheet.
#include "content/ContactSheet.h"

#include "content/Forge.h"
#include "core/FileIO.h"
#include "core/ImageConvert.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

constexpr int CellImage = 192;   // the picture's square inside a cell
constexpr int CellPad = 10;
constexpr int LabelHeight = 18;  // glyph cell height of the name
constexpr int Columns = 7;
constexpr int Checker = 8;
constexpr char FontFile[] = "textures/ArialBold.cna";

bool IsPicture(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == "cna" || ext == "jpg" || ext == "jpeg" || ext == "bmp" || ext == "png";
}

struct TRect {
  int X, Y, W, H;
};

// The average of the source box under each target pixel (premultiplied), composited over
// whatever the target holds. Enlargement falls back to the nearest source pixel.
void DrawScaled(const TRgbaImage& src, TRect from, TRgbaImage& dst, TRect to, const uint8_t* tint) {
  for (int ty = 0; ty < to.H; ++ty) {
    const int y = to.Y + ty;
    if (y < 0 || y >= dst.Height) continue;
    const int sy0 = from.Y + ty * from.H / to.H;
    const int sy1 = std::max(sy0 + 1, from.Y + (ty + 1) * from.H / to.H);
    for (int tx = 0; tx < to.W; ++tx) {
      const int x = to.X + tx;
      if (x < 0 || x >= dst.Width) continue;
      const int sx0 = from.X + tx * from.W / to.W;
      const int sx1 = std::max(sx0 + 1, from.X + (tx + 1) * from.W / to.W);
      double sum[4] = {0, 0, 0, 0};
      for (int sy = sy0; sy < sy1; ++sy)
        for (int sx = sx0; sx < sx1; ++sx) {
          const uint8_t* p = &src.Pixels[(static_cast<size_t>(sy) * src.Width + sx) * 4];
          const double a = p[3] / 255.0;
          for (int k = 0; k < 3; ++k) sum[k] += (tint ? tint[k] : p[k]) * a;
          sum[3] += a;
        }
      const double n = static_cast<double>((sy1 - sy0) * (sx1 - sx0));
      const double alpha = sum[3] / n;
      uint8_t* d = &dst.Pixels[(static_cast<size_t>(y) * dst.Width + x) * 4];
      for (int k = 0; k < 3; ++k)
        d[k] = static_cast<uint8_t>(std::lround(sum[k] / n + d[k] * (1 - alpha)));
    }
  }
}

void FillChecker(TRgbaImage& sheet, TRect r) {
  for (int y = r.Y; y < r.Y + r.H; ++y)
    for (int x = r.X; x < r.X + r.W; ++x) {
      const bool light = (((x - r.X) / Checker) + ((y - r.Y) / Checker)) % 2 == 0;
      uint8_t* d = &sheet.Pixels[(static_cast<size_t>(y) * sheet.Width + x) * 4];
      d[0] = d[1] = d[2] = light ? 156 : 104;
    }
}

void DrawName(const TRgbaImage& font, const std::string& name, TRgbaImage& sheet, int x, int y) {
  static const uint8_t White[3] = {230, 230, 230};
  const int cell = font.Width / 16;
  const int advance = LabelHeight * 55 / 100;
  for (size_t i = 0; i < name.size(); ++i) {
    const int code = static_cast<unsigned char>(name[i]);
    DrawScaled(font, {(code % 16) * cell, (code / 16) * cell, cell, cell}, sheet,
               {x + static_cast<int>(i) * advance, y, LabelHeight, LabelHeight}, White);
  }
}

}  // namespace

void MakeContactSheet(const std::string& gameDir, const std::string& outPng,
                      const std::vector<TSheetPicture>& extra) {
  std::vector<std::string> paths;
  for (const TManifestEntry& entry : ReadManifest(DefaultManifestPath()))
    if (IsPicture(entry.Path) && FileExists(gameDir + "/" + entry.Path)) paths.push_back(entry.Path);
  const size_t count = paths.size() + extra.size();

  const int cellW = CellImage + 2 * CellPad, cellH = CellImage + LabelHeight + 2 * CellPad;
  const int rows = std::max(1, (static_cast<int>(count) + Columns - 1) / Columns);
  TRgbaImage sheet;
  sheet.Width = Columns * cellW;
  sheet.Height = rows * cellH;
  sheet.Pixels.assign(static_cast<size_t>(sheet.Width) * sheet.Height * 4, 255);
  for (size_t i = 0; i < sheet.Pixels.size(); i += 4) sheet.Pixels[i] = sheet.Pixels[i + 1] = sheet.Pixels[i + 2] = 36;

  const bool haveFont = FileExists(gameDir + "/" + FontFile);
  const TRgbaImage font = haveFont ? ReadAnyImage(gameDir + "/" + FontFile) : TRgbaImage{};
  for (size_t i = 0; i < count; ++i) {
    const bool own = i < paths.size();
    const TRgbaImage image = own ? ReadAnyImage(gameDir + "/" + paths[i]) : extra[i - paths.size()].Image;
    const int col = static_cast<int>(i) % Columns, row = static_cast<int>(i) / Columns;
    // Fit the longer side; the picture keeps its proportions.
    const int longer = std::max(image.Width, image.Height);
    const int w = std::max(1, image.Width * CellImage / longer), h = std::max(1, image.Height * CellImage / longer);
    const TRect box{col * cellW + CellPad + (CellImage - w) / 2, row * cellH + CellPad + (CellImage - h) / 2, w, h};
    FillChecker(sheet, box);
    DrawScaled(image, {0, 0, image.Width, image.Height}, sheet, box, nullptr);
    if (haveFont) {
      const std::string name =
          own ? paths[i].substr(paths[i].find_last_of('/') + 1) : extra[i - paths.size()].Name;
      DrawName(font, name, sheet, col * cellW + CellPad, row * cellH + CellPad + CellImage + 2);
    }
  }
  WritePng(outPng, sheet);
}
