// Paint.cpp — the forge's painting toolkit: noise, distances, canvas, blur and output.
#include "content/Paint.h"

#include <algorithm>

TVec2 Rotate(TVec2 p, TVec2 centre, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  const TVec2 d = p - centre;
  return {centre.X + d.X * c - d.Y * s, centre.Y + d.X * s + d.Y * c};
}

// ---- Colour ------------------------------------------------------------------------------

TColor Mix(TColor a, TColor b, float t) {
  return {Lerp(a.R, b.R, t), Lerp(a.G, b.G, t), Lerp(a.B, b.B, t), Lerp(a.A, b.A, t)};
}

TColor Scale(TColor c, float s) { return {c.R * s, c.G * s, c.B * s, c.A}; }

TColor WithAlpha(TColor c, float a) { return {c.R, c.G, c.B, a}; }

TColor Gradient(const std::vector<TGradientStop>& stops, float t) {
  if (stops.empty()) return {};
  if (t <= stops.front().At) return stops.front().Color;
  for (size_t i = 1; i < stops.size(); ++i)
    if (t < stops[i].At) {
      const float span = stops[i].At - stops[i - 1].At;
      return Mix(stops[i - 1].Color, stops[i].Color, span > 0 ? (t - stops[i - 1].At) / span : 1);
    }
  return stops.back().Color;
}

// ---- Hashes and random numbers -------------------------------------------------------------

// Chris Wellons' "lowbias32": a cheap integer mix whose output bits all depend on all input bits.
uint32_t Hash32(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

uint32_t Hash2(int32_t x, int32_t y, uint32_t seed) {
  return Hash32(static_cast<uint32_t>(x) * 0x8da6b343U ^ Hash32(static_cast<uint32_t>(y) ^ seed));
}

uint32_t Hash3(int32_t x, int32_t y, int32_t z, uint32_t seed) {
  return Hash2(x, y, Hash32(static_cast<uint32_t>(z) * 0xcb1ab31fU ^ seed));
}

uint32_t TRandom::Next() {
  State += 0x9E3779B97F4A7C15ULL;
  uint64_t z = State;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

float TRandom::Unit() { return (Next() >> 8) * (1.0f / 16777216.0f); }

float TRandom::Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }

// ---- Noise -------------------------------------------------------------------------------

namespace {

// Sixteen unit gradients evenly around the circle.
constexpr float Grad2[16][2] = {
    {1.0f, 0.0f},       {0.92388f, 0.38268f},   {0.70711f, 0.70711f},   {0.38268f, 0.92388f},
    {0.0f, 1.0f},       {-0.38268f, 0.92388f},  {-0.70711f, 0.70711f},  {-0.92388f, 0.38268f},
    {-1.0f, 0.0f},      {-0.92388f, -0.38268f}, {-0.70711f, -0.70711f}, {-0.38268f, -0.92388f},
    {0.0f, -1.0f},      {0.38268f, -0.92388f},  {0.70711f, -0.70711f},  {0.92388f, -0.38268f}};

// Perlin's twelve edge gradients, four repeated to make sixteen.
constexpr float Grad3[16][3] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1}, {-1, 0, 1},
                                {1, 0, -1}, {-1, 0, -1}, {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1},
                                {1, 1, 0}, {-1, 1, 0}, {0, -1, 1}, {0, -1, -1}};

inline float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

inline int32_t Wrap(int32_t i, int period) {
  if (period <= 0) return i;
  const int32_t m = i % period;
  return m < 0 ? m + period : m;
}

inline float Corner2(int32_t ix, int32_t iy, float dx, float dy, uint32_t seed) {
  const float* g = Grad2[Hash2(ix, iy, seed) & 15];
  return g[0] * dx + g[1] * dy;
}

inline float Corner3(int32_t ix, int32_t iy, int32_t iz, float dx, float dy, float dz,
                     uint32_t seed) {
  const float* g = Grad3[Hash3(ix, iy, iz, seed) & 15];
  return g[0] * dx + g[1] * dy + g[2] * dz;
}

inline uint32_t OctaveSeed(uint32_t seed, int octave) {
  return Hash32(seed + 0x9E3779B9U * static_cast<uint32_t>(octave + 1));
}

}  // namespace

float Noise2(float x, float y, uint32_t seed, int periodX, int periodY) {
  const float fx0 = std::floor(x), fy0 = std::floor(y);
  const float dx = x - fx0, dy = y - fy0;
  const int32_t ix = static_cast<int32_t>(fx0), iy = static_cast<int32_t>(fy0);
  const int32_t x0 = Wrap(ix, periodX), x1 = Wrap(ix + 1, periodX);
  const int32_t y0 = Wrap(iy, periodY), y1 = Wrap(iy + 1, periodY);
  const float u = Fade(dx), v = Fade(dy);
  const float a = Lerp(Corner2(x0, y0, dx, dy, seed), Corner2(x1, y0, dx - 1, dy, seed), u);
  const float b = Lerp(Corner2(x0, y1, dx, dy - 1, seed), Corner2(x1, y1, dx - 1, dy - 1, seed), u);
  return Lerp(a, b, v) * 1.41f;
}

