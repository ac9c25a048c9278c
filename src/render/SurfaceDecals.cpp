// SurfaceDecals.cpp — textures laid over the terrain cells under a rectangle: aircraft shadows
// (multiplied into the ground) and light pools (blended or added).
#include "render/Surface.h"

#include "core/ConfigUnit.h"
#include "platform/GLTable.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int CellCorners[6][2] = {{0, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}};

}  // namespace

int32_t TSurf::FillDecal(float x, float y, float sizeX, float sizeY, float r, float g, float b, float a) {
  DecalCount = 0;
  // Grid coordinates start TerrainBorder cells before the world origin.
  const float gx = x + static_cast<float>(TerrainBorder) * CellSizeX;
  const float gy = y + static_cast<float>(TerrainBorder) * CellSizeY;
  const float c0f = std::trunc((gx - sizeX / 2) / CellSizeX), c1f = std::trunc((gx + sizeX / 2) / CellSizeX);
  const float r0f = std::trunc((gy - sizeY / 2) / CellSizeY), r1f = std::trunc((gy + sizeY / 2) / CellSizeY);
  if (!(c1f >= 0 && r1f >= 0 && c0f <= Width - 2 && r0f <= Height - 2)) return 0;  // off the grid (or NaN)
  // Cut to the cells that exist, so no vertex outside the grid is read.
  const int32_t c0 = static_cast<int32_t>(std::max(c0f, 0.0f)), c1 = static_cast<int32_t>(std::min(c1f, Width - 2.0f));
  const int32_t r0 = static_cast<int32_t>(std::max(r0f, 0.0f)), r1 = static_cast<int32_t>(std::min(r1f, Height - 2.0f));
  const float left = x - sizeX / 2, bottom = y - sizeY / 2;
  for (int32_t row = r0; row <= r1; ++row)
    for (int32_t column = c0; column <= c1; ++column) {
      // Whole cells only: a decal larger than the buffer loses its last cells, never memory.
      if (DecalCount + 6 > DecalCapacity) return DecalCount;
      for (const auto& corner : CellCorners) {
        TDecalVertex& d = Decal[DecalCount++];
        d.Position = Vertices[Index(row + corner[1], column + corner[0])].Position;
        d.Color[0] = r;
        d.Color[1] = g;
        d.Color[2] = b;
        d.Color[3] = a;
        d.TexCoord[0] = (d.Position.x - left) / sizeX;
        d.TexCoord[1] = (d.Position.y - bottom) / sizeY;
      }
    }
  return DecalCount;
}

void TSurf::DrawDecal(int32_t texture, int colorSize, const float border[4]) {
  if (DecalCount == 0 || texture < 0 || static_cast<size_t>(texture) >= Textures.size()) return;
  constexpr GLsizei stride = sizeof(TDecalVertex);
  GL.EnableClientState(GL_VERTEX_ARRAY);
  GL.EnableClientState(GL_COLOR_ARRAY);
  GL.EnableClientState(GL_TEXTURE_COORD_ARRAY);
  GL.DisableClientState(GL_NORMAL_ARRAY);
  GL.VertexPointer(3, GL_FLOAT, stride, &Decal[0].Position);
  GL.ColorPointer(colorSize, GL_FLOAT, stride, Decal[0].Color);
  GL.TexCoordPointer(2, GL_FLOAT, stride, Decal[0].TexCoord);
  GL.Disable(GL_LIGHTING);
  GL.Enable(GL_BLEND);
  GL.BindTexture(GL_TEXTURE_2D, Textures[texture]);
  // Outside the decal's rectangle the texture must not repeat: the border colour leaves the
  // ground as it is.
  GL.TexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
  const GLint wrap = BorderClampSupported ? GL_CLAMP_TO_BORDER : GL_CLAMP;
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  GL.DrawArrays(GL_TRIANGLES, 0, DecalCount);
  GL.DisableClientState(GL_COLOR_ARRAY);
  GL.Enable(GL_LIGHTING);
  GL.Disable(GL_BLEND);
}

void TSurf::DrawShadowDecal(int32_t texture, float x, float y, float sizeX, float sizeY, float r, float g, float b,
                            float a) {
  FillDecal(x, y, sizeX, sizeY, r, g, b, a);
  static constexpr float white[4] = {1, 1, 1, 1};
  GL.BlendFunc(GL_ZERO, GL_SRC_COLOR);  // the ground is multiplied by the shadow texture
  DrawDecal(texture, 3, white);
}

void TSurf::DrawLightDecal(int32_t texture, bool additive, float x, float y, float sizeX, float sizeY, float r,
                           float g, float b, float a) {
  FillDecal(x, y, sizeX, sizeY, r, g, b, a);
  static constexpr float clear[4] = {0, 0, 0, 0};
  GL.BlendFunc(GL_SRC_ALPHA, additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
  DrawDecal(texture, 4, clear);
}
