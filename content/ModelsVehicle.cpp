// ModelsVehicle.cpp — "bad5", the enemy armoured car (riveted hull, sloped bonnet, a cab with a
// lit visor and a machine-gun cupola, facing +z), and "bad5a", its wheel, turning about x.
#include "content/ArtPalette.h"
#include "content/Models.h"

#include <cmath>

namespace {

constexpr const char* Texture = "bad5";
const TAtlas Atlas(512, 512);

// The game hangs the wheels at (+-7.7, -3.5, +-9.9) and lifts the body 7 above the ground, so a
// wheel of radius 3.5 stands on it.
constexpr float WheelRadius = 3.5f, WheelHalfWidth = 1.3f;

constexpr int PlateRegion[4] = {4, 4, 248, 248};
constexpr int HoodRegion[4] = {260, 4, 248, 120};
constexpr int GlassRegion[4] = {260, 132, 248, 56};
constexpr int CupolaRegion[4] = {260, 196, 248, 56};
constexpr int TyreRegion[4] = {4, 260, 248, 96};
constexpr int DeckRegion[4] = {260, 260, 248, 96};
constexpr int DarkRegion[4] = {4, 364, 248, 144};
constexpr int LampRegion[4] = {260, 364, 248, 144};

TUvRect Rect(const int (&r)[4]) { return Atlas.Rect(r[0], r[1], r[2], r[3]); }

void BuildHull(TModel& m) {
  // Chassis rails between the wheels, the armoured rear compartment and the mudguards.
  m.Box({-6.0f, -3.4f, -13.0f}, {6.0f, -1.0f, 13.0f}, 0.3f, Rect(DarkRegion));
  const TUvRect plates[6] = {Rect(PlateRegion), Rect(PlateRegion), Rect(DeckRegion),
                            Rect(DeckRegion),  Rect(PlateRegion), Rect(PlateRegion)};
  m.Box({-6.6f, -1.4f, -12.8f}, {6.6f, 4.2f, 4.5f}, 0.6f, plates);
  m.Mirrored([&] {
    for (float z : {-9.9f, 9.9f}) {
      m.Box({6.0f, 0.1f, z - 4.3f}, {9.4f, 0.7f, z + 4.3f}, 0.2f, Rect(PlateRegion));
    }
    // Exhaust pipe along the flank.
    m.Cylinder({6.7f, 2.4f, -4.0f}, {6.7f, 2.4f, -13.6f}, 0.45f, 0.45f, 8, Rect(DarkRegion));
    // Headlamps on the bonnet's corners.
    m.Cylinder({4.6f, 1.4f, 12.4f}, {4.6f, 1.4f, 13.5f}, 0.8f, 0.8f, 10, Rect(LampRegion));
  });
  // The sloped bonnet: a side profile (z, y) pushed across the width.
  m.Push();
  m.RotateY(-1.5708f);
  m.Extrude({{4.4f, -1.4f}, {13.4f, -1.4f}, {13.4f, 1.2f}, {11.8f, 2.6f}, {4.4f, 3.3f}}, -6.2f, 6.2f, Rect(HoodRegion),
            Rect(PlateRegion));
  m.Pop();
  // The cab's raised visor: a slanted block with a glass strip.
  m.Push();
  m.RotateY(-1.5708f);
  m.Extrude({{-1.0f, 4.2f}, {4.4f, 4.2f}, {3.4f, 6.6f}, {-1.0f, 6.8f}}, -4.8f, 4.8f, Rect(PlateRegion), Rect(GlassRegion));
  m.Pop();
  // A machine-gun cupola on the rear deck, its gun looking ahead.
  m.Push();
  m.Translate({0, 4.2f, -6.5f});
  m.Lathe({{0, 0}, {3.0f, 0}, {3.0f, 1.4f, true}, {2.4f, 2.6f}, {0, 2.8f, true}}, 14, Rect(CupolaRegion));
  m.Pop();
  m.Cylinder({0, 5.6f, -4.0f}, {0, 5.9f, 3.6f}, 0.35f, 0.3f, 8, Rect(DarkRegion));
}

// ---- Paint ------------------------------------------------------------------------------------

const TColor Armour = Rgb(58, 66, 82);
const TColor ArmourLight = Rgb(84, 92, 106);

TSurface PaintPlate(float s, float t) {
  // One riveted plate: every box face shows it whole, so rivets run round each face's border.
  const float edge = std::min({s, 1 - s, t, 1 - t});
  const float rivet = Rivets(s, t, 1.0f, 1.0f, 0.0625f, 0.018f) * Smoothstep(0.06f, 0.03f, edge);
  TColor c = Mix(Armour, ArmourLight, 0.4f * Grime(s, t, 3, 501));
  c = Weathered(c, 0.45f * Smoothstep(0.45f, 0.0f, t) * Grime(s * 3, t, 4, 503));  // mud splashed low
  c = Mix(c, Scale(ArmourLight, 1.3f), rivet);
  // A blood-red stripe with a black edge across the middle.
  if (std::fabs(t - 0.62f) < 0.05f) c = Palette::Blood;
  return {c, 0.8f * rivet - Seam(edge, 2.0f, 0.02f), 0};
}

TSurface PaintDeck(float s, float t) {
  // Top and bottom plates: rivets and grime, no markings.
  TSurface out = PaintPlate(s, t);
  if (std::fabs(t - 0.62f) < 0.05f) out.Color = Mix(Armour, ArmourLight, 0.4f * Grime(s, t, 3, 501));
  return out;
}

TSurface PaintHood(float s, float t) {
  // Louvres over the engine on the bonnet's sides and top.
  const float louvre = (s > 0.3f && s < 0.7f) ? Seam(t * 12, 1.0f, 0.15f) : 0;
  TColor c = Mix(Armour, ArmourLight, 0.3f * Grime(s, t, 4, 511));
  return {Scale(c, 1 - 0.4f * louvre), -1.5f * louvre, 0};
}

TSurface PaintGlass(float s, float t) {
  // Round the visor's profile (bottom, front slope, top, back); the front slope, s from 0.36 to
  // 0.53, holds vision slits of dimly lit glass between armour bars.
  const float up = (s - 0.36f) / 0.17f;
  const bool slit = up > 0.3f && up < 0.75f && std::fabs(std::fmod(t * 5, 1.0f) - 0.5f) < 0.36f;
  if (slit) return {Mix(Palette::Ember, Palette::Amber, up), -1, 0.6f};
  return PaintPlate(s, t);
}

TSurface PaintCupola(float s, float t) {
  TSurface out = PanelledMetal(ArmourLight, s * 18, t * 4, 3, 0, 0.6f, 521);
  if (t > 0.5f && t < 0.6f) out.Color = Palette::Blood;
  return out;
}

TSurface PaintTyre(float s, float t) {
  // s around the wheel, t across the profile from one side to the other: chunky tread blocks.
  const float across = t;
  const bool tread = across > 0.38f && across < 0.62f;
  const float block = tread ? Smoothstep(0.2f, 0.3f, std::fabs(std::fmod(s * 28 + (across > 0.5f ? 0.5f : 0), 1.0f) - 0.5f)) : 0;
  const TColor rubber = Rgb(26, 26, 30);
  TColor c = Scale(rubber, 1 + 0.6f * block);
  if (across < 0.22f || across > 0.78f) c = Mix(Palette::SteelDark, Palette::Steel, 0.4f);  // rim
  return {c, 2.0f * block, 0};
}

TSurface PaintDark(float s, float t) { return {Weathered(Palette::Ink, 0.4f * Grime(s, t, 5, 531)), 0, 0}; }

TSurface PaintHeadlamp(float s, float t) {
  // The lamp's front disc glows; its barrel is dark.
  if (t > 0.8f) return {Palette::WhiteHot, 0, 1};
  return {Palette::SteelDark, 0, 0};
}

}  // namespace

