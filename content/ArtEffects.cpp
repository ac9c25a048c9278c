// ArtEffects.cpp — effect pictures: glows, smoke, the sun and flare, the explosion frames.
#include "content/ArtEffects.h"

#include "content/ArtPalette.h"
#include "content/Paint.h"

#include <cstdio>

namespace {

// Fades everything to nothing between `inner` and the picture's inscribed circle, so the
// square never shows.
float EdgeWindow(float r, float inner = 0.72f) { return 1 - Smoothstep(inner, 0.98f, r); }

float Gauss(float x, float width) { return std::exp(-(x * x) / (width * width)); }

// An additive glow: the light is colour times alpha, so alpha carries the intensity and the
// colour runs from the tint of the faint fringe to white where the light is strongest.
TColor GlowPixel(float intensity, TColor fringe) {
  const float a = Clamp01(intensity);
  TColor c = Mix(fringe, Palette::WhiteHot, Smoothstep(0.25f, 0.95f, intensity));
  c.A = a;
  return c;
}

}  // namespace

TRgbaImage MakeStar() {
  TCanvas canvas(128, 128);
  PaintCentred(canvas, [](float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    const float angle = std::atan2(y, x);
    // Four long rays on the axes and four short ones between, each a thin wedge that thins
    // and dims outwards.
    float rays = 0;
    for (int k = 0; k < 8; ++k) {
      const float axis = k * Pi / 4;
      float off = std::fabs(std::remainder(angle - axis, 2 * Pi));
      const float across = off * r;  // distance from the ray's centre line
      const bool major = k % 2 == 0;
      const float length = major ? 0.95f : 0.55f;
      const float strength = major ? 0.55f : 0.28f;
      rays += strength * Gauss(across, 0.018f + 0.02f * r) * Clamp01(1 - r / length);
    }
    const float core = Gauss(r, 0.09f);
    const float halo = 0.42f * Gauss(r, 0.3f) + 0.12f * Gauss(r, 0.6f);
    const float intensity = (core + halo + rays) * EdgeWindow(r);
    return GlowPixel(intensity, Palette::Amber);
  });
  return canvas.ToImage(0x5717);
}

TRgbaImage MakeSparkle() {
  TCanvas canvas(64, 64);
  PaintCentred(canvas, [](float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    // Mostly round: the same picture lights the ground under every lamp, where rays would
    // read as a painted cross.
    const float glint = 0.1f * (Gauss(y, 0.03f + 0.02f * std::fabs(x)) + Gauss(x, 0.03f + 0.02f * std::fabs(y))) *
                        Clamp01(1 - r / 0.8f);
    const float intensity = (Gauss(r, 0.12f) + 0.5f * Gauss(r, 0.34f) + 0.15f * Gauss(r, 0.6f) + glint) *
                            EdgeWindow(r, 0.6f);
    return GlowPixel(intensity, Rgb(255, 214, 150));
  });
  return canvas.ToImage(0x5A4C);
}

