// ModelsTurret.cpp — "turret", the missile emplacement (an octagonal concrete pit with a
// sandbagged rim), "turreta", the launcher turning on it (four tubes looking along -z, a radar
// dish), and "rocket", the missile both it and the player launch.
#include "content/ArtPalette.h"
#include "content/Models.h"

#include <cmath>

namespace {

constexpr const char* Texture = "turret";
const TAtlas Atlas(512, 512);

constexpr float BaseHeight = 7.0f;

constexpr int ConcreteRegion[4] = {4, 4, 504, 120};
constexpr int SandbagRegion[4] = {4, 132, 504, 72};
constexpr int DeckRegion[4] = {4, 212, 248, 120};
constexpr int TubeRegion[4] = {260, 212, 248, 120};
constexpr int FrameRegion[4] = {4, 340, 248, 80};
constexpr int DishRegion[4] = {260, 340, 248, 80};
constexpr int MouthRegion[4] = {4, 428, 248, 80};

TUvRect Rect(const int (&r)[4]) { return Atlas.Rect(r[0], r[1], r[2], r[3]); }

// ---- Paint ------------------------------------------------------------------------------------

TSurface PaintConcrete(float s, float t) {
  const float pour = Seam(t, 0.34f, 0.01f) + Seam(s * 8, 1.0f, 0.01f);
  TColor c = Mix(Rgb(112, 116, 118), Rgb(140, 142, 140), Grime(s * 6, t * 2, 4, 601));
  c = Weathered(c, 0.5f * Smoothstep(0.4f, 0.0f, t) * Grime(s * 20, t * 3, 2, 603));
  if (t > 0.82f && t < 0.9f && std::fmod(s * 16, 1.0f) < 0.5f) c = Palette::Blood;  // hazard band
  if (t > 0.82f && t < 0.9f && std::fmod(s * 16, 1.0f) >= 0.5f) c = Palette::Ink;
  return {Scale(c, 1 - 0.25f * std::min(pour, 1.0f)), -std::min(pour, 1.0f) + 0.6f * Grime(s * 30, t * 6, 1, 605), 0};
}

TSurface PaintSandbag(float s, float t) {
  // Courses of bags laid in a running bond.
  const float row = t * 3, col = s * 48 + (std::fmod(std::floor(row), 2.0f) ? 0.5f : 0);
  const float u = std::fmod(col, 1.0f) - 0.5f, v = std::fmod(row, 1.0f) - 0.5f;
  const float bag = 1 - Smoothstep(0.3f, 0.5f, std::max(std::fabs(u) * 0.9f, std::fabs(v)));
  const TColor cloth = Mix(Rgb(96, 88, 72), Rgb(124, 114, 92), Grime(s * 40, t * 4, 2, 611));
  return {Scale(cloth, 0.55f + 0.45f * bag), 3 * bag, 0};
}

TSurface PaintDeck(float s, float t) {
  TSurface out = PanelledMetal(Palette::SteelDark, s * 12, t * 6, 2, 2, 0.7f, 621);
  if (std::fabs(t - 0.5f) < 0.06f) out.Color = Palette::Blood;
  return out;
}

TSurface PaintTube(float s, float t) {
  TSurface out = PanelledMetal(Rgb(70, 78, 92), s * 8, t * 18, 0, 3, 0.8f, 631);
  if (t > 0.86f) out.Color = Palette::Blood;  // red muzzle rings
  return out;
}

TSurface PaintFrame(float s, float t) { return PanelledMetal(Palette::SteelDark, s * 4, t * 4, 1, 1, 0.8f, 641); }

TSurface PaintDish(float s, float t) {
  const float ring = Seam(t * 4, 1.0f, 0.06f);
  TSurface out{Scale(Palette::SteelLight, 0.8f - 0.2f * ring), ring, 0};
  if (t < 0.12f) out = {Palette::Amber, 0, 0.9f};  // the feed glows
  return out;
}

TSurface PaintMouth(float s, float t) {
  // Inside a tube: dark, with the red warhead of the next missile waiting at the centre of the
  // front disc (t near 1).
  if (t > 0.85f) return {Palette::Ember, 0, 0.5f};
  return {Palette::Ink, 0, 0};
}

}  // namespace

TMsh MeshTurret() {
  // An octagonal pit: sloped concrete walls, a sandbag crown, a flat floor the launcher sits on.
  TModel m;
  m.Group(TextureGroup(Texture));
  m.Lathe({{0, 0}, {15.5f, 0, true}, {13.0f, BaseHeight - 1.5f, true}, {12.6f, BaseHeight - 1.5f, true}},
          8, Rect(ConcreteRegion), 0.3927f);
  m.Lathe({{12.6f, BaseHeight - 1.5f}, {12.8f, BaseHeight - 0.5f}, {12.0f, BaseHeight + 0.6f}, {10.6f, BaseHeight + 0.9f},
           {9.8f, BaseHeight - 0.4f, true}, {9.6f, BaseHeight - 0.4f, true}, {0, BaseHeight - 0.4f, true}},
          16, Rect(SandbagRegion), 0.3927f);
  return BuildMesh(m, "turret");
}

