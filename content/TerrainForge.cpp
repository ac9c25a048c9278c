// TerrainForge.cpp — terrain grids from ridged and fbm noise carved by valleys, levelled pads,
// ground textures chosen by height and slope, and the radar maps drawn from the same grids.
#include "content/TerrainForge.h"

#include "core/Error.h"
#include "core/ImageConvert.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

float SegmentDistance(TVec2 p, TVec2 a, TVec2 b) {
  const TVec2 ab = b - a;
  const float len2 = Dot(ab, ab);
  const float t = len2 > 0 ? Clamp01(Dot(p - a, ab) / len2) : 0;
  return Length(p - (a + ab * t));
}

float ValleyDistance(const TTerrainPlan& plan, TVec2 p) {
  float best = 1e9f;
  for (const std::vector<TVec2>& line : plan.Valleys)
    for (size_t i = 0; i + 1 < line.size(); ++i) best = std::min(best, SegmentDistance(p, line[i], line[i + 1]));
  return best;
}

// Mountains 0..1 before the valleys cut them, shaped by the mission's style.
float Relief(const TTerrainPlan& plan, float x, float y) {
  const float u = x / 1100.0f, v = y / 1100.0f;  // about four mountain ranges across a map
  const uint32_t seed = plan.Seed;
  const float ridged = Ridged2(u, v, seed, 5, 0.5f);
  const float rolling = 0.5f + 0.5f * Fbm2(u * 0.8f, v * 0.8f, seed + 1, 5, 0.5f);
  switch (plan.Style) {
    case TTerrainStyle::Desert: {
      // Mesas: rolling ground pushed into flat tops and steep flanks, over long dunes.
      const float mesa = Smoothstep(0.5f, 0.6f, rolling) * (0.75f + 0.25f * rolling);
      const float dunes = 0.1f * (1 + std::sin(x / 150.0f + 2.5f * Fbm2(u * 2, v * 2, seed + 2, 3)));
      return Clamp01(mesa + dunes);
    }
    case TTerrainStyle::Highland:
      return Clamp01(0.1f + 0.7f * rolling + 0.4f * ridged * rolling);
    case TTerrainStyle::Valleys:
      return Clamp01(std::pow(0.75f * ridged + 0.35f * rolling, 1.4f));
    case TTerrainStyle::Mixed:
      return Clamp01(std::pow(0.5f * ridged + 0.55f * rolling, 1.5f));
    case TTerrainStyle::Green:
      break;
  }
  return Clamp01(std::pow(0.6f * ridged + 0.5f * rolling, 1.5f));
}

// How far a point is into a pad's levelled ground: 0 inside (pad plus a cell's margin) to 1
// where the natural ground takes over.
float PadWeight(const TTerrainPlan& plan, const TTerrainPad& pad, float x, float y) {
  const float d = Length(TVec2{x - pad.X, y - pad.Y});
  const float inner = pad.Radius + 1.5f * plan.CellSize;
  return Smoothstep(inner, inner + (pad.Spot ? 100.0f : 200.0f), d);
}

bool InsidePad(const TTerrainPlan& plan, const TTerrainPad& pad, float x, float y) {
  return Length(TVec2{x - pad.X, y - pad.Y}) <= pad.Radius + 1.5f * plan.CellSize;
}

// Natural height before levelling, in world units.
float NaturalHeight(const TTerrainPlan& plan, float x, float y) {
  // The valley's edge wanders and its walls change steepness along the way, so the carving
  // does not read as a ruled channel.
  const float wobble = 380.0f * Fbm2(x / 600.0f, y / 600.0f, plan.Seed + 7, 4);
  const float d = ValleyDistance(plan, {x, y}) + wobble;
  const float shoulder = plan.ValleyShoulder * (0.5f + Clamp01(0.5f + 1.5f * Fbm2(x / 900.0f, y / 900.0f, plan.Seed + 9, 2)));
  const float open = Smoothstep(plan.ValleyHalfWidth, plan.ValleyHalfWidth + shoulder, d);
  // Broad mounds on the valley floors give low flying some ground to follow; they stay far
  // below the fighting heights.
  const float mounds = plan.FloorHills * Smoothstep(-0.1f, 0.5f, Fbm2(x / 650.0f, y / 650.0f, plan.Seed + 12, 4));
  const float floorRoll = 18.0f * (1 + Fbm2(x / 500.0f, y / 500.0f, plan.Seed + 8, 3)) + mounds;
  const float mountains = plan.Peak * Relief(plan, x, y);
  return plan.Floor + floorRoll + std::max(0.0f, mountains - plan.Floor) * open;
}

