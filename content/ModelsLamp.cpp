// ModelsLamp.cpp — "lamp", the airfield lamp post: a tapered steel pole 95 high on a concrete
// plinth, its arm curving over to a shaded bulb at x = 23, y = 95 where the game puts the glow.
#include "content/ArtPalette.h"
#include "content/Models.h"

#include <cmath>

namespace {

constexpr const char* Texture = "lamp";
const TAtlas Atlas(128, 128);

constexpr TVector Bulb{23, 95, 0};

constexpr int PoleRegion[4] = {4, 4, 56, 120};
constexpr int PlinthRegion[4] = {68, 4, 56, 56};
constexpr int ShadeRegion[4] = {68, 68, 56, 56};

TUvRect Rect(const int (&r)[4]) { return Atlas.Rect(r[0], r[1], r[2], r[3]); }

TSurface PaintPole(float s, float t) {
  // Grey steel with a red-and-white band low down, where vehicles pass.
  TColor c = Mix(Palette::Steel, Palette::SteelLight, 0.3f + 0.3f * std::sin(s * 6.28318f));
  if (t < 0.1f && t > 0.02f) c = std::fmod(t * 50, 1.0f) < 0.5f ? Palette::Blood : Palette::Pale;
  return {Weathered(c, 0.3f * Grime(s * 2, t * 8, 2, 1001)), 0, 0};
}

TSurface PaintPlinth(float s, float t) {
  return {Mix(Rgb(120, 120, 116), Rgb(150, 150, 144), Grime(s * 6, t * 6, 3, 1011)), 0, 0};
}

TSurface PaintShade(float s, float t) {
  // Dark outside; the underside and the bulb (the end of the profile) glow.
  if (t > 0.55f) return {Mix(Palette::Amber, Palette::WhiteHot, t), 0, 1};
  return {Palette::SteelDark, 0, 0};
}

}  // namespace

TMsh MeshLamp() {
  TModel m;
  m.Group(TextureGroup(Texture));
  m.Lathe({{0, 0}, {2.4f, 0, true}, {2.4f, 1.6f, true}, {1.6f, 2.6f}, {0, 2.6f, true}}, 8, Rect(PlinthRegion), 0.3927f);
  // The pole runs up the pole region's strip; its lower band is the t near 0 end.
  m.Cylinder({0, 2.4f, 0}, {0, 90, 0}, 0.9f, 0.5f, 10, Rect(PoleRegion), false);
  const TVector arm[] = {{0, 89, 0}, {1.5f, 93.5f, 0}, {5, 96.6f, 0}, {10.5f, 98.2f, 0}, {16.5f, 98.4f, 0}, {Bulb.x, 97.6f, 0}};
  for (size_t i = 0; i + 1 < sizeof arm / sizeof arm[0]; ++i)
    m.Cylinder(arm[i], arm[i + 1], 0.45f, 0.45f, 8, Rect(PoleRegion), true);
  // The shade: a shallow cone over the bulb, then the bulb hanging under it.
  m.Push();
  m.Translate({Bulb.x, Bulb.y, 0});
  m.Lathe({{0, 3.2f}, {0.8f, 3.1f}, {2.6f, 1.6f}, {3.0f, 1.1f, true}, {2.4f, 1.0f, true}, {0.9f, 0.8f},
           {0.9f, 0.5f}, {0.6f, 0.05f}, {0, 0.0f}},
          12, Rect(ShadeRegion));
  m.Pop();
  return BuildMesh(m, "lamp");
}

TPaintedTexture PaintLamp() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(Atlas, {region(PoleRegion, PaintPole), region(PlinthRegion, PaintPlinth), region(ShadeRegion, PaintShade)},
                    {Palette::Steel, 0, 0}, 0.5f, 1001);
}
