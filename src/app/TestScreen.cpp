// TestScreen.cpp — a colour-bar test pattern and a spinning cube.
#include "app/TestScreen.h"

#include "core/Globals.h"
#include "core/RenderHandler.h"
#include "core/VectMath.h"
#include "platform/GLTable.h"
#include "platform/Input.h"

namespace {

constexpr float SpinRate = 0.09f;  // degrees per millisecond

// Eight vertical bars behind the cube, in the classic test-card colours.
void DrawBars() {
  static const float colours[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                      {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
  GL.Begin(GL_QUADS);
  for (int i = 0; i < 8; ++i) {
    const float left = -8.0f + i * 2.0f;
    GL.Color3fv(colours[i]);
    GL.Vertex3f(left, -2.0f, -12.0f);
    GL.Vertex3f(left + 2.0f, -2.0f, -12.0f);
    GL.Vertex3f(left + 2.0f, 6.0f, -12.0f);
    GL.Vertex3f(left, 6.0f, -12.0f);
  }
  GL.End();
}

void DrawCube() {
  static const float corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                      {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  static const int faces[6][4] = {{4, 5, 6, 7}, {1, 0, 3, 2}, {5, 1, 2, 6},
                                  {0, 4, 7, 3}, {7, 6, 2, 3}, {0, 1, 5, 4}};
  static const float shades[6][3] = {{0.9f, 0.5f, 0.1f}, {0.6f, 0.3f, 0.05f}, {0.8f, 0.4f, 0.1f},
                                     {0.7f, 0.35f, 0.1f}, {1.0f, 0.7f, 0.3f}, {0.5f, 0.25f, 0.05f}};
  GL.Begin(GL_QUADS);
  for (int f = 0; f < 6; ++f) {
    GL.Color3fv(shades[f]);
    for (int c : faces[f]) GL.Vertex3fv(corners[c]);
  }
  GL.End();
}

}  // namespace

void TTestScreen::Start() { OnRender = TRenderHandler::Bind<&TTestScreen::Frame>(this); }

void TTestScreen::Frame() {
  Counter.Update();
  Angle += SpinRate * static_cast<float>(Counter.Elapsed);
  if (Angle >= 360.0f) Angle -= 360.0f;

  GL.ClearColor(0.08f, 0.12f, 0.25f, 0.0f);
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  GL.Disable(GL_TEXTURE_2D);

  TMatrix view;
  MatrixIdentity(view);
  MatrixTranslate(view, 0.0f, 0.0f, -6.0f);
  GL.LoadMatrixf(view.data());
  DrawBars();
  MatrixRotate(view, Angle, 0.3f, 1.0f, 0.2f);
  GL.LoadMatrixf(view.data());
  DrawCube();

  GL.Enable(GL_TEXTURE_2D);
  if (GetKeyState(VK::Escape) & KeyDownBit) CloseGameWindow();
}