std::vector<TGround> StyleGrounds(TTerrainStyle style) {
  switch (style) {
    case TTerrainStyle::Desert: return {TGround::Sand, TGround::Dry, TGround::Rock, TGround::Base};
    case TTerrainStyle::Highland: return {TGround::Meadow, TGround::Dry, TGround::Rock, TGround::Snow, TGround::Base};
    case TTerrainStyle::Valleys: return {TGround::Grass, TGround::Meadow, TGround::Rock, TGround::Snow, TGround::Base};
    case TTerrainStyle::Mixed:
      return {TGround::Grass, TGround::Dry, TGround::Sand, TGround::Rock, TGround::Snow, TGround::Base};
    case TTerrainStyle::Green: break;
  }
  return {TGround::Grass, TGround::Meadow, TGround::Rock, TGround::Snow, TGround::Base};
}

// The ground for a patch of given height (world units), upward normal z and a patch noise -1..1.
TGround ChooseGround(TTerrainStyle style, float h, float nz, float n) {
  switch (style) {
    case TTerrainStyle::Desert:
      if (nz < 0.86f || h > 150 + 30 * n) return TGround::Rock;
      return n < 0.05f && h < 80 ? TGround::Sand : TGround::Dry;
    case TTerrainStyle::Highland:
      if (h > 280 + 30 * n) return TGround::Snow;
      if (nz < 0.88f || h > 210 + 50 * n) return TGround::Rock;
      return n > 0.15f ? TGround::Dry : TGround::Meadow;
    case TTerrainStyle::Valleys:
      if (h > 340 + 30 * n) return TGround::Snow;
      if (nz < 0.8f || h > 230 + 40 * n) return TGround::Rock;
      return h < 110 + 40 * n ? TGround::Grass : TGround::Meadow;
    case TTerrainStyle::Mixed:
      if (h > 330 + 30 * n) return TGround::Snow;
      if (nz < 0.82f || h > 240 + 40 * n) return TGround::Rock;
      if (n > 0.1f) return TGround::Dry;
      return n < -0.3f ? TGround::Sand : TGround::Grass;
    case TTerrainStyle::Green: break;
  }
  if (h > 320 + 30 * n) return TGround::Snow;
  if (nz < 0.82f || h > 250 + 40 * n) return TGround::Rock;
  return h < 80 + 50 * n ? TGround::Meadow : TGround::Grass;
}

// Normals from the stepped heights, as the game's triangles will show them.
std::vector<TVector> GridNormals(const std::vector<float>& h, int n, float cell) {
  std::vector<TVector> normals(h.size());
  auto at = [&](int r, int c) { return h[static_cast<size_t>(std::clamp(r, 0, n - 1)) * n + std::clamp(c, 0, n - 1)]; };
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const float dx = (at(r, c + 1) - at(r, c - 1)) / (2 * cell);
      const float dy = (at(r + 1, c) - at(r - 1, c)) / (2 * cell);
      const float len = std::sqrt(dx * dx + dy * dy + 1);
      normals[static_cast<size_t>(r) * n + c] = {-dx / len, -dy / len, 1 / len};
    }
  return normals;
}

int MissionFromName(const std::string& relative) {
  const std::string file = relative.substr(relative.find_last_of('/') + 1);
  const size_t dot = file.find('.');
  if (dot == std::string::npos || dot == 0 || file[dot - 1] < '1' || file[dot - 1] > '5')
    throw TFileError(relative, "no mission number 1..5 in the name");
  return file[dot - 1] - '0';
}

}  // namespace

