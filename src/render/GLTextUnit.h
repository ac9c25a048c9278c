// GLTextUnit.h — text labels drawn with the bitmap font: 256 glyph quads in display lists.
#pragma once

#include "render/GLVisualObjectUnit.h"

#include <cstdint>
#include <string>

// The font image "ArialBold.cna": a 16 x 16 grid of glyph cells, character code c at column
// c mod 16 and row c div 16 from the top.
extern int32_t FontTexture;
extern uint32_t FontLists;  // first of 256 display lists, one per character code

void BuildFont();
void DeleteFont();

class TGLLabel : public TGLVisualObject {
public:
  TGLLabel(int32_t fontTexture, float x, float y, uint8_t layer);
  void Draw() override;

  int32_t FontTexture;
  std::string Caption;  // code page 1250, one glyph per byte
  float X, Y;           // top-left of the first glyph
  float Size = 0.5f;    // glyph cell width and height
  float Advance = 0.8f; // distance between glyph origins, in cells
  // Components above 1 are clamped by OpenGL, so the defaults are opaque white and black.
  float TextColor[4] = {255.0f, 255.0f, 255.0f, 255.0f};
  float BackColor[4] = {0.0f, 0.0f, 0.0f, 255.0f};
  bool HasBackground = false;
};
