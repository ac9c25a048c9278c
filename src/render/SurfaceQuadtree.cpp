// SurfaceQuadtree.cpp — the terrain's quadtree: leaves of at most 256 triangles grouped by
// texture, inner nodes split in four, and the bounding boxes the frustum culls with.
#include "render/Surface.h"

#include <algorithm>

namespace {

// The two triangles of cell (x, y) as grid points (column, row), in the order every leaf and
// decal lays them down.
constexpr int CellCorners[6][2] = {{0, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}};

TSurfMeshPart& PartFor(std::vector<TSurfMeshPart>& parts, const TSurfVertex& cell, bool bump) {
  for (TSurfMeshPart& part : parts)
    if (part.TextureIndex == cell.TextureIndex) return part;
  TSurfMeshPart& part = parts.emplace_back();
  part.TextureIndex = cell.TextureIndex;
  if (bump) part.BumpIndex = cell.BumpIndex;
  return part;
}

}  // namespace

// The parts are made in the order their textures first appear, each with room for all of its
// cells, so filling them never moves a vertex array.
void TSurfTree::ReserveParts(const TSurf& s) {
  std::vector<size_t> cells;
  for (int32_t y = Y0; y < Y1; ++y)
    for (int32_t x = X0; x < X1; ++x) {
      const TSurfMeshPart& part = PartFor(Parts, s.Vertices[s.Index(y, x)], s.Settings.BumpMapping);
      const size_t k = static_cast<size_t>(&part - Parts.data());
      if (k == cells.size()) cells.push_back(0);
      ++cells[k];
    }
  for (size_t k = 0; k < Parts.size(); ++k) Parts[k].Vertices.reserve(cells[k] * std::size(CellCorners));
}

TSurfTree::TSurfTree(const TSurf& s, int32_t x0, int32_t x1, int32_t y0, int32_t y1)
    : X0(x0), X1(x1), Y0(y0), Y1(y1) {
  TriangleCount = (X1 - X0) * (Y1 - Y0) * 2;
  const TVector& p00 = s.Vertices[s.Index(Y0, X0)].Position;
  const TVector& p11 = s.Vertices[s.Index(Y1, X1)].Position;
  const float xs[4] = {p00.x, p11.x, p11.x, p00.x};
  const float ys[4] = {p00.y, p00.y, p11.y, p11.y};
  float top = 0, bottom = 0;

  if (TriangleCount <= SurfLeafTriangles) {
    IsLeaf = true;
    const float f = s.Settings.TextureScale;
    ReserveParts(s);
    for (int32_t y = Y0; y < Y1; ++y)
      for (int32_t x = X0; x < X1; ++x) {
        TSurfMeshPart& part = PartFor(Parts, s.Vertices[s.Index(y, x)], s.Settings.BumpMapping);
        for (const auto& corner : CellCorners) {
          const int32_t i = x + corner[0], j = y + corner[1];
          TSurfVertex copy = s.Vertices[s.Index(j, i)];
          // Scale 1 stretches the texture over each cell; larger scales span f x f cells.
          copy.TexCoord[0] = f == 1 ? static_cast<float>(corner[0]) : static_cast<float>(i) / f;
          copy.TexCoord[1] = f == 1 ? static_cast<float>(corner[1]) : static_cast<float>(j) / f;
          part.Vertices.push_back(copy);
        }
      }
    top = 0;
    bottom = s.HeightScale * 255;
    for (int32_t y = Y0; y <= Y1; ++y)
      for (int32_t x = X0; x <= X1; ++x) {
        const float z = s.Vertices[s.Index(y, x)].Position.z;
        top = std::max(top, z);
        bottom = std::min(bottom, z);
      }
  } else {
    const int32_t xm = (X0 + X1) / 2, ym = (Y0 + Y1) / 2;
    // Neighbours share their border points, so no cell is left out between them.
    Children[0] = std::make_unique<TSurfTree>(s, X0, xm, Y0, ym);
    Children[1] = std::make_unique<TSurfTree>(s, xm, X1, Y0, ym);
    Children[2] = std::make_unique<TSurfTree>(s, X0, xm, ym, Y1);
    Children[3] = std::make_unique<TSurfTree>(s, xm, X1, ym, Y1);
    top = s.HeightScale * 256;
    bottom = 0;
  }
  for (int k = 0; k < 4; ++k) {
    Corners[k] = {xs[k], ys[k], top};
    Corners[k + 4] = {xs[k], ys[k], bottom};
  }
}
