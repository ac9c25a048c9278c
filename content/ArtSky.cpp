// ArtSky.cpp — the mission skies: cloud layers seen in perspective, tiled around the dome.
#include "content/ArtSky.h"

#include "content/ArtPalette.h"
#include "content/Paint.h"

namespace {

// A point of the picture: U across (0..1, one tile), H the height above the horizon (0 at the
// bottom row, 1 at the zenith row).
struct TSkyPoint {
  float U, H;
};

// How far along a flat cloud layer of height 1 the eye meets it at height h: 0 overhead, about
// 20 at the horizon.
float LayerDistance(float h) {
  const float e = h * Pi / 2;
  return std::cos(e) / (std::sin(e) + 0.05f);
}

constexpr int MaxLayerLevel = 5;  // at most 32 lattice cells across the tile

// One level of detail of a layer: 2^level cells across the tile (so it wraps), as few octaves
// as keep the finest cells at least two pixels wide.
float LayerLevel(float u, float y, uint32_t seed, int level, int octaves, float gain) {
  const int period = 1 << level;
  const int finest = SkyWidthLog2 - 1 - level;  // log2 of (SkyWidth / 2) / period
  return Fbm2(u * period, y, seed + level * 101u, std::min(octaves, std::max(1, finest)), gain, period, 0);
}

// Noise of a flat cloud layer of features about `size` wide (in layer heights) seen from below:
// distant features shrink across as well as up, so a cloud keeps its shape on the dome. Two
// levels of detail cross-fade where one tile needs a number of cells between powers of two.
float LayerFbm(TSkyPoint p, uint32_t seed, float size, int octaves, float gain) {
  const float r = LayerDistance(p.H);
  const float y = r / size;
  const float cells = (Pi / 2) * r / size;  // a tile spans a quarter of the horizon
  const float lod = Clampf(std::log2(std::max(cells, 1.0f)), 0, MaxLayerLevel - 0.001f);
  const int k = static_cast<int>(lod);
  const float f = lod - k;
  const float a = LayerLevel(p.U, y, seed, k, octaves, gain);
  const float b = LayerLevel(p.U, y, seed, k + 1, octaves, gain);
  // Cross-fading two fields flattens their contrast; this restores it. Right at the horizon
  // the layer's detail is finer than a pixel row, so it fades to the mean there.
  return (a * (1 - f) + b * f) / std::sqrt((1 - f) * (1 - f) + f * f) * Smoothstep(0.0f, 0.1f, p.H);
}

// Paints a sky row by row; `color(point)` gives the straight colour.
template <class TPaint>
TRgbaImage PaintSky(uint32_t seed, const TPaint& color) {
  TCanvas canvas(SkyWidth, SkyHeight);
  PaintPixels(canvas, [&](float x, float y) {
    return color(TSkyPoint{x / SkyWidth, 1 - y / SkyHeight});
  });
  return canvas.ToImage(seed);
}

// 1 in the bottom band that melts into the fog, 0 above it.
float HorizonBlend(float h, float band) { return Smoothstep(band, 0.0f, h); }
// 1 where the dome pinches at the top, where no detail may show.
float ZenithCalm(float h) { return Smoothstep(0.78f, 0.96f, h); }

// Cumulus density and how lit it is: light from above, so a point is lit when the cloud
// thins out just above it.
struct TCloud {
  float Density, Lit;
};
TCloud Cumulus(TSkyPoint p, uint32_t seed, float size, float bias, float fadeTop) {
  auto density = [&](TSkyPoint q) {
    const float n = LayerFbm(q, seed, size, 6, 0.52f);
    return n + bias - 0.45f * Smoothstep(0.3f, fadeTop, q.H);
  };
  const float d = density(p);
  const float above = density({p.U - 0.004f, p.H + 0.025f});  // the sun stands a little left
  return {d, Clamp01(0.55f + (d - above) * 4.0f)};
}

}  // namespace

TRgbaImage MakeSky1() {
  constexpr uint32_t Seed = 0x5C71;
  const TColor fog = Rgb(128, 128, 178);
  return PaintSky(Seed, [&](TSkyPoint p) {
    const TCloud cloud = Cumulus(p, Seed, 0.45f, 0.12f, 0.85f);
    float alpha = Smoothstep(0.0f, 0.32f, cloud.Density) * 0.92f;
    TColor c = Mix(Rgb(150, 158, 184), Rgb(253, 251, 246), Smoothstep(0.2f, 0.9f, cloud.Lit));
    // Towards the horizon distant clouds become the haze the terrain's fog ends in.
    const float haze = HorizonBlend(p.H, 0.14f);
    c = Mix(c, Mix(fog, Rgb(196, 196, 222), 0.3f), Clamp01(haze * 1.2f));
    c = Mix(c, fog, HorizonBlend(p.H, 0.04f));
    alpha = Lerp(alpha, 1.0f, haze * haze);
    c.A = alpha * (1 - ZenithCalm(p.H));
    return c;
  });
}