TTerrainResult MakeTerrain(const TTerrainPlan& plan) {
  const int n = plan.Cells;
  if (n < 2 || n > SrfMaxSide) throw TFileError("terrain", "grid side " + std::to_string(n) + " does not fit");
  const float cs = plan.CellSize;
  const size_t count = static_cast<size_t>(n) * n;

  // Pad levels: the natural ground at each centre, but never above the valley shoulders, so a
  // base on a hillside is cut in rather than perched.
  std::vector<int> padStep(plan.Pads.size());
  for (size_t i = 0; i < plan.Pads.size(); ++i) {
    const float natural = NaturalHeight(plan, plan.Pads[i].X, plan.Pads[i].Y);
    const float h = plan.Pads[i].Spot ? natural : std::min(natural, plan.Floor + 60);
    padStep[i] = std::clamp(static_cast<int>(std::lround(h / plan.HeightScale)), 0, 255);
  }

  std::vector<int> steps(count);
  std::vector<int> padOf(count, -1);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const float x = c * cs, y = r * cs;
      float h = NaturalHeight(plan, x, y);
      for (size_t i = 0; i < plan.Pads.size(); ++i)
        h = Lerp(padStep[i] * plan.HeightScale, h, PadWeight(plan, plan.Pads[i], x, y));
      int step = std::clamp(static_cast<int>(std::lround(h / plan.HeightScale)), 0, 255);
      for (size_t i = 0; i < plan.Pads.size(); ++i)
        if (InsidePad(plan, plan.Pads[i], x, y)) {
          step = padStep[i];  // exactly level, whatever the rounding nearby
          padOf[static_cast<size_t>(r) * n + c] = static_cast<int>(i);
        }
      steps[static_cast<size_t>(r) * n + c] = step;
    }

  std::vector<float> heights(count);
  for (size_t i = 0; i < count; ++i) heights[i] = steps[i] * plan.HeightScale;
  const std::vector<TVector> normals = GridNormals(heights, n, cs);

  // Grounds by blocks, so that with a texture spanning two cells every seam starts on a
  // texture's edge.
  const int b = std::max(1, plan.TextureBlock);
  const int blocks = (n + b - 1) / b;
  std::vector<TGround> blockGround(static_cast<size_t>(blocks) * blocks);
  std::vector<bool> blockPad(blockGround.size(), false);
  for (int br = 0; br < blocks; ++br)
    for (int bc = 0; bc < blocks; ++bc) {
      float h = 0, nz = 1;
      int samples = 0;
      for (int r = br * b; r < std::min(n, br * b + b); ++r)
        for (int c = bc * b; c < std::min(n, bc * b + b); ++c) {
          const size_t i = static_cast<size_t>(r) * n + c;
          h += heights[i];
          nz = std::min(nz, normals[i].z);
          ++samples;
        }
      h /= static_cast<float>(samples);
      const float cx = (bc + 0.5f) * b * cs, cy = (br + 0.5f) * b * cs;
      const float patch = Fbm2(cx / 600.0f, cy / 600.0f, plan.Seed + 11, 4);
      const size_t k = static_cast<size_t>(br) * blocks + bc;
      blockGround[k] = ChooseGround(plan.Style, h, nz, patch);
      for (const TTerrainPad& p : plan.Pads)
        if (!p.Spot && Length(TVec2{cx - p.X, cy - p.Y}) < p.Radius * 0.9f) blockPad[k] = true;
      if (blockPad[k]) blockGround[k] = TGround::Base;
    }

  // A lone block of one ground inside another makes four seams and no shape; it takes the
  // ground most of its neighbours have.
  const std::vector<TGround> chosen = blockGround;
  for (int br = 0; br < blocks; ++br)
    for (int bc = 0; bc < blocks; ++bc) {
      const size_t k = static_cast<size_t>(br) * blocks + bc;
      if (blockPad[k]) continue;
      std::array<int, GroundCount> votes{};
      int same = 0;
      for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc) {
          const int r = br + dr, c = bc + dc;
          if ((dr == 0 && dc == 0) || r < 0 || c < 0 || r >= blocks || c >= blocks) continue;
          const size_t j = static_cast<size_t>(r) * blocks + c;
          if (blockPad[j]) continue;
          if (chosen[j] == chosen[k]) ++same;
          ++votes[static_cast<size_t>(chosen[j])];
        }
      if (same > 1) continue;
      const auto most = std::max_element(votes.begin(), votes.end());
      if (*most > 0) blockGround[k] = static_cast<TGround>(most - votes.begin());
    }

  TTerrainResult result;
  result.Grounds = StyleGrounds(plan.Style);
  TSrf& srf = result.Srf;
  srf.Width = static_cast<uint8_t>(n);
  srf.Height = static_cast<uint8_t>(n);
  srf.CellSizeX = cs;
  srf.CellSizeY = cs;
  srf.HeightScale = plan.HeightScale;
  for (TGround g : result.Grounds) {
    srf.TextureNames.emplace_back(GroundFileName(g));
    srf.BlendFlags.push_back(1);  // every pair of grounds gets soft seams
  }
  srf.Cells.resize(count);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const size_t i = static_cast<size_t>(r) * n + c;
      const TGround g = blockGround[static_cast<size_t>(r / b) * blocks + c / b];
      const auto slot = std::find(result.Grounds.begin(), result.Grounds.end(), g);
      TSrfCell& cell = srf.Cells[i];
      cell.HeightStep = static_cast<uint8_t>(steps[i]);
      cell.Normal = normals[i];
      cell.Texture = static_cast<uint8_t>(slot == result.Grounds.end() ? 0 : slot - result.Grounds.begin());
    }
  ValidateSrf(srf, "terrain");
  return result;
}

