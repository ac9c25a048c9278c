// ModelsAlly1.cpp — "ally1", the player's and the allied fighter: a twin-jet with swept wings,
// cannon pods under the wing roots and twin canted fins, in pale steel with teal markings.
#include "content/ArtPalette.h"
#include "content/Models.h"

#include <cmath>

namespace {

constexpr const char* Texture = "ally1";
const TAtlas Atlas(512, 512);

// Fuselage stations, nose to tail: z, half width, height above and below the centre line,
// centre height, squareness.
struct TStation {
  float Z, HalfWidth, Top, Bottom, Y, Power;
};
constexpr TStation Fuselage[] = {
    {-9.5f, 0.0f, 0.0f, 0.0f, -0.05f, 2.0f},  {-9.1f, 0.26f, 0.24f, 0.22f, -0.05f, 2.0f},
    {-8.2f, 0.58f, 0.55f, 0.5f, 0.0f, 2.0f},   {-6.8f, 0.88f, 0.85f, 0.75f, 0.05f, 2.1f},
    {-5.0f, 1.06f, 1.05f, 0.9f, 0.1f, 2.2f},   {-3.0f, 1.18f, 1.15f, 1.0f, 0.1f, 2.3f},
    {-0.8f, 1.45f, 1.1f, 1.05f, 0.05f, 2.5f},  {1.5f, 1.9f, 1.0f, 1.05f, 0.0f, 2.9f},
    {4.5f, 2.0f, 0.95f, 1.0f, 0.0f, 3.2f},     {6.6f, 1.95f, 0.88f, 0.92f, 0.0f, 3.2f},
    {7.6f, 1.85f, 0.8f, 0.85f, 0.0f, 3.0f},
};
constexpr float NoseZ = -9.5f, TailZ = 7.6f;

// The guns fire from the tips of the cannon pods, the exhausts from the two nozzles.
constexpr float PodX = 2.75f, PodY = -0.66f, PodRearZ = 1.9f, PodLength = 6.3f;
constexpr float NozzleX = 1.0f, NozzleY = -0.05f, NozzleFrontZ = 7.0f, NozzleLength = 1.5f;

// Atlas regions, in pixels.
constexpr int FuselageRegion[4] = {4, 4, 504, 192};
constexpr int WingRegion[4] = {4, 204, 280, 160};
constexpr int FinRegion[4] = {292, 204, 104, 160};
constexpr int StabRegion[4] = {404, 204, 104, 160};
constexpr int CanopyRegion[4] = {4, 372, 152, 88};
constexpr int PodRegion[4] = {164, 372, 184, 60};
constexpr int NozzleRegion[4] = {356, 372, 152, 88};
constexpr int MetalRegion[4] = {164, 440, 184, 68};

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

  // The canopy: a bubble whose lower half sinks into the spine.
  std::vector<std::vector<TVector>> canopy;
  constexpr int Steps = 7;
  for (int i = 0; i <= Steps; ++i) {
    const float f = float(i) / Steps;
    const float z = -5.6f + 5.0f * f;
    const float bulge = std::sin(3.14159f * std::pow(f, 0.8f));
    canopy.push_back(EllipseRing(12, {0, 0.95f, z}, 0.05f + 0.68f * bulge, 0.02f + 0.86f * bulge, 0.4f, 2.0f));
  }
  TLoftOptions c;
  c.SymmetricT = true;
  c.Uv = Rect(CanopyRegion);
  m.Loft(canopy, c);
}

void BuildWing(TModel& m) {
  // Root buried in the fuselage, tip swept back with a little dihedral.
  struct TSpan {
    float X, Y, LeadZ, Chord, Thickness;
  };
  constexpr TSpan Span[] = {
      {0.9f, -0.35f, -1.6f, 6.2f, 0.5f}, {3.6f, -0.22f, 0.4f, 4.1f, 0.34f}, {7.3f, 0.0f, 3.1f, 2.1f, 0.16f}};
  std::vector<std::vector<TVector>> rings;
  for (const TSpan& s : Span)
    rings.push_back(AirfoilRing(16, {s.X, s.Y, s.LeadZ}, {0, 0, 1}, s.Chord, {0, 1, 0}, s.Thickness));
  TLoftOptions o;
  o.CapEnd = true;
  o.Uv = Rect(WingRegion);
  m.Loft(rings, o);
}

void BuildTail(TModel& m) {
  // Twin fins canted outward.
  std::vector<std::vector<TVector>> fin = {
      AirfoilRing(12, {1.25f, 0.55f, 4.3f}, {0, 0, 1}, 3.5f, {1, 0, 0}, 0.26f),
      AirfoilRing(12, {1.55f, 2.1f, 5.7f}, {0, 0, 1}, 2.4f, {1, 0, 0}, 0.18f),
      AirfoilRing(12, {1.85f, 3.45f, 6.9f}, {0, 0, 1}, 1.5f, {1, 0, 0}, 0.12f)};
  TLoftOptions o;
  o.CapEnd = true;
  o.Uv = Rect(FinRegion);
  m.Loft(fin, o);
  // Stabilisers.
  std::vector<std::vector<TVector>> stab = {
      AirfoilRing(12, {1.5f, 0.05f, 5.5f}, {0, 0, 1}, 2.8f, {0, 1, 0}, 0.22f),
      AirfoilRing(12, {4.4f, 0.25f, 7.1f}, {0, 0, 1}, 1.3f, {0, 1, 0}, 0.1f)};
  o.Uv = Rect(StabRegion);
  m.Loft(stab, o);
}

