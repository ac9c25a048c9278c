// Surface.cpp — loading the terrain (border, vertices, shading, cell textures and planes), the
// ground-height query and the three drawing paths.
#include "render/Surface.h"

#include "core/ConfigUnit.h"
#include "platform/GLTable.h"

#include <algorithm>
#include <cmath>

namespace {

// The sun never leaves a slope darker than this.
constexpr float AmbientShade = 0.3f;

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return std::max(lo, std::min(v, hi)); }

// Bump names are the colour names with a "b" in front, held in a 13-byte record.
std::string BumpName(const std::string& name) { return ("b" + name).substr(0, 13); }

using TClientActiveTexture = void(GLAPIENTRY*)(GLenum);

// Unit 1 needs its own texture-coordinate array on the bump path. Looked up per frame rather
// than once per process, because headless and real contexts may follow each other.
TClientActiveTexture FindClientActiveTexture() {
  if (IsNullGL()) return nullptr;
  void* p = GetGLProcAddress("glClientActiveTexture");
  if (!p) p = GetGLProcAddress("glClientActiveTextureARB");
  return reinterpret_cast<TClientActiveTexture>(p);
}

}  // namespace

TSurfIO::TSurfIO(const TSrf& file) {
  Width = static_cast<uint8_t>(file.Width + 2 * TerrainBorder);
  Height = static_cast<uint8_t>(file.Height + 2 * TerrainBorder);
  CellSizeX = file.CellSizeX;
  CellSizeY = file.CellSizeY;
  HeightScale = file.HeightScale;
  TextureCount = static_cast<int32_t>(file.TextureNames.size());
  TextureNames = file.TextureNames;
  BlendFlags = file.BlendFlags;
  Cells.resize(static_cast<size_t>(Width) * Height);
  // Every cell copies the nearest file cell, so the ground runs on past the map's edge.
  for (int32_t r = 0; r < Height; ++r)
    for (int32_t c = 0; c < Width; ++c)
      Cells[static_cast<size_t>(r) * Width + c] =
          file.Cell(Clamp(r - TerrainBorder, 0, file.Height - 1), Clamp(c - TerrainBorder, 0, file.Width - 1));
}

TSurfIO TSurfIO::ReadFromFile(const std::string& path) { return TSurfIO(ReadSrfFile(path)); }

TSurf::TSurf(const std::string& path, const TSurfSettings& settings) : Settings(settings) {
  Build(TSurfIO::ReadFromFile(path));
}

TSurf::TSurf(const TSrf& file, const TSurfSettings& settings) : Settings(settings) {
  ValidateSrf(file, "terrain");
  Build(TSurfIO(file));
}

void TSurf::Progress(float fraction) const {
  if (Settings.Progress) Settings.Progress(fraction);
}

void TSurf::Build(const TSurfIO& io) {
  Width = io.Width;
  Height = io.Height;
  CellSizeX = io.CellSizeX;
  CellSizeY = io.CellSizeY;
  HeightScale = io.HeightScale;
  TextureCount = io.TextureCount;
  Vertices.assign(static_cast<size_t>(Width) * Height, TSurfVertex{});
  for (int32_t r = 0; r < Height; ++r)
    for (int32_t c = 0; c < Width; ++c) {
      TSurfVertex& v = Vertices[Index(r, c)];
      const TSrfCell& cell = io.Cell(r, c);
      v.Position = {static_cast<float>(c - TerrainBorder) * CellSizeX, static_cast<float>(r - TerrainBorder) * CellSizeY,
                    static_cast<float>(cell.HeightStep) * HeightScale};
      v.Normal = cell.Normal;
    }
  FirstPass();
  LoadAlphaMaps();
  SecondPass(io);
  Tree = std::make_unique<TSurfTree>(*this, 0, Width - 1, 0, Height - 1);
  Progress(1.0f);
}