TRgbaImage MakeSmoke() {
  constexpr int Side = 128;
  constexpr uint32_t Seed = 0x5A0CE;
  // A puff is a cluster of round billows: each a dome, the puff their highest surface, so
  // every billow catches the light on its own upper-left shoulder.
  struct TBillow {
    float X, Y, R;
  };
  TRandom random(Seed);
  std::vector<TBillow> billows = {{0.02f, 0.04f, 0.4f}};
  for (int i = 0; i < 8; ++i) {
    const float angle = i * (2 * Pi / 8) + random.Range(-0.3f, 0.3f), dist = random.Range(0.26f, 0.38f);
    billows.push_back({dist * std::cos(angle), dist * std::sin(angle), random.Range(0.17f, 0.26f)});
  }
  auto height = [&](float x, float y) {
    float h = -1;
    for (const TBillow& b : billows) {
      const float dx = x - b.X, dy = y - b.Y, q = b.R * b.R - dx * dx - dy * dy;
      h = std::max(h, q > 0 ? std::sqrt(q) : -std::sqrt(-q));
    }
    return h + 0.025f * Fbm2(x * 9 + 3, y * 9 + 7, Seed, 3);
  };
  TCanvas canvas(Side, Side);
  const float step = 2.0f / Side;
  PaintCentred(canvas, [&](float x, float y) {
    const float h = height(x, y);
    const float sx = (height(x + step, y) - height(x - step, y)) / (2 * step);
    const float sy = (height(x, y + step) - height(x, y - step)) / (2 * step);
    const float lit = Lambert(Clampf(sx, -3, 3), Clampf(sy, -3, 3));
    const float r = std::sqrt(x * x + y * y);
    TColor c = Mix(Rgb(128, 136, 148), Rgb(236, 236, 234), Smoothstep(0.1f, 0.95f, lit));
    // Ragged, thin edges: the puff dissolves into wisps rather than ending in a line.
    const float wisp = Fbm2(x * 5 + 1, y * 5 + 9, Seed + 1, 4, 0.55f);
    c.A = Smoothstep(-0.12f, 0.3f, h + 0.1f * wisp) * (0.55f + 0.3f * Smoothstep(0.0f, 0.35f, h)) *
          EdgeWindow(r, 0.7f);
    return c;
  });
  canvas.Blur(0.8f);  // softens the creases between billows: smoke has no hard lines
  return canvas.ToImage(0x5A0C);
}

TRgbaImage MakeShotMark() {
  constexpr uint32_t Seed = 0x5407;
  TCanvas canvas(64, 64);
  PaintCentred(canvas, [](float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    const float angle = std::atan2(y, x);
    // A splash: the glow's reach wavers around the mark like scattered embers.
    const float reach = 0.55f + 0.12f * Noise2(std::cos(angle) * 2.5f + 4, std::sin(angle) * 2.5f + 4, Seed);
    const float body = Smoothstep(reach, reach * 0.2f, r);
    const float embers = 0.5f + 0.5f * Fbm2(x * 6 + 11, y * 6 + 5, Seed + 1, 3);
    const float intensity =
        (Gauss(r, 0.14f) * 1.1f + 0.55f * body * (0.6f + 0.6f * embers)) * EdgeWindow(r, 0.62f);
    TColor c = Mix(Palette::Ember, Palette::Amber, Smoothstep(0.2f, 0.7f, intensity));
    c = Mix(c, Palette::WhiteHot, Smoothstep(0.75f, 1.1f, intensity));
    c.A = Clamp01(intensity);
    return c;
  });
  return canvas.ToImage(Seed);
}

TRgbaImage MakeSun() {
  TCanvas canvas(128, 128);
  constexpr float Disc = 0.2f;
  const float pixel = 2.0f / 128;
  PaintCentred(canvas, [&](float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    const float disc = Coverage(r - Disc, pixel);
    // Limb darkening: the disc's rim is a little warmer and dimmer than its middle.
    const float limb = std::sqrt(Clamp01(1 - (r / Disc) * (r / Disc)));
    const TColor discColor = Mix(Rgb(255, 226, 170), Palette::WhiteHot, 0.4f + 0.6f * limb);
    const float corona = (0.55f * std::exp(-(r - Disc) / 0.1f) + 0.3f * std::exp(-(r - Disc) / 0.32f)) *
                         EdgeWindow(r, 0.6f);
    TColor glow = Mix(Palette::Amber, Rgb(255, 236, 200), Clamp01(corona));
    glow.A = Clamp01(corona);
    TColor c = Mix(glow, discColor, disc);
    c.A = Clamp01(glow.A + disc * (1 - glow.A));
    return c;
  });
  return canvas.ToImage(0x5117);
}

TRgbaImage MakeFlare() {
  TCanvas canvas(128, 128);
  PaintCentred(canvas, [](float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    // A lens ring shows each colour at a slightly different radius: red outside, blue inside.
    const float red = Gauss(r - 0.74f, 0.06f), green = Gauss(r - 0.71f, 0.06f),
                blue = Gauss(r - 0.68f, 0.06f);
    const float fill = 0.1f * Smoothstep(0.78f, 0.3f, r);
    const float rr = red + fill, gg = green + fill, bb = blue + fill * 1.2f;
    const float peak = std::max(rr, std::max(gg, bb));
    TColor c{0.85f, 0.9f, 1.0f, 0};
    if (peak > 0) c = {0.55f + 0.45f * rr / peak, 0.55f + 0.45f * gg / peak, 0.6f + 0.4f * bb / peak, 0};
    // Faint on purpose: six of these line up across the screen.
    c.A = Clamp01(peak * 0.34f) * EdgeWindow(r, 0.86f);
    return c;
  });
  return canvas.ToImage(0xF1A4);
}

