// ArtGround.cpp — ground textures painted from tileable noise, bump maps from the same relief,
// and the seam masks whose soft edges follow the terrain's seam rules.
#include "content/ArtGround.h"

#include "core/Error.h"
#include "core/ImageConvert.h"
#include "render/Surface.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int S = GroundTextureSize;
constexpr float TwoPi = 2 * Pi;

struct TGroundLook {
  const char* File;
  TColor Dark, Light;  // the colour runs between these with the relief and the patches
  uint32_t Seed;
};

constexpr std::array<TGroundLook, GroundCount> Looks = {{
    {"grass.bmp", Rgb(46, 74, 30), Rgb(98, 132, 56), 101},
    {"meadow.bmp", Rgb(92, 108, 48), Rgb(150, 160, 82), 202},
    {"rock.bmp", Rgb(82, 80, 76), Rgb(156, 150, 140), 303},
    {"snow.bmp", Rgb(196, 204, 218), Rgb(246, 248, 252), 404},
    {"dry.bmp", Rgb(118, 94, 62), Rgb(176, 148, 104), 505},
    {"sand.bmp", Rgb(176, 150, 104), Rgb(226, 204, 154), 606},
    {"base.bmp", Rgb(104, 100, 92), Rgb(150, 146, 136), 707},
}};

const TGroundLook& Look(TGround g) { return Looks[static_cast<size_t>(g)]; }

// Tileable fbm over the picture: `cells` lattice steps across it.
float TileFbm(float x, float y, uint32_t seed, int cells, int octaves, float gain = 0.5f) {
  return Fbm2(x * cells / S, y * cells / S, seed, octaves, gain, cells, cells);
}
float TileRidged(float x, float y, uint32_t seed, int cells, int octaves) {
  return Ridged2(x * cells / S, y * cells / S, seed, octaves, 0.5f, cells, cells);
}
// Tileable cellular noise: a seeded point in each of cells x cells squares; returns the
// distances to the nearest and second-nearest points (in cell units) and the nearest one's id.
struct TCellHit {
  float F1 = 9, F2 = 9;
  uint32_t Id = 0;
};
TCellHit TileCells(float x, float y, uint32_t seed, int cells) {
  const float u = x * cells / S, v = y * cells / S;
  const int cu = static_cast<int>(std::floor(u)), cv = static_cast<int>(std::floor(v));
  TCellHit hit;
  for (int dv = -1; dv <= 1; ++dv)
    for (int du = -1; du <= 1; ++du) {
      const int gu = cu + du, gv = cv + dv;
      const int wu = (gu % cells + cells) % cells, wv = (gv % cells + cells) % cells;  // wrap
      const float px = gu + HashUnit(wu, wv, seed), py = gv + HashUnit(wu, wv, seed + 1);
      const float d = std::sqrt((px - u) * (px - u) + (py - v) * (py - v));
      if (d < hit.F1) {
        hit.F2 = hit.F1;
        hit.F1 = d;
        hit.Id = Hash2(wu, wv, seed + 2);
      } else if (d < hit.F2) {
        hit.F2 = d;
      }
    }
  return hit;
}

// The rock's slabs: cells over a warped picture (the warp tiles, so the slabs do too).
TCellHit RockCell(float fx, float fy, uint32_t seed) {
  const float wx = fx + 22 * TileFbm(fx, fy, seed + 6, 4, 3), wy = fy + 22 * TileFbm(fx, fy, seed + 8, 4, 3);
  return TileCells(wx, wy, seed + 5, 5);
}

// Pixel grain, wrapped so it tiles too.
float Grain(int x, int y, uint32_t seed) { return HashUnit(x & (S - 1), y & (S - 1), seed); }

