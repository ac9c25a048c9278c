// ArtIcon.cpp — the desktop icon, painted in centred coordinates (-1..1 across the tile).
#include "content/ArtIcon.h"

#include "content/ArtPalette.h"
#include "content/Paint.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float TileHalf = 0.94f;     // the tile leaves a small margin for the desktop's shadow
constexpr float TileCorner = 0.22f;
constexpr float BezelWidth = 0.035f;
constexpr uint32_t IconSeed = 0x1C0;

// The sun sits low behind the mountains; the aircraft is placed against its glow so the
// silhouette reads at any size.
constexpr TVec2 SunCentre{0.2f, 0.14f};
constexpr float SunRadius = 0.16f;
constexpr TVec2 CraftCentre{-0.02f, -0.22f};
constexpr float CraftScale = 0.5f;
constexpr float CraftClimb = 0.55f;  // radians, clockwise on screen: nose up and to the right

float SdTile(TVec2 p) { return SdBox(p, {0, 0}, {TileHalf, TileHalf}, TileCorner); }

// Heights of the mountain ranges (y of the ridge line; y grows downwards): hazy far peaks,
// then a dark near range rising to the left, leaving the sun's side open.
float FarRidge(float x) { return 0.34f - 0.22f * Ridged2(x * 1.3f + 3.1f, 0.5f, IconSeed, 4, 0.45f); }
float NearRidge(float x) {
  return 0.70f - 0.30f * Smoothstep(0.7f, -0.8f, x) - 0.14f * Ridged2(x * 1.1f + 7.4f, 1.5f, IconSeed + 1, 4, 0.45f);
}

// The dusk sky and the sun's glow; the sun's disc itself only where it is seen, not in the haze
// that the mountains take from the sky.
TColor Sky(TVec2 p, bool disc = true) {
  TColor c = Gradient({{0.0f, Palette::DuskIndigo},
                       {0.45f, Palette::DuskViolet},
                       {0.75f, Palette::DuskRose},
                       {0.92f, Palette::DuskAmber}},
                      Clamp01((p.Y + 1) / 1.35f));
  const float r = Length(p - SunCentre);
  const float glow = 0.85f * std::exp(-r * r / 0.08f) + 0.25f * std::exp(-r / 0.45f);
  c = Mix(c, Palette::DuskAmber, Clamp01(glow));
  return disc ? Mix(c, Palette::WhiteHot, Coverage(r - SunRadius, 0.02f)) : c;
}

// A range: hazier and closer to the sky's colour when far; a thin crest of light along the
// slopes that face the sun.
TColor Range(TVec2 p, float (*ridge)(float), TColor body, TColor rim, float haze) {
  constexpr float Crest = 0.035f;
  const float top = ridge(p.X);
  const float slope = (ridge(p.X + 0.01f) - ridge(p.X - 0.01f)) / 0.02f;
  // A ridge line climbing towards the sun has its face turned to it.
  const float towardsSun = SunCentre.X > p.X ? -slope : slope;
  const float facing = 0.25f + 0.75f * Smoothstep(-0.2f, 1.0f, towardsSun);
  TColor c = Mix(body, rim, facing * Smoothstep(Crest, 0.0f, p.Y - top));
  c = Mix(c, Sky(TVec2{p.X, top}, false), haze * Smoothstep(0.4f, 0.0f, p.Y - top));
  c.A = Coverage(top - p.Y, 2.0f / IconSide);
  return c;
}

// The fighter seen from below against the sky: pointed nose, swept wings, twin tail fins.
const std::vector<TVec2>& CraftOutline() {
  static const std::vector<TVec2> outline = [] {
    const std::vector<TVec2> half = {{0.0f, -1.0f},  {0.09f, -0.62f}, {0.12f, -0.18f}, {0.92f, 0.30f},
                                     {0.92f, 0.44f}, {0.15f, 0.34f},  {0.17f, 0.60f},  {0.46f, 0.86f},
                                     {0.46f, 0.97f}, {0.10f, 0.90f},  {0.0f, 0.98f}};
    std::vector<TVec2> points = half;
    for (size_t i = half.size() - 1; i-- > 1;) points.push_back({-half[i].X, half[i].Y});
    return points;
  }();
  return outline;
}

// Centred picture coordinates to the aircraft's own (nose towards -y).
TVec2 ToCraft(TVec2 p) { return Rotate(p - CraftCentre, {0, 0}, -CraftClimb) * (1.0f / CraftScale); }
TVec2 FromCraft(TVec2 q) { return Rotate(q * CraftScale, {0, 0}, CraftClimb) + CraftCentre; }