void BuildPod(TModel& m) {
  // A cannon fairing along -z with the barrel poking out of its nose.
  m.Push();
  m.Translate({PodX, PodY, PodRearZ});
  m.RotateX(-1.5708f);
  const float L = PodLength;
  m.Lathe({{0, 0},
           {0.25f, 0.05f},
           {0.48f, 0.6f},
           {0.52f, 1.6f},
           {0.5f, L - 2.6f},
           {0.36f, L - 1.6f},
           {0.16f, L - 1.2f, true},
           {0.1f, L - 1.2f, true},
           {0.1f, L, true},
           {0.06f, L, true},
           {0.0f, L - 0.2f}},
          10, Rect(PodRegion));
  m.Pop();
}

void BuildNozzle(TModel& m) {
  m.Push();
  m.Translate({NozzleX, NozzleY, NozzleFrontZ});
  m.RotateX(1.5708f);
  const float L = NozzleLength;
  m.Lathe({{0, 0},
           {0.8f, 0},
           {0.8f, 0.7f},
           {0.72f, L, true},
           {0.58f, L, true},
           {0.54f, L - 0.5f, true},
           {0.0f, L - 0.5f}},
          14, Rect(NozzleRegion));
  m.Pop();
}

// ---- Paint ------------------------------------------------------------------------------------

const TColor Upper = Rgb(128, 146, 164);
const TColor Under = Rgb(196, 208, 218);
const TColor Stripe = Palette::Teal;
const TColor Dark = Palette::SteelDark;

TSurface PaintFuselage(float s, float t) {
  const float z = NoseZ + s * (TailZ - NoseZ);
  const float around = t * 4.2f;  // about the half girth, in units
  const float upperMix = Smoothstep(0.42f, 0.5f, t);
  TColor base = Mix(Under, Upper, upperMix);
  // Teal cheat line along each side and a dark anti-glare panel ahead of the canopy.
  const float stripe = Smoothstep(0.012f, 0.0f, std::fabs(t - 0.5f) - 0.022f) * Smoothstep(-7.2f, -6.8f, z) *
                       (1 - Smoothstep(6.0f, 6.4f, z));
  base = Mix(base, Stripe, stripe);
  const float glare = Smoothstep(0.78f, 0.84f, t) * Smoothstep(-8.2f, -8.0f, z) * (1 - Smoothstep(-5.8f, -5.5f, z));
  base = Mix(base, Palette::Navy, glare);
  base = Mix(base, Dark, Smoothstep(-8.6f, -8.9f, z));  // nose cone
  // A roundel on each flank behind the wing.
  const float roundel = std::hypot(z - 4.4f, (t - 0.6f) * 4.2f);
  if (roundel < 0.62f) base = roundel < 0.26f ? Palette::Pale : (roundel < 0.44f ? Palette::Teal : Palette::Navy);
  TSurface out = PanelledMetal(base, z, around, 1.7f, 0.7f, 1.0f, 11);
  // Soot behind the engines.
  out.Color = Mix(out.Color, Palette::Ink, 0.55f * Smoothstep(5.8f, 7.6f, z) * Grime(z, around, 2.0f, 3));
  return out;
}

TSurface PaintWing(float s, float t) {
  const bool top = t < 0.5f;
  const float chord = AirfoilChord(t);
  const float span = s * 6.4f;
  const float chordUnits = chord * (6.2f - 4.1f * s);
  TColor base = top ? Upper : Under;
  if (chord < 0.05f) base = Mix(base, Palette::SteelLight, 0.6f);
  // Control surfaces along the trailing edge, and a roundel near each tip.
  const float hinge = 1 - Smoothstep(0, 0.02f, std::fabs(chord - 0.78f));
  if (top) {
    const float r = std::hypot(span - 4.6f, chordUnits - 1.5f);
    if (r < 0.85f) base = r < 0.36f ? Palette::Pale : (r < 0.6f ? Palette::Teal : Palette::Navy);
    base = Mix(base, Stripe, Smoothstep(0.05f, 0.0f, std::fabs(s - 0.93f) - 0.03f));
  }
  TSurface out = PanelledMetal(base, span, chordUnits, 1.3f, 1.1f, 0.8f, 21);
  out.Color = Scale(out.Color, 1 - 0.35f * hinge);
  out.Height -= hinge;
  return out;
}

