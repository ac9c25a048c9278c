// HeightmapTool.cpp — relief, placements and paths on one top-down picture.
#include "tools/HeightmapTool.h"

#include "content/ArtGround.h"
#include "content/PathForge.h"
#include "content/TerrainForge.h"
#include "core/CapFile.h"
#include "core/Error.h"
#include "core/ImageConvert.h"
#include "core/SrfFile.h"
#include "levels/MissionRoster.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

struct TRgb {
  uint8_t R, G, B;
};

constexpr TRgb EnemyColour{230, 40, 30}, AlliedColour{40, 110, 255}, NeutralColour{255, 220, 60};
constexpr TRgb PathColours[] = {{255, 255, 255}, {120, 240, 255}, {255, 150, 255}};

int MissionOf(const std::string& path) {
  const std::string file = std::filesystem::path(path).filename().string();
  const size_t dot = file.find('.');
  if (dot == std::string::npos || dot == 0 || file[dot - 1] < '1' || file[dot - 1] > '5')
    throw TFileError(path, "no mission number 1..5 before the extension");
  return file[dot - 1] - '0';
}

// The relief painted with the grounds the file's texture names stand for.
TRgbaImage Relief(const TSrf& srf, int size) {
  TTerrainResult terrain{srf, {}};
  for (const std::string& name : srf.TextureNames) {
    TGround match = TGround::Rock;
    for (int g = 0; g < GroundCount; ++g)
      if (name == GroundFileName(static_cast<TGround>(g))) match = static_cast<TGround>(g);
    terrain.Grounds.push_back(match);
  }
  return MakeRadarMap(terrain, size);
}

// World to picture: x to the right, y up, the whole map filling the square.
class TPlot {
public:
  TPlot(TRgbaImage& image, const TSrf& srf)
      : Image(image), ScaleX(image.Width / (srf.Width * srf.CellSizeX)), ScaleY(image.Height / (srf.Height * srf.CellSizeY)) {}

  void Dot(float x, float y, int radius, TRgb c, bool hollow = false) {
    const int cx = static_cast<int>(x * ScaleX), cy = Image.Height - 1 - static_cast<int>(y * ScaleY);
    for (int dy = -radius; dy <= radius; ++dy)
      for (int dx = -radius; dx <= radius; ++dx) {
        const int d2 = dx * dx + dy * dy;
        if (d2 > radius * radius || (hollow && d2 < (radius - 1) * (radius - 1))) continue;
        Put(cx + dx, cy + dy, c);
      }
  }

  void Square(float x, float y, int half, TRgb c) {
    const int cx = static_cast<int>(x * ScaleX), cy = Image.Height - 1 - static_cast<int>(y * ScaleY);
    for (int dy = -half; dy <= half; ++dy)
      for (int dx = -half; dx <= half; ++dx) {
        const bool edge = std::abs(dx) == half || std::abs(dy) == half;
        Put(cx + dx, cy + dy, edge ? TRgb{0, 0, 0} : c);
      }
  }

private:
  void Put(int x, int y, TRgb c) {
    if (x < 0 || y < 0 || x >= Image.Width || y >= Image.Height) return;
    uint8_t* p = &Image.Pixels[(static_cast<size_t>(y) * Image.Width + x) * 4];
    p[0] = c.R;
    p[1] = c.G;
    p[2] = c.B;
  }

  TRgbaImage& Image;
  float ScaleX, ScaleY;
};

TRgb SideColour(uint8_t side) { return side == 2 ? EnemyColour : side == 1 ? AlliedColour : NeutralColour; }

void DrawPaths(TPlot& plot, int mission, const std::string& dataDir) {
  constexpr size_t Every = 8;  // samples between dots: a dotted line shows the pace
  int colour = 0;
  for (const std::string& file : MissionPaths(mission)) {
    const std::string path = dataDir + "/" + file;
    if (!std::filesystem::exists(path)) continue;
    const std::vector<TMotionSample> samples = ReadCapFile(path);
    for (const TVector& offset : PathPlan(file).Offsets) {
      const TRgb c = PathColours[colour++ % 3];
      for (size_t i = 0; i < samples.size(); i += Every)
        plot.Dot(samples[i].Position.x + offset.x, samples[i].Position.y + offset.y, 0, c);
    }
  }
}

void DrawRoster(TPlot& plot, int mission) {
  for (const TRosterEntry& e : MissionRoster(mission)) {
    const TRgb c = SideColour(e.Side);
    if (StandsOnGround(e))
      plot.Square(e.Position.x, e.Position.y, e.Class == TActorClass::Building ? 4 : 2, c);
    else
      plot.Dot(e.Position.x, e.Position.y, e.Class == TActorClass::Zeppelin || e.Class == TActorClass::Baloon ? 6 : 4, c,
               e.State != 0);
  }
}

}  // namespace

void WriteHeightmap(const std::string& srfPath, const std::string& outPath, int size) {
  const int mission = MissionOf(srfPath);
  const TSrf srf = ReadSrfFile(srfPath);
  TRgbaImage image = Relief(srf, size);
  TPlot plot(image, srf);
  DrawPaths(plot, mission, std::filesystem::path(srfPath).parent_path().string());
  DrawRoster(plot, mission);
  WriteAnyImage(outPath, image, 92);
}