void TSurf::FirstPass() {
  for (int32_t r = 0; r < Height; ++r) {
    Progress(0.2f * static_cast<float>(r) / static_cast<float>(Height - 1));
    for (int32_t c = 0; c < Width; ++c) {
      TSurfVertex& v = Vertices[Index(r, c)];
      // The shade compares the ground's own (world) normal with the world sun; it must be taken
      // before the bump path turns the normal into the sun's space, or every sunward slope
      // under a low sun would fall to the floor.
      const float s = std::max(VectorDot(v.Normal, Settings.LightDirection), AmbientShade);
      v.Shade = {s, s, s};
      // The bump path lights in the sun's space, so its normals are turned there once.
      if (Settings.BumpMapping) MatrixRotateVector(v.Normal, Settings.LightSpaceMatrix, v.Normal);
      v.One = 1.0f;
      v.TexCoord[0] = static_cast<float>(c);
      v.TexCoord[1] = static_cast<float>(r);
    }
  }
}

void TSurf::SecondPass(const TSurfIO& io) {
  TSeamSources sources;
  for (int32_t r = 0; r <= Height - 2; ++r) {
    Progress(0.2f + 0.3f * static_cast<float>(r) / static_cast<float>(Height - 2));
    for (int32_t c = 0; c <= Width - 2; ++c) {
      TSurfVertex& v = Vertices[Index(r, c)];
      const uint8_t own = io.Cell(r, c).Texture;
      const bool outerRing = r < 1 || c < 1 || r >= Height - 2 || c >= Width - 2;
      std::optional<TSeam> seam;
      if (!outerRing)
        seam = SelectSeam(own, io.Cell(r, c - 1).Texture, io.Cell(r - 1, c - 1).Texture, io.Cell(r - 1, c).Texture,
                          io.BlendFlags);
      if (seam) {
        const std::string& first = io.TextureNames[seam->First];
        const std::string& second = io.TextureNames[seam->Second];
        v.TextureIndex = Blend(first, second, seam->Pattern, sources);
        if (Settings.BumpMapping) v.BumpIndex = Blend(BumpName(first), BumpName(second), seam->Pattern, sources);
      } else {
        v.TextureIndex = LoadTexture(io.TextureNames[own]);
        if (Settings.BumpMapping) v.BumpIndex = LoadTexture(BumpName(io.TextureNames[own]));
      }
      const TVector& p = v.Position;
      const TVector& right = Vertices[Index(r, c + 1)].Position;
      const TVector& up = Vertices[Index(r + 1, c)].Position;
      const TVector& diagonal = Vertices[Index(r + 1, c + 1)].Position;
      PlaneFromPoints(p, diagonal, up, v.PlaneA);
      PlaneFromPoints(p, right, diagonal, v.PlaneB);
    }
  }
}

TVector TSurf::GroundPoint(float x, float y) const {
  // Points off the grid use its outermost cells rather than reading past the vertices.
  const int32_t column = Clamp(static_cast<int32_t>(std::trunc(x / CellSizeX)) + TerrainBorder, 0, Width - 2);
  const int32_t row = Clamp(static_cast<int32_t>(std::trunc(y / CellSizeY)) + TerrainBorder, 0, Height - 2);
  const TSurfVertex& v = Vertices[Index(row, column)];
  const float dx = x - v.Position.x;
  const float dy = y - v.Position.y;
  const TPlane& plane = dy >= dx ? v.PlaneA : v.PlaneB;
  TVector ground{x, y, 0};
  // Both planes face upwards, so a vertical line always meets them.
  IntersectLinePlane({x, y, 0}, {0, 0, 1}, plane, ground);
  return ground;
}