TSurface PaintFin(float s, float t) {
  const float chord = AirfoilChord(t);
  TColor base = Upper;
  base = Mix(base, Stripe, Smoothstep(0.72f, 0.76f, s) * (1 - Smoothstep(0.86f, 0.9f, s)));
  if (s > 0.9f) base = Palette::Navy;
  TSurface out = PanelledMetal(base, s * 3, chord * 3, 1.0f, 1.2f, 0.6f, 31);
  out.Color = Scale(out.Color, 1 - 0.3f * (1 - Smoothstep(0, 0.02f, std::fabs(chord - 0.7f))));
  return out;
}

TSurface PaintStab(float s, float t) {
  const bool top = t < 0.5f;
  const float chord = AirfoilChord(t);
  TSurface out = PanelledMetal(top ? Upper : Under, s * 3, chord * 2.5f, 1.2f, 1.0f, 0.6f, 41);
  return out;
}

TSurface PaintCanopy(float s, float t) {
  // Tinted glass with a sky reflection, framed by a bow, two hoops and a spine.
  const float frame = std::max({1 - Smoothstep(0.02f, 0.05f, std::fabs(s - 0.12f)),
                                1 - Smoothstep(0.02f, 0.05f, std::fabs(s - 0.5f)),
                                1 - Smoothstep(0.02f, 0.05f, std::fabs(s - 0.86f)),
                                Smoothstep(0.9f, 0.96f, t)});
  const TColor glass = Mix(Palette::TealDeep, Palette::SteelLight, 0.5f * Smoothstep(0.45f, 0.95f, t) *
                                                                       (1 - std::fabs(s - 0.35f)));
  TColor c = Mix(Scale(glass, 0.75f), Dark, frame);
  if (t < 0.3f) c = Dark;  // sunk in the spine
  return {c, 1.5f * frame, (1 - frame) * 0.35f * Smoothstep(0.3f, 0.45f, t)};
}

TSurface PaintPod(float s, float t) {
  // s around, t from the rear to the muzzle.
  TColor base = Mix(Under, Upper, Smoothstep(0.1f, 0.35f, std::fabs(s - 0.5f)));
  if (t > 0.82f) base = Palette::Ink;  // barrel
  TSurface out = PanelledMetal(base, s * 2.7f, t * 7, 0.0f, 1.6f, 0.7f, 51);
  out.Color = Mix(out.Color, Palette::Ink, 0.5f * Smoothstep(0.78f, 0.82f, t));
  return out;
}

TSurface PaintNozzle(float s, float t) {
  // Outer shell of scorched metal, an inner ring of heat-blued petals and a glowing core.
  if (t < 0.5f) {
    const float petals = 0.5f + 0.5f * std::cos(s * 6.28318f * 14);
    const TColor c = Mix(Palette::SteelDark, Rgb(96, 84, 92), Smoothstep(0.1f, 0.45f, t));
    return {Scale(c, 0.8f + 0.2f * petals), petals * 0.8f, 0};
  }
  if (t < 0.78f) return {Mix(Rgb(70, 62, 64), Palette::Ember, Smoothstep(0.6f, 0.78f, t)), 0, Smoothstep(0.6f, 0.78f, t)};
  return {Mix(Palette::Amber, Palette::WhiteHot, Smoothstep(0.85f, 1.0f, t)), 0, 1};
}

TSurface PaintMetal(float s, float t) {
  // Tail cone plate around the nozzles.
  const float d = std::hypot(s - 0.5f, t - 0.5f);
  return {Weathered(Palette::SteelDark, 0.6f * Grime(s, t, 6, 61)), -2 * Seam(d, 0.12f, 0.01f), 0};
}

}  // namespace

TMsh MeshAlly1() {
  TModel m;
  m.Group(TextureGroup(Texture));
  BuildFuselage(m);
  m.Mirrored([&] {
    BuildWing(m);
    BuildTail(m);
    BuildPod(m);
    BuildNozzle(m);
  });
  return BuildMesh(m, "ally1");
}

TPaintedTexture PaintAlly1() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(Atlas,
                    {region(FuselageRegion, PaintFuselage), region(WingRegion, PaintWing), region(FinRegion, PaintFin),
                     region(StabRegion, PaintStab), region(CanopyRegion, PaintCanopy), region(PodRegion, PaintPod),
                     region(NozzleRegion, PaintNozzle), region(MetalRegion, PaintMetal)},
                    {Under, 0, 0}, 0.6f, 101);
}

TAircraftParams ParamsAlly1() {
  TAircraftParams p;
  p.Speed = 0.06f;  // the player's cruise
  p.Radius = 10.0f;
  p.CollisionRadius = 8.0f;
  p.Size = 15.0f;
  p.Life = 40.0f;      // the player: forty gun hits, two missiles
  p.HitDamage = 0.5f;  // missions give the player 1.0; allied pilots last twice as long
  p.CollisionDamage = 1.0f;
  p.Gun1 = {-PodX, PodY, PodRearZ - PodLength - 0.1f};
  p.Gun2 = {PodX, PodY, PodRearZ - PodLength - 0.1f};
  p.Exhaust1 = {-NozzleX, NozzleY, NozzleFrontZ + NozzleLength + 0.2f};
  p.Exhaust2 = {NozzleX, NozzleY, NozzleFrontZ + NozzleLength + 0.2f};
  return p;
}
