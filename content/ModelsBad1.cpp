// ModelsBad1.cpp — "bad1", the enemy fighter: a flat shark-nosed delta with canards, one tall
// swept fin and ventral strakes, in dark navy splinter camouflage with blood-red markings.
#include "content/ArtPalette.h"
#include "content/Models.h"

#include <cmath>

namespace {

constexpr const char* Texture = "bad1";
const TAtlas Atlas(512, 512);

struct TStation {
  float Z, HalfWidth, Top, Bottom, Y, Power;
};
// Wider than tall: a flattened, shark-like fuselage.
constexpr TStation Fuselage[] = {
    {-9.3f, 0.0f, 0.0f, 0.0f, -0.1f, 2.0f},   {-8.7f, 0.22f, 0.14f, 0.13f, -0.1f, 2.0f},
    {-7.4f, 0.62f, 0.36f, 0.34f, -0.08f, 2.2f}, {-5.6f, 0.95f, 0.6f, 0.52f, -0.02f, 2.4f},
    {-3.4f, 1.15f, 0.82f, 0.66f, 0.05f, 2.6f},  {-0.8f, 1.4f, 0.86f, 0.76f, 0.05f, 2.8f},
    {2.2f, 1.42f, 0.8f, 0.78f, 0.0f, 3.0f},     {5.0f, 1.2f, 0.72f, 0.7f, 0.0f, 3.0f},
    {7.0f, 1.05f, 0.6f, 0.6f, 0.0f, 2.8f},
};
constexpr float NoseZ = -9.3f, TailZ = 7.0f;

constexpr float GunX = 1.02f, GunY = -0.42f, GunRearZ = -1.6f, GunLength = 5.6f;
constexpr float NozzleX = 0.52f, NozzleY = 0.0f, NozzleFrontZ = 6.4f, NozzleLength = 1.4f;

// Atlas regions, in pixels, 8 apart.
constexpr int FuselageRegion[4] = {4, 4, 504, 176};
constexpr int WingRegion[4] = {4, 188, 312, 176};
constexpr int FinRegion[4] = {324, 188, 184, 112};
constexpr int CanardRegion[4] = {324, 308, 88, 56};
constexpr int VentralRegion[4] = {420, 308, 88, 56};
constexpr int CanopyRegion[4] = {4, 372, 152, 80};
constexpr int GunRegion[4] = {164, 372, 184, 56};
constexpr int NozzleRegion[4] = {356, 372, 152, 80};
constexpr int MetalRegion[4] = {164, 436, 184, 72};

TUvRect Rect(const int (&r)[4]) { return Atlas.Rect(r[0], r[1], r[2], r[3]); }

void BuildFuselage(TModel& m) {
  std::vector<std::vector<TVector>> rings;
  for (const TStation& s : Fuselage)
    rings.push_back(EllipseRing(18, {0, s.Y, s.Z}, s.HalfWidth, s.Top, s.Bottom, s.Power));
  TLoftOptions o;
  o.CapEnd = true;
  o.SymmetricT = true;
  o.Uv = Rect(FuselageRegion);
  o.CapUv = Rect(MetalRegion);
  m.Loft(rings, o);

  // A low, long canopy set well back.
  std::vector<std::vector<TVector>> canopy;
  constexpr int Steps = 7;
  for (int i = 0; i <= Steps; ++i) {
    const float f = float(i) / Steps;
    const float bulge = std::sin(3.14159f * std::pow(f, 0.65f));
    canopy.push_back(EllipseRing(12, {0, 0.62f, -4.9f + 5.2f * f}, 0.04f + 0.58f * bulge, 0.02f + 0.62f * bulge,
                                 0.35f, 2.2f));
  }
  TLoftOptions c;
  c.SymmetricT = true;
  c.Uv = Rect(CanopyRegion);
  m.Loft(canopy, c);
}

void BuildWing(TModel& m) {
  // A delta with a little anhedral, its root running most of the fuselage's length.
  std::vector<std::vector<TVector>> rings = {
      AirfoilRing(16, {0.8f, -0.1f, -2.6f}, {0, 0, 1}, 9.4f, {0, 1, 0}, 0.55f),
      AirfoilRing(16, {3.6f, -0.3f, 2.2f}, {0, 0, 1}, 4.8f, {0, 1, 0}, 0.3f),
      AirfoilRing(16, {6.6f, -0.55f, 5.6f}, {0, 0, 1}, 1.3f, {0, 1, 0}, 0.1f)};
  TLoftOptions o;
  o.CapEnd = true;
  o.Uv = Rect(WingRegion);
  m.Loft(rings, o);
  // Canards ahead of the canopy.
  std::vector<std::vector<TVector>> canard = {
      AirfoilRing(10, {0.7f, 0.05f, -6.4f}, {0, 0, 1}, 2.0f, {0, 1, 0}, 0.16f),
      AirfoilRing(10, {2.7f, 0.15f, -5.1f}, {0, 0, 1}, 0.6f, {0, 1, 0}, 0.06f)};
  o.Uv = Rect(CanardRegion);
  m.Loft(canard, o);
  // Ventral strakes, canted out and down.
  std::vector<std::vector<TVector>> ventral = {
      AirfoilRing(10, {0.6f, -0.45f, 3.6f}, {0, 0, 1}, 2.9f, {1, 0, 0}, 0.16f),
      AirfoilRing(10, {1.25f, -1.75f, 5.3f}, {0, 0, 1}, 1.1f, {1, 0, 0}, 0.07f)};
  o.Uv = Rect(VentralRegion);
  m.Loft(ventral, o);
}

void BuildGun(TModel& m) {
  m.Push();
  m.Translate({GunX, GunY, GunRearZ});
  m.RotateX(-1.5708f);
  const float L = GunLength;
  m.Lathe({{0, 0},
           {0.2f, 0.1f},
           {0.3f, 0.9f},
           {0.3f, L - 2.2f},
           {0.14f, L - 1.3f, true},
           {0.08f, L - 1.3f, true},
           {0.08f, L, true},
           {0.0f, L - 0.15f}},
          8, Rect(GunRegion));
  m.Pop();
}

void BuildNozzle(TModel& m) {
  m.Push();
  m.Translate({NozzleX, NozzleY, NozzleFrontZ});
  m.RotateX(1.5708f);
  const float L = NozzleLength;
  m.Lathe({{0, 0}, {0.55f, 0}, {0.55f, 0.6f}, {0.46f, L, true}, {0.36f, L, true}, {0.33f, L - 0.45f, true}, {0, L - 0.45f}},
          12, Rect(NozzleRegion));
  m.Pop();
}

void BuildFin(TModel& m) {
  std::vector<std::vector<TVector>> fin = {
      AirfoilRing(12, {0, 0.4f, 2.4f}, {0, 0, 1}, 4.9f, {1, 0, 0}, 0.32f),
      AirfoilRing(12, {0, 2.3f, 4.9f}, {0, 0, 1}, 2.7f, {1, 0, 0}, 0.2f),
      AirfoilRing(12, {0, 3.9f, 6.8f}, {0, 0, 1}, 1.2f, {1, 0, 0}, 0.1f)};
  TLoftOptions o;
  o.CapEnd = true;
  o.Uv = Rect(FinRegion);
  m.Loft(fin, o);
}

// ---- Paint ------------------------------------------------------------------------------------

const TColor Camo1 = Rgb(40, 48, 66);
const TColor Camo2 = Rgb(62, 70, 86);
const TColor Belly = Rgb(92, 100, 112);
const TColor Red = Palette::Blood;
const TColor Hot = Palette::Ember;

// Hard-edged splinter camouflage: two tones split along slanted lines.
TColor Splinter(float u, float v) {
  const float a = std::sin(u * 0.9f + v * 1.7f) + std::sin(u * 1.9f - v * 0.8f + 1.3f);
  return a > 0.1f ? Camo1 : Camo2;
}

TSurface PaintFuselage(float s, float t) {
  const float z = NoseZ + s * (TailZ - NoseZ);
  const float around = t * 3.6f;
  TColor base = Mix(Belly, Splinter(z, around), Smoothstep(0.4f, 0.48f, t));
  // Blood-red nose with a sawtooth edge, and a red spine stripe.
  const float teeth = -7.0f + 0.35f * std::fabs(std::fmod(around * 2.2f, 2.0f) - 1.0f);
  if (z < teeth) base = Mix(Red, Palette::Ink, Smoothstep(-8.6f, -9.2f, z));
  if (t > 0.965f && z > -3.0f && z < 6.0f) base = Red;
  // An ember chevron on each flank.
  const float cz = z - 3.2f, ct = (t - 0.6f) * 3.6f;
  if (std::fabs(ct) < 0.5f && std::fabs(cz - std::fabs(ct) * 0.9f) < 0.18f) base = Hot;
  TSurface out = PanelledMetal(base, z, around, 1.4f, 0.6f, 1.0f, 211);
  out.Color = Mix(out.Color, Palette::Ink, 0.6f * Smoothstep(5.0f, 7.0f, z) * Grime(z, around, 2.0f, 5));
  return out;
}

TSurface PaintWing(float s, float t) {
  const bool top = t < 0.5f;
  const float chord = AirfoilChord(t);
  const float span = s * 5.8f;
  const float chordUnits = chord * (9.4f - 8.1f * s);
  TColor base = top ? Splinter(span, chordUnits + span * 0.6f) : Belly;
  // Red sawtooth along the leading edge, on top.
  const float tooth = 0.35f + 0.25f * std::fabs(std::fmod(span * 1.4f, 2.0f) - 1.0f);
  if (top && chordUnits < tooth) base = Red;
  // A red-and-ember triangle insignia on each wing.
  if (top) {
    const float u = span - 3.3f, v = chordUnits - 2.6f;
    const float tri = std::max(v - 0.8f, std::fabs(u) * 1.7f - (v + 0.8f) * 0.85f);
    if (tri < 0) base = tri < -0.25f ? Hot : Palette::Ink;
  }
  TSurface out = PanelledMetal(base, span, chordUnits, 1.2f, 1.3f, 0.9f, 221);
  const float hinge = 1 - Smoothstep(0, 0.02f, std::fabs(chord - 0.8f));
  out.Color = Scale(out.Color, 1 - 0.35f * hinge);
  out.Height -= hinge;
  return out;
}

TSurface PaintFin(float s, float t) {
  const float chord = AirfoilChord(t);
  TColor base = Splinter(s * 4, chord * 4);
  if (s > 0.78f) base = Red;
  if (s > 0.74f && s < 0.78f) base = Palette::Ink;
  return PanelledMetal(base, s * 4, chord * 4, 1.1f, 1.4f, 0.7f, 231);
}

TSurface PaintSmallSurface(float s, float t) {
  const float chord = AirfoilChord(t);
  TColor base = s > 0.8f ? Red : Camo1;
  return PanelledMetal(base, s * 2, chord * 2, 0.9f, 1.0f, 0.6f, 241);
}

TSurface PaintCanopy(float s, float t) {
  const float frame = std::max({1 - Smoothstep(0.02f, 0.05f, std::fabs(s - 0.2f)),
                                1 - Smoothstep(0.02f, 0.05f, std::fabs(s - 0.62f)), Smoothstep(0.92f, 0.97f, t)});
  const TColor glass = Mix(Rgb(60, 20, 14), Rgb(190, 110, 70), 0.55f * Smoothstep(0.5f, 0.95f, t) * (1 - s));
  TColor c = Mix(glass, Palette::Ink, frame);
  if (t < 0.3f) c = Palette::Ink;
  return {c, 1.5f * frame, (1 - frame) * 0.3f * Smoothstep(0.3f, 0.45f, t)};
}

TSurface PaintGun(float s, float t) {
  TColor base = t > 0.76f ? Palette::Ink : Camo1;
  TSurface out = PanelledMetal(base, s * 2, t * 5.6f, 0, 1.5f, 0.8f, 251);
  return out;
}

TSurface PaintNozzle(float s, float t) {
  if (t < 0.5f) {
    const float petals = 0.5f + 0.5f * std::cos(s * 6.28318f * 12);
    return {Scale(Mix(Palette::Ink, Rgb(80, 60, 56), Smoothstep(0.1f, 0.45f, t)), 0.8f + 0.2f * petals), petals, 0};
  }
  if (t < 0.78f) return {Mix(Rgb(60, 40, 36), Palette::Ember, Smoothstep(0.6f, 0.78f, t)), 0, Smoothstep(0.6f, 0.78f, t)};
  return {Mix(Palette::Ember, Palette::Amber, Smoothstep(0.85f, 1.0f, t)), 0, 1};
}

TSurface PaintMetal(float s, float t) {
  return {Weathered(Palette::Ink, 0.5f * Grime(s, t, 6, 261)), 0, 0};
}

}  // namespace

