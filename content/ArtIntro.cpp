// ArtIntro.cpp — the intro pictures: one mountain world, seen at dusk and in evening light.
#include "content/ArtIntro.h"

#include "content/ArtPalette.h"
#include "content/ArtScene.h"

namespace {

constexpr int WorldSize = 512;
constexpr float WorldExtent = 9000;
constexpr float PeakHeight = 1100;
constexpr uint32_t WorldSeed = 0x0A7A;

// Both pictures show the same mountains; they are made once per forge run.
const THeightField& World() {
  static const THeightField field = MakeMountains(WorldSize, WorldExtent, PeakHeight, WorldSeed);
  return field;
}

TVec3 FromAngles(float azimuth, float elevation) {
  return {std::cos(azimuth) * std::cos(elevation), std::sin(azimuth) * std::cos(elevation), std::sin(elevation)};
}

TColor Add(TColor a, TColor b, float k) { return {a.R + b.R * k, a.G + b.G * k, a.B + b.B * k, a.A}; }

// A point `distance` ahead through a pixel of the camera.
TVec3 Ahead(const TCamera& camera, float px, float py, float distance) {
  return camera.Eye + camera.Ray(px, py) * distance;
}

// Turns an aircraft-space point (x forward, y left, z up) by roll, then pitch, then yaw.
TVec3 Orient(TVec3 p, float yaw, float pitch, float roll) {
  TVec3 q{p.X, p.Y * std::cos(roll) - p.Z * std::sin(roll), p.Y * std::sin(roll) + p.Z * std::cos(roll)};
  q = {q.X * std::cos(pitch) - q.Z * std::sin(pitch), q.Y, q.X * std::sin(pitch) + q.Z * std::cos(pitch)};
  return {q.X * std::cos(yaw) - q.Y * std::sin(yaw), q.X * std::sin(yaw) + q.Y * std::cos(yaw), q.Z};
}

void Place(TMesh& mesh, float yaw, float pitch, float roll, TVec3 position) {
  for (TVec3& p : mesh.Points) p = Orient(p, yaw, pitch, roll) + position;
}

// Small lights and engine glows: additive, round, hot in the middle.
void Glow(TCanvas& canvas, TVec2 centre, float radius, TColor color, float strength) {
  const int x0 = static_cast<int>(centre.X - radius * 3), x1 = static_cast<int>(centre.X + radius * 3) + 1;
  const int y0 = static_cast<int>(centre.Y - radius * 3), y1 = static_cast<int>(centre.Y + radius * 3) + 1;
  for (int y = std::max(0, y0); y < std::min(canvas.Height(), y1); ++y)
    for (int x = std::max(0, x0); x < std::min(canvas.Width(), x1); ++x) {
      const float r = Length(TVec2{x + 0.5f, y + 0.5f} - centre) / radius;
      const float k = strength * (std::exp(-r * r * 4) + 0.25f * std::exp(-r * 1.5f));
      canvas.Add(x, y, Mix(color, Palette::WhiteHot, std::exp(-r * r * 6)), k);
    }
}

// Corners a little darker: the eye settles on the middle.
void Vignette(TCanvas& canvas, float strength) {
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) {
      const float u = (x + 0.5f) / canvas.Width() * 2 - 1, v = (y + 0.5f) / canvas.Height() * 2 - 1;
      const float k = 1 - strength * Smoothstep(0.5f, 1.5f, u * u + v * v);
      TColor& c = canvas.At(x, y);
      c = {c.R * k, c.G * k, c.B * k, c.A};
    }
}

TColor Lit(TColor albedo, TVec3 n, const TLandscapeLook& look, float gloss, TVec3 view) {
  const float direct = std::max(Dot(n, look.Sun), 0.0f);
  const float sky = 0.55f + 0.45f * n.Z;
  const TVec3 half = Normalize(look.Sun + view);
  const float shine = gloss * std::pow(std::max(Dot(n, half), 0.0f), 40.0f);
  return {albedo.R * (look.SunLight.R * direct + look.SkyLight.R * sky) + look.SunLight.R * shine,
          albedo.G * (look.SunLight.G * direct + look.SkyLight.G * sky) + look.SunLight.G * shine,
          albedo.B * (look.SunLight.B * direct + look.SkyLight.B * sky) + look.SunLight.B * shine, 1};
}

