// MeshUnit.h — TMesh: a model prepared from validated .msh data, drawn in its owner's space, with hit tests.
//
// Conventions: everything is in mesh coordinates; the owner pushes its model transform before
// any draw and transforms points into mesh space before a hit test. The first frame of the
// first animation is the rest pose: normals, collision planes and the drawn arrays start from
// it. Times are milliseconds (Counter.Elapsed), velocities units per millisecond.
#pragma once

#include "core/MshFile.h"
#include "core/Quaternion.h"
#include "core/VectMath.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The interleaved vertex handed to OpenGL with stride 88; the draw passes point into it by the
// offsets below, so the layout is fixed.
struct TMeshVertex {
  TVector Position;
  TVector SunNormal;  // minus the normal rotated by the light-space matrix (bump light vector)
  TVector Normal;     // smoothed unit normal
  std::array<float, 4> Color;
  std::array<float, 4> ShadowColor;
  TVector Velocity;   // debris velocity, units per millisecond
  std::array<float, 2> TexCoord;
};
static_assert(sizeof(TMeshVertex) == 88);
static_assert(offsetof(TMeshVertex, SunNormal) == 12);
static_assert(offsetof(TMeshVertex, Normal) == 24);
static_assert(offsetof(TMeshVertex, Color) == 36);
static_assert(offsetof(TMeshVertex, ShadowColor) == 52);
static_assert(offsetof(TMeshVertex, Velocity) == 68);
static_assert(offsetof(TMeshVertex, TexCoord) == 80);

// The face plane, then three edge planes whose normals point into the triangle: a point of the
// face plane is inside when all three edge values are >= 0.
struct TTrianglePlanes {
  TPlane Face;
  std::array<TPlane, 3> Edges;
};

struct TVertexGroup {
  std::string Name;            // texture file name with extension; empty: drawn untextured
  int32_t TextureIndex = 0;    // into Textures
  int32_t BumpIndex = 0;       // into Textures; left at 0 when the group has no bump map
  int32_t IndexCount = 0;
  std::vector<int32_t> VertexIndices;
  std::vector<int32_t> TexCoordIndices;
  std::vector<TVector> Normals;       // smoothed normal per corner
  std::vector<TMeshVertex> Vertices;  // one per corner: the group is drawn as plain triangles
};

struct TColorGroup {
  int32_t Count = 0;
  std::vector<int32_t> Values;
};

struct TMeshAnim {
  int32_t FrameCount = 0;
  std::vector<TMshFrame> Frames;
  std::vector<std::vector<TTrianglePlanes>> FramePlanes;  // per frame, per triangle in group order
};

// The vertex programs as the mesh passes use them. TVertexShader (VSUnit.h) implements it; the
// mesh only calls it when VertexProgramSupported is set.
class TMeshPrograms {
public:
  // The point-light program with the lights that reach the position; false, with nothing
  // bound, when none does.
  virtual bool BindLights(const TVector& worldPosition) = 0;
  virtual void BindBump(const TMatrix& m) = 0;  // the diffuse-bump program
  virtual void Unbind() = 0;

protected:
  ~TMeshPrograms() = default;
};

// What the draw passes need from the units above the mesh; the level owns one and hands it to
// its actors.
struct TMeshScene {
  float FogStart = 1.0f;  // the mission's fog distances, applied when bump mapping is on
  float FogEnd = 0.0f;
  TMeshPrograms* Programs = nullptr;  // null: no point-light pass, bump colours on the CPU
  // The ambient colour the level gave GL_LIGHT0: DrawFrame brightens it for a key-frame model
  // and puts this back, instead of reading the light state back from the driver.
  std::array<float, 4> Light0Ambient{0.0f, 0.0f, 0.0f, 1.0f};
};

