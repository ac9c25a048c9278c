// GLSpriteUnit.cpp — overlay sprites: drawing with their captured matrix, and hit tests.
#include "render/GLSpriteUnit.h"

#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/GLTable.h"

#include <cmath>

TGLSprite::TGLSprite(uint8_t layer, float x, float y, float z, float width, float height,
                     float texExtent, float r, float g, float b, float a)
    : TGLVisualObject(layer), X(x), Y(y), Z(z), Width(width), Height(height),
      TexExtent(texExtent), Color{r, g, b, a} {
  Enabled = true;
}

TGLSprite::~TGLSprite() {
  OnMouseDown = nullptr;
  OnMouseUp = nullptr;
}

void TGLSprite::AddFrame(const std::string& fileName) {
  const int32_t index = LoadTexture(fileName);
  FrameNames.push_back(fileName);
  Frames.push_back(index);
  FrameCount = static_cast<int32_t>(Frames.size());
}

void TGLSprite::Draw() {
  ModelView = ModelViewMatrix;
  MatrixTranslate(ModelView, X, Y, Z);
  GL.PushMatrix();
  GL.LoadMatrixf(ModelView.data());

  const bool textured = !Frames.empty() && CurrentFrame >= 0 && CurrentFrame < FrameCount &&
                        static_cast<size_t>(Frames[CurrentFrame]) < Textures.size();
  if (textured) {
    GL.Enable(GL_TEXTURE_2D);
    GL.BindTexture(GL_TEXTURE_2D, Textures[Frames[CurrentFrame]]);
  } else {
    GL.Disable(GL_TEXTURE_2D);
  }
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.Enable(GL_BLEND);
  GL.Disable(GL_DEPTH_TEST);
  GL.Disable(GL_LIGHTING);
  GL.Color4fv(Color);

  const float w = Width / 2, h = Height / 2;
  GL.Begin(GL_QUADS);
  GL.TexCoord2f(0, 0);
  GL.Vertex3f(-w, -h, 0);
  GL.TexCoord2f(TexExtent, 0);
  GL.Vertex3f(w, -h, 0);
  GL.TexCoord2f(TexExtent, TexExtent);
  GL.Vertex3f(w, h, 0);
  GL.TexCoord2f(0, TexExtent);
  GL.Vertex3f(-w, h, 0);
  GL.End();

  if (!textured) GL.Enable(GL_TEXTURE_2D);
  GL.Enable(GL_DEPTH_TEST);
  GL.Enable(GL_LIGHTING);
  GL.PopMatrix();
}

bool TGLSprite::HitTest(float dirX, float dirY) const {
  // The eye looks along -z while the ray points along +z: the sprite's position is mirrored
  // through the eye to match, and the distances come out the same.
  const TVector origin{-ModelView[12], -ModelView[13], ModelView[14]};
  TPlane acrossX, acrossY, facing;
  PlaneFromPointNormal(origin, {1, 0, 0}, acrossX);
  PlaneFromPointNormal(origin, {0, 1, 0}, acrossY);
  PlaneFromPointNormal(origin, {0, 0, 1}, facing);
  TVector hit;
  if (!IntersectLinePlane({0, 0, 0}, {dirX, dirY, 1}, facing, hit)) return false;
  const float u = PlaneValue(acrossX, hit);
  const float v = PlaneValue(acrossY, hit);
  return std::fabs(u) < Width / 2 && std::fabs(v) < Height / 2;
}

bool TGLSprite::MouseDown(int button, float dirX, float dirY) {
  if (!Enabled || !OnMouseDown || !HitTest(dirX, dirY)) return false;
  // A copy: the handler may free this sprite.
  TSpriteEvent handler = OnMouseDown;
  handler(*this, button);
  return true;
}

bool TGLSprite::MouseUp(int button, float dirX, float dirY) {
  if (!Enabled || !OnMouseUp || !HitTest(dirX, dirY)) return false;
  TSpriteEvent handler = OnMouseUp;
  handler(*this, button);
  return true;
}