float Noise3(float x, float y, float z, uint32_t seed) {
  const float fx0 = std::floor(x), fy0 = std::floor(y), fz0 = std::floor(z);
  const float dx = x - fx0, dy = y - fy0, dz = z - fz0;
  const int32_t ix = static_cast<int32_t>(fx0), iy = static_cast<int32_t>(fy0),
                iz = static_cast<int32_t>(fz0);
  const float u = Fade(dx), v = Fade(dy), w = Fade(dz);
  float layer[2];
  for (int k = 0; k < 2; ++k) {
    const float ddz = dz - k;
    const float a = Lerp(Corner3(ix, iy, iz + k, dx, dy, ddz, seed),
                         Corner3(ix + 1, iy, iz + k, dx - 1, dy, ddz, seed), u);
    const float b = Lerp(Corner3(ix, iy + 1, iz + k, dx, dy - 1, ddz, seed),
                         Corner3(ix + 1, iy + 1, iz + k, dx - 1, dy - 1, ddz, seed), u);
    layer[k] = Lerp(a, b, v);
  }
  return Lerp(layer[0], layer[1], w);
}

float Fbm2(float x, float y, uint32_t seed, int octaves, float gain, int periodX, int periodY) {
  float sum = 0, amp = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * Noise2(x, y, OctaveSeed(seed, i), periodX, periodY);
    norm += amp;
    amp *= gain;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / norm;
}

float Fbm3(float x, float y, float z, uint32_t seed, int octaves, float gain) {
  float sum = 0, amp = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * Noise3(x, y, z, OctaveSeed(seed, i));
    norm += amp;
    amp *= gain;
    x *= 2;
    y *= 2;
    z *= 2;
  }
  return sum / norm;
}

float Ridged2(float x, float y, uint32_t seed, int octaves, float gain, int periodX, int periodY) {
  // Each octave is weighted by the crest of the one before, so fine detail gathers on the
  // ridges and the valleys stay smooth, as in worn mountains.
  float sum = 0, amp = 1, norm = 0, weight = 1;
  for (int i = 0; i < octaves; ++i) {
    float n = 1 - std::fabs(Noise2(x, y, OctaveSeed(seed, i), periodX, periodY));
    n *= n;
    sum += amp * n * weight;
    norm += amp;
    weight = Clamp01(n * 1.5f);
    amp *= gain;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / norm;
}

// ---- Shapes ------------------------------------------------------------------------------

float SdCircle(TVec2 p, TVec2 centre, float radius) { return Length(p - centre) - radius; }

float SdRing(TVec2 p, TVec2 centre, float radius, float halfWidth) {
  return std::fabs(Length(p - centre) - radius) - halfWidth;
}

float SdBar(TVec2 p, TVec2 a, TVec2 b, float half) {
  const TVec2 ba = b - a;
  const float len = std::max(Length(ba), 1e-6f);
  const TVec2 dir = ba * (1.0f / len);
  const TVec2 rel = p - (a + b) * 0.5f;
  const TVec2 local{Dot(rel, dir), -rel.X * dir.Y + rel.Y * dir.X};
  return SdBox(local, {0, 0}, {len * 0.5f + half, half});
}

float SdBox(TVec2 p, TVec2 centre, TVec2 halfSize, float cornerRadius) {
  const float qx = std::fabs(p.X - centre.X) - halfSize.X + cornerRadius;
  const float qy = std::fabs(p.Y - centre.Y) - halfSize.Y + cornerRadius;
  const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - cornerRadius;
}

float SdPolygon(TVec2 p, const std::vector<TVec2>& v) {
  // Inigo Quilez's exact polygon distance: nearest edge, sign by the crossing rule.
  float d = Dot(p - v[0], p - v[0]);
  float s = 1;
  for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
    const TVec2 e = v[j] - v[i], w = p - v[i];
    const TVec2 b = w - e * Clamp01(Dot(w, e) / std::max(Dot(e, e), 1e-12f));
    d = std::min(d, Dot(b, b));
    const bool c1 = p.Y >= v[i].Y, c2 = p.Y < v[j].Y, c3 = e.X * w.Y > e.Y * w.X;
    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
  }
  return s * std::sqrt(d);
}

// ---- Canvas ------------------------------------------------------------------------------

TCanvas::TCanvas(int width, int height)
    : W(width), H(height), Pixels(static_cast<size_t>(width) * height, TColor{0, 0, 0, 0}) {}

void TCanvas::Set(int x, int y, TColor c) { At(x, y) = {c.R * c.A, c.G * c.A, c.B * c.A, c.A}; }

