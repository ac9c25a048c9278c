// ModelsBuildings.cpp — the base's buildings, standing on their origin at ground level and sharing
// one atlas: "build1l", an arched hangar with an office annex; "build1m", a command block with a
// glazed control room and a radar mast; "gen", a generator house with fuel tanks and a stack.
#include "content/ArtPalette.h"
#include "content/Models.h"

#include <cmath>

namespace {

constexpr const char* Texture = "build1";
const TAtlas Atlas(1024, 512);

constexpr int WallRegion[4] = {4, 4, 248, 120};       // concrete with two rows of windows
constexpr int PlainRegion[4] = {260, 4, 248, 120};    // concrete, no windows
constexpr int RoofRegion[4] = {516, 4, 504, 120};     // corrugated metal
constexpr int DoorRegion[4] = {4, 132, 248, 120};     // hangar doors
constexpr int GableRegion[4] = {260, 132, 248, 120};  // the arch's end wall with a lit band
constexpr int GlassRegion[4] = {516, 132, 248, 120};  // control room glazing
constexpr int TarRegion[4] = {772, 132, 248, 120};    // flat roofs
constexpr int TankRegion[4] = {4, 260, 504, 120};     // fuel tank shells
constexpr int PipeRegion[4] = {516, 260, 248, 120};   // pipes, masts, rails
constexpr int StackRegion[4] = {772, 260, 248, 120};  // chimney with its glowing mouth
constexpr int DishRegion[4] = {4, 388, 248, 120};
constexpr int HazardRegion[4] = {260, 388, 248, 120};  // generator house walls

TUvRect Rect(const int (&r)[4]) { return Atlas.Rect(r[0], r[1], r[2], r[3]); }

// A box whose four walls share one rect and whose top and bottom share another.
void Block(TModel& m, const TVector& lo, const TVector& hi, float bevel, const int (&walls)[4], const int (&roof)[4]) {
  const TUvRect faces[6] = {Rect(walls), Rect(walls), Rect(roof), Rect(roof), Rect(walls), Rect(walls)};
  m.Box(lo, hi, bevel, faces);
}

// ---- Hangar -----------------------------------------------------------------------------------

constexpr float HangarHalfWidth = 22, HangarHalfLength = 32, HangarWall = 6.5f;

std::vector<TPoint2> Arch(float radius, float base, int steps) {
  std::vector<TPoint2> points;
  for (int i = 0; i <= steps; ++i) {
    const float a = 3.14159265f * i / steps;
    points.push_back({-radius * std::cos(a), base + radius * std::sin(a)});
  }
  return points;
}

void BuildHangar(TModel& m) {
  const TUvRect walls[6] = {Rect(WallRegion), Rect(WallRegion), Rect(TarRegion),
                            Rect(TarRegion),  Rect(PlainRegion), Rect(PlainRegion)};
  m.Box({-HangarHalfWidth, 0, -HangarHalfLength}, {HangarHalfWidth, HangarWall, HangarHalfLength}, 0.3f, walls);
  // The barrel roof, overhanging the walls a little.
  const float r = HangarHalfWidth + 0.8f;
  std::vector<TVector> front, back;
  for (const TPoint2& p : Arch(r, HangarWall, 16)) {
    front.push_back({p.X, p.Y, HangarHalfLength + 1.0f});
    back.push_back({p.X, p.Y, -HangarHalfLength - 1.0f});
  }
  TLoftOptions o;
  o.Closed = false;
  o.Uv = Rect(RoofRegion);
  m.Loft({back, front}, o);
  // End walls under the arch, and the great doors in front.
  std::vector<TPoint2> gable = Arch(HangarHalfWidth, HangarWall, 16);
  m.Extrude(gable, HangarHalfLength - 0.5f, HangarHalfLength + 0.2f, Rect(GableRegion), Rect(PipeRegion));
  m.Extrude(gable, -HangarHalfLength - 0.2f, -HangarHalfLength + 0.5f, Rect(GableRegion), Rect(PipeRegion));
  m.Box({-15, 0, HangarHalfLength}, {15, 15, HangarHalfLength + 0.8f}, 0.2f, Rect(DoorRegion));
  // The office annex on the right, with a flat roof and an aerial.
  Block(m, {HangarHalfWidth - 0.5f, 0, -22}, {HangarHalfWidth + 9, 9, 6}, 0.4f, WallRegion, TarRegion);
  m.Cylinder({HangarHalfWidth + 6, 9, -18}, {HangarHalfWidth + 6, 19, -18}, 0.3f, 0.15f, 6, Rect(PipeRegion));
  // Roof vents along the ridge.
  for (float z : {-18.0f, 0.0f, 18.0f})
    m.Cylinder({0, HangarWall + r - 0.6f, z}, {0, HangarWall + r + 1.8f, z}, 1.3f, 1.1f, 8, Rect(PipeRegion));
}

// ---- Command block ----------------------------------------------------------------------------

void BuildCommand(TModel& m) {
  Block(m, {-14, 0, -13}, {14, 14, 13}, 0.5f, WallRegion, TarRegion);
  // Parapet and the control room on its plinth, glazed all round.
  Block(m, {-6, 14, -6}, {6, 16, 6}, 0.3f, PlainRegion, TarRegion);
  const TUvRect glass[6] = {Rect(GlassRegion), Rect(GlassRegion), Rect(TarRegion),
                            Rect(TarRegion),  Rect(GlassRegion), Rect(GlassRegion)};
  m.Box({-7.5f, 16, -7.5f}, {7.5f, 22, 7.5f}, 0.4f, glass);
  Block(m, {-8.5f, 22, -8.5f}, {8.5f, 23, 8.5f}, 0.3f, PlainRegion, TarRegion);
  // Mast with a dish, and an entrance porch.
  m.Cylinder({4, 23, 4}, {4, 32, 4}, 0.4f, 0.2f, 6, Rect(PipeRegion));
  m.Push();
  m.Translate({4, 30, 4});
  m.RotateX(-1.1f);
  m.Lathe({{0, 0}, {1.5f, 0.35f}, {2.6f, 1.1f}, {2.6f, 1.2f, true}, {1.5f, 0.45f, true}, {0, 0.1f, true}}, 12, Rect(DishRegion));
  m.Pop();
  Block(m, {-4, 0, 13}, {4, 5, 17}, 0.3f, PlainRegion, TarRegion);
}

// ---- Generator and fuel plant -----------------------------------------------------------------

void BuildGenerator(TModel& m) {
  Block(m, {-11, 0, -8}, {5, 9, 8}, 0.4f, HazardRegion, TarRegion);
  // Two fuel tanks with domed tops, and the pipes that feed the house.
  for (float z : {-6.5f, 6.5f}) {
    m.Push();
    m.Translate({13, 0, z});
    m.Lathe({{0, 0}, {5, 0, true}, {5, 9.5f, true}, {4.3f, 11.2f}, {2.5f, 12.3f}, {0, 12.6f}}, 16, Rect(TankRegion));
    m.Pop();
    m.Cylinder({8, 2.5f, z}, {4.8f, 2.5f, z * 0.5f}, 0.6f, 0.6f, 8, Rect(PipeRegion));
  }
  // The exhaust stack, glowing at its mouth, and a cooling unit on the roof.
  m.Lathe({{0, 0}, {2.2f, 0, true}, {1.8f, 20, true}, {2.2f, 20.5f, true}, {2.2f, 21.5f}, {1.5f, 21.5f, true}, {1.4f, 20.8f, true}, {0, 20.8f, true}},
          12, Rect(StackRegion));
  Block(m, {-9.5f, 9, 1.5f}, {-4, 11.5f, 6.5f}, 0.3f, PlainRegion, TarRegion);
}

// ---- Paint ------------------------------------------------------------------------------------

const TColor Concrete = Rgb(150, 150, 144);
const TColor ConcreteDark = Rgb(108, 110, 108);

TColor ConcreteAt(float s, float t, uint32_t seed) {
  TColor c = Mix(ConcreteDark, Concrete, 0.55f + 0.45f * Fbm2(s * 9, t * 5, seed, 4));
  return Weathered(c, 0.45f * Smoothstep(0.3f, 0.0f, t) + 0.2f * Grime(s * 3, t, 2, seed + 1));
}

// Windows on a grid of `cols` x `rows`; about a third are lit.
TSurface Windows(float s, float t, int cols, int rows, float lo, float hi, uint32_t seed) {
  TSurface out{ConcreteAt(s, t, seed), 0, 0};
  const float tr = (t - lo) / (hi - lo);
  if (tr < 0 || tr > 1) return out;
  const float cx = s * cols, cy = tr * rows;
  const int ix = static_cast<int>(cx), iy = static_cast<int>(cy);
  const float fx = cx - ix, fy = cy - iy;
  if (fx < 0.22f || fx > 0.78f || fy < 0.2f || fy > 0.8f) {
    // Sills under the windows.
    if (fy < 0.2f && fy > 0.12f && fx > 0.18f && fx < 0.82f) out.Color = Scale(out.Color, 1.15f), out.Height = 1;
    return out;
  }
  const bool lit = HashUnit(ix, iy, seed) < 0.4f;
  const bool bar = std::fabs(fx - 0.5f) < 0.02f;
  out.Height = -1.5f;
  if (bar) out.Color = Palette::SteelDark;
  else if (lit) out.Color = Mix(Palette::Amber, Palette::WhiteHot, 0.3f * fy), out.Glow = 0.9f;
  else out.Color = Mix(Palette::Navy, Palette::SteelDark, fy);
  return out;
}

TSurface PaintWall(float s, float t) { return Windows(s, t, 6, 2, 0.12f, 0.88f, 901); }
TSurface PaintPlain(float s, float t) {
  return {ConcreteAt(s, t, 911), -Seam(s * 4, 1.0f, 0.01f) - Seam(t * 2, 1.0f, 0.01f), 0};
}

TSurface PaintRoof(float s, float t) {
  // Corrugations run down the arch (across s); rust streaks and sheet joints.
  const float wave = std::sin(s * 6.28318f * 80);
  TColor c = Mix(Rgb(96, 104, 112), Rgb(120, 128, 134), 0.5f + 0.5f * wave);
  c = Mix(c, Rgb(110, 70, 48), 0.5f * Smoothstep(0.55f, 0.8f, Grime(s * 6, t * 20, 1, 921)));
  const float joint = Seam(t * 8, 1.0f, 0.02f);
  return {Scale(c, 1 - 0.3f * joint), 1.2f * wave - joint, 0};
}

TSurface PaintDoor(float s, float t) {
  // Sliding leaves with horizontal ribs and a red-and-black hazard strip along the bottom.
  const float leaf = Seam(s * 4, 1.0f, 0.01f);
  const float rib = Seam(t * 10, 1.0f, 0.08f);
  TColor c = Mix(Rgb(70, 78, 90), Rgb(88, 96, 108), Grime(s * 2, t * 3, 2, 931));
  if (t < 0.07f) c = std::fmod(s * 20 + t * 8, 1.0f) < 0.5f ? Palette::Blood : Palette::Ink;
  return {Scale(c, 1 - 0.35f * leaf - 0.15f * rib), rib - 2 * leaf, 0};
}

TSurface PaintGable(float s, float t) {
  TSurface out{Mix(Rgb(84, 92, 102), Rgb(104, 110, 118), Grime(s * 3, t * 3, 3, 941)), 0, 0};
  // A band of lit clerestory windows across the arch.
  if (t > 0.35f && t < 0.5f && std::fmod(s * 16, 1.0f) > 0.2f) out = {Palette::Amber, -1, 0.8f};
  return out;
}

TSurface PaintGlass(float s, float t) {
  // Tall panes lit from inside, between steel mullions.
  const float mullion = std::fabs(std::fmod(s * 6, 1.0f) - 0.5f);
  if (t < 0.15f || t > 0.9f || mullion > 0.42f) return {Palette::SteelDark, 1, 0};
  return {Mix(Rgb(120, 200, 210), Palette::Teal, t), -0.5f, 0.75f};
}

TSurface PaintTar(float s, float t) {
  return {Mix(Rgb(40, 42, 46), Rgb(62, 64, 66), Grime(s * 4, t * 4, 3, 951)), 0.5f * Grime(s * 30, t * 30, 1, 953), 0};
}

TSurface PaintTank(float s, float t) {
  // Painted steel shells in welded strakes, with a blood-red warning band.
  TColor c = Mix(Rgb(176, 172, 160), Rgb(196, 192, 180), Grime(s * 4, t * 2, 2, 961));
  if (t > 0.45f && t < 0.52f) c = Palette::Blood;
  c = Weathered(c, 0.4f * Smoothstep(0.6f, 0.2f, t) * Grime(s * 30, t * 4, 1, 963));
  const float weld = Seam(t * 5, 1.0f, 0.02f) + Seam(s * 8, 1.0f, 0.005f);
  return {Scale(c, 1 - 0.2f * std::min(weld, 1.0f)), -std::min(weld, 1.0f), 0};
}

TSurface PaintPipe(float s, float t) {
  return {Mix(Palette::SteelDark, Palette::Steel, 0.4f + 0.3f * std::sin(s * 6.28318f)), 0, 0};
}

TSurface PaintStack(float s, float t) {
  // Brick-red stack, sooty towards the top; the inside of the mouth glows (t near 1).
  if (t > 0.93f) return {Palette::Ember, 0, 1};
  TColor c = Mix(Rgb(120, 62, 48), Rgb(140, 80, 60), Grime(s * 8, t * 20, 1, 971));
  c = Mix(c, Palette::Ink, Smoothstep(0.5f, 0.85f, t));
  const float course = Seam(t * 40, 1.0f, 0.06f);
  return {Scale(c, 1 - 0.25f * course), -course, 0};
}

TSurface PaintDish(float s, float t) { return {Scale(Palette::SteelLight, 0.85f), Seam(t * 3, 1.0f, 0.05f), 0}; }

TSurface PaintHazard(float s, float t) {
  // Generator house: ventilation louvres, a lit doorway light, hazard stripes at the base.
  TSurface out{ConcreteAt(s, t, 981), 0, 0};
  if (t < 0.08f) out.Color = std::fmod(s * 24 + t * 10, 1.0f) < 0.5f ? Palette::Amber : Palette::Ink;
  if (s > 0.1f && s < 0.45f && t > 0.45f && t < 0.8f) {
    const float louvre = Seam(t * 14, 1.0f, 0.2f);
    out.Color = Scale(Palette::SteelDark, 1 + 0.5f * louvre);
    out.Height = 1.5f * louvre;
  }
  if (s > 0.62f && s < 0.82f && t > 0.08f && t < 0.62f) out = {Rgb(50, 54, 60), -1, 0};
  if (s > 0.68f && s < 0.76f && t > 0.68f && t < 0.74f) out = {Palette::WhiteHot, 0, 1};
  return out;
}

}  // namespace