TMsh MeshTurreta() {
  TModel m;
  m.Group(TextureGroup(Texture));
  // Turntable and a pedestal.
  m.Push();
  m.Translate({0, BaseHeight - 0.4f, 0});
  m.Lathe({{0, 0}, {8.6f, 0}, {8.6f, 1.6f, true}, {7.8f, 2.2f}, {0, 2.2f, true}}, 16, Rect(DeckRegion));
  m.Pop();
  m.Box({-3.0f, BaseHeight + 1.6f, -3.0f}, {3.0f, BaseHeight + 6.5f, 3.5f}, 0.5f, Rect(FrameRegion));
  // Four launch tubes raised 14 degrees, looking along -z, and their side frames.
  m.Push();
  m.Translate({0, BaseHeight + 7.5f, 1.0f});
  m.RotateX(0.2443f);  // muzzles up
  for (int i = 0; i < 4; ++i) {
    const float x = (i % 2 ? 1.55f : -1.55f), y = (i / 2 ? 1.55f : -1.55f);
    m.Cylinder({x, y, 5.0f}, {x, y, -13.0f}, 1.35f, 1.35f, 10, Rect(TubeRegion), false);
    // The open mouth, a disc just inside the rim.
    m.Cylinder({x, y, -12.4f}, {x, y, -12.6f}, 1.3f, 1.3f, 10, Rect(MouthRegion), true);
    m.Cylinder({x, y, 5.0f}, {x, y, 5.3f}, 1.35f, 0.9f, 10, Rect(FrameRegion), true);
  }
  m.Mirrored([&] { m.Box({3.0f, -2.9f, -6.0f}, {3.6f, 2.9f, 4.0f}, 0.2f, Rect(FrameRegion)); });
  m.Pop();
  // A search radar on a mast at the back.
  m.Cylinder({-4.5f, BaseHeight + 1.6f, 4.5f}, {-4.5f, BaseHeight + 11.0f, 4.5f}, 0.45f, 0.35f, 6, Rect(FrameRegion));
  m.Push();
  m.Translate({-4.5f, BaseHeight + 11.0f, 4.5f});
  m.RotateX(-1.3f);
  m.Lathe({{0, 0}, {1.8f, 0.4f}, {3.2f, 1.3f}, {3.2f, 1.4f, true}, {1.8f, 0.55f, true}, {0, 0.15f, true}}, 12,
          Rect(DishRegion));
  m.Pop();
  return BuildMesh(m, "turreta");
}

TPaintedTexture PaintTurret() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(Atlas,
                    {region(ConcreteRegion, PaintConcrete), region(SandbagRegion, PaintSandbag),
                     region(DeckRegion, PaintDeck), region(TubeRegion, PaintTube), region(FrameRegion, PaintFrame),
                     region(DishRegion, PaintDish), region(MouthRegion, PaintMouth)},
                    {Rgb(120, 122, 122), 0, 0}, 0.5f, 601);
}

// ---- The missile ------------------------------------------------------------------------------

namespace {

const TAtlas RocketAtlas(256, 256);
constexpr int RocketBodyRegion[4] = {4, 4, 120, 248};
constexpr int RocketFinRegion[4] = {132, 4, 120, 120};
constexpr int RocketNozzleRegion[4] = {132, 132, 120, 120};

TUvRect RocketRect(const int (&r)[4]) { return RocketAtlas.Rect(r[0], r[1], r[2], r[3]); }

TSurface PaintRocketBody(float s, float t) {
  // t runs from the nozzle end to the nose tip: white body, a red nose and bands.
  TColor c = Palette::Pale;
  if (t > 0.8f) c = Palette::Blood;
  if (t > 0.3f && t < 0.34f) c = Palette::Blood;
  if (t < 0.06f) c = Palette::SteelDark;
  return {Scale(c, 0.9f + 0.1f * Grime(s * 4, t * 4, 2, 701)), -Seam(t, 0.25f, 0.01f), 0};
}

TSurface PaintRocketFin(float s, float t) { return {Palette::SteelDark, 0, 0}; }

TSurface PaintRocketNozzle(float s, float t) {
  if (t < 0.32f) return {Palette::Amber, 0, 1};  // the rear disc
  return {Palette::Ink, 0, 0};
}

}  // namespace

TMsh MeshRocket() {
  // Nose toward -z, 7.6 long, inside the radius 4 the game gives missiles.
  TModel m;
  m.Group(TextureGroup("rocket"));
  m.Push();
  m.RotateX(-1.5708f);  // local +y (the lathe's axis) along -z
  m.Lathe({{0, -3.5f}, {0.36f, -3.5f, true}, {0.44f, -3.3f}, {0.44f, 1.4f}, {0.36f, 2.4f}, {0.2f, 3.3f}, {0, 3.8f}}, 10,
          RocketRect(RocketBodyRegion));
  m.Lathe({{0, -3.65f}, {0.3f, -3.65f, true}, {0.3f, -3.3f, true}, {0, -3.3f, true}}, 10,
          RocketRect(RocketNozzleRegion));
  m.Pop();
  for (int k = 0; k < 4; ++k) {
    m.Push();
    m.RotateZ(0.7854f + k * 1.5708f);
    TLoftOptions o;
    o.CapEnd = true;
    o.Uv = RocketRect(RocketFinRegion);
    m.Loft({AirfoilRing(6, {0, 0.3f, 1.9f}, {0, 0, 1}, 1.5f, {1, 0, 0}, 0.12f),
            AirfoilRing(6, {0, 1.15f, 2.7f}, {0, 0, 1}, 0.7f, {1, 0, 0}, 0.06f)},
           o);
    m.Pop();
  }
  return BuildMesh(m, "rocket");
}

TPaintedTexture PaintRocket() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(RocketAtlas,
                    {region(RocketBodyRegion, PaintRocketBody), region(RocketFinRegion, PaintRocketFin),
                     region(RocketNozzleRegion, PaintRocketNozzle)},
                    {Palette::Pale, 0, 0}, 0.5f, 701);
}