// Relief 0..1 of each ground; the bump map and the baked shading both come from it.
float Relief(TGround g, int x, int y) {
  const float fx = x + 0.5f, fy = y + 0.5f;
  const uint32_t seed = Look(g).Seed;
  switch (g) {
    case TGround::Grass: {
      // Tufts: noise stretched along y reads as blades seen from above at a slant.
      const float blades = Fbm2(fx * 64 / S, fy * 16 / S, seed + 4, 2, 0.5f, 64, 16);
      return 0.5f + 0.22f * TileFbm(fx, fy, seed, 8, 4) + 0.15f * blades + 0.2f * (Grain(x, y, seed) - 0.5f);
    }
    case TGround::Meadow:
      return 0.5f + 0.3f * TileFbm(fx, fy, seed, 6, 4) + 0.15f * (Grain(x, y, seed) - 0.5f);
    case TGround::Rock: {
      // Broken slabs: each cell a tilted facet, cracks where two cells meet, weathered detail.
      // The slabs are warped and their cracks fade in and out, so no paving pattern shows.
      const TCellHit cell = RockCell(fx, fy, seed);
      const float tilt = ((cell.Id & 0xff) / 255.0f - 0.5f) * 0.4f * cell.F1 + ((cell.Id >> 8 & 0xff) / 255.0f) * 0.2f;
      const float crack = Smoothstep(0.1f, 0.0f, cell.F2 - cell.F1) * Smoothstep(-0.3f, 0.3f, TileFbm(fx, fy, seed + 7, 3, 2));
      return 0.25f + tilt + 0.4f * TileRidged(fx, fy, seed, 4, 5) + 0.15f * (0.5f + 0.5f * TileFbm(fx, fy, seed + 1, 16, 3)) -
             0.25f * crack + 0.08f * Grain(x, y, seed);
    }
    case TGround::Snow:
      return 0.5f + 0.4f * TileFbm(fx, fy, seed, 4, 4) + 0.04f * Grain(x, y, seed);
    case TGround::Dry: {
      // Cracked earth: the ridged noise's crests become the cracks' grooves.
      const float crack = Smoothstep(0.82f, 0.97f, TileRidged(fx, fy, seed, 6, 2));
      return 0.6f + 0.2f * TileFbm(fx, fy, seed + 2, 8, 3) - 0.45f * crack + 0.08f * Grain(x, y, seed);
    }
    case TGround::Sand: {
      // Ripples with a whole number of waves across each axis keep the tiling.
      const float warp = 0.8f * TileFbm(fx, fy, seed, 4, 3);
      const float wave = std::sin(TwoPi * (3 * fx + 7 * fy) / S + warp * 3);
      return 0.5f + 0.3f * wave + 0.1f * TileFbm(fx, fy, seed + 3, 16, 2) + 0.05f * Grain(x, y, seed);
    }
    case TGround::Base: {
      // Packed slabs: joints every quarter of the picture, worn by noise; the joints sit
      // inside the picture, not on its edge, so mipmaps of the tile keep them whole.
      const float jx = std::fabs(std::fmod(fx + S / 8.0f, S / 4.0f) - S / 8.0f);
      const float jy = std::fabs(std::fmod(fy + S / 8.0f, S / 4.0f) - S / 8.0f);
      const float joint = std::max(Smoothstep(S / 8.0f - 2.5f, S / 8.0f - 0.5f, jx), Smoothstep(S / 8.0f - 2.5f, S / 8.0f - 0.5f, jy));
      return 0.6f + 0.12f * TileFbm(fx, fy, seed, 8, 4) - 0.3f * joint + 0.08f * Grain(x, y, seed);
    }
  }
  return 0.5f;
}

std::vector<float> ReliefField(TGround g) {
  std::vector<float> h(static_cast<size_t>(S) * S);
  for (int y = 0; y < S; ++y)
    for (int x = 0; x < S; ++x) h[static_cast<size_t>(y) * S + x] = Relief(g, x, y);
  return h;
}

// How strongly each ground's relief tilts its normals; soft snow barely, rock and cracks most.
float BumpStrength(TGround g) {
  switch (g) {
    case TGround::Rock: return 5.0f;
    case TGround::Dry: return 4.0f;
    case TGround::Base: return 3.0f;
    case TGround::Snow: return 1.5f;
    default: return 2.5f;
  }
}

// Normal of the relief at a pixel, wrapping at the edges; y of the picture grows downwards,
// while the texture's t grows upwards, so the y slope is negated.
void ReliefNormal(const std::vector<float>& h, TGround g, int x, int y, float n[3]) {
  auto at = [&](int px, int py) { return h[static_cast<size_t>((py + S) % S) * S + (px + S) % S]; };
  const float k = BumpStrength(g);
  const float dx = (at(x + 1, y) - at(x - 1, y)) * 0.5f * k;
  const float dy = -(at(x, y + 1) - at(x, y - 1)) * 0.5f * k;
  const float len = std::sqrt(dx * dx + dy * dy + 1);
  n[0] = -dx / len;
  n[1] = -dy / len;
  n[2] = 1 / len;
}

