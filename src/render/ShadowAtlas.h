// ShadowAtlas.h — the silhouettes of one shadow pass rendered side by side into a single texture,
// then copied into each shadow's own texture.
//
// Why: a silhouette rendered into the screen's frame buffer and copied out of it makes the
// copy a render of its own, and a software renderer queues every render target change as a
// separate batch of work; a dozen dynamic shadows then stall the frame before anything else is
// drawn. One target for the whole pass keeps it to one batch, and the copies out of it are
// plain memory copies once that batch is done. The shadow textures stay as they were, so
// nothing that draws them changes.
#pragma once

#include "platform/GLTable.h"

#include <cstdint>
#include <vector>

class TShadowAtlas {
public:
  // No OpenGL call on destruction: the context may be gone by then; Release frees.
  TShadowAtlas() = default;
  TShadowAtlas(const TShadowAtlas&) = delete;
  TShadowAtlas& operator=(const TShadowAtlas&) = delete;

  // Starts a pass of squares `side` pixels wide: the atlas becomes the render target. False,
  // with the screen still the target, when the driver cannot render into textures.
  bool Begin(int32_t side);
  // Viewport and scissor onto the next free square, whose picture goes to `texture` (a texture
  // of the pass's side) when the pass ends; a full atlas is emptied into its textures first.
  void Place(GLuint texture);
  // Copies every square into its texture and gives the screen back as the render target.
  void End();
  // Frees the atlas texture and frame buffer (the next Begin makes them again).
  void Release();

private:
  int32_t Squares() const { return PerRow * PerRow; }
  struct TPending {
    GLuint Texture;
    int32_t X, Y;
  };
  bool Make(int32_t side);
  void Flush();

  GLuint Texture = 0;
  GLuint Framebuffer = 0;
  int32_t Side = 0;    // of one square
  int32_t PerRow = 0;  // squares along each edge
  bool Unusable = false;  // the driver refused the frame buffer once: never asked again
  std::vector<TPending> Pending;
};
