// ArtMenu.cpp — menu clouds, the title logo and the button frames.
#include "content/ArtMenu.h"

#include "content/ArtPalette.h"
#include "content/Paint.h"

#include <algorithm>
#include <string>

namespace {

// ---- Letters -----------------------------------------------------------------------------
// A square-shouldered display face drawn as distance fields in letter units: cap height 1,
// y down from the cap line, x from the letter's left edge. Rounded letters share one corner.

constexpr float Stroke = 0.1f;     // half the stroke width
constexpr float Wide = 0.66f;      // width of every letter but I
constexpr float Corner = 0.26f;    // outer corner radius of the rounded letters
constexpr float Slant = 0.12f;     // italic lean: forward motion

// The outline of the letter's rounded box: the shared skeleton of Q, U, A and R.
float RoundBox(TVec2 p, float top, float bottom) {
  const TVec2 centre{Wide / 2, (top + bottom) / 2};
  const TVec2 half{Wide / 2 - Stroke, (bottom - top) / 2 - Stroke};
  return std::fabs(SdBox(p, centre, half, Corner - Stroke)) - Stroke;
}

float Stem(TVec2 p, float x, float top, float bottom) { return SdBar(p, {x, top + Stroke}, {x, bottom - Stroke}, Stroke); }

float LetterWidth(char c) { return c == 'I' ? 2 * Stroke : Wide; }

float SdLetter(char c, TVec2 p) {
  const float cell = SdBox(p, {Wide / 2, 0.5f}, {Wide / 2, 0.5f});
  switch (c) {
    case 'Q':
      return SdUnion(RoundBox(p, 0, 1), SdIntersect(SdBar(p, {Wide * 0.55f, 0.72f}, {Wide + 0.02f, 1.02f}, Stroke * 0.9f),
                                                    SdBox(p, {Wide / 2 + 0.04f, 0.5f}, {Wide / 2 + 0.04f, 0.5f})));
    case 'U':
      return SdUnion(SdIntersect(RoundBox(p, 0, 1), 0.45f - p.Y),
                     SdUnion(Stem(p, Stroke, 0, 0.55f), Stem(p, Wide - Stroke, 0, 0.55f)));
    case 'I': return Stem(p, Stroke, 0, 1);
    case 'N': {
      const float diagonal = SdBar(p, {Stroke, Stroke}, {Wide - Stroke, 1 - Stroke}, Stroke * 1.05f);
      return SdIntersect(SdUnion(SdUnion(Stem(p, Stroke, 0, 1), Stem(p, Wide - Stroke, 0, 1)), diagonal), cell);
    }
    case 'T':
      return SdUnion(SdBar(p, {Stroke, Stroke}, {Wide - Stroke, Stroke}, Stroke), Stem(p, Wide / 2, 0, 1));
    case 'A':
      return SdUnion(SdUnion(SdIntersect(RoundBox(p, 0, 1), p.Y - 0.55f),
                             SdUnion(Stem(p, Stroke, 0.45f, 1), Stem(p, Wide - Stroke, 0.45f, 1))),
                     SdBar(p, {Stroke, 0.6f}, {Wide - Stroke, 0.6f}, Stroke * 0.8f));
    case 'R': {
      const float bowl = RoundBox(p, 0, 0.6f);
      const float leg = SdBar(p, {Wide * 0.42f, 0.6f - Stroke}, {Wide - Stroke, 1 - Stroke}, Stroke);
      return SdIntersect(SdUnion(SdUnion(Stem(p, Stroke, 0, 1), bowl), leg), cell);
    }
  }
  return 1e9f;
}

// A word set with its cap line at `top`, centred on `centreX`, letters `height` pixels tall.
float SdWord(const std::string& word, TVec2 p, float centreX, float top, float height) {
  constexpr float Gap = 0.15f;
  float width = -Gap;
  for (char c : word) width += LetterWidth(c) + Gap;
  float x = centreX - width * height / 2;
  float d = 1e9f;
  for (char c : word) {
    TVec2 q{(p.X - x) / height, (p.Y - top) / height};
    q.X += (q.Y - 0.5f) * Slant;
    d = SdUnion(d, SdLetter(c, q) * height);
    x += (LetterWidth(c) + Gap) * height;
  }
  return d;
}

// ---- Title -------------------------------------------------------------------------------

constexpr int TitleWidth = 256, TitleHeight = 512;
constexpr TVec2 EmblemCentre{128, 148};

// The emblem: a ring round a delta fighter, with three swept feathers on each side.
float SdEmblem(TVec2 p) {
  static const std::vector<TVec2> delta = {{0, -46}, {34, 30}, {11, 18}, {0, 32}, {-11, 18}, {-34, 30}};
  static const std::vector<std::vector<TVec2>> feathers = [] {
    std::vector<std::vector<TVec2>> all;
    for (int i = 0; i < 3; ++i) {
      const float y = -16.0f + i * 15, length = 52.0f - i * 11, rise = 12.0f - i * 3;
      all.push_back({{66, y - 4}, {66 + length, y - 4 - rise}, {66 + length - 6, y + 4 - rise}, {66, y + 5}});
    }
    return all;
  }();
  const TVec2 q = p - EmblemCentre;
  float d = SdUnion(SdRing(q, {0, 0}, 58, 6), SdPolygon(q, delta));
  const TVec2 mirrored{std::fabs(q.X), q.Y};  // the feathers on the left mirror those on the right
  for (const auto& feather : feathers) d = SdUnion(d, SdPolygon(mirrored, feather));
  return d;
}

float SdTitle(TVec2 p) {
  float d = SdEmblem(p);
  d = SdUnion(d, SdWord("QUIN", p, 128, 282, 72));
  d = SdUnion(d, SdWord("TARA", p, 128, 372, 72));
  // A rule under the name with a diamond in its middle.
  d = SdUnion(d, SdBar(p, {40, 470}, {216, 470}, 1.2f));
  d = SdUnion(d, SdBox(Rotate(p, {128, 470}, Pi / 4), {128, 470}, {5, 5}));
  return d;
}

// Polished gold: a bright sky reflection above a dark horizon line, as chrome lettering has.
TColor GoldAt(float v) {
  return Gradient({{0.0f, Rgb(255, 242, 206)}, {0.42f, Palette::Amber}, {0.5f, Palette::Gold},
                   {0.56f, Rgb(140, 70, 20)}, {1.0f, Rgb(255, 196, 104)}},
                  v);
}

}  // namespace