// ---- Explosion ---------------------------------------------------------------------------

std::string ExplosionFrameName(int frame) {
  char name[32];
  std::snprintf(name, sizeof name, "exp%05d.cna", frame + 1);
  return name;
}

int ExplosionFrameIndex(const std::string& fileName) {
  const size_t slash = fileName.find_last_of('/');
  const std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  for (int i = 0; i < ExplosionFrameCount; ++i)
    if (base == ExplosionFrameName(i)) return i;
  return -1;
}

TRgbaImage MakeExplosionFrame(int frame) {
  constexpr uint32_t Seed = 0xE7B10;
  const float t = static_cast<float>(frame) / (ExplosionFrameCount - 1);
  // The ball blooms fast and slows (ease-out), is brightest a few frames in, then cools from
  // white through amber and ember to a dim smoky red and fades out.
  const float radius = 0.3f + 0.55f * (1 - (1 - t) * (1 - t) * (1 - t));
  const float brightness = (t < 0.1f ? 0.8f + 2 * t : t < 0.35f ? 1.0f : std::exp(-(t - 0.35f) * 2.6f)) *
                           (1 - Smoothstep(0.75f, 1.0f, t));
  const float heatScale = 1.3f - 0.95f * Smoothstep(0.05f, 0.95f, t);
  const float hollow = Smoothstep(0.3f, 1.0f, t);  // the burnt-out middle of the late frames
  const float time = t * 1.6f;
  const std::vector<TGradientStop> fire = {{0.0f, Rgb(40, 8, 4)},       {0.25f, Palette::Blood},
                                           {0.45f, Palette::Ember},     {0.65f, Palette::Amber},
                                           {0.85f, Rgb(255, 222, 150)}, {1.0f, Palette::WhiteHot}};
  TCanvas canvas(ExplosionFrameSide, ExplosionFrameSide);
  PaintCentred(canvas, [&](float x, float y) {
    // In units of the ball's radius, gently warped so the billows curl as they roll out.
    const float qx = (x + 0.12f * Fbm3(x * 2 + 3, y * 2, time, Seed + 1, 2)) / radius;
    const float qy = (y + 0.12f * Fbm3(x * 2, y * 2 + 5, time, Seed + 2, 2)) / radius;
    const float q = std::sqrt(qx * qx + qy * qy);
    // Turbulence (summed absolute noise) makes rounded puffs with dark seams between them.
    float puffs = 0, amp = 0.5f;
    for (int o = 0; o < 4; ++o, amp *= 0.5f) {
      const float f = 2.6f * static_cast<float>(1 << o);
      puffs += amp * std::fabs(Noise3(qx * f, qy * f, time * 2 + o * 7.1f, Seed + o));
    }
    puffs = Clamp01(puffs * 1.9f);
    // The outline follows only the broad billows; the fine ones would fray it into fur.
    const float broad = Noise3(qx * 2.2f, qy * 2.2f, time * 2, Seed + 9);
    const float outline = 1 + 0.16f * broad;
    const float mask = Smoothstep(outline, outline - 0.25f, q);
    const float core = Clamp01(1 - q * q);
    const float hollowing = 1 - hollow * 0.55f * Gauss(q, 0.55f);
    const float heat = Clamp01((0.95f * core + 0.55f * puffs - 0.2f) * heatScale * hollowing);
    TColor c = Gradient(fire, heat);
    c.A = Clamp01(mask * (0.3f + 0.9f * heat) * brightness) * EdgeWindow(std::sqrt(x * x + y * y), 0.85f);
    return c;
  });
  return canvas.ToImage(Seed + frame);
}
