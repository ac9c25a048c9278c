// ModelTexture.h — painting a model's texture atlas: regions painted as surfaces (colour, relief,
// glow), turned into the colour picture (alpha = glow) and its bump map.
//
// Conventions: an atlas region is given in pixels with y down, as pictures are stored; its
// painter is called with (s, t) in 0..1, s to the right and t *up*, matching the TUvRect that
// Region hands to the mesh builder. Relief is a height in texels: 1 is one texel up. The bump
// map stores the surface normal as colour (0.5 + 0.5 n), x along s, y along t, z out of the
// surface, so a flat texel is (128, 128, 255).
#pragma once

#include "content/Model.h"
#include "content/Paint.h"
#include "core/PngFile.h"

#include <functional>
#include <string>
#include <vector>

struct TSurface {
  TColor Color;        // albedo, alpha ignored
  float Height = 0;    // relief in texels
  float Glow = 0;      // 0..1: how much the glow pass lights this texel (windows, glass, exhausts)
};

using TSurfacePainter = std::function<TSurface(float s, float t)>;

struct TAtlasRegion {
  int X = 0, Y = 0, W = 0, H = 0;  // pixels, top-left origin; keep regions 8 apart
  TSurfacePainter Paint;
};

struct TPaintedTexture {
  TRgbaImage Color;  // RGB albedo, A glow
  TRgbaImage Bump;   // normal map, opaque
};

class TAtlas {
public:
  TAtlas(int width, int height) : Width(width), Height(height) {}
  // The texture-coordinate rect of a pixel rectangle.
  TUvRect Rect(int x, int y, int w, int h) const;
  int Width, Height;
};

// Paints every region (and a few texels of margin around it, clamped to its edge, so mipmaps
// do not pull in the neighbours) over `background`. `relief` scales heights into the normals.
TPaintedTexture PaintAtlas(const TAtlas& atlas, const std::vector<TAtlasRegion>& regions, const TSurface& background,
                           float relief, uint32_t ditherSeed);

// ---- Material helpers: small pure functions the model painters combine ------------------------

// 0 on a line of a grid of cells `cellS` x `cellT` (in the same units as s and t), rising to 1
// within `width` of it: multiply colours by a darkening and heights by a groove.
float GridLine(float s, float t, float cellS, float cellT, float width);
// 1 at the centre of rivets spaced `step` along lines of the grid (cells as above), 0 elsewhere.
float Rivets(float s, float t, float cellS, float cellT, float step, float radius);
// Broad smooth noise 0..1 for grime and weathering.
float Grime(float s, float t, float scale, uint32_t seed);
// Colour darkened by a weathering amount 0..1.
TColor Weathered(TColor c, float amount);
// Painted sheet metal in panels of cellU x cellV (same units as u, v): dark grooves with rivets
// beside them and weathering by `grime` 0..1.
TSurface PanelledMetal(TColor base, float u, float v, float cellU, float cellV, float grime, uint32_t seed);
// Seams of an envelope or panels: height and darkening along a line every `step` in u.
float Seam(float u, float step, float width);