void TSurf::Draw(const TFrustum& frustum, const TVector& eye) {
  DrawnParts = DrawnTriangles = 0;
  const bool scattering = Settings.TerrainFlag;
  const bool bump = !scattering && Settings.BumpMapping && GL.ActiveTexture;
  ClientActiveTexture = bump ? reinterpret_cast<void*>(FindClientActiveTexture()) : nullptr;
  GL.EnableClientState(GL_VERTEX_ARRAY);
  GL.EnableClientState(GL_TEXTURE_COORD_ARRAY);
  GL.Enable(GL_TEXTURE_2D);
  if (scattering) {
    GL.DisableClientState(GL_NORMAL_ARRAY);
    GL.EnableClientState(GL_COLOR_ARRAY);
    GL.Disable(GL_LIGHTING);
    GL.Disable(GL_FOG);
  } else {
    GL.EnableClientState(GL_NORMAL_ARRAY);
    // The bump path feeds the per-vertex light vector to the DOT3 combiner as colour.
    if (bump)
      GL.EnableClientState(GL_COLOR_ARRAY);
    else
      GL.DisableClientState(GL_COLOR_ARRAY);
    GL.Enable(GL_FOG);
    if (bump)
      GL.Disable(GL_LIGHTING);
    else
      GL.Enable(GL_LIGHTING);
  }
  if (bump) BeginBumpParts();
  if (Tree) DrawNode(*Tree, frustum, eye);
  if (bump) EndBumpParts();
  GL.DisableClientState(GL_COLOR_ARRAY);
  GL.DisableClientState(GL_NORMAL_ARRAY);
  GL.Enable(GL_LIGHTING);
  GL.Disable(GL_FOG);
}

// Nearest quarter first, farthest last: the software rasteriser tests depth before it shades,
// so ground hidden behind nearer ground is then rejected before it is textured and lit. The
// quarters are 0 low x low y, 1 high x, 2 high y, 3 both; the eye's side of the node's middle
// picks the nearest, its neighbours follow and the opposite quarter comes last.
void TSurf::DrawNode(TSurfTree& node, const TFrustum& frustum, const TVector& eye) {
  if (!frustum.BoxInFrustum(node.Corners)) return;
  if (!node.IsLeaf) {
    const float middleX = 0.5f * (node.Corners[0].x + node.Corners[2].x);
    const float middleY = 0.5f * (node.Corners[0].y + node.Corners[2].y);
    const int nearest = (eye.x >= middleX ? 1 : 0) | (eye.y >= middleY ? 2 : 0);
    // Of the two neighbours, the one across the nearer middle line goes first.
    const bool xCloser = std::fabs(eye.x - middleX) <= std::fabs(eye.y - middleY);
    const int order[4] = {nearest, nearest ^ (xCloser ? 1 : 2), nearest ^ (xCloser ? 2 : 1), nearest ^ 3};
    for (const int k : order)
      if (TSurfTree* child = node.Children[static_cast<size_t>(k)].get()) DrawNode(*child, frustum, eye);
    return;
  }
  for (TSurfMeshPart& part : node.Parts) DrawPart(part, eye);
}