TColor TCanvas::Get(int x, int y) const {
  const TColor& p = At(x, y);
  if (p.A <= 0) return {0, 0, 0, 0};
  return {p.R / p.A, p.G / p.A, p.B / p.A, p.A};
}

void TCanvas::Over(int x, int y, TColor c, float coverage) {
  const float a = Clamp01(c.A * coverage);
  TColor& d = At(x, y);
  const float keep = 1 - a;
  d = {c.R * a + d.R * keep, c.G * a + d.G * keep, c.B * a + d.B * keep, a + d.A * keep};
}

void TCanvas::Add(int x, int y, TColor light, float amount) {
  TColor& d = At(x, y);
  const float k = amount * light.A;
  d.R += light.R * k * d.A;
  d.G += light.G * k * d.A;
  d.B += light.B * k * d.A;
}

namespace {

// One box pass along a line of `n` values `stride` apart.
void BoxLine(TColor* line, int n, int stride, int half, bool wrap, std::vector<TColor>& scratch) {
  scratch.resize(n);
  for (int i = 0; i < n; ++i) scratch[i] = line[static_cast<size_t>(i) * stride];
  auto sample = [&](int i) -> const TColor& {
    if (wrap) return scratch[((i % n) + n) % n];
    return scratch[std::clamp(i, 0, n - 1)];
  };
  TColor sum{0, 0, 0, 0};
  for (int i = -half; i <= half; ++i) {
    const TColor& s = sample(i);
    sum = {sum.R + s.R, sum.G + s.G, sum.B + s.B, sum.A + s.A};
  }
  const float inv = 1.0f / (2 * half + 1);
  for (int i = 0; i < n; ++i) {
    line[static_cast<size_t>(i) * stride] = {sum.R * inv, sum.G * inv, sum.B * inv, sum.A * inv};
    const TColor& in = sample(i + half + 1);
    const TColor& out = sample(i - half);
    sum = {sum.R + in.R - out.R, sum.G + in.G - out.G, sum.B + in.B - out.B, sum.A + in.A - out.A};
  }
}

}  // namespace

void TCanvas::Blur(float radius, bool wrapX, bool wrapY) {
  // Three boxes of width w have the variance of a gaussian of sigma sqrt((w^2 - 1) / 4).
  const int half = std::max(0, static_cast<int>(std::lround(std::sqrt(4 * radius * radius + 1) / 2 - 0.5f)));
  if (half == 0) return;
  std::vector<TColor> scratch;
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < H; ++y) BoxLine(&At(0, y), W, 1, half, wrapX, scratch);
    for (int x = 0; x < W; ++x) BoxLine(&At(x, 0), H, W, half, wrapY, scratch);
  }
}

TRgbaImage TCanvas::ToImage(uint32_t ditherSeed) const {
  TRgbaImage image;
  image.Width = W;
  image.Height = H;
  image.Pixels.resize(static_cast<size_t>(W) * H * 4);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const TColor c = Get(x, y);
      const float dither = HashUnit(x, y, ditherSeed) - 0.5f;
      const float channels[4] = {c.R, c.G, c.B, c.A};
      uint8_t* out = &image.Pixels[(static_cast<size_t>(y) * W + x) * 4];
      for (int k = 0; k < 4; ++k) {
        // Alpha is not dithered: exact 0 and 255 must stay exact for masks.
        const float v = Clamp01(channels[k]) * 255.0f + (k < 3 ? dither : 0.0f) + 0.5f;
        out[k] = static_cast<uint8_t>(std::clamp(static_cast<int>(v), 0, 255));
      }
    }
  BleedTransparent(image);
  return image;
}

void BleedTransparent(TRgbaImage& image) {
  const int w = image.Width, h = image.Height;
  std::vector<uint8_t> known(static_cast<size_t>(w) * h);
  size_t unknown = 0;
  for (size_t i = 0; i < known.size(); ++i) {
    known[i] = image.Pixels[i * 4 + 3] > 0;
    unknown += !known[i];
  }
  if (unknown == 0 || unknown == known.size()) return;
  // Grow the known colours outwards a ring at a time; each ring reads only the rings before it,
  // so the result does not depend on the visiting order.
  constexpr int MaxRings = 24;
  for (int ring = 0; ring < MaxRings && unknown > 0; ++ring) {
    std::vector<uint8_t> next = known;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = static_cast<size_t>(y) * w + x;
        if (known[i]) continue;
        int sum[3] = {0, 0, 0}, count = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
            const size_t n = static_cast<size_t>(ny) * w + nx;
            if (!known[n]) continue;
            for (int k = 0; k < 3; ++k) sum[k] += image.Pixels[n * 4 + k];
            ++count;
          }
        if (count == 0) continue;
        for (int k = 0; k < 3; ++k) image.Pixels[i * 4 + k] = static_cast<uint8_t>(sum[k] / count);
        next[i] = 1;
        --unknown;
      }
    known.swap(next);
  }
}