TRgbaImage MakeTitle() {
  TCanvas canvas(TitleWidth, TitleHeight);
  PaintPixels(canvas, [&](float x, float y) {
    const TVec2 p{x, y};
    const float d = SdTitle(p);
    // The glow behind everything: warm, wide and faint, gone before the picture's edge.
    const float glow = 0.42f * std::exp(-std::max(d, 0.0f) / 6) + 0.14f * std::exp(-std::max(d, 0.0f) / 22);
    const float haze = 0.07f * std::exp(-Length(p - EmblemCentre) / 70);
    const float edgeFade = Smoothstep(0, 24, std::min(std::min(x, y), std::min(TitleWidth - x, TitleHeight - y)));
    TColor c = Scale(Palette::Ember, (glow + haze) * edgeFade);
    if (d > 1) return c;
    // Each element takes the gold gradient over its own height.
    float v;
    if (y < 240) v = (y - 90) / 120;
    else if (y < 362) v = (y - 282) / 72;
    else if (y < 455) v = (y - 372) / 72;
    else v = 0.3f;
    TColor face = GoldAt(Clamp01(v));
    const float lit = LightOf([&](TVec2 q) { return Smoothstep(0, 4, -SdTitle(q)) * 2.5f; }, p, 0.75f);
    face = Scale(face, Clampf(0.45f + 0.75f * lit / FlatLight, 0.3f, 1.25f));
    face = Mix(face, Palette::WhiteHot, 0.55f * Smoothstep(-2.2f, -1.0f, d) * Smoothstep(0.2f, -0.6f, d));
    face = {Clamp01(face.R), Clamp01(face.G), Clamp01(face.B), 1};
    return Mix(c, face, Coverage(d));
  });
  return canvas.ToImage(0x7171E);
}

TRgbaImage MakeMenuClouds() {
  constexpr int Side = 512;
  constexpr int Period = 3;  // noise cells across the tile
  constexpr uint32_t Seed = 0xC10D;
  auto density = [&](float x, float y) {
    const float u = x / Side * Period, v = y / Side * Period;
    // A gentle warp drags the billows into drifting streamers.
    const float wu = u + 0.22f * Fbm2(u + 5.2f, v + 1.3f, Seed + 2, 3, 0.5f, Period, Period);
    const float wv = v + 0.22f * Fbm2(u + 1.7f, v + 9.2f, Seed + 3, 3, 0.5f, Period, Period);
    return Fbm2(wu, wv, Seed, 6, 0.47f, Period, Period);
  };
  TCanvas canvas(Side, Side);
  PaintPixels(canvas, [&](float x, float y) {
    const float n = density(x, y);
    // A cloud edge that faces the upper left thins towards the light and catches it.
    const float towardsLight = density(x - 10, y - 10);
    const float lit = Clamp01(0.5f + (n - towardsLight) * 3.5f);
    const float body = Smoothstep(-0.2f, 0.5f, n);
    TColor c = Mix(Palette::Ink, Palette::Navy, Smoothstep(-0.6f, 0.0f, n));
    c = Mix(c, Palette::SteelDark, body);
    c = Mix(c, Palette::SteelLight, body * Smoothstep(0.45f, 0.85f, lit));
    c = Mix(c, Palette::Pale, body * Smoothstep(0.75f, 1.0f, lit) * 0.8f);
    return c;
  });
  // Wrap mode for the blur leaves the tile seamless.
  canvas.Blur(1.2f, true, true);
  return canvas.ToImage(Seed);
}

// ---- Buttons -----------------------------------------------------------------------------

