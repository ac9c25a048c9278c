// ArtPalette.h — the one palette and the one light every generated picture is painted with.
//
// Cool steel and night blue for frames and shadows, a teal accent for the instruments, warm
// amber and ember for light, fire and the title. Light always falls from the upper left.
#pragma once

#include "content/Paint.h"

namespace Palette {

constexpr TColor Ink = Rgb(9, 13, 22);
constexpr TColor Navy = Rgb(20, 30, 50);
constexpr TColor SteelDark = Rgb(44, 58, 77);
constexpr TColor Steel = Rgb(98, 118, 140);
constexpr TColor SteelLight = Rgb(178, 198, 216);
constexpr TColor Pale = Rgb(234, 241, 247);
constexpr TColor Teal = Rgb(86, 200, 218);
constexpr TColor TealDeep = Rgb(26, 92, 112);
constexpr TColor Amber = Rgb(255, 178, 74);
constexpr TColor Gold = Rgb(200, 124, 38);
constexpr TColor Ember = Rgb(230, 86, 30);
constexpr TColor Blood = Rgb(120, 26, 14);
constexpr TColor WhiteHot = Rgb(255, 246, 222);

// Dusk, for the intro pictures and the warm skies.
constexpr TColor DuskIndigo = Rgb(30, 30, 72);
constexpr TColor DuskViolet = Rgb(92, 62, 110);
constexpr TColor DuskRose = Rgb(204, 116, 102);
constexpr TColor DuskAmber = Rgb(250, 176, 98);

}  // namespace Palette

// Light from the upper left and a little in front: x right, y down (as in pictures), z out of
// the picture towards the viewer. Unit length.
constexpr float LightX = -0.5f, LightY = -0.5f, LightZ = 0.70711f;

// How much a surface with slope (dx, dy) of its height (in pixels per pixel, y down) faces the
// light: 1 facing it squarely, 0 at right angles or turned away.
inline float Lambert(float slopeX, float slopeY) {
  const float nx = -slopeX, ny = -slopeY, nz = 1;
  const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
  return Clamp01((nx * LightX + ny * LightY + nz * LightZ) / len);
}

// The light a raised surface catches at p, from its height (in the same units as p) by central
// differences `step` apart.
template <class THeight>
float LightOf(const THeight& height, TVec2 p, float step) {
  const float sx = (height(TVec2{p.X + step, p.Y}) - height(TVec2{p.X - step, p.Y})) / (2 * step);
  const float sy = (height(TVec2{p.X, p.Y + step}) - height(TVec2{p.X, p.Y - step})) / (2 * step);
  return Lambert(sx, sy);
}

// A flat surface facing the viewer catches this much of the light.
constexpr float FlatLight = LightZ;
