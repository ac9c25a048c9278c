// ModelsAirship.cpp — "ally2", the allied cargo airship (a long silver envelope with cruciform
// tail fins, a windowed gondola and a pusher engine under it), and "ally2a", its propeller.
#include "content/ArtPalette.h"
#include "content/Models.h"

#include <cmath>

namespace {

constexpr const char* Texture = "ally2";
const TAtlas Atlas(1024, 512);

constexpr float HullFront = -100, HullBack = 100, HullRadius = 26;
// Envelope radius along the hull, as a fraction of HullRadius: blunt nose, long tail.
constexpr float HullProfile[][2] = {{0.0f, 0.0f},  {0.015f, 0.28f}, {0.05f, 0.55f}, {0.11f, 0.78f}, {0.19f, 0.93f},
                                    {0.29f, 0.99f}, {0.4f, 1.0f},   {0.54f, 0.95f}, {0.68f, 0.81f}, {0.8f, 0.6f},
                                    {0.9f, 0.37f},  {0.96f, 0.18f}, {0.99f, 0.06f}, {1.0f, 0.0f}};

constexpr float GondolaY = -31, GondolaFront = -36, GondolaBack = 26;
constexpr float NacelleFront = 12;
constexpr float PropellerRadius = 10;

// Atlas regions, in pixels, 8 apart.
constexpr int HullRegion[4] = {4, 4, 1016, 296};
constexpr int FinRegion[4] = {4, 308, 300, 140};
constexpr int GondolaRegion[4] = {312, 308, 400, 140};
constexpr int NacelleRegion[4] = {720, 308, 200, 96};
constexpr int BladeRegion[4] = {928, 308, 92, 140};
constexpr int SpinnerRegion[4] = {720, 412, 200, 64};
constexpr int MetalRegion[4] = {4, 456, 300, 52};

TUvRect Rect(const int (&r)[4]) { return Atlas.Rect(r[0], r[1], r[2], r[3]); }

void BuildHull(TModel& m) {
  std::vector<std::vector<TVector>> rings;
  for (const auto& p : HullProfile) {
    const float z = HullFront + p[0] * (HullBack - HullFront), r = p[1] * HullRadius;
    rings.push_back(EllipseRing(24, {0, 0, z}, r, r, r, 2.0f));
  }
  TLoftOptions o;
  o.SymmetricT = true;
  o.Uv = Rect(HullRegion);
  m.Loft(rings, o);
}

void BuildFins(TModel& m) {
  for (int k = 0; k < 4; ++k) {
    m.Push();
    m.RotateZ(k * 1.5708f);
    std::vector<std::vector<TVector>> fin = {
        AirfoilRing(12, {0, 4, 56}, {0, 0, 1}, 39, {1, 0, 0}, 2.4f),
        AirfoilRing(12, {0, 22, 67}, {0, 0, 1}, 30, {1, 0, 0}, 1.8f),
        AirfoilRing(12, {0, 40, 78}, {0, 0, 1}, 19, {1, 0, 0}, 1.1f)};
    TLoftOptions o;
    o.CapEnd = true;
    o.Uv = Rect(FinRegion);
    m.Loft(fin, o);
    m.Pop();
  }
}

void BuildGondola(TModel& m) {
  // Stations: z, half width, half height.
  constexpr float Stations[][3] = {{-36, 0.0f, 0.0f}, {-35, 2.4f, 2.2f}, {-32, 4.1f, 4.0f}, {-26, 5.0f, 4.8f},
                                   {10, 5.0f, 4.8f},  {18, 4.4f, 4.3f},  {24, 2.6f, 3.0f},  {26, 0.0f, 0.0f}};
  std::vector<std::vector<TVector>> rings;
  for (const auto& s : Stations) rings.push_back(EllipseRing(16, {0, GondolaY, s[0]}, s[1], s[2], s[2], 3.0f));
  TLoftOptions o;
  o.SymmetricT = true;
  o.Uv = Rect(GondolaRegion);
  m.Loft(rings, o);

  // The engine nacelle slung under the gondola's tail, and its pylon.
  m.Push();
  m.Translate({AirshipPropellerHub.x, AirshipPropellerHub.y, NacelleFront});
  m.RotateX(1.5708f);
  const float L = AirshipPropellerHub.z - NacelleFront - 0.8f;
  m.Lathe({{0, 0}, {1.6f, 0.3f}, {3.0f, 2.5f}, {3.4f, 7}, {3.2f, L - 7}, {2.2f, L - 1.5f}, {1.4f, L}, {0, L}}, 14,
          Rect(NacelleRegion));
  m.Pop();
  m.Box({-0.9f, AirshipPropellerHub.y + 2.6f, NacelleFront + 5}, {0.9f, GondolaY - 3.6f, NacelleFront + 13}, 0.3f,
        Rect(MetalRegion));
}

// ---- Paint ------------------------------------------------------------------------------------

const TColor Fabric = Rgb(182, 190, 198);
const TColor FabricUnder = Rgb(150, 160, 172);

TSurface PaintHull(float s, float t) {
  const float z = HullFront + s * (HullBack - HullFront);
  const float around = t * 3.14159f * HullRadius;
  TColor base = Mix(FabricUnder, Fabric, Smoothstep(0.3f, 0.6f, t));
  // Teal band behind the nose, a keel strip and the allied roundel on each flank.
  if (z > -78 && z < -72) base = Palette::Teal;
  if ((z > -79 && z < -78) || (z > -72 && z < -71)) base = Palette::Navy;
  if (t < 0.04f && z > -60 && z < 70) base = Palette::SteelDark;
  const float roundel = std::hypot(z + 40, around - 0.56f * 3.14159f * HullRadius);
  if (roundel < 9) base = roundel < 3.6f ? Palette::Pale : (roundel < 6.4f ? Palette::Teal : Palette::Navy);
  if (z < -97) base = Palette::SteelDark;  // mooring cone
  // Gores (seams along the envelope) and the ring frames under the fabric.
  const float gore = Seam(t, 1.0f / 12, 0.006f);
  const float frame = Seam(z, 12.5f, 0.5f);
  TColor c = Scale(base, 1 - 0.18f * gore - 0.1f * frame);
  // Rain streaks running down the flanks.
  const float streak = Grime(z * 0.6f, around * 0.04f, 1.2f, 301) * Smoothstep(0.8f, 0.3f, t);
  c = Weathered(c, 0.25f * streak);
  return {c, 1.2f * frame - 0.8f * gore, 0};
}

TSurface PaintFin(float s, float t) {
  const float chord = AirfoilChord(t);
  TColor base = Fabric;
  if (s > 0.8f) base = Palette::Teal;
  const float hinge = 1 - Smoothstep(0, 0.015f, std::fabs(chord - 0.72f));
  TSurface out = PanelledMetal(base, s * 36, chord * 30, 6, 0, 0.4f, 311);
  out.Color = Scale(out.Color, 1 - 0.4f * hinge);
  out.Height -= hinge;
  return out;
}

TSurface PaintGondola(float s, float t) {
  const float z = GondolaFront + s * (GondolaBack - GondolaFront);
  const float around = t * 16;
  TColor base = Mix(Palette::SteelDark, Palette::Steel, Smoothstep(0.2f, 0.6f, t));
  TSurface out = PanelledMetal(base, z, around, 3.2f, 2.8f, 0.6f, 321);
  // A row of lit cabin windows along each side, and the bridge glazing at the front.
  const float row = std::fabs(t - 0.56f) * 16;
  const float cell = std::fmod(z + 100, 3.2f);
  const bool window = row < 0.9f && cell > 0.9f && cell < 2.3f && z > -24 && z < 14;
  const bool bridge = z < -27 && z > -34.5f && t > 0.35f && t < 0.8f && std::fmod(t * 40, 1.0f) > 0.12f;
  if (window) {
    out.Color = Mix(Palette::Amber, Palette::WhiteHot, 0.3f);
    out.Glow = 0.85f;
    out.Height = -1;
  }
  if (bridge) {  // dim instrument light behind tinted glass
    out.Color = Mix(Palette::TealDeep, Palette::Teal, 0.4f * t);
    out.Glow = 0.3f;
    out.Height = -1;
  }
  return out;
}

TSurface PaintNacelle(float s, float t) {
  TSurface out = PanelledMetal(Palette::Steel, s * 20, t * 22, 2.5f, 3.0f, 0.8f, 331);
  // Exhaust stains streaming back along the cowling.
  out.Color = Mix(out.Color, Palette::Ink, 0.5f * Smoothstep(0.4f, 0.9f, t) * Grime(s * 8, t * 3, 2, 333));
  return out;
}

TSurface PaintBlade(float s, float t) {
  TColor base = Palette::SteelDark;
  if (s > 0.86f) base = Palette::Amber;  // painted tips show the disc spinning
  return {Weathered(base, 0.3f * Grime(s * 4, t * 4, 3, 341)), 0, 0};
}

TSurface PaintSpinner(float s, float t) {
  return {Mix(Palette::Teal, Palette::TealDeep, 0.5f + 0.5f * std::sin(s * 6.28318f * 2)), 0, 0};
}

TSurface PaintMetal(float s, float t) {
  return PanelledMetal(Palette::SteelDark, s * 6, t * 2, 1.0f, 1.0f, 0.5f, 351);
}

}  // namespace

