// MeshUnit.cpp — TMesh loading: normals, smoothing, collision planes, textures, debris velocities, the model cache.
#include "render/MeshUnit.h"

#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/Random.h"
#include "core/Texture.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <unordered_map>

namespace {

// Spread of the debris speeds: each axis gets (R1 - R2) times this, units per millisecond.
constexpr float DebrisSpeed = 0.15f;
// Corners per debris piece: three triangles fly as one.
constexpr int32_t DebrisPieceCorners = 9;
constexpr std::array<float, 4> White{1.0f, 1.0f, 1.0f, 1.0f};
constexpr std::array<float, 4> ShadowGrey{0.2f, 0.2f, 0.2f, 1.0f};

// Exact-equality key of a position: +0 and -0 compare equal, so both map to +0's bits.
// Validated data holds no NaN, whose bits could otherwise differ while never comparing equal.
struct TPositionKey {
  uint32_t x, y, z;
  friend bool operator==(const TPositionKey&, const TPositionKey&) = default;
};

uint32_t KeyBits(float f) { return f == 0.0f ? 0u : std::bit_cast<uint32_t>(f); }

struct TPositionHash {
  size_t operator()(const TPositionKey& k) const {
    uint64_t h = k.x;
    h = h * 0x9E3779B97F4A7C15ull ^ k.y;
    h = h * 0x9E3779B97F4A7C15ull ^ k.z;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

// Prepared models without textures, velocities or sun normals: those depend on the texture
// table, the random sequence and the light of the mission that loads them.
std::unordered_map<std::string, std::shared_ptr<const TMesh>> MeshCache;

std::string TextureBase(const std::string& name) { return name.substr(0, name.find('.')); }

}  // namespace

TVector FaceNormal(const TVector& p0, const TVector& p1, const TVector& p2) {
  TVector n;
  VectorCross(p1 - p0, p2 - p0, n);
  VectorNormalize(n, n);
  return n;
}

TTrianglePlanes MakeTrianglePlanes(const TVector& p0, const TVector& p1, const TVector& p2) {
  const TVector n = FaceNormal(p0, p1, p2);
  TVector e1, e2, e3;
  VectorCross(n, p1 - p0, e1);
  VectorCross(n, p2 - p1, e2);
  VectorCross(n, p0 - p2, e3);
  TTrianglePlanes planes;
  PlaneFromPointNormal(p0, n, planes.Face);
  PlaneFromPointNormal(p0, e1, planes.Edges[0]);
  PlaneFromPointNormal(p1, e2, planes.Edges[1]);
  PlaneFromPointNormal(p2, e3, planes.Edges[2]);
  return planes;
}

void SmoothSplitVertices(const std::vector<TVector>& positions, std::vector<TVector>& acc) {
  const size_t count = positions.size();
  // Chain every vertex to the next one of equal position; walking vertices in ascending order
  // keeps every chain ascending, which is the order the pair walk visits them in.
  std::vector<int32_t> next(count, -1);
  std::vector<int32_t> tail(count, -1);
  std::vector<bool> isHead(count, false);
  std::unordered_map<TPositionKey, int32_t, TPositionHash> heads;
  heads.reserve(count);
  for (size_t k = 0; k < count; ++k) {
    const TVector& p = positions[k];
    const auto [it, inserted] = heads.try_emplace(TPositionKey{KeyBits(p.x), KeyBits(p.y), KeyBits(p.z)},
                                                  static_cast<int32_t>(k));
    if (inserted) {
      isHead[k] = true;
      tail[k] = static_cast<int32_t>(k);
      continue;
    }
    const int32_t head = it->second;
    next[static_cast<size_t>(tail[static_cast<size_t>(head)])] = static_cast<int32_t>(k);
    tail[static_cast<size_t>(head)] = static_cast<int32_t>(k);
  }
  std::vector<int32_t> members;
  for (size_t h = 0; h < count; ++h) {
    if (!isHead[h] || next[h] < 0) continue;
    members.clear();
    for (int32_t k = static_cast<int32_t>(h); k >= 0; k = next[static_cast<size_t>(k)]) members.push_back(k);
    for (size_t i = 0; i < members.size(); ++i) {
      TVector& a = acc[static_cast<size_t>(members[i])];
      for (size_t j = i + 1; j < members.size(); ++j) {
        TVector& b = acc[static_cast<size_t>(members[j])];
        a = a + b;
        b = a;
      }
    }
  }
}

void TMesh::PrepareGeometry(const TMsh& msh) {
  HasGlow = 0;
  Header = msh.Header;
  TexCoords = msh.TexCoords;
  TexCoordCount = static_cast<int32_t>(TexCoords.size());
  const TMshFrame& rest = msh.RestPose();
  VertexCount = static_cast<int32_t>(rest.size());
  Colors.assign(rest.size(), White);

  Groups.clear();
  Groups.reserve(msh.Groups.size());
  for (const TMshGroup& g : msh.Groups) {
    TVertexGroup group;
    group.Name = g.Name;
    group.VertexIndices = g.VertexIndices;
    group.TexCoordIndices = g.TexCoordIndices;
    group.IndexCount = static_cast<int32_t>(g.VertexIndices.size());
    Groups.push_back(std::move(group));
  }
  GroupCount = static_cast<int32_t>(Groups.size());
  TriangleCount = static_cast<int32_t>(msh.TriangleCount());

  ColorGroups.clear();
  for (const std::vector<int32_t>& values : msh.ColorGroups)
    ColorGroups.push_back({static_cast<int32_t>(values.size()), values});
  ColorGroupCount = static_cast<int32_t>(ColorGroups.size());

  Anims.clear();
  BoundingRadius = 0.0f;
  for (const TMshAnim& a : msh.Anims) {
    TMeshAnim anim;
    anim.Frames = a.Frames;
    anim.FrameCount = static_cast<int32_t>(a.Frames.size());
    for (const TMshFrame& frame : a.Frames) {
      std::vector<TTrianglePlanes> planes;
      planes.reserve(static_cast<size_t>(TriangleCount));
      for (const TVertexGroup& group : Groups)
        for (size_t i = 0; i + 2 < group.VertexIndices.size(); i += 3)
          planes.push_back(MakeTrianglePlanes(frame[static_cast<size_t>(group.VertexIndices[i])],
                                              frame[static_cast<size_t>(group.VertexIndices[i + 1])],
                                              frame[static_cast<size_t>(group.VertexIndices[i + 2])]));
      anim.FramePlanes.push_back(std::move(planes));
      for (const TVector& v : frame) BoundingRadius = std::max(BoundingRadius, VectorLength(v));
    }
    Anims.push_back(std::move(anim));
  }
  AnimCount = static_cast<int32_t>(Anims.size());
  TrianglePlanes = Anims[0].FramePlanes[0];

  // Face normals summed per vertex in corner order, then merged across split vertices.
  std::vector<TVector> acc(rest.size(), TVector{0.0f, 0.0f, 0.0f});
  for (TVertexGroup& group : Groups) {
    group.Vertices.resize(group.VertexIndices.size());
    for (size_t i = 0; i < group.VertexIndices.size(); ++i) {
      TMeshVertex& v = group.Vertices[i];
      v.Position = rest[static_cast<size_t>(group.VertexIndices[i])];
      v.Color = White;
      v.ShadowColor = ShadowGrey;
      v.Velocity = {0.0f, 0.0f, 0.0f};
      const TMshTexCoord& tc = TexCoords[static_cast<size_t>(group.TexCoordIndices[i])];
      v.TexCoord = {tc.u, tc.v};
      if (i % 3 != 0) continue;
      const size_t k0 = static_cast<size_t>(group.VertexIndices[i]);
      const size_t k1 = static_cast<size_t>(group.VertexIndices[i + 1]);
      const size_t k2 = static_cast<size_t>(group.VertexIndices[i + 2]);
      const TVector n = FaceNormal(rest[k0], rest[k1], rest[k2]);
      acc[k0] += n;
      acc[k1] += n;
      acc[k2] += n;
    }
  }
  SmoothSplitVertices(rest, acc);
  for (TVector& n : acc) VectorNormalize(n, n);
  for (TVertexGroup& group : Groups) {
    group.Normals.resize(group.VertexIndices.size());
    for (size_t i = 0; i < group.VertexIndices.size(); ++i) {
      const TVector& n = acc[static_cast<size_t>(group.VertexIndices[i])];
      group.Normals[i] = n;
      group.Vertices[i].Normal = n;
    }
  }
}

void TMesh::LookUpTextures() {
  // Which file a group uses depends on what the texture directory holds: a .cna (with glow)
  // beats a .bmp, and .jpg is the last resort, loaded without a check so that it fails loudly.
  for (TVertexGroup& group : Groups) {
    if (group.Name.empty()) continue;
    const std::string base = TextureBase(group.Name);
    if (FileExists(TextureDir + base + ".cna")) {
      group.TextureIndex = LoadTexture(base + ".cna");
      HasGlow = 1;
    } else if (FileExists(TextureDir + base + ".bmp")) {
      group.TextureIndex = LoadTexture(base + ".bmp");
      HasGlow = 0;
    } else {
      group.TextureIndex = LoadTexture(base + ".jpg");
      HasGlow = 0;
    }
    const std::string bump = "b" + group.Name;
    if (FileExists(TextureDir + bump)) group.BumpIndex = LoadTexture(bump);
  }
}

void TMesh::ScatterDebris() {
  for (TVertexGroup& group : Groups)
    for (size_t i = 0; i < group.Vertices.size(); i += DebrisPieceCorners) {
      // Six draws in this order, so a seeded run bursts the same way every time.
      const float r1 = RandomFloat(), r2 = RandomFloat(), r3 = RandomFloat();
      const float r4 = RandomFloat(), r5 = RandomFloat(), r6 = RandomFloat();
      const TVector velocity{(r1 - r2) * DebrisSpeed, (r3 - r4) * DebrisSpeed, (r5 - r6) * DebrisSpeed};
      const size_t end = std::min(group.Vertices.size(), i + DebrisPieceCorners);
      for (size_t c = i; c < end; ++c) group.Vertices[c].Velocity = velocity;
    }
}

void TMesh::SetSunNormals(const TMatrix& lightSpace) {
  for (TVertexGroup& group : Groups)
    for (TMeshVertex& v : group.Vertices) {
      TVector rotated;
      MatrixRotateVector(v.Normal, lightSpace, rotated);
      v.SunNormal = -rotated;
    }
}

void TMesh::Load(const TMsh& msh, const TMatrix& lightSpace, const std::string& nameForErrors) {
  ValidateMsh(msh, nameForErrors);
  TMesh mesh;
  mesh.PrepareGeometry(msh);
  mesh.LookUpTextures();
  mesh.ScatterDebris();
  mesh.SetSunNormals(lightSpace);
  *this = std::move(mesh);
}

void TMesh::LoadFromFile(const std::string& path, const TMatrix& lightSpace) {
  std::shared_ptr<const TMesh>& cached = MeshCache[path];
  if (!cached) {
    try {
      auto prepared = std::make_shared<TMesh>();
      prepared->PrepareGeometry(ReadMshFile(path));
      cached = std::move(prepared);
    } catch (...) {
      MeshCache.erase(path);
      throw;
    }
  }
  TMesh mesh = *cached;
  mesh.LookUpTextures();
  mesh.ScatterDebris();
  mesh.SetSunNormals(lightSpace);
  *this = std::move(mesh);
}

void ClearMeshCache() { MeshCache.clear(); }

size_t MeshCacheSize() { return MeshCache.size(); }