TRgbaImage MakeSky2() {
  constexpr uint32_t Seed = 0x5C72;
  // Added to the scattered colours: black adds nothing, so the picture is dark and only the
  // dust and streaks carry light.
  const TColor ochre = Rgb(142, 128, 85);
  return PaintSky(Seed, [&](TSkyPoint p) {
    const float dust = 0.5f + 0.5f * LayerFbm(p, Seed, 1.2f, 5, 0.55f);
    float streak = 0.5f + 0.5f * Fbm2(p.U * 2, LayerDistance(p.H) * 1.2f, Seed + 1, 5, 0.5f, 2, 0);
    streak = streak * streak * streak;
    const float low = (1 - p.H) * (1 - p.H);
    const float band = Smoothstep(0.05f, 0.25f, p.H) * Smoothstep(0.75f, 0.4f, p.H);
    TColor c = Scale(ochre, 0.55f * low * (0.45f + 0.9f * dust));
    const TColor pale = Rgb(250, 200, 128);
    const float light = 0.6f * streak * band * (1 - ZenithCalm(p.H));
    c = {c.R + pale.R * light, c.G + pale.G * light, c.B + pale.B * light, 1};
    return c;
  });
}

TRgbaImage MakeSky3() {
  constexpr uint32_t Seed = 0x5C73;
  const TColor fog = Rgb(128, 128, 128);
  return PaintSky(Seed, [&](TSkyPoint p) {
    // A closed deck of stratocumulus: dark rounded bellies pressed together, paler seams where
    // the deck thins, the whole darkening overhead.
    auto cells = [&](TSkyPoint q) { return LayerFbm(q, Seed, 0.5f, 6, 0.55f); };
    const float n = cells(p);
    const float belly = Smoothstep(-0.5f, 0.3f, n);
    const float rim = Clamp01((n - cells({p.U - 0.004f, p.H + 0.02f})) * 3.0f);
    TColor c = Mix(Rgb(142, 144, 150), Rgb(68, 72, 82), belly);
    c = Mix(c, Rgb(170, 172, 176), rim * (1 - belly) * 0.5f);
    c = Scale(c, 1 - 0.35f * Smoothstep(0.1f, 1.0f, p.H));
    c = Mix(c, Mix(fog, Rgb(62, 66, 76), p.H), ZenithCalm(p.H));
    c = Mix(c, fog, HorizonBlend(p.H, 0.12f));
    return c;
  });
}

TRgbaImage MakeSky4() {
  constexpr uint32_t Seed = 0x5C74;
  const TColor fog = Rgb(128, 158, 128);
  return PaintSky(Seed, [&](TSkyPoint p) {
    TColor c = Gradient({{0.0f, fog}, {0.07f, Rgb(168, 188, 150)}, {0.22f, Rgb(108, 128, 106)},
                         {0.6f, Rgb(64, 80, 70)}, {1.0f, Rgb(42, 52, 48)}},
                        p.H);
    // Storm banks hang low and dark; under them a sickly light leaks along the horizon.
    const float bank = LayerFbm(p, Seed, 0.8f, 6, 0.55f) + 0.15f - 0.5f * Smoothstep(0.35f, 0.8f, p.H);
    const float mass = Smoothstep(-0.05f, 0.35f, bank) * (1 - ZenithCalm(p.H));
    const float below = LayerFbm({p.U, p.H - 0.03f}, Seed, 0.8f, 6, 0.55f) + 0.15f -
                        0.5f * Smoothstep(0.35f, 0.8f, p.H - 0.03f);
    const float underLit = Clamp01((bank - below) * -3.0f);  // the lower edge faces the light
    TColor storm = Mix(Rgb(34, 42, 38), Rgb(150, 166, 120), underLit * 0.7f);
    c = Mix(c, storm, mass * 0.85f);
    c = Mix(c, fog, HorizonBlend(p.H, 0.05f));
    return c;
  });
}

TRgbaImage MakeSky5() {
  constexpr uint32_t Seed = 0x5C75;
  const TColor fog = Rgb(128, 128, 128);
  return PaintSky(Seed, [&](TSkyPoint p) {
    TColor c = Gradient({{0.0f, fog}, {0.12f, Rgb(132, 142, 156)}, {0.5f, Rgb(90, 114, 146)},
                         {1.0f, Rgb(58, 82, 120)}},
                        p.H);
    const TCloud cloud = Cumulus(p, Seed, 0.55f, 0.2f, 0.95f);
    const float alpha = Smoothstep(-0.05f, 0.3f, cloud.Density) * (1 - ZenithCalm(p.H) * 0.9f);
    const TColor body = Mix(Rgb(104, 110, 124), Rgb(238, 238, 234), Smoothstep(0.15f, 0.9f, cloud.Lit));
    c = Mix(c, body, alpha);
    c = Mix(c, fog, HorizonBlend(p.H, 0.1f));
    return c;
  });
}