// ---- Dusk ----------------------------------------------------------------------------------

TMesh Airship() {
  TMesh mesh;
  const TColor skin = Rgb(196, 194, 204), gondola = Rgb(70, 64, 62), fin = Rgb(160, 150, 150);
  constexpr float Length = 200, Radius = 30;
  AddHull(mesh, {Length / 2, 0, 0}, Length, 18, 20,
          [](float t) { return Radius * std::pow(std::sin(Pi * std::pow(t, 0.8f)), 0.6f) + 0.5f; }, skin);
  AddHull(mesh, {22, 0, -Radius - 5}, 44, 6, 10, [](float t) { return 6 * std::pow(std::sin(Pi * t), 0.5f) + 0.3f; },
          gondola);
  const float tail = -Length / 2 + 30;
  for (int k = 0; k < 4; ++k) {
    const float a = k * Pi / 2;
    const float cy = std::cos(a), cz = std::sin(a);
    mesh.AddPanel({{tail, cy * 12, cz * 12}, {tail - 26, cy * 34, cz * 34}, {tail - 36, cy * 34, cz * 34}, {tail - 30, cy * 6, cz * 6}},
                  fin);
  }
  return mesh;
}

}  // namespace

TRgbaImage MakeIntroDusk() {
  constexpr int W = 512, H = 256;
  const THeightField& world = World();
  const float heading = 0.9f;
  const TVec3 sun = FromAngles(heading + 0.32f, 0.12f);
  TLandscapeLook look;
  look.Sun = sun;
  look.SunLight = {1.5f, 0.92f, 0.58f, 1};
  look.SkyLight = {0.2f, 0.18f, 0.32f, 1};
  look.Rock = Rgb(92, 80, 82);
  look.Grass = Rgb(40, 50, 46);
  look.Snow = Rgb(226, 220, 232);
  look.SnowLine = PeakHeight * 0.72f;
  look.TreeLine = PeakHeight * 0.25f;
  look.FogDensity = 1.0f / 2600;
  look.FogFalloff = 700;
  // The air: warm towards the low sun, rose along the horizon, violet to indigo overhead.
  auto air = [sun](TVec3 d) {
    const float elevation = std::asin(Clampf(d.Z, -1, 1));
    const float facing = std::max(0.0f, Dot(Normalize({d.X, d.Y, 0}), Normalize({sun.X, sun.Y, 0})));
    const TColor horizon = Mix(Palette::DuskRose, Palette::DuskAmber, std::pow(facing, 3.0f));
    TColor c = Gradient({{0.0f, horizon}, {0.12f, Mix(horizon, Palette::DuskViolet, 0.55f)},
                         {0.4f, Palette::DuskViolet}, {1.0f, Palette::DuskIndigo}},
                        Clamp01(std::max(elevation, 0.0f) / 0.75f));
    const float toSun = std::max(Dot(d, sun), 0.0f);
    c = Add(c, Palette::Amber, 0.45f * std::pow(toSun, 10.0f) + 0.5f * std::pow(toSun, 90.0f));
    return c;
  };
  look.Haze = [air](TVec3 d) { return air(Normalize({d.X, d.Y, std::max(d.Z, 0.01f)})); };
  look.Sky = [air, sun](TVec3 d) {
    TColor c = air(d);
    // Long bands of stratus on a layer high above, lit rose and gold from beneath.
    if (d.Z > 0.004f) {
      const float t = 1.0f / d.Z;
      const float x = d.X * t, y = d.Y * t;
      const float along = x * 0.8f + y * 0.6f, across = -x * 0.6f + y * 0.8f;
      const float n = Fbm2(along * 0.35f, across * 1.6f, 0xD05C, 5, 0.5f);
      const float density = Smoothstep(0.05f, 0.5f, n) * Smoothstep(0.01f, 0.08f, d.Z) * Smoothstep(0.7f, 0.3f, d.Z);
      const float toSun = std::max(Dot(d, sun), 0.0f);
      const TColor lit = Mix(Mix(Palette::DuskViolet, Palette::DuskRose, 0.6f), Rgb(255, 200, 140), std::pow(toSun, 6.0f));
      c = Mix(c, lit, density * 0.85f);
    }
    // The sun's disc, soft-edged, just above the far ridges.
    const float angle = std::acos(Clampf(Dot(d, sun), -1, 1));
    c = Mix(c, Palette::WhiteHot, Smoothstep(0.016f, 0.012f, angle));
    return c;
  };

  const TVec3 start{2600, 3100, 0};
  TVec3 eye = start;
  eye.Z = world.HeightAt(eye.X, eye.Y) + 520;
  const TCamera camera(eye, eye + FromAngles(heading, 0.02f), 32, W, H);
  TCanvas canvas(W, H);
  std::vector<float> depth;
  RenderLandscape(canvas, depth, world, camera, look);

  // The airship, far off on the right above the ridges, turned a little towards us.
  TMesh ship = Airship();
  const TVec3 at = Ahead(camera, W * 0.74f, H * 0.3f, 1500);
  Place(ship, heading + Pi + 0.55f, 0.0f, 0.0f, at);
  const TVec3 eyePos = camera.Eye;
  RenderMesh(canvas, ship, camera, [&](TVec3 p, TVec3 n, TColor albedo) {
    const TVec3 view = Normalize(eyePos - p);
    return ApplyHaze(look, eyePos, view * -1, Length(p - eyePos), Lit(albedo, n, look, 0.3f, view));
  });
  // Running lights on the gondola and the tail.
  for (const TVec3& light : {TVec3{20, 0, -42}, TVec3{-100, 0, 0}}) {
    float sx, sy, d;
    if (camera.Project(Orient(light, heading + Pi + 0.55f, 0, 0) + at, sx, sy, d))
      Glow(canvas, {sx, sy}, 2.2f, Palette::Amber, 0.8f);
  }
  Vignette(canvas, 0.35f);
  return canvas.ToImage(0xB603);
}