TRgbaImage MakeRadarMap(const TTerrainResult& terrain, int size) {
  const TSrf& srf = terrain.Srf;
  const int w = srf.Width, hgt = srf.Height;
  const float extentX = w * srf.CellSizeX, extentY = hgt * srf.CellSizeY;
  // The same sun as the missions with a steep light, so slopes facing it brighten.
  const float lx = 1, ly = 1, lz = 0.8f, ll = std::sqrt(lx * lx + ly * ly + lz * lz);
  std::vector<TColor> palette;
  for (TGround g : terrain.Grounds) palette.push_back(GroundMeanColor(g));

  auto heightAt = [&](float gx, float gy) {
    const int c0 = std::clamp(static_cast<int>(std::floor(gx)), 0, w - 1), r0 = std::clamp(static_cast<int>(std::floor(gy)), 0, hgt - 1);
    const int c1 = std::min(c0 + 1, w - 1), r1 = std::min(r0 + 1, hgt - 1);
    const float fx = Clamp01(gx - c0), fy = Clamp01(gy - r0);
    auto h = [&](int r, int c) { return srf.Cell(r, c).HeightStep * srf.HeightScale; };
    return Lerp(Lerp(h(r0, c0), h(r0, c1), fx), Lerp(h(r1, c0), h(r1, c1), fx), fy);
  };

  std::vector<float> heights(static_cast<size_t>(size) * size);
  TRgbaImage image;
  image.Width = size;
  image.Height = size;
  image.Pixels.assign(static_cast<size_t>(size) * size * 4, 255);
  for (int row = 0; row < size; ++row)
    for (int col = 0; col < size; ++col) {
      // Top row of the picture is the far end of y: the texture's t grows upwards.
      const float x = (col + 0.5f) / size * extentX, y = (1 - (row + 0.5f) / size) * extentY;
      const float gx = x / srf.CellSizeX, gy = y / srf.CellSizeY;
      const float h = heightAt(gx, gy);
      heights[static_cast<size_t>(row) * size + col] = h;
      const float step = 0.5f;
      const float dx = (heightAt(gx + step, gy) - heightAt(gx - step, gy)) / (2 * step * srf.CellSizeX);
      const float dy = (heightAt(gx, gy + step) - heightAt(gx, gy - step)) / (2 * step * srf.CellSizeY);
      const float len = std::sqrt(dx * dx + dy * dy + 1);
      const float lit = (-dx * lx - dy * ly + lz) / (len * ll);
      // Ground colours blended over the four nearest cells, so seams read soft as in the game.
      const float cx = std::clamp(gx - 0.5f, 0.0f, w - 1.0f), cy = std::clamp(gy - 0.5f, 0.0f, hgt - 1.0f);
      const int c0 = static_cast<int>(cx), r0 = static_cast<int>(cy);
      const int c1 = std::min(c0 + 1, w - 1), r1 = std::min(r0 + 1, hgt - 1);
      const float fx = cx - c0, fy = cy - r0;
      auto ground = [&](int r, int c) { return palette[srf.Cell(r, c).Texture]; };
      const TColor base = Mix(Mix(ground(r0, c0), ground(r0, c1), fx), Mix(ground(r1, c0), ground(r1, c1), fx), fy);
      const float shade = (0.55f + 0.75f * std::max(lit, 0.0f)) * (0.9f + 0.25f * Clamp01(h / 400.0f));
      const TColor c = Scale(base, shade);
      uint8_t* p = &image.Pixels[(static_cast<size_t>(row) * size + col) * 4];
      p[0] = static_cast<uint8_t>(std::lround(Clamp01(c.R) * 255));
      p[1] = static_cast<uint8_t>(std::lround(Clamp01(c.G) * 255));
      p[2] = static_cast<uint8_t>(std::lround(Clamp01(c.B) * 255));
    }
  // Faint contour lines every 50 units help read heights at the radar's small size.
  constexpr float ContourStep = 50;
  for (int row = 1; row < size; ++row)
    for (int col = 1; col < size; ++col) {
      const int here = static_cast<int>(heights[static_cast<size_t>(row) * size + col] / ContourStep);
      const int left = static_cast<int>(heights[static_cast<size_t>(row) * size + col - 1] / ContourStep);
      const int up = static_cast<int>(heights[static_cast<size_t>(row - 1) * size + col] / ContourStep);
      if (here == left && here == up) continue;
      uint8_t* p = &image.Pixels[(static_cast<size_t>(row) * size + col) * 4];
      for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>(p[k] * 4 / 5);
    }
  return image;
}

void ForgeTerrain(const std::string& outPath, const std::string& relative) {
  WriteSrfFile(outPath, MakeTerrain(TerrainPlan(MissionFromName(relative))).Srf);
}

void ForgeRadarMap(const std::string& outPath, const std::string& relative) {
  const TTerrainResult terrain = MakeTerrain(TerrainPlan(MissionFromName(relative)));
  WriteAnyImage(outPath, MakeRadarMap(terrain, RadarMapSize), 92);
}