float SdCraft(TVec2 p) { return SdPolygon(ToCraft(p), CraftOutline()) * CraftScale; }

void PaintTile(TCanvas& canvas) {
  const float pixel = 2.0f / IconSide;
  OverCentred(canvas, [&](TVec2 p) {
    const float tile = SdTile(p);
    if (tile > pixel) return TColor{0, 0, 0, 0};
    TColor c = Sky(p);
    for (const TColor& range : {Range(p, FarRidge, Palette::DuskViolet, Palette::DuskRose, 0.35f),
                                Range(p, NearRidge, Palette::Ink, Palette::Gold, 0.15f)})
      c = Mix(c, WithAlpha(range, 1), range.A);
    c.A = Coverage(tile, pixel);
    return c;
  });
}

void PaintCraft(TCanvas& canvas) {
  const float pixel = 2.0f / IconSide;
  constexpr float Rim = 0.012f;
  OverCentred(canvas, [&](TVec2 p) {
    const float d = SdCraft(p);
    if (d > pixel) return TColor{0, 0, 0, 0};
    // The sun behind lights a thin rim on the edges that face it.
    const TVec2 normal{SdCraft({p.X + pixel, p.Y}) - SdCraft({p.X - pixel, p.Y}),
                       SdCraft({p.X, p.Y + pixel}) - SdCraft({p.X, p.Y - pixel})};
    const TVec2 toSun = SunCentre - p;
    const float facing = Clamp01(Dot(normal, toSun) / std::max(Length(normal) * Length(toSun), 1e-6f));
    TColor c = Mix(Palette::Ink, Palette::Amber, (0.25f + 0.75f * facing) * Smoothstep(-Rim, 0, d));
    c.A = Coverage(d, pixel);
    return c;
  });
  // Twin engines glow at the tail.
  for (float side : {-0.07f, 0.07f}) {
    const TVec2 nozzle = FromCraft({side, 1.02f});
    const TVec2 centre{(nozzle.X + 1) * IconSide / 2, (nozzle.Y + 1) * IconSide / 2};
    constexpr float GlowRadius = 3.0f;
    for (int y = 0; y < IconSide; ++y)
      for (int x = 0; x < IconSide; ++x) {
        const float r = Length(TVec2{x + 0.5f, y + 0.5f} - centre) / GlowRadius;
        if (r < 3) canvas.Add(x, y, Mix(Palette::Ember, Palette::Amber, std::exp(-r * r * 4)), 0.8f * std::exp(-r * r * 2));
      }
  }
}

// A thin steel bevel round the tile, lit from the upper left.
void PaintBezel(TCanvas& canvas) {
  const float pixel = 2.0f / IconSide;
  OverCentred(canvas, [&](TVec2 p) {
    const float d = SdTile(p);
    const float band = Coverage(d, pixel) * Coverage(-(d + BezelWidth), pixel);
    if (band <= 0) return TColor{0, 0, 0, 0};
    const float lit = LightOf([&](TVec2 q) { return Smoothstep(0, BezelWidth, -SdTile(q)) * BezelWidth; }, p, pixel);
    TColor c = Mix(Palette::SteelDark, Palette::Steel, Smoothstep(0.3f, FlatLight, lit));
    c = Mix(c, Palette::SteelLight, Smoothstep(FlatLight, 0.95f, lit));
    c.A = band;
    return c;
  });
}

// Light added inside the tile spills nowhere: whatever lies outside its corners stays clear.
void ClipToTile(TCanvas& canvas) {
  const float pixel = 2.0f / IconSide;
  for (int y = 0; y < IconSide; ++y)
    for (int x = 0; x < IconSide; ++x) {
      const TVec2 p{(x + 0.5f) * pixel - 1, (y + 0.5f) * pixel - 1};
      const float keep = Coverage(SdTile(p), pixel);
      TColor& c = canvas.At(x, y);
      c = {c.R * keep, c.G * keep, c.B * keep, c.A * keep};
    }
}

}  // namespace

TRgbaImage MakeIcon() {
  TCanvas canvas(IconSide, IconSide);
  PaintTile(canvas);
  PaintCraft(canvas);
  PaintBezel(canvas);
  ClipToTile(canvas);
  return canvas.ToImage(IconSeed);
}