TMsh MeshAlly2() {
  TModel m;
  m.Group(TextureGroup(Texture));
  BuildHull(m);
  BuildFins(m);
  BuildGondola(m);
  return BuildMesh(m, "ally2");
}

TMsh MeshAlly2a() {
  // Three twisted blades about the hub, turning about z; a spinner pointing back.
  TModel m;
  m.Group(TextureGroup(Texture));
  m.Push();
  m.RotateX(1.5708f);
  m.Lathe({{0, -1.2f}, {1.5f, -1.2f}, {1.7f, 0.5f}, {1.2f, 2.4f}, {0.5f, 3.4f}, {0, 3.7f}}, 12, Rect(SpinnerRegion));
  m.Pop();
  for (int k = 0; k < 3; ++k) {
    m.Push();
    m.RotateZ(k * 2.0944f);
    // Stations along the blade (+y): radius, chord, thickness, pitch.
    constexpr float Stations[][4] = {
        {1.2f, 1.6f, 0.45f, 0.75f}, {3.5f, 2.1f, 0.32f, 0.55f}, {7.0f, 1.7f, 0.2f, 0.38f}, {PropellerRadius, 0.9f, 0.1f, 0.28f}};
    std::vector<std::vector<TVector>> rings;
    for (const auto& st : Stations) {
      const TVector chordAxis{std::cos(st[3]), 0, std::sin(st[3])};
      const TVector thickAxis{-std::sin(st[3]), 0, std::cos(st[3])};
      rings.push_back(AirfoilRing(10, TVector{0, st[0], 0.6f} - chordAxis * (st[1] * 0.35f), chordAxis, st[1],
                                  thickAxis, st[2]));
    }
    TLoftOptions o;
    o.CapEnd = true;
    o.Uv = Rect(BladeRegion);
    m.Loft(rings, o);
    m.Pop();
  }
  return BuildMesh(m, "ally2a");
}

TPaintedTexture PaintAlly2() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(Atlas,
                    {region(HullRegion, PaintHull), region(FinRegion, PaintFin), region(GondolaRegion, PaintGondola),
                     region(NacelleRegion, PaintNacelle), region(BladeRegion, PaintBlade),
                     region(SpinnerRegion, PaintSpinner), region(MetalRegion, PaintMetal)},
                    {Fabric, 0, 0}, 0.5f, 301);
}

TAirshipParams ParamsAlly2() {
  TAirshipParams p;
  p.Speed = 0.02f;             // a third of a fighter's cruise
  p.Radius = 110.0f;           // the envelope's nose and the fin tips
  p.CollisionRadius = 60.0f;   // above any fighter's, so a fighter's sweep is tested against the hull
  p.Size = 40.0f;              // a fighter that rams it does not survive
  p.Life = 150.0f;             // three hundred gun hits: a sustained attack by several fighters
  p.HitDamage = 0.5f;
  p.CollisionDamage = 1.0f;
  return p;
}
