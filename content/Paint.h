// Paint.h — the forge's painting toolkit: seeded hashes and noise, shapes by coverage, blur and
// compositing on a float canvas.
//
// Conventions: colours are floats 0..1 in display space (no gamma step), straight alpha in
// TColor; a TCanvas holds premultiplied RGBA. Pixel (x, y) has its centre at (x + 0.5, y + 0.5)
// and y grows downwards, top row first, as TRgbaImage stores it. Shapes are signed distance
// functions, negative inside; Coverage turns a distance into anti-aliased opacity. Everything
// is a pure function of its arguments and seeds, so the forge's output never changes between
// runs.
#pragma once

#include "core/PngFile.h"

#include <cmath>
#include <cstdint>
#include <vector>

// ---- Numbers -----------------------------------------------------------------------------

constexpr float Pi = 3.14159265358979f;

inline float Clamp01(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }
inline float Clampf(float x, float lo, float hi) { return x < lo ? lo : (x > hi ? hi : x); }
inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }
inline float Smoothstep(float e0, float e1, float x) {
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

struct TVec2 {
  float X = 0, Y = 0;
};
inline TVec2 operator+(TVec2 a, TVec2 b) { return {a.X + b.X, a.Y + b.Y}; }
inline TVec2 operator-(TVec2 a, TVec2 b) { return {a.X - b.X, a.Y - b.Y}; }
inline TVec2 operator*(TVec2 a, float s) { return {a.X * s, a.Y * s}; }
inline float Dot(TVec2 a, TVec2 b) { return a.X * b.X + a.Y * b.Y; }
inline float Length(TVec2 a) { return std::sqrt(Dot(a, a)); }
// The point turned by `angle` radians about `centre` (counter-clockwise on screen is negative,
// because y grows downwards).
TVec2 Rotate(TVec2 p, TVec2 centre, float angle);

// ---- Colour ------------------------------------------------------------------------------

struct TColor {
  float R = 0, G = 0, B = 0, A = 1;
};
// From 0..255 components.
constexpr TColor Rgb(int r, int g, int b, float a = 1.0f) {
  return {r / 255.0f, g / 255.0f, b / 255.0f, a};
}
TColor Mix(TColor a, TColor b, float t);  // every channel, alpha included
TColor Scale(TColor c, float s);          // colour only; alpha kept
TColor WithAlpha(TColor c, float a);
// Through a list of stops at positions 0..1 (ascending), clamped at the ends.
struct TGradientStop {
  float At;
  TColor Color;
};
TColor Gradient(const std::vector<TGradientStop>& stops, float t);

// ---- Hashes and random numbers -------------------------------------------------------------

uint32_t Hash32(uint32_t x);
uint32_t Hash2(int32_t x, int32_t y, uint32_t seed);
uint32_t Hash3(int32_t x, int32_t y, int32_t z, uint32_t seed);
// A float in [0, 1) from a lattice point.
inline float HashUnit(int32_t x, int32_t y, uint32_t seed) {
  return (Hash2(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

// SplitMix64: the forge's own generator, so no library version changes a picture.
class TRandom {
public:
  explicit TRandom(uint64_t seed) : State(seed) {}
  uint32_t Next();
  float Unit();                    // [0, 1)
  float Range(float lo, float hi);  // [lo, hi)

private:
  uint64_t State;
};

// ---- Noise -------------------------------------------------------------------------------
// Gradient noise about -1..1 with a lattice step of 1. A period above 0 wraps the lattice, so
// the noise repeats every `period` units along that axis: a picture sampled over exactly one
// period tiles seamlessly.

float Noise2(float x, float y, uint32_t seed, int periodX = 0, int periodY = 0);
float Noise3(float x, float y, float z, uint32_t seed);

// Sums of octaves at doubling frequency (periods double too, so tiling survives) and gain
// `gain` per octave, normalised to about -1..1.
float Fbm2(float x, float y, uint32_t seed, int octaves, float gain = 0.5f, int periodX = 0,
           int periodY = 0);
float Fbm3(float x, float y, float z, uint32_t seed, int octaves, float gain = 0.5f);
// Ridged multifractal, 0..1: sharp crests where the noise crosses zero, for mountains.
float Ridged2(float x, float y, uint32_t seed, int octaves, float gain = 0.5f, int periodX = 0,
              int periodY = 0);

// ---- Shapes (signed distances, negative inside) --------------------------------------------

float SdCircle(TVec2 p, TVec2 centre, float radius);
// A band of half width `halfWidth` around a circle.
float SdRing(TVec2 p, TVec2 centre, float radius, float halfWidth);
// A bar of half thickness `half` along ab with square ends that reach `half` past a and b, so
// bars meeting at right angles make square corners.
float SdBar(TVec2 p, TVec2 a, TVec2 b, float half);
float SdBox(TVec2 p, TVec2 centre, TVec2 halfSize, float cornerRadius = 0);
// Any simple polygon, either winding.
float SdPolygon(TVec2 p, const std::vector<TVec2>& points);

inline float SdUnion(float a, float b) { return a < b ? a : b; }
inline float SdIntersect(float a, float b) { return a > b ? a : b; }
inline float SdSubtract(float a, float b) { return a > -b ? a : -b; }

// Opacity of a shape at distance d for a pixel `pixel` units wide: 0.5 on the edge.
inline float Coverage(float d, float pixel = 1.0f) { return Clamp01(0.5f - d / pixel); }

// ---- Canvas ------------------------------------------------------------------------------

class TCanvas {
public:
  TCanvas(int width, int height);

  int Width() const { return W; }
  int Height() const { return H; }

  // Premultiplied access.
  TColor& At(int x, int y) { return Pixels[static_cast<size_t>(y) * W + x]; }
  const TColor& At(int x, int y) const { return Pixels[static_cast<size_t>(y) * W + x]; }

  // Straight-alpha colour in, stored premultiplied.
  void Set(int x, int y, TColor straight);
  TColor Get(int x, int y) const;  // straight alpha out
  // Source-over with the colour's alpha times `coverage`.
  void Over(int x, int y, TColor straight, float coverage = 1.0f);
  // Light added to the colour only (glows on an opaque picture).
  void Add(int x, int y, TColor light, float amount = 1.0f);

  // Paints a shape over the picture: `sdf(TVec2)` in pixel units, with `color(TVec2,
  // distance)` giving the straight colour at each covered pixel.
  template <class TSdf, class TPaint>
  void Shape(const TSdf& sdf, const TPaint& color) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        const TVec2 p{x + 0.5f, y + 0.5f};
        const float d = sdf(p);
        const float c = Coverage(d);
        if (c > 0) Over(x, y, color(p, d), c);
      }
  }

  // A gaussian-like blur (three box passes) of radius about `radius` pixels; wrapped axes
  // blur across the opposite edge so tiling pictures stay seamless.
  void Blur(float radius, bool wrapX = false, bool wrapY = false);

  // The finished picture, with a hash dither of half a step against banding. Fully
  // transparent pixels take the colour of their nearest visible neighbours, so filtering and
  // mipmaps do not pull dark fringes into alpha-blended edges.
  TRgbaImage ToImage(uint32_t ditherSeed) const;

private:
  int W, H;
  std::vector<TColor> Pixels;
};

// Sets every pixel to `color(x, y)` (straight alpha), x and y the pixel's centre.
template <class TPaint>
void PaintPixels(TCanvas& canvas, const TPaint& color) {
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) canvas.Set(x, y, color(x + 0.5f, y + 0.5f));
}

// The same in centred coordinates: -1..1 across the picture's width and height.
template <class TPaint>
void PaintCentred(TCanvas& canvas, const TPaint& color) {
  const float sx = 2.0f / canvas.Width(), sy = 2.0f / canvas.Height();
  PaintPixels(canvas, [&](float x, float y) { return color(x * sx - 1, y * sy - 1); });
}

// Composites `color(p)` (straight alpha, p centred as above) over what the canvas holds: one
// layer of a picture.
template <class TPaint>
void OverCentred(TCanvas& canvas, const TPaint& color) {
  const float sx = 2.0f / canvas.Width(), sy = 2.0f / canvas.Height();
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) {
      const TColor c = color(TVec2{(x + 0.5f) * sx - 1, (y + 0.5f) * sy - 1});
      if (c.A > 0) canvas.Over(x, y, c);
    }
}

// Fills colour into fully transparent pixels from their neighbours, in place.
void BleedTransparent(TRgbaImage& image);