uint8_t Byte(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255)); }

// Colour before shading: the ground's two tones mixed by patches and relief, plus accents.
TColor GroundColor(TGround g, float h, int x, int y) {
  const TGroundLook& look = Look(g);
  const float fx = x + 0.5f, fy = y + 0.5f;
  const float patch = 0.5f + 0.5f * TileFbm(fx, fy, look.Seed + 10, 3, 3);
  // Rock needs its cracks and crests to read from the air; soft grounds stay calm.
  const float contrast = g == TGround::Rock ? 2.2f : (g == TGround::Snow ? 1.0f : 1.4f);
  const float relief = Clamp01((h - 0.5f) * contrast + 0.5f);
  TColor c = Mix(look.Dark, look.Light, Clamp01(0.35f * patch + 0.65f * relief));
  const float fleck = Grain(x, y, look.Seed + 20);
  switch (g) {
    case TGround::Meadow:
      // Sparse flowers, pale yellow and white.
      if (fleck > 0.992f) c = Mix(c, Rgb(236, 226, 120), 0.8f);
      else if (fleck < 0.005f) c = Mix(c, Rgb(240, 240, 236), 0.7f);
      break;
    case TGround::Grass:
      // Sunlit tracts and dark clumps, so a field of repeated tiles does not read as felt.
      c = Mix(c, Rgb(118, 136, 58), 0.4f * Smoothstep(0.05f, 0.5f, TileFbm(fx, fy, look.Seed + 40, 5, 4)));
      c = Mix(c, Rgb(34, 56, 22), 0.45f * Smoothstep(0.15f, 0.6f, TileFbm(fx, fy, look.Seed + 41, 16, 3)));
      c = Mix(c, Rgb(70, 62, 36), 0.25f * Smoothstep(0.3f, 0.8f, patch) * (fleck > 0.7f ? 1.0f : 0.0f));
      break;
    case TGround::Rock: {
      // Each slab its own shade, lichen in the hollows.
      const TCellHit cell = RockCell(fx, fy, look.Seed);
      c = Scale(c, 0.88f + 0.24f * ((cell.Id >> 16 & 0xff) / 255.0f));
      c = Mix(c, Rgb(104, 112, 80), 0.35f * Smoothstep(0.55f, 0.9f, patch) * Smoothstep(0.5f, 0.2f, h));
      break;
    }
    case TGround::Base:
      c = Mix(c, Rgb(80, 70, 56), 0.3f * Smoothstep(0.6f, 0.9f, 0.5f + 0.5f * TileFbm(fx, fy, look.Seed + 30, 6, 3)));
      break;
    case TGround::Sand:
      if (fleck > 0.985f) c = Mix(c, Rgb(120, 100, 80), 0.5f);
      break;
    default:
      break;
  }
  return c;
}

TRgbaImage NewImage() {
  TRgbaImage image;
  image.Width = S;
  image.Height = S;
  image.Pixels.assign(static_cast<size_t>(S) * S * 4, 255);
  return image;
}

// The ground a file name belongs to, or -1.
int GroundOfFile(const std::string& file) {
  for (int i = 0; i < GroundCount; ++i)
    if (file == Looks[static_cast<size_t>(i)].File) return i;
  return -1;
}

std::string FileName(const std::string& relative) { return relative.substr(relative.find_last_of('/') + 1); }

}  // namespace

const char* GroundFileName(TGround ground) { return Look(ground).File; }

TColor GroundMeanColor(TGround ground) {
  const TGroundLook& look = Look(ground);
  return Mix(look.Dark, look.Light, 0.5f);
}

