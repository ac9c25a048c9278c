// Model.h — the forge's mesh builder: lofts, lathes, bevelled boxes, extrusions and mirrored
// halves, mapped onto a model's own texture atlas and turned into .msh data.
//
// Conventions: model space has +Y up; aircraft and missiles point their nose toward -Z,
// vehicles and troopers face +Z. Triangles are wound counter-clockwise seen from outside
// (OpenGL's front faces, so (b - a) x (c - a) points out). Texture coordinates follow OpenGL:
// v = 0 is the bottom row of the picture.
//
// Smoothing: the game's loader averages the normals of every two vertices whose positions are
// exactly equal. The builder therefore shares vertices only inside one *surface* (a loft band,
// one face of a box), and moves a vertex that another surface already put at the same place a
// hair (ModelWeldGap) toward its own triangle, so edges between surfaces stay crisp.
//
// Debris: the game flies every three consecutive triangles of a group apart as one piece, so
// Build orders each group's triangles into triples of neighbours.
#pragma once

#include "core/MshFile.h"
#include "core/VectMath.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

constexpr float ModelWeldGap = 0.002f;

struct TUv {
  float U = 0, V = 0;
};

// A rectangle of the atlas in texture coordinates; s runs left to right, t bottom to top.
struct TUvRect {
  float U0 = 0, V0 = 0, U1 = 1, V1 = 1;
  TUv At(float s, float t) const { return {U0 + (U1 - U0) * s, V0 + (V1 - V0) * t}; }
};

// A 3 x 4 affine transform: columns X, Y, Z and the translation T.
struct TXform {
  TVector X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, T{0, 0, 0};

  TVector Point(const TVector& p) const { return T + X * p.x + Y * p.y + Z * p.z; }
  TVector Direction(const TVector& d) const { return X * d.x + Y * d.y + Z * d.z; }
  float Determinant() const;
  TXform operator*(const TXform& inner) const;  // this after inner

  static TXform Translation(const TVector& t);
  static TXform RotationX(float radians);
  static TXform RotationY(float radians);
  static TXform RotationZ(float radians);
  static TXform Scaling(const TVector& s);
  // Unit scale, origin at `from`, local +Y pointing at `to`.
  static TXform Along(const TVector& from, const TVector& to);
};

// One point of a lathe profile: radius from the axis, height along it. A sharp point starts a
// new surface, so the profile gets a crisp edge there.
struct TProfilePoint {
  float R = 0, H = 0;
  bool Sharp = false;
};

// Planar rings and sections.
struct TPoint2 {
  float X = 0, Y = 0;
};

// A closed ring of n points around `centre` in the XY plane (z = centre.z): half width, height
// above and below, and a superellipse power (2 round, higher squarer). It starts at the bottom
// and runs up the +X side first.
std::vector<TVector> EllipseRing(int n, const TVector& centre, float halfWidth, float top, float bottom,
                                 float power = 2.0f);
// A closed airfoil ring of n points (n even): chord along `chordAxis` from `leading`, thickness
// along `thickAxis`, thickest a third of the chord back.
std::vector<TVector> AirfoilRing(int n, const TVector& leading, const TVector& chordAxis, float chord,
                                 const TVector& thickAxis, float thickness);
// Where a loft's t around an airfoil ring falls along the chord: 0 at the leading edge, 1 at the
// trailing edge, on either surface (t below 0.5 is the thickAxis side).
inline float AirfoilChord(float t) { return 0.5f - 0.5f * std::cos(6.28318531f * t); }

struct TLoftOptions {
  bool Closed = true;        // the ring wraps around
  bool CapStart = false;     // close the first ring with a fan
  bool CapEnd = false;       // and the last
  bool SymmetricT = false;   // t goes 0 -> 1 -> 0 around the ring, so mirrored halves share texels
  TUvRect Uv;                // s along the rings (by arc length), t around them
  TUvRect CapUv{0, 0, 0, 0};  // caps sample one texel of this rect's centre when set
};

class TModel {
public:
  // Later triangles go to the group of this texture (created on first use, kept in order).
  void Group(const std::string& textureName);
  // Later triangles smooth together until the next call; each primitive starts its own.
  void NewSurface();