// ---- Fighter -------------------------------------------------------------------------------

namespace {

// Albedo alpha marks the camouflaged skin: the shading paints its two-tone pattern.
constexpr float CamoSkin = 0.5f;

TMesh Fighter() {
  TMesh mesh;
  const TColor hull = WithAlpha(Rgb(112, 126, 142), CamoSkin), wing = WithAlpha(Rgb(128, 140, 152), CamoSkin);
  const TColor glass = Rgb(14, 20, 32), stripe = Palette::Amber, metal = Rgb(70, 74, 80);
  AddHull(mesh, {6.5f, 0, 0}, 12.5f, 24, 24,
          [](float t) {
            const float nose = std::pow(Clamp01(t / 0.38f), 0.65f);
            return 0.62f * nose * (1 - 0.3f * Smoothstep(0.75f, 1.0f, t)) + 0.02f;
          },
          hull);
  AddHull(mesh, {3.9f, 0, 0.3f}, 3.4f, 12, 16,
          [](float t) { return 0.42f * std::pow(std::sin(Pi * t), 0.6f) * (1 - Smoothstep(0.5f, 0.85f, t)) + 0.01f; },
          glass);
  AddHull(mesh, {-5.6f, 0, 0}, 0.7f, 2, 12, [](float) { return 0.42f; }, metal);  // the nozzle
  for (float side : {1.0f, -1.0f}) {
    mesh.AddPanel({{2.4f, side * 0.5f, -0.05f}, {-3.3f, side * 4.6f, -0.15f}, {-4.5f, side * 4.6f, -0.15f},
                   {-4.4f, side * 0.55f, -0.05f}},
                  wing);
    // Amber wingtip stripes: the rebels' mark.
    mesh.AddPanel({{-3.25f, side * 4.61f, -0.14f}, {-4.52f, side * 4.61f, -0.14f}, {-4.5f, side * 4.0f, -0.13f},
                   {-2.95f, side * 4.0f, -0.13f}},
                  stripe);
    mesh.AddPanel({{-4.3f, side * 0.45f, 0.0f}, {-5.6f, side * 2.1f, 0.05f}, {-6.2f, side * 2.1f, 0.05f},
                   {-6.0f, side * 0.45f, 0.0f}},
                  wing);
    mesh.AddPanel({{-3.5f, side * 0.45f, 0.4f}, {-5.4f, side * 0.95f, 1.9f}, {-6.1f, side * 1.0f, 1.9f},
                   {-5.8f, side * 0.5f, 0.4f}},
                  hull);
    mesh.AddPanel({{-5.2f, side * 0.91f, 1.65f}, {-5.4f, side * 0.96f, 1.91f}, {-6.11f, side * 1.01f, 1.91f},
                   {-6.05f, side * 0.97f, 1.65f}},
                  stripe);
  }
  return mesh;
}

// Two greys in soft-edged blotches, as a rebel workshop would paint them.
TColor Camouflage(TColor albedo, TVec3 p) {
  if (albedo.A != CamoSkin) return albedo;
  const float blotch = Noise2(p.X / 2.2f + 3, p.Y / 2.2f, 0xCA40) + 0.5f * Noise2(p.Y / 1.1f, p.Z / 1.1f, 0xCA41);
  return Mix(albedo, Palette::SteelDark, Smoothstep(-0.05f, 0.1f, blotch) * 0.75f);
}

}  // namespace

