// GLTextUnit.cpp — the bitmap font and text labels.
#include "render/GLTextUnit.h"

#include "core/Texture.h"
#include "platform/GLTable.h"

int32_t FontTexture = -1;
uint32_t FontLists = 0;

namespace {
constexpr int GlyphCount = 256;
constexpr float CellsPerRow = 16.0f;
}  // namespace

void BuildFont() {
  FontTexture = LoadTexture("ArialBold.cna");
  FontLists = GL.GenLists(GlyphCount);
  for (int c = 0; c < GlyphCount; ++c) {
    const float column = static_cast<float>(c % 16);
    const float row = static_cast<float>(15 - c / 16);  // texture rows count from the bottom
    const float s0 = column / CellsPerRow, s1 = (column + 1) / CellsPerRow;
    const float t0 = row / CellsPerRow, t1 = (row + 1) / CellsPerRow;
    // The cell spans one unit right and one unit down from the glyph's origin.
    GL.NewList(FontLists + static_cast<uint32_t>(c), GL_COMPILE);
    GL.Begin(GL_QUADS);
    GL.TexCoord2f(s0, t0);
    GL.Vertex2f(0, -1);
    GL.TexCoord2f(s1, t0);
    GL.Vertex2f(1, -1);
    GL.TexCoord2f(s1, t1);
    GL.Vertex2f(1, 0);
    GL.TexCoord2f(s0, t1);
    GL.Vertex2f(0, 0);
    GL.End();
    GL.EndList();
  }
}

void DeleteFont() {
  if (FontLists != 0) GL.DeleteLists(FontLists, GlyphCount);
  FontLists = 0;
}

TGLLabel::TGLLabel(int32_t fontTexture, float x, float y, uint8_t layer)
    : TGLVisualObject(layer), FontTexture(fontTexture), X(x), Y(y) {}

void TGLLabel::Draw() {
  const float n = static_cast<float>(Caption.size());
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.Enable(GL_BLEND);
  GL.Disable(GL_LIGHTING);
  if (HasBackground) {
    GL.PushMatrix();
    GL.Translatef(X, Y, 0);
    GL.Scalef(Size, Size, 0);
    GL.Disable(GL_TEXTURE_2D);
    GL.Color4fv(BackColor);
    GL.Begin(GL_QUADS);
    GL.Vertex2f(0, 0);
    GL.Vertex2f(0, -1);
    GL.Vertex2f(n * Advance, -1);
    GL.Vertex2f(n * Advance, 0);
    GL.End();
    GL.PopMatrix();
    GL.Enable(GL_TEXTURE_2D);
  }
  GL.Color4fv(TextColor);
  const bool hasFont = FontTexture >= 0 && static_cast<size_t>(FontTexture) < Textures.size();
  for (size_t i = 0; i < Caption.size() && hasFont; ++i) {
    GL.PushMatrix();
    GL.Translatef(X + static_cast<float>(i) * Size * Advance, Y, 0);
    GL.Scalef(Size, Size, 0);
    GL.BindTexture(GL_TEXTURE_2D, Textures[FontTexture]);
    GL.CallList(FontLists + static_cast<uint8_t>(Caption[i]));
    GL.PopMatrix();
  }
  GL.Disable(GL_BLEND);
  GL.Enable(GL_LIGHTING);
}
