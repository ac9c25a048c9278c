// GLSpriteUnit.h — textured, coloured rectangles of the overlay that can be clicked.
#pragma once

#include "core/VectMath.h"
#include "render/GLVisualObjectUnit.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TGLSprite;
using TSpriteEvent = std::function<void(TGLSprite& sender, int button)>;

class TGLSprite : public TGLVisualObject {
public:
  TGLSprite(uint8_t layer, float x, float y, float z, float width, float height, float texExtent,
            float r, float g, float b, float a);
  ~TGLSprite() override;

  // Loads the image through the texture cache and appends it as the next animation frame.
  void AddFrame(const std::string& fileName);
  void Draw() override;
  bool MouseDown(int button, float dirX, float dirY) override;
  bool MouseUp(int button, float dirX, float dirY) override;

  // Whether the ray from the eye along (dirX, dirY, 1) passes strictly inside the rectangle
  // where it was last drawn.
  bool HitTest(float dirX, float dirY) const;

  TMatrix ModelView{};  // captured at the last draw
  float X, Y, Z;
  float Width, Height;
  float TexExtent;      // texture coordinate at the far edges
  float Color[4];
  std::vector<int32_t> Frames;
  int32_t FrameCount = 0;
  int32_t CurrentFrame = 0;
  std::vector<std::string> FrameNames;
  TSpriteEvent OnMouseDown;
  TSpriteEvent OnMouseUp;
};
