// ShadowAtlas.cpp — one render target for a pass of silhouettes, emptied into their textures.
#include "render/ShadowAtlas.h"

#include <algorithm>

namespace {

// Sixteen squares of the default 256-pixel map: more than a frame usually renders.
constexpr int32_t AtlasLargestSide = 1024;

}  // namespace

bool TShadowAtlas::Begin(int32_t side) {
  if (Unusable || !GL.BindFramebuffer || side <= 0) return false;
  if ((side != Side || Framebuffer == 0) && !Make(side)) return false;
  GL.BindFramebuffer(GL_FRAMEBUFFER, Framebuffer);
  GL.Enable(GL_SCISSOR_TEST);
  return true;
}

bool TShadowAtlas::Make(int32_t side) {
  Release();
  PerRow = std::max(1, AtlasLargestSide / side);
  Side = side;
  GL.GenTextures(1, &Texture);
  GL.BindTexture(GL_TEXTURE_2D, Texture);
  GL.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, PerRow * side, PerRow * side, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  // Copies need a complete texture, and this one has no mip levels.
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  GL.GenFramebuffers(1, &Framebuffer);
  GL.BindFramebuffer(GL_FRAMEBUFFER, Framebuffer);
  GL.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, Texture, 0);
  const bool complete = GL.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  GL.BindFramebuffer(GL_FRAMEBUFFER, 0);
  if (complete) return true;
  Release();
  Unusable = true;
  return false;
}

void TShadowAtlas::Place(GLuint texture) {
  if (static_cast<int32_t>(Pending.size()) >= Squares()) Flush();
  const int32_t square = static_cast<int32_t>(Pending.size());
  const TPending next{texture, square % PerRow * Side, square / PerRow * Side};
  GL.Viewport(next.X, next.Y, Side, Side);
  GL.Scissor(next.X, next.Y, Side, Side);
  Pending.push_back(next);
}

// The first copy waits for the atlas to be drawn; the rest are memory copies.
void TShadowAtlas::Flush() {
  for (const TPending& p : Pending)
    GL.CopyImageSubData(Texture, GL_TEXTURE_2D, 0, p.X, p.Y, 0, p.Texture, GL_TEXTURE_2D, 0, 0, 0, 0, Side, Side, 1);
  Pending.clear();
}

// The copies are made here, as the pass ends and while the atlas is still the render target:
// llvmpipe then finishes its drawing before copying out of it, and the textures match the
// screen path byte for byte. Copies left until later in the frame (an attempt to let the ground
// be queued before waiting) gave a few different shadow pixels, even behind a glFinish.
void TShadowAtlas::End() {
  Flush();
  GL.BindFramebuffer(GL_FRAMEBUFFER, 0);
  GL.Disable(GL_SCISSOR_TEST);
}

void TShadowAtlas::Release() {
  if (Framebuffer != 0 && GL.DeleteFramebuffers) GL.DeleteFramebuffers(1, &Framebuffer);
  if (Texture != 0 && GL.DeleteTextures) GL.DeleteTextures(1, &Texture);
  Framebuffer = Texture = 0;
  Side = PerRow = 0;
  Pending.clear();
}