class TMesh {
public:
  // Reads the file through the process-wide cache, so every owner gets its own copy of a model
  // parsed and prepared once; looks up the group textures and draws fresh debris velocities.
  // lightSpace is the atmosphere's light-space matrix (it orients SunNormal). Throws
  // TFileError; on failure the mesh is left as it was.
  void LoadFromFile(const std::string& path, const TMatrix& lightSpace);
  // The same from data already in memory (validated first, naming nameForErrors); no cache.
  void Load(const TMsh& msh, const TMatrix& lightSpace, const std::string& nameForErrors = "mesh");

  // The segment start..end against the rest pose's triangles: true with t of the nearest
  // crossing in [0, 1) (a hit exactly at the end does not count); t = 1 when nothing is hit.
  bool SegmentHit(const TVector& start, const TVector& end, float& t) const;
  // True when b, moved along a - b onto a triangle's plane, lands inside that triangle while b
  // lies within radius of the plane.
  bool SphereHit(const TVector& a, const TVector& b, float radius) const;

  // The world position chooses the point lights. Every draw assumes the model transform is set.
  void Draw(const TVector& position, const TMeshScene& scene);
  // Blends frame towards the next (frame 0 after the last) by t; does nothing for an animation
  // or frame that does not exist. Normals and planes stay those of the rest pose.
  void DrawFrame(int32_t anim, int32_t frame, float t, const TVector& position, const TMeshScene& scene);
  void DrawBump(const TVector& position, const TQuaternion& orientation, const TMeshScene& scene);
  // Moves every three-triangle piece on by its velocity (accelerated by acceleration, units per
  // ms²) over Counter.Elapsed and draws it. Permanent: the rest pose is not restored.
  void DrawDebris(const TVector& acceleration, const TMeshScene& scene);
  void DrawShadow();  // flat dark-grey silhouette for the shadow images

  uint8_t HasGlow = 0;  // the last named group's texture was a .cna: glow pass for all groups
  std::string Header;
  int32_t VertexCount = 0;
  int32_t TexCoordCount = 0;
  std::vector<TMshTexCoord> TexCoords;
  std::vector<std::array<float, 4>> Colors;  // per vertex; DrawFrame copies them to the corners
  int32_t GroupCount = 0;
  std::vector<TVertexGroup> Groups;
  int32_t TriangleCount = 0;
  std::vector<TTrianglePlanes> TrianglePlanes;  // rest pose, group order
  int32_t ColorGroupCount = 0;
  std::vector<TColorGroup> ColorGroups;
  int32_t AnimCount = 0;
  std::vector<TMeshAnim> Anims;
  float BoundingRadius = 0.0f;  // around the mesh origin, over every frame of every animation

private:
  void PrepareGeometry(const TMsh& msh);
  void LookUpTextures();
  void ScatterDebris();
  void SetSunNormals(const TMatrix& lightSpace);
  void BeginFog(const TMeshScene& scene) const;
  void EndFog() const;
  void PointLightPass(const TVertexGroup& group, const TVector& position, const TMeshScene& scene) const;
  void GlowPass(const TVertexGroup& group) const;
};

// The unit normal of the triangle p0, p1, p2 (counter-clockwise front), zero when degenerate.
TVector FaceNormal(const TVector& p0, const TVector& p1, const TVector& p2);
// The four planes of one triangle.
TTrianglePlanes MakeTrianglePlanes(const TVector& p0, const TVector& p1, const TVector& p2);

// Smoothing across split vertices. For every pair a < b (a, then b ascending) of vertices whose
// positions are exactly equal: acc[a] += acc[b], then acc[b] := acc[a]. Pairs of different
// positions never touch the same accumulator, so the vertices are grouped by position with a
// hash and the pairs are walked within each group, giving bit for bit the result of the
// all-pairs walk in time linear in the vertex count (quadratic only in a group's size).
void SmoothSplitVertices(const std::vector<TVector>& positions, std::vector<TVector>& acc);

// The process-wide cache of prepared models by path. Levels clear it when the data may change.
void ClearMeshCache();
size_t MeshCacheSize();