TRgbaImage MakeGroundTexture(TGround g) {
  const std::vector<float> h = ReliefField(g);
  TRgbaImage image = NewImage();
  // The relief is lit gently from the upper left so the picture keeps depth without bump maps.
  const float light[3] = {-0.4f, 0.4f, 0.82f};
  for (int y = 0; y < S; ++y)
    for (int x = 0; x < S; ++x) {
      float n[3];
      ReliefNormal(h, g, x, y, n);
      const float lit = 0.85f + 0.6f * (n[0] * light[0] + n[1] * light[1] + n[2] * light[2] - light[2]);
      const TColor c = Scale(GroundColor(g, Clamp01(h[static_cast<size_t>(y) * S + x]), x, y), lit);
      uint8_t* p = &image.Pixels[(static_cast<size_t>(y) * S + x) * 4];
      p[0] = Byte(c.R);
      p[1] = Byte(c.G);
      p[2] = Byte(c.B);
    }
  return image;
}

TRgbaImage MakeGroundBump(TGround g) {
  const std::vector<float> h = ReliefField(g);
  TRgbaImage image = NewImage();
  for (int y = 0; y < S; ++y)
    for (int x = 0; x < S; ++x) {
      float n[3];
      ReliefNormal(h, g, x, y, n);
      uint8_t* p = &image.Pixels[(static_cast<size_t>(y) * S + x) * 4];
      for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>(std::clamp<long>(std::lround(128 + n[k] * 127), 0, 255));
    }
  return image;
}

std::vector<uint8_t> MakeSeamMask(int pattern) {
  // The fade runs over the first half of the texture from the seam's edge: a texture spanning
  // one cell fades within half a cell, one spanning two cells (texture scale 2) over the
  // whole cell next to the seam, which is where the terrain's seams fall.
  auto ramp = [](float d, float wobble) { return Smoothstep(0.0f, 0.5f, d + wobble); };
  std::vector<uint8_t> mask(static_cast<size_t>(S) * S);
  for (int row = 0; row < S; ++row)
    for (int x = 0; x < S; ++x) {
      // s runs along the columns; t = 0 is the bottom row of the file, the texture's first
      // row, which meets the cell's neighbour above in the grid (the previous row).
      const float s = (x + 0.5f) / S, t = (S - 1 - row + 0.5f) / S;
      const float wobble = 0.07f * Fbm2(s * 6, t * 6, 900 + pattern, 4) + 0.015f * (HashUnit(x, row, 950) - 0.5f);
      float m = 0;
      switch (pattern) {
        case 0: m = ramp(s, wobble); break;                                   // left neighbour fades in
        case 1: m = ramp(t, wobble); break;                                   // neighbour above
        case 2: m = (1 - ramp(s, wobble)) * ramp(t, -wobble); break;          // left one, cut off above
        case 3: m = ramp(s, wobble) * ramp(t, -wobble); break;                // own corner past both
        case 4: m = (1 - ramp(s, wobble)) * (1 - ramp(t, -wobble)); break;    // only the diagonal one
        case 5: m = ramp(s, -wobble) * (1 - ramp(t, wobble)); break;          // above, cut off left
        default: throw TFileError("seam mask", "no pattern " + std::to_string(pattern));
      }
      mask[static_cast<size_t>(row) * S + x] = Byte(m);
    }
  return mask;
}

void ForgeGroundTexture(const std::string& outPath, const std::string& relative) {
  const std::string file = FileName(relative);
  if (const int ground = GroundOfFile(file); ground >= 0) {
    WriteAnyImage(outPath, MakeGroundTexture(static_cast<TGround>(ground)));
    return;
  }
  // A bump map is named "b" + its texture's name, as the terrain looks it up.
  if (const int ground = file.size() > 1 && file[0] == 'b' ? GroundOfFile(file.substr(1)) : -1; ground >= 0) {
    WriteAnyImage(outPath, MakeGroundBump(static_cast<TGround>(ground)));
    return;
  }
  throw TFileError(relative, "not the name of a ground texture or bump map");
}

void ForgeSeamMask(const std::string& outPath, const std::string& relative) {
  const std::string file = FileName(relative);
  for (int p = 0; p < static_cast<int>(AlphaMapNames.size()); ++p)
    if (file == AlphaMapNames[static_cast<size_t>(p)]) {
      const std::vector<uint8_t> mask = MakeSeamMask(p);
      WriteBmp8File(outPath, mask.data(), S, S);
      return;
    }
  throw TFileError(relative, "not the name of a seam mask");
}