namespace {

constexpr int ButtonWidth = 256, ButtonHeight = 128;
constexpr float FrameBand = 9;  // pixels of steel round the glass

// A rectangle with its corners cut square, as the title's letters are.
float SdButton(TVec2 p) {
  constexpr float Hx = 122, Hy = 54, Cut = 16;
  constexpr float Cx = ButtonWidth / 2.0f, Cy = ButtonHeight / 2.0f;
  static const std::vector<TVec2> outline = {
      {Cx - Hx + Cut, Cy - Hy}, {Cx + Hx - Cut, Cy - Hy}, {Cx + Hx, Cy - Hy + Cut}, {Cx + Hx, Cy + Hy - Cut},
      {Cx + Hx - Cut, Cy + Hy}, {Cx - Hx + Cut, Cy + Hy}, {Cx - Hx, Cy + Hy - Cut}, {Cx - Hx, Cy - Hy + Cut}};
  return SdPolygon(p, outline);
}

TCanvas PaintButtonFrame() {
  TCanvas canvas(ButtonWidth, ButtonHeight);
  // Shadow down and to the right.
  OverCentred(canvas, [&](TVec2 c) {
    const TVec2 p{(c.X + 1) * ButtonWidth / 2 - 3, (c.Y + 1) * ButtonHeight / 2 - 4};
    return WithAlpha(Palette::Ink, 0.6f * Coverage(SdButton(p)));
  });
  canvas.Blur(2.5f);
  PaintPixels(canvas, [&](float x, float y) {
    const TVec2 p{x, y};
    const float d = SdButton(p);
    TColor under = canvas.Get(static_cast<int>(x), static_cast<int>(y));
    if (d > 1) return under;
    TColor c;
    if (d > -FrameBand - 1) {
      // The steel band, rounded across its width.
      auto height = [&](TVec2 q) {
        const float u = Clamp01(-SdButton(q) / FrameBand);
        return std::pow(std::sin(Pi * u), 0.6f) * 4.0f;
      };
      const float lit = LightOf(height, p, 0.75f);
      c = Mix(Palette::Ink, Palette::SteelDark, Smoothstep(0.1f, 0.45f, lit));
      c = Mix(c, Palette::Steel, Smoothstep(0.45f, FlatLight + 0.05f, lit));
      c = Mix(c, Palette::SteelLight, Smoothstep(FlatLight + 0.05f, 0.97f, lit));
    }
    // Dark glass: lighter at the top, with a faint sheen across its upper half.
    const float v = y / ButtonHeight;
    TColor glass = Mix(Rgb(34, 52, 78), Palette::Ink, Smoothstep(0.15f, 0.9f, v));
    glass = Mix(glass, Rgb(70, 96, 124), 0.35f * Smoothstep(0.5f, 0.2f, v) * Smoothstep(0.1f, 0.25f, v));
    glass.A = 0.88f;
    // A teal line just inside the steel.
    const float line = Coverage(std::fabs(d + FrameBand + 3.5f) - 0.9f);
    glass = Mix(glass, WithAlpha(Palette::Teal, 1), line * 0.8f);
    const float steel = Coverage(-(d + FrameBand));  // 1 on the band, 0 on the glass
    c = Mix(glass, WithAlpha(c, 1), steel);
    // Composite over the shadow with the shape's own edge coverage.
    const float cover = Coverage(d);
    const float a = c.A * cover;
    const float outA = a + under.A * (1 - a);
    if (outA <= 0) return TColor{0, 0, 0, 0};
    return TColor{(c.R * a + under.R * under.A * (1 - a)) / outA, (c.G * a + under.G * under.A * (1 - a)) / outA,
                  (c.B * a + under.B * under.A * (1 - a)) / outA, outA};
  });
  return canvas;
}

// A bevelled chevron pointing right (direction +1) or left (-1) in the glass.
TRgbaImage PaintArrowButton(float direction) {
  TCanvas canvas = PaintButtonFrame();
  constexpr float Cx = ButtonWidth / 2.0f, Cy = ButtonHeight / 2.0f;
  const std::vector<TVec2> chevron = {{-20, -30}, {0, -30}, {28, 0}, {0, 30}, {-20, 30}, {8, 0}};
  auto sdf = [&](TVec2 p) { return SdPolygon({(p.X - Cx) * direction, p.Y - Cy}, chevron); };
  canvas.Shape(sdf, [&](TVec2 p, float d) {
    const float lit = LightOf([&](TVec2 q) { return Smoothstep(0, 4, -sdf(q)) * 2.5f; }, p, 0.75f);
    TColor c = Mix(Palette::TealDeep, Palette::Teal, Smoothstep(0.3f, FlatLight, lit));
    c = Mix(c, Palette::Pale, Smoothstep(FlatLight, 0.97f, lit));
    return c;
  });
  return canvas.ToImage(direction > 0 ? 0xB7A : 0xB71);
}

}  // namespace

TRgbaImage MakeButton() { return PaintButtonFrame().ToImage(0xB70); }
TRgbaImage MakeButtonLeft() { return PaintArrowButton(-1); }
TRgbaImage MakeButtonRight() { return PaintArrowButton(1); }
