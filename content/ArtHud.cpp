// ArtHud.cpp — head-up display pictures, drawn as distance fields in centred coordinates.
#include "content/ArtHud.h"

#include "content/ArtPalette.h"
#include "content/Paint.h"

namespace {

constexpr int SignSide = 128;
constexpr int FrameSide = 256;

// A white sign with a soft bevel and a thin dark rim: bright enough to take any tint, with an
// edge that still reads against a bright sky. `sdf` is in centred units.
template <class TSdf>
void PaintSign(TCanvas& canvas, const TSdf& sdf) {
  const float pixel = 2.0f / canvas.Width();
  constexpr float Rim = 0.045f, Bevel = 0.09f;
  OverCentred(canvas, [&](TVec2 p) {
    const float d = sdf(p);
    TColor rim = WithAlpha(Palette::Ink, 0.75f * Coverage(d - Rim, pixel));
    if (d > 0) return rim;
    const float lit = LightOf([&](TVec2 q) { return Smoothstep(0, Bevel, -sdf(q)) * Bevel * 0.6f; }, p, pixel);
    TColor face = Mix(Rgb(168, 172, 180), Rgb(255, 255, 255), Smoothstep(0.3f, FlatLight + 0.05f, lit));
    face = Mix(face, Rgb(255, 255, 255), Smoothstep(FlatLight + 0.05f, 0.95f, lit));
    // Inside the rim the face covers the dark ring with an anti-aliased edge.
    return Mix(rim, WithAlpha(face, 1.0f), Coverage(d, pixel));
  });
}

float SdRegularPolygon(TVec2 p, int sides, float radius, float rotation) {
  std::vector<TVec2> points;
  for (int i = 0; i < sides; ++i) {
    const float a = rotation + i * 2 * Pi / sides;
    points.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  return SdPolygon(p, points);
}

}  // namespace

TRgbaImage MakeRadarMask() {
  TCanvas canvas(SignSide, SignSide);
  const float pixel = 2.0f / SignSide;
  OverCentred(canvas, [&](TVec2 p) {
    return WithAlpha(Palette::Pale, Coverage(SdCircle(p, {0, 0}, 1 - pixel), pixel));
  });
  return canvas.ToImage(0x4AD0);
}

TRgbaImage MakeRadarFrame() {
  constexpr float Inner = RadarMapEdge - 0.035f;  // overlaps the map's stencilled edge
  constexpr float Outer = 0.955f;
  constexpr float Depth = 0.05f;
  const float pixel = 2.0f / FrameSide;
  TCanvas canvas(FrameSide, FrameSide);

  // A soft shadow down and to the right lifts the bezel off the scene.
  TCanvas shadow(FrameSide, FrameSide);
  OverCentred(shadow, [&](TVec2 p) {
    return WithAlpha(Palette::Ink, 0.55f * Coverage(SdRing(p, {0.02f, 0.025f}, (Inner + Outer) / 2, (Outer - Inner) / 2), pixel));
  });
  shadow.Blur(3.0f);
  canvas = shadow;

  // Inside the bezel the map sinks into a dark recess.
  OverCentred(canvas, [&](TVec2 p) {
    const float r = Length(p);
    if (r > Inner) return TColor{0, 0, 0, 0};
    return WithAlpha(Palette::Ink, 0.5f * Smoothstep(Inner - 0.25f, Inner, r));
  });

  // The bezel: a rounded steel band.
  auto bezelHeight = [&](TVec2 q) {
    const float u = Clamp01((Length(q) - Inner) / (Outer - Inner));
    return std::pow(std::sin(Pi * u), 0.6f) * Depth;
  };
  OverCentred(canvas, [&](TVec2 p) {
    const float d = SdRing(p, {0, 0}, (Inner + Outer) / 2, (Outer - Inner) / 2);
    const float cover = Coverage(d, pixel);
    if (cover <= 0) return TColor{0, 0, 0, 0};
    const float lit = LightOf(bezelHeight, p, pixel);
    TColor c = Mix(Palette::Ink, Palette::SteelDark, Smoothstep(0.1f, 0.5f, lit));
    c = Mix(c, Palette::Steel, Smoothstep(0.5f, FlatLight + 0.08f, lit));
    c = Mix(c, Palette::SteelLight, Smoothstep(FlatLight + 0.08f, 0.98f, lit));
    // Engraved ticks every 15 degrees, longer every 90.
    const float angle = std::atan2(p.X, -p.Y);  // 0 at the top, clockwise
    const float step = Pi / 12;
    const float nearest = std::round(angle / step);
    const bool major = static_cast<int>(std::lround(nearest)) % 6 == 0;
    const float across = std::fabs(angle - nearest * step) * Length(p);
    const float r = Length(p);
    const float lo = major ? Inner + 0.02f : Inner + 0.045f, hi = major ? Outer - 0.02f : Inner + 0.085f;
    const float tick = Coverage(across - (major ? 0.009f : 0.006f), pixel) * Smoothstep(lo - pixel, lo + pixel, r) *
                       Smoothstep(hi + pixel, hi - pixel, r);
    c = Mix(c, Palette::Ink, 0.7f * tick);
    c.A = cover;
    return c;
  });

  // A thin lit line where the map meets the bezel, and the forward mark at the top.
  OverCentred(canvas, [&](TVec2 p) {
    const float line = Coverage(SdRing(p, {0, 0}, Inner + 0.006f, 0.006f), pixel);
    return WithAlpha(Palette::Teal, 0.9f * line);
  });
  const std::vector<TVec2> mark = {{-0.065f, -Outer + 0.012f}, {0.065f, -Outer + 0.012f}, {0, -Inner + 0.06f}};
  OverCentred(canvas, [&](TVec2 p) {
    const float d = SdPolygon(p, mark);
    // The mark glows a little onto the map below it, never out past the bezel.
    const float glow = 0.3f * std::exp(-std::max(d, 0.0f) / 0.025f) * Smoothstep(Outer, Inner, Length(p));
    TColor c = Mix(Palette::Amber, Palette::WhiteHot, Coverage(d + 0.03f, pixel) * 0.6f);
    c.A = std::max(Coverage(d, pixel), glow);
    return c;
  });
  return canvas.ToImage(0x4AB0);
}

TRgbaImage MakeEnergySign() {
  TCanvas canvas(SignSide, SignSide);
  const std::vector<TVec2> bolt = {{0.14f, -0.7f}, {-0.34f, 0.08f}, {-0.04f, 0.08f},
                                   {-0.16f, 0.7f}, {0.34f, -0.1f},  {0.05f, -0.1f}};
  PaintSign(canvas, [&](TVec2 p) {
    const float hex = std::fabs(SdRegularPolygon(p, 6, 0.84f, -Pi / 2)) - 0.045f;
    return SdUnion(SdPolygon(p, bolt), hex);
  });
  return canvas.ToImage(0xE4E6);
}

TRgbaImage MakeMissileSign() {
  TCanvas canvas(SignSide, SignSide);
  // Drawn pointing up, then turned 45 degrees clockwise to climb to the upper right.
  const std::vector<TVec2> body = {{0, -0.86f},    {0.1f, -0.6f},  {0.1f, 0.36f},  {0.3f, 0.66f},
                                   {0.3f, 0.8f},   {0.08f, 0.64f}, {-0.08f, 0.64f}, {-0.3f, 0.8f},
                                   {-0.3f, 0.66f}, {-0.1f, 0.36f}, {-0.1f, -0.6f}};
  const std::vector<TVec2> canards = {{0, -0.42f}, {0.2f, -0.2f}, {0.2f, -0.12f}, {0, -0.22f},
                                      {-0.2f, -0.12f}, {-0.2f, -0.2f}};
  PaintSign(canvas, [&](TVec2 p) {
    const TVec2 q = Rotate(p, {0, 0}, -Pi / 4);
    return SdUnion(SdPolygon(q, body), SdPolygon(q, canards));
  });
  return canvas.ToImage(0x4C7);
}

TRgbaImage MakeGunSight() {
  TCanvas canvas(SignSide, SignSide);
  const float pixel = 2.0f / SignSide;
  OverCentred(canvas, [&](TVec2 p) {
    float d = SdRing(p, {0, 0}, 0.5f, 0.035f);
    d = SdUnion(d, SdCircle(p, {0, 0}, 0.06f));
    for (int k = 0; k < 4; ++k) {
      const TVec2 axis = Rotate({0, -1}, {0, 0}, k * Pi / 2);
      d = SdUnion(d, SdBar(p, axis * 0.66f, axis * 0.9f, 0.035f));  // outside the ring
      d = SdUnion(d, SdBar(p, axis * 0.25f, axis * 0.36f, 0.025f));  // inside, short
    }
    return WithAlpha(Palette::Pale, Coverage(d, pixel));
  });
  return canvas.ToImage(0xC5051);
}

TRgbaImage MakeMissileSight() {
  TCanvas canvas(SignSide, SignSide);
  const float pixel = 2.0f / SignSide;
  OverCentred(canvas, [&](TVec2 p) {
    constexpr float Corner = 0.8f, Arm = 0.3f, Half = 0.04f;
    float d = 1e9f;
    for (int k = 0; k < 4; ++k) {
      const float sx = (k & 1) ? 1.0f : -1.0f, sy = (k & 2) ? 1.0f : -1.0f;
      const TVec2 c{sx * Corner, sy * Corner};
      d = SdUnion(d, SdBar(p, c, {c.X - sx * Arm, c.Y}, Half));
      d = SdUnion(d, SdBar(p, c, {c.X, c.Y - sy * Arm}, Half));
    }
    const float diamond = std::fabs(SdRegularPolygon(p, 4, 0.26f, 0)) - 0.03f;
    d = SdUnion(d, diamond);
    d = SdUnion(d, SdCircle(p, {0, 0}, 0.05f));
    return WithAlpha(Palette::Pale, Coverage(d, pixel));
  });
  return canvas.ToImage(0xC5052);
}