TRgbaImage MakeIntroFighter() {
  constexpr int W = 512, H = 512;
  const THeightField& world = World();
  const float heading = -0.6f;
  const TVec3 sun = FromAngles(heading + 1.9f, 0.38f);  // behind the left shoulder
  TLandscapeLook look;
  look.Sun = sun;
  look.SunLight = {1.45f, 1.12f, 0.82f, 1};
  look.SkyLight = {0.26f, 0.3f, 0.46f, 1};
  look.Rock = Rgb(112, 100, 96);
  look.Grass = Rgb(52, 64, 54);
  look.Snow = Rgb(236, 236, 242);
  look.SnowLine = PeakHeight * 0.45f;
  look.TreeLine = PeakHeight * 0.22f;
  look.FogDensity = 1.0f / 5200;
  look.FogFalloff = 900;
  auto air = [](TVec3 d) {
    const float elevation = std::max(std::asin(Clampf(d.Z, -1, 1)), 0.0f);
    return Gradient({{0.0f, Rgb(238, 190, 140)}, {0.05f, Rgb(214, 170, 150)}, {0.2f, Rgb(120, 128, 170)},
                     {0.55f, Rgb(52, 70, 118)}, {1.0f, Rgb(28, 40, 80)}},
                    Clamp01(elevation / 0.8f));
  };
  look.Haze = [air](TVec3 d) { return air(Normalize({d.X, d.Y, std::max(d.Z, 0.01f)})); };
  look.Sky = [air, sun](TVec3 d) {
    TColor c = air(d);
    if (d.Z > 0.004f) {
      const float t = 1.0f / d.Z;
      const float n = Fbm2(d.X * t * 0.5f, d.Y * t * 0.5f, 0xF16C, 5, 0.5f);
      const float density = Smoothstep(0.1f, 0.55f, n) * Smoothstep(0.01f, 0.1f, d.Z);
      const float facing = 0.5f + 0.5f * Dot(Normalize({d.X, d.Y, 0}), Normalize({sun.X, sun.Y, 0}));
      c = Mix(c, Mix(Rgb(150, 140, 170), Rgb(255, 214, 170), facing), density * 0.7f);
    }
    return c;
  };

  TVec3 eye{5200, 6100, 0};
  eye.Z = PeakHeight * 1.5f;
  const TCamera camera(eye, eye + FromAngles(heading, -0.2f), 46, W, H);
  TCanvas canvas(W, H);
  std::vector<float> depth;
  RenderLandscape(canvas, depth, world, camera, look);

  // The fighter, seen from behind and above, banking right and pulling away.
  TMesh fighter = Fighter();
  const TVec3 at = Ahead(camera, W * 0.56f, H * 0.6f, 34);
  const float yaw = heading - 0.95f, pitch = 0.05f, roll = 0.6f;
  Place(fighter, yaw, pitch, roll, at);
  const TVec3 eyePos = camera.Eye;
  RenderMesh(canvas, fighter, camera, [&](TVec3 p, TVec3 n, TColor albedo) {
    return Lit(Camouflage(albedo, p), n, look, 0.55f, Normalize(eyePos - p));
  });
  float sx, sy, d;
  if (camera.Project(Orient({-6.35f, 0, 0}, yaw, pitch, roll) + at, sx, sy, d))
    Glow(canvas, {sx, sy}, 4, Palette::Amber, 0.8f);
  Vignette(canvas, 0.3f);
  return canvas.ToImage(0xF16);
}