void TSurf::DrawPart(TSurfMeshPart& part, const TVector& eye) {
  if (part.Vertices.empty()) return;
  ++DrawnParts;
  DrawnTriangles += static_cast<int32_t>(part.Vertices.size() / 3);
  constexpr GLsizei stride = sizeof(TSurfVertex);
  const TSurfVertex* first = part.Vertices.data();
  const GLsizei count = static_cast<GLsizei>(part.Vertices.size());
  GL.VertexPointer(3, GL_FLOAT, stride, &first->Position);
  GL.TexCoordPointer(2, GL_FLOAT, stride, first->TexCoord);

  if (Settings.TerrainFlag) {
    for (TSurfVertex& v : part.Vertices) {
      TVector extinction{1, 1, 1};
      v.Inscatter = {0, 0, 0};
      if (Settings.Scatter) Settings.Scatter(v.Position, eye, v.Inscatter, extinction);
      v.Color = {extinction.x * v.Shade.x, extinction.y * v.Shade.y, extinction.z * v.Shade.z};
    }
    GL.BindTexture(GL_TEXTURE_2D, Textures[part.TextureIndex]);
    GL.ColorPointer(3, GL_FLOAT, stride, &first->Color);
    GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    GL.TexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_MODULATE);
    GL.TexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_PRIMARY_COLOR_ARB);
    GL.TexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_TEXTURE);
    GL.DrawArrays(GL_TRIANGLES, 0, count);
    GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // The light scattered in on the way to the eye is added on top of the lit ground.
    GL.Disable(GL_TEXTURE_2D);
    GL.Enable(GL_BLEND);
    GL.BlendFunc(GL_ONE, GL_ONE);
    GL.ColorPointer(3, GL_FLOAT, stride, &first->Inscatter);
    GL.DrawArrays(GL_TRIANGLES, 0, count);
    GL.Enable(GL_TEXTURE_2D);
    GL.Disable(GL_BLEND);
    return;
  }

  GL.NormalPointer(GL_FLOAT, stride, &first->Normal);
  if (!Settings.BumpMapping || !GL.ActiveTexture) {
    GL.BindTexture(GL_TEXTURE_2D, Textures[part.TextureIndex]);
    GL.DrawArrays(GL_TRIANGLES, 0, count);
    return;
  }

  if (!BumpProgram) {
    // Without a vertex program the normal, biased into colour range, is the DOT3 operand.
    for (TSurfVertex& v : part.Vertices)
      v.Color = {0.8f + v.Normal.x / 3, 0.8f + v.Normal.y / 3, 0.8f + v.Normal.z / 3};
  }
  GL.ColorPointer(3, GL_FLOAT, stride, &first->Color);
  const auto clientActive = reinterpret_cast<TClientActiveTexture>(ClientActiveTexture);
  if (clientActive) {
    clientActive(GL_TEXTURE1_ARB);
    GL.TexCoordPointer(2, GL_FLOAT, stride, first->TexCoord);
    clientActive(GL_TEXTURE0_ARB);
  }
  GL.ActiveTexture(GL_TEXTURE0_ARB);
  GL.BindTexture(GL_TEXTURE_2D, Textures[part.BumpIndex]);
  GL.ActiveTexture(GL_TEXTURE1_ARB);
  GL.BindTexture(GL_TEXTURE_2D, Textures[part.TextureIndex]);
  GL.DrawArrays(GL_TRIANGLES, 0, count);
}

// The bump parts share every state but their two textures and arrays: the bump map DOT3'd with
// the light vector on unit 0, the ground texture modulating it on unit 1, and the program that
// computes the light vector. Set once for the whole terrain, each part then costs the driver
// two texture binds instead of a full revalidation.
void TSurf::BeginBumpParts() {
  BumpProgram = VertexProgramSupported && Settings.BindBumpProgram && Settings.UnbindBumpProgram;
  if (BumpProgram) Settings.BindBumpProgram();
  GL.ActiveTexture(GL_TEXTURE0_ARB);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_DOT3_RGB_ARB);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_PRIMARY_COLOR_ARB);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_TEXTURE);
  GL.ActiveTexture(GL_TEXTURE1_ARB);
  GL.Enable(GL_TEXTURE_2D);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  if (const auto clientActive = reinterpret_cast<TClientActiveTexture>(ClientActiveTexture)) {
    clientActive(GL_TEXTURE1_ARB);
    GL.EnableClientState(GL_TEXTURE_COORD_ARRAY);
    clientActive(GL_TEXTURE0_ARB);
  }
}

void TSurf::EndBumpParts() {
  if (BumpProgram) Settings.UnbindBumpProgram();
  if (const auto clientActive = reinterpret_cast<TClientActiveTexture>(ClientActiveTexture)) {
    clientActive(GL_TEXTURE1_ARB);
    GL.DisableClientState(GL_TEXTURE_COORD_ARRAY);
    clientActive(GL_TEXTURE0_ARB);
  }
  GL.ActiveTexture(GL_TEXTURE1_ARB);
  GL.Disable(GL_TEXTURE_2D);
  GL.ActiveTexture(GL_TEXTURE0_ARB);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}
