// ModelTexture.cpp — painting a model's texture atlas into its colour picture and bump map.
#include "content/ModelTexture.h"

#include <algorithm>
#include <cmath>

namespace {

// Texels of margin painted around each region, clamped to its edge: enough for the mipmap
// levels a model is seen at.
constexpr int RegionMargin = 4;
// Samples per texel along each axis: shape edges come out smooth.
constexpr int Supersample = 2;

uint8_t Byte(float v) { return static_cast<uint8_t>(std::clamp(static_cast<int>(v * 255.0f + 0.5f), 0, 255)); }

}  // namespace

TUvRect TAtlas::Rect(int x, int y, int w, int h) const {
  return {float(x) / Width, 1.0f - float(y + h) / Height, float(x + w) / Width, 1.0f - float(y) / Height};
}

TPaintedTexture PaintAtlas(const TAtlas& atlas, const std::vector<TAtlasRegion>& regions, const TSurface& background,
                           float relief, uint32_t ditherSeed) {
  const int w = atlas.Width, h = atlas.Height;
  std::vector<TSurface> texels(static_cast<size_t>(w) * h, background);
  // Margins first, then the regions themselves, so no margin paints over a neighbour.
  for (int pass = 0; pass < 2; ++pass)
  for (const TAtlasRegion& r : regions) {
    const int margin = pass == 0 ? RegionMargin : 0;
    const int x0 = std::max(0, r.X - margin), x1 = std::min(w, r.X + r.W + margin);
    const int y0 = std::max(0, r.Y - margin), y1 = std::min(h, r.Y + r.H + margin);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        if (pass == 0 && x >= r.X && x < r.X + r.W && y >= r.Y && y < r.Y + r.H) continue;
        TSurface sum{{0, 0, 0, 1}, 0, 0};
        for (int j = 0; j < Supersample; ++j)
          for (int i = 0; i < Supersample; ++i) {
            const float px = x + (i + 0.5f) / Supersample, py = y + (j + 0.5f) / Supersample;
            const float s = std::clamp((px - r.X) / r.W, 0.0f, 1.0f);
            const float t = std::clamp(1.0f - (py - r.Y) / r.H, 0.0f, 1.0f);
            const TSurface v = r.Paint(s, t);
            sum.Color = {sum.Color.R + v.Color.R, sum.Color.G + v.Color.G, sum.Color.B + v.Color.B, 1};
            sum.Height += v.Height;
            sum.Glow += v.Glow;
          }
        const float k = 1.0f / (Supersample * Supersample);
        texels[static_cast<size_t>(y) * w + x] = {{sum.Color.R * k, sum.Color.G * k, sum.Color.B * k, 1},
                                                  sum.Height * k, sum.Glow * k};
      }
  }

  TPaintedTexture out;
  out.Color = {w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
  out.Bump = {w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
  auto height = [&](int x, int y) {
    return texels[static_cast<size_t>(std::clamp(y, 0, h - 1)) * w + std::clamp(x, 0, w - 1)].Height;
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TSurface& v = texels[static_cast<size_t>(y) * w + x];
      const float dither = (HashUnit(x, y, ditherSeed) - 0.5f) / 255.0f;
      uint8_t* c = &out.Color.Pixels[(static_cast<size_t>(y) * w + x) * 4];
      c[0] = Byte(v.Color.R + dither);
      c[1] = Byte(v.Color.G + dither);
      c[2] = Byte(v.Color.B + dither);
      c[3] = Byte(v.Glow);
      // Picture rows run down while t runs up, hence the sign of the y slope.
      const float ds = (height(x + 1, y) - height(x - 1, y)) * 0.5f * relief;
      const float dt = (height(x, y - 1) - height(x, y + 1)) * 0.5f * relief;
      const float len = std::sqrt(ds * ds + dt * dt + 1);
      uint8_t* n = &out.Bump.Pixels[(static_cast<size_t>(y) * w + x) * 4];
      n[0] = Byte(0.5f - 0.5f * ds / len);
      n[1] = Byte(0.5f - 0.5f * dt / len);
      n[2] = Byte(0.5f + 0.5f / len);
      n[3] = 255;
    }
  return out;
}

// ---- Material helpers ------------------------------------------------------------------------

float GridLine(float s, float t, float cellS, float cellT, float width) {
  auto dist = [](float v, float cell) {
    if (cell <= 0) return 1e9f;
    const float f = v / cell - std::floor(v / cell);
    return std::min(f, 1 - f) * cell;
  };
  const float d = std::min(dist(s, cellS), dist(t, cellT));
  return Smoothstep(0, width, d);
}

float Rivets(float s, float t, float cellS, float cellT, float step, float radius) {
  float best = 1e9f;
  auto nearLine = [](float v, float cell) {
    return std::round(v / cell) * cell;
  };
  if (cellS > 0) {  // rivets along the lines of constant s
    const float ls = nearLine(s, cellS), lt = std::round(t / step) * step;
    best = std::min(best, std::hypot(s - ls, t - lt));
  }
  if (cellT > 0) {
    const float lt = nearLine(t, cellT), ls = std::round(s / step) * step;
    best = std::min(best, std::hypot(s - ls, t - lt));
  }
  return 1 - Smoothstep(radius * 0.5f, radius, best);
}

float Grime(float s, float t, float scale, uint32_t seed) { return 0.5f + 0.5f * Fbm2(s * scale, t * scale, seed, 4); }

TColor Weathered(TColor c, float amount) {
  const TColor dirt = Rgb(40, 36, 32);
  return Mix(c, dirt, Clamp01(amount));
}

float Seam(float u, float step, float width) {
  const float f = u / step - std::floor(u / step);
  const float d = std::min(f, 1 - f) * step;
  return 1 - Smoothstep(0, width, d);
}

TSurface PanelledMetal(TColor base, float u, float v, float cellU, float cellV, float grime, uint32_t seed) {
  const float line = GridLine(u, v, cellU, cellV, 0.035f);
  const float rivet = Rivets(u, v, cellU, cellV, 0.22f, 0.045f) * (1 - line);
  TColor c = Weathered(base, grime * 0.35f * Grime(u, v, 0.7f, seed));
  c = Scale(c, 0.72f + 0.28f * line);
  c = Mix(c, Scale(base, 1.12f), rivet * 0.5f);
  return {c, -1.2f * (1 - line) + 0.5f * rivet, 0};
}