  void Push();
  void Pop();
  void Transform(const TXform& t);  // applied before the current one
  void Translate(const TVector& t) { Transform(TXform::Translation(t)); }
  void RotateX(float radians) { Transform(TXform::RotationX(radians)); }
  void RotateY(float radians) { Transform(TXform::RotationY(radians)); }
  void RotateZ(float radians) { Transform(TXform::RotationZ(radians)); }
  void Scale(const TVector& s) { Transform(TXform::Scaling(s)); }
  const TXform& Current() const { return Stack.back(); }

  // Runs `body` as it is and again mirrored across x = 0 (winding kept outward).
  void Mirrored(const std::function<void()>& body);

  // Raw faces in local coordinates, counter-clockwise from the front. A triangle with no area
  // is dropped.
  void Triangle(TVector a, TVector b, TVector c, TUv ta, TUv tb, TUv tc);
  void Quad(TVector a, TVector b, TVector c, TVector d, TUv ta, TUv tb, TUv tc, TUv td);
  // The same, wound so that the face's normal points along `outward` (local coordinates).
  void TriangleFacing(TVector a, TVector b, TVector c, TUv ta, TUv tb, TUv tc, const TVector& outward);
  void QuadFacing(TVector a, TVector b, TVector c, TVector d, TUv ta, TUv tb, TUv tc, TUv td,
                  const TVector& outward);

  // Bands between consecutive rings of equal length, faced away from each ring's centre.
  void Loft(const std::vector<std::vector<TVector>>& rings, const TLoftOptions& options);
  // A profile turned about the local Y axis in `segments` steps; profiles run from the bottom
  // centre outward and up (the outside is to the right of the walk). s around, t along.
  void Lathe(const std::vector<TProfilePoint>& profile, int segments, const TUvRect& uv, float startAngle = 0);
  // A cone frustum from a (radius ra) to b (radius rb), capped at both ends when `caps`: struts,
  // barrels, cables, limbs. Mapped as a lathe.
  void Cylinder(const TVector& a, const TVector& b, float ra, float rb, int segments, const TUvRect& uv,
                bool caps = true);
  // An axis-aligned box with chamfered edges of width `bevel`; faces flat, chamfers rounded.
  // Face rects in the order +X, -X, +Y, -Y, +Z, -Z, each stretched over its face (s along the
  // face's horizontal, t up; for +Y and -Y s follows x and t follows -z).
  void Box(const TVector& lo, const TVector& hi, float bevel, const TUvRect (&faces)[6]);
  void Box(const TVector& lo, const TVector& hi, float bevel, const TUvRect& all);
  // A simple polygon in the XY plane (either winding) extruded from z = z0 to z = z1: caps
  // mapped by the polygon's bounds, sides by perimeter and depth.
  void Extrude(const std::vector<TPoint2>& polygon, float z0, float z1, const TUvRect& capUv,
               const TUvRect& sideUv, bool smoothSides = false);

  size_t TriangleCount() const { return Tris.size(); }

  // One frame of positions for every corner, in emission order (for animated meshes).
  struct TTri {
    TVector P[3];
    TUv Uv[3];
    int Group = 0;
    int Surface = 0;
  };
  const std::vector<TTri>& Triangles() const { return Tris; }
  const std::vector<std::string>& Groups() const { return GroupNames; }

private:
  void Emit(const TVector& a, const TVector& b, const TVector& c, TUv ta, TUv tb, TUv tc);

  std::vector<TXform> Stack = std::vector<TXform>(1);
  std::vector<std::string> GroupNames;
  int CurrentGroup = -1;
  int CurrentSurface = 0;
  int SurfaceCount = 1;
  std::vector<TTri> Tris;
};

// A static mesh: shared vertices per surface, welded gaps, debris-ordered groups. Throws
// TFileError (naming `header`) when the model is empty or cannot be written.
TMsh BuildMesh(const TModel& model, const std::string& header);

// An animated mesh: frames[a][f] is key frame f of animation a; every frame must come from the
// same sequence of builder calls (same triangles, groups and surfaces), only the positions
// differ. frames[0][0] is the rest pose; the mapping is taken from it.
TMsh BuildAnimatedMesh(const std::vector<std::vector<TModel>>& frames, const std::string& header);
