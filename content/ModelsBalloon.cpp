// ModelsBalloon.cpp — "bad4", the enemy barrage balloon (a fat envelope with three inflated fins
// riding on rigging above a swivel collar), and "bad4a", the twin-gun platform that hangs from
// the collar, turns about y and fires along -z.
#include "content/ArtPalette.h"
#include "content/Models.h"

#include <cmath>

namespace {

constexpr const char* Texture = "bad4";
const TAtlas Atlas(512, 512);

constexpr float EnvelopeY = 88, EnvelopeFront = -56, EnvelopeBack = 62, EnvelopeRadius = 30;
constexpr float EnvelopeProfile[][2] = {{0.0f, 0.0f},  {0.03f, 0.42f}, {0.1f, 0.74f}, {0.2f, 0.92f},
                                        {0.33f, 1.0f}, {0.48f, 0.97f}, {0.63f, 0.85f}, {0.77f, 0.64f},
                                        {0.89f, 0.4f}, {0.97f, 0.16f}, {1.0f, 0.0f}};
constexpr float CollarBottom = 6, CollarTop = 12;
// The gun: barrels at x = +-3 level with the origin, muzzles 20 ahead, as the game fires them.
constexpr float BarrelX = 3, BarrelBack = -3.5f, MuzzleZ = -20;

constexpr int EnvelopeRegion[4] = {4, 4, 504, 232};
constexpr int FinRegion[4] = {4, 244, 248, 124};
constexpr int RopeRegion[4] = {260, 244, 248, 28};
constexpr int CollarRegion[4] = {260, 280, 248, 88};
constexpr int GunRegion[4] = {4, 376, 248, 132};
constexpr int BarrelRegion[4] = {260, 376, 248, 60};
constexpr int AmmoRegion[4] = {260, 444, 248, 64};

TUvRect Rect(const int (&r)[4]) { return Atlas.Rect(r[0], r[1], r[2], r[3]); }

void BuildEnvelope(TModel& m) {
  std::vector<std::vector<TVector>> rings;
  for (const auto& p : EnvelopeProfile) {
    const float z = EnvelopeFront + p[0] * (EnvelopeBack - EnvelopeFront), r = p[1] * EnvelopeRadius;
    rings.push_back(EllipseRing(22, {0, EnvelopeY, z}, r, r, r, 2.0f));
  }
  TLoftOptions o;
  o.SymmetricT = true;
  o.Uv = Rect(EnvelopeRegion);
  m.Loft(rings, o);
  // Three fat inflated fins: one on top, two below at either side.
  for (int k = 0; k < 3; ++k) {
    m.Push();
    m.Translate({0, EnvelopeY, 0});
    m.RotateZ(k * 2.0944f);
    std::vector<std::vector<TVector>> fin = {AirfoilRing(12, {0, 8, 22}, {0, 0, 1}, 38, {1, 0, 0}, 10),
                                             AirfoilRing(12, {0, 30, 36}, {0, 0, 1}, 28, {1, 0, 0}, 8),
                                             AirfoilRing(12, {0, 46, 46}, {0, 0, 1}, 17, {1, 0, 0}, 5)};
    TLoftOptions f;
    f.CapEnd = true;
    f.Uv = Rect(FinRegion);
    m.Loft(fin, f);
    m.Pop();
  }
}

void BuildRigging(TModel& m) {
  // Four cables from the belly down to the collar, and the collar the gun swivels under.
  const float belly = EnvelopeY - EnvelopeRadius * 0.82f;
  const TVector anchors[4] = {{-13, belly + 3, -24}, {13, belly + 3, -24}, {-12, belly + 4, 22}, {12, belly + 4, 22}};
  for (const TVector& a : anchors) m.Cylinder(a, {a.x * 0.08f, CollarTop, a.z * 0.08f}, 0.35f, 0.35f, 4, Rect(RopeRegion), false);
  m.Lathe({{0, CollarBottom},
           {2.6f, CollarBottom, true},
           {3.2f, CollarBottom + 1.2f},
           {3.2f, CollarTop - 1.5f},
           {2.2f, CollarTop, true},
           {0, CollarTop, true}},
          14, Rect(CollarRegion));
}

// ---- The gun ----------------------------------------------------------------------------------

void BuildGun(TModel& m) {
  // The mount post and a rounded housing on it.
  m.Cylinder({0, CollarBottom + 0.5f, 0}, {0, 2.5f, 0}, 1.0f, 1.2f, 10, Rect(BarrelRegion));
  m.Lathe({{0, -3.4f}, {2.2f, -3.0f}, {3.6f, -1.6f}, {4.0f, 0.4f}, {3.4f, 2.2f}, {2.0f, 3.2f}, {0, 3.5f}}, 14,
          Rect(GunRegion));
  m.Mirrored([&] {
    // Cradle arm, barrel with a cooling jacket and a muzzle brake, ammunition drum.
    m.Box({1.8f, -1.0f, -3.0f}, {BarrelX + 0.8f, 1.0f, 2.0f}, 0.25f, Rect(AmmoRegion));
    m.Cylinder({BarrelX, 0, BarrelBack}, {BarrelX, 0, -10}, 0.75f, 0.75f, 10, Rect(BarrelRegion));
    m.Cylinder({BarrelX, 0, -10}, {BarrelX, 0, MuzzleZ + 1.4f}, 0.38f, 0.38f, 8, Rect(BarrelRegion));
    m.Cylinder({BarrelX, 0, MuzzleZ + 1.4f}, {BarrelX, 0, MuzzleZ}, 0.6f, 0.55f, 8, Rect(BarrelRegion));
    m.Cylinder({BarrelX + 0.6f, 0.6f, 1.4f}, {BarrelX + 2.6f, 0.6f, 1.4f}, 1.6f, 1.6f, 12, Rect(AmmoRegion));
  });
}

// ---- Paint ------------------------------------------------------------------------------------

const TColor Cloth = Rgb(88, 98, 110);
const TColor ClothDark = Rgb(58, 66, 80);

TSurface PaintEnvelope(float s, float t) {
  const float z = EnvelopeFront + s * (EnvelopeBack - EnvelopeFront);
  const float around = t * 3.14159f * EnvelopeRadius;
  TColor base = Mix(ClothDark, Cloth, Smoothstep(0.2f, 0.7f, t));
  if (z > -34 && z < -28) base = Palette::Blood;
  if (z < -53) base = Palette::Ink;
  const float gore = Seam(t, 1.0f / 11, 0.006f);
  const float patch = Grime(z * 0.4f, around * 0.4f, 1.0f, 401);
  TColor c = Scale(base, 1 - 0.22f * gore);
  c = Mix(c, Scale(c, 0.82f), Smoothstep(0.6f, 0.7f, patch));  // patched panels
  return {Weathered(c, 0.3f * Grime(z, around, 0.15f, 403)), -0.8f * gore, 0};
}

TSurface PaintFin(float s, float t) {
  const float chord = AirfoilChord(t);
  TColor base = Cloth;
  // Ember warning chevrons near the tips.
  const float v = chord * 3 - s * 2.5f;
  if (s > 0.55f && std::fmod(v + 10, 1.0f) < 0.45f) base = Palette::Ember;
  if (s > 0.55f && std::fmod(v + 10, 1.0f) >= 0.45f) base = Palette::Ink;
  return {Weathered(Scale(base, 1 - 0.2f * Seam(chord, 0.25f, 0.01f)), 0.3f * Grime(s, chord, 3, 411)),
          -Seam(chord, 0.25f, 0.01f), 0};
}

TSurface PaintRope(float s, float t) { return {Scale(Palette::Ink, 1.4f + 0.4f * std::sin(t * 60)), 0, 0}; }

TSurface PaintCollar(float s, float t) {
  TSurface out = PanelledMetal(Palette::SteelDark, s * 20, t * 8, 2.5f, 0, 0.7f, 421);
  if (t > 0.45f && t < 0.55f) out.Color = Palette::Blood;
  return out;
}

TSurface PaintGun(float s, float t) {
  TSurface out = PanelledMetal(Mix(Palette::SteelDark, Palette::Navy, 0.5f), s * 24, t * 10, 3, 2.5f, 0.8f, 431);
  // A glowing sight slit facing forward.
  if (t > 0.5f && t < 0.58f && std::fabs(s - 0.5f) < 0.08f) out = {Palette::Amber, -1, 0.8f};
  return out;
}

TSurface PaintBarrel(float s, float t) {
  const float fins = 0.5f + 0.5f * std::cos(t * 6.28318f * 24);
  return {Scale(Palette::Ink, 1.3f + 0.4f * fins), fins, 0};
}

TSurface PaintAmmo(float s, float t) {
  TSurface out = PanelledMetal(Palette::Steel, s * 6, t * 3, 1.5f, 1.5f, 0.9f, 441);
  return out;
}

}  // namespace

TMsh MeshBad4() {
  TModel m;
  m.Group(TextureGroup(Texture));
  BuildEnvelope(m);
  BuildRigging(m);
  return BuildMesh(m, "bad4");
}

TMsh MeshBad4a() {
  TModel m;
  m.Group(TextureGroup(Texture));
  BuildGun(m);
  return BuildMesh(m, "bad4a");
}

TPaintedTexture PaintBad4() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(Atlas,
                    {region(EnvelopeRegion, PaintEnvelope), region(FinRegion, PaintFin), region(RopeRegion, PaintRope),
                     region(CollarRegion, PaintCollar), region(GunRegion, PaintGun), region(BarrelRegion, PaintBarrel),
                     region(AmmoRegion, PaintAmmo)},
                    {Cloth, 0, 0}, 0.5f, 401);
}