TMsh MeshBuild1l() {
  TModel m;
  m.Group(TextureGroup(Texture));
  BuildHangar(m);
  return BuildMesh(m, "build1l");
}

TMsh MeshBuild1m() {
  TModel m;
  m.Group(TextureGroup(Texture));
  BuildCommand(m);
  return BuildMesh(m, "build1m");
}

TMsh MeshGen() {
  TModel m;
  m.Group(TextureGroup(Texture));
  BuildGenerator(m);
  return BuildMesh(m, "gen");
}

TPaintedTexture PaintBuildings() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(Atlas,
                    {region(WallRegion, PaintWall), region(PlainRegion, PaintPlain), region(RoofRegion, PaintRoof),
                     region(DoorRegion, PaintDoor), region(GableRegion, PaintGable), region(GlassRegion, PaintGlass),
                     region(TarRegion, PaintTar), region(TankRegion, PaintTank), region(PipeRegion, PaintPipe),
                     region(StackRegion, PaintStack), region(DishRegion, PaintDish), region(HazardRegion, PaintHazard)},
                    {Concrete, 0, 0}, 0.5f, 901);
}

// Buildings are neutral (side 0): the player's objectives, never the computer pilots' targets.
// A gun hit costs 1; a missile 20.
TBuildingParams ParamsBuild1l() { return {46, 36, 60, 60, 1, 0}; }
TBuildingParams ParamsBuild1m() { return {34, 24, 50, 50, 1, 0}; }
TBuildingParams ParamsGen() { return {26, 20, 40, 30, 1, 0}; }
