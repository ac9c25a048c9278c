// ArtScene.h — a small 3D painter for the intro pictures: a ray-marched mountain height field
// under a sky, and flat-shaded meshes (aircraft, airships) drawn into the same view.
//
// Conventions: world z is up; a camera looks along Forward with Right and Up completing a
// right-handed frame; screen y grows downwards as in pictures. Lengths are arbitrary world
// units; the light is a unit vector towards the sun.
#pragma once

#include "content/Paint.h"

#include <array>
#include <functional>
#include <vector>

struct TVec3 {
  float X = 0, Y = 0, Z = 0;
};
inline TVec3 operator+(TVec3 a, TVec3 b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
inline TVec3 operator-(TVec3 a, TVec3 b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
inline TVec3 operator*(TVec3 a, float s) { return {a.X * s, a.Y * s, a.Z * s}; }
inline float Dot(TVec3 a, TVec3 b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
inline TVec3 Cross(TVec3 a, TVec3 b) {
  return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
inline float Length(TVec3 a) { return std::sqrt(Dot(a, a)); }
inline TVec3 Normalize(TVec3 a) { return a * (1.0f / std::max(Length(a), 1e-12f)); }

class TCamera {
public:
  // Looking from `eye` towards `target` with a vertical field of view in degrees, for a
  // picture of width x height pixels.
  TCamera(TVec3 eye, TVec3 target, float fovYDegrees, int width, int height);

  TVec3 Ray(float px, float py) const;  // unit direction through pixel position (px, py)
  // Screen position (x, y) in pixels and distance along Forward; false behind the eye.
  bool Project(TVec3 p, float& sx, float& sy, float& depth) const;

  TVec3 Eye, Forward, Right, Up;

private:
  float TanHalf, Aspect;
  int Width, Height;
};

// A square height field that repeats: heights in world units over `Extent` world units. The
// side `size` must be a power of two.
class THeightField {
public:
  THeightField(int size, float extent);
  float& At(int i, int j) { return Heights[static_cast<size_t>(j) * Size + i]; }
  float At(int i, int j) const { return Heights[static_cast<size_t>(j) * Size + i]; }
  float HeightAt(float x, float y) const;  // bilinear, wrapping
  TVec3 NormalAt(float x, float y) const;

  int Size;
  float Extent;

private:
  float Scale;  // cells per world unit
  int Mask;
  std::vector<float> Heights;
};

// Worn ridged mountains of up to `peak` units, with broad valleys below `valley` of the peak.
THeightField MakeMountains(int size, float extent, float peak, uint32_t seed);

struct TLandscapeLook {
  TVec3 Sun;                 // towards the sun
  TColor SunLight;           // colour of direct light
  TColor SkyLight;           // colour of the light from the sky dome
  TColor Rock, Grass, Snow;  // albedo
  float SnowLine = 0;        // height above which flat ground keeps snow
  float TreeLine = 0;        // height below which it is green
  float FogDensity = 0;      // per world unit at height 0
  float FogFalloff = 1;      // height over which the haze thins by e
  // The colour seen along a ray that meets nothing: sky, sun and clouds.
  std::function<TColor(TVec3 direction)> Sky;
  // The haze colour along a ray; usually the sky near the horizon, brighter towards the sun.
  std::function<TColor(TVec3 direction)> Haze;
};

// The landscape and sky through every pixel. Pixels on a silhouette are sampled four times.
// Depth receives the distance along each pixel's ray (a large number for the sky).
void RenderLandscape(TCanvas& canvas, std::vector<float>& depth, const THeightField& field,
                     const TCamera& camera, const TLandscapeLook& look);

// Fog of the look applied to a colour seen `distance` along `direction` from `eye`.
TColor ApplyHaze(const TLandscapeLook& look, TVec3 eye, TVec3 direction, float distance, TColor color);

struct TMesh {
  std::vector<TVec3> Points;
  std::vector<std::array<int, 3>> Triangles;
  std::vector<TColor> Albedo;  // one per triangle

  int AddPoint(TVec3 p);
  void AddTriangle(int a, int b, int c, TColor albedo);
  void AddQuad(int a, int b, int c, int d, TColor albedo);
  // Both sides of a flat polygon (a fan from its first point), for fins and wings.
  void AddPanel(const std::vector<TVec3>& outline, TColor albedo);
};

// A body of revolution along x: radius(t) for t in 0..1 from nose to tail, `sides` facets round.
void AddHull(TMesh& mesh, TVec3 nose, float length, int rings, int sides,
             const std::function<float(float)>& radius, TColor albedo);

// Draws the mesh, hidden surfaces removed, supersampled 4 x 4 for clean edges, over the canvas.
// `shade(point, normal, albedo)` lights every sample with the normal turned towards the eye;
// the albedo's alpha reaches it unchanged (free to mark a material), the result's is ignored.
void RenderMesh(TCanvas& canvas, const TMesh& mesh, const TCamera& camera,
                const std::function<TColor(TVec3, TVec3, TColor)>& shade);