TMsh MeshBad5() {
  TModel m;
  m.Group(TextureGroup(Texture));
  BuildHull(m);
  return BuildMesh(m, "bad5");
}

TMsh MeshBad5a() {
  // A lathe about the axle (x): tyre, rim and hub, centred on the origin.
  TModel m;
  m.Group(TextureGroup(Texture));
  m.Push();
  m.RotateZ(-1.5708f);
  const float w = WheelHalfWidth, r = WheelRadius;
  m.Lathe({{0, -w + 0.3f},
           {1.4f, -w + 0.3f, true},
           {2.2f, -w + 0.1f, true},
           {2.9f, -w},
           {r - 0.2f, -w * 0.7f},
           {r, -w * 0.3f},
           {r, w * 0.3f},
           {r - 0.2f, w * 0.7f},
           {2.9f, w},
           {2.2f, w - 0.1f, true},
           {1.4f, w - 0.3f, true},
           {0, w - 0.3f, true}},
          18, Rect(TyreRegion));
  m.Pop();
  return BuildMesh(m, "bad5a");
}

TPaintedTexture PaintBad5() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(Atlas,
                    {region(PlateRegion, PaintPlate), region(HoodRegion, PaintHood), region(GlassRegion, PaintGlass),
                     region(CupolaRegion, PaintCupola), region(TyreRegion, PaintTyre), region(DeckRegion, PaintDeck),
                     region(DarkRegion, PaintDark), region(LampRegion, PaintHeadlamp)},
                    {Armour, 0, 0}, 0.5f, 501);
}