TMsh MeshBad1() {
  TModel m;
  m.Group(TextureGroup(Texture));
  BuildFuselage(m);
  BuildFin(m);
  m.Mirrored([&] {
    BuildWing(m);
    BuildGun(m);
    BuildNozzle(m);
  });
  return BuildMesh(m, "bad1");
}

TPaintedTexture PaintBad1() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(Atlas,
                    {region(FuselageRegion, PaintFuselage), region(WingRegion, PaintWing), region(FinRegion, PaintFin),
                     region(CanardRegion, PaintSmallSurface), region(VentralRegion, PaintSmallSurface),
                     region(CanopyRegion, PaintCanopy), region(GunRegion, PaintGun), region(NozzleRegion, PaintNozzle),
                     region(MetalRegion, PaintMetal)},
                    {Camo1, 0, 0}, 0.6f, 201);
}

TAircraftParams ParamsBad1() {
  TAircraftParams p;
  p.Speed = 0.058f;  // a touch under the player's cruise: a boost catches them, cruising does not lose them
  p.Radius = 10.0f;
  p.CollisionRadius = 8.0f;
  p.Size = 15.0f;
  p.Life = 10.0f;      // twenty gun hits, a few bursts
  p.HitDamage = 0.5f;  // one missile (twenty hits' worth) brings it down
  p.CollisionDamage = 1.0f;
  p.Gun1 = {-GunX, GunY, GunRearZ - GunLength - 0.1f};
  p.Gun2 = {GunX, GunY, GunRearZ - GunLength - 0.1f};
  p.Exhaust1 = {-NozzleX, NozzleY, NozzleFrontZ + NozzleLength + 0.2f};
  p.Exhaust2 = {NozzleX, NozzleY, NozzleFrontZ + NozzleLength + 0.2f};
  return p;
}
