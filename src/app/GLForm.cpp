// GLForm.cpp — viewport, initial state and the frame loop.
#include "app/GLForm.h"

#include "core/Error.h"
#include "core/Globals.h"
#include "core/PngFile.h"
#include "core/RenderHandler.h"
#include "core/VectMath.h"
#include "platform/GLTable.h"
#include "platform/Message.h"
#include "render/GLVisualObjectUnit.h"

namespace {
constexpr float FieldOfView = 45.0f;  // vertical, degrees
constexpr float NearPlane = 0.1f;
}  // namespace

void TGLForm::ResizeViewport() {
  int width = HeadlessWidth, height = HeadlessHeight;
  if (Window) Window->Size(width, height);
  ScreenWidth = width;
  ScreenHeight = height > 0 ? height : 1;
  GL.Viewport(0, 0, ScreenWidth, ScreenHeight);
  MatrixPerspective(FieldOfView, static_cast<float>(ScreenWidth) / ScreenHeight, NearPlane,
                    FarPlane, ProjectionMatrix);
  GL.MatrixMode(GL_PROJECTION);
  GL.LoadMatrixf(ProjectionMatrix.data());
  GL.MatrixMode(GL_MODELVIEW);
  GL.LoadIdentity();
}

void TGLForm::InitialGLState() {
  ResizeViewport();
  GL.ClearColor(0, 0, 0, 0);
  GL.ClearDepth(1.0);
  GL.DepthFunc(GL_LEQUAL);
  GL.Enable(GL_DEPTH_TEST);
  GL.ClearStencil(0);
  GL.Disable(GL_STENCIL_TEST);
  GL.CullFace(GL_BACK);
  GL.Enable(GL_CULL_FACE);
  GL.ShadeModel(GL_SMOOTH);
  GL.Enable(GL_TEXTURE_2D);
  GL.Enable(GL_DITHER);
}

void TGLForm::MouseDown(int button, int x, int y) {
  // A new press clears the other button's bit.
  MouseButtons &= static_cast<uint8_t>(~(MouseLeftBit | MouseRightBit));
  MouseButtons |= button == MouseButtonLeft ? MouseLeftBit : MouseRightBit;
  OverlayMouseDown(button, x, y);
}

void TGLForm::MouseUp(int button, int x, int y) {
  MouseButtons &= static_cast<uint8_t>(~(button == MouseButtonLeft ? MouseLeftBit : MouseRightBit));
  OverlayMouseUp(button, x, y);
}

TGLForm::TGLForm() {
  Events.MouseDown = [this](int b, int x, int y) { MouseDown(b, x, y); };
  Events.MouseUp = [this](int b, int x, int y) { MouseUp(b, x, y); };
  Events.Resized = [this](int, int) { ResizeViewport(); };
  Events.CloseRequested = [] { CloseGameWindow(); };
}

void TGLForm::PumpEvents() {
  if (Window) Window->PumpEvents(Events);
}

void TGLForm::RunFrameLoop(int64_t maxFrames, const std::string& screenshot) {
  ResetGameWindowClosing();
  while (!GameWindowClosing()) {
    PumpEvents();
    if (GameWindowClosing()) break;
    // A copy: the frame function may replace OnRender or free its own screen.
    TRenderHandler handler = OnRender;
    if (handler) handler();
    ++Frames;
    const bool last = maxFrames > 0 && Frames >= maxFrames;
    if (last && !screenshot.empty()) SaveScreenshot(screenshot);
    if (Window) {
      Window->SwapBuffers();
      // An offscreen or software context accepts frames faster than it draws them and keeps
      // every one it was handed; waiting here holds one frame in flight and the memory flat.
      GL.Finish();
    }
    if (last) break;
  }
}

bool TGLForm::SaveScreenshot(const std::string& path) {
  if (IsNullGL()) {
    ShowMessage("No screenshot without a graphics context: " + path);
    return false;
  }
  TRgbaImage image;
  image.Width = ScreenWidth;
  image.Height = ScreenHeight;
  image.Pixels.resize(static_cast<size_t>(image.Width) * image.Height * 4);
  GL.PixelStorei(GL_PACK_ALIGNMENT, 1);
  GL.ReadPixels(0, 0, image.Width, image.Height, GL_RGBA, GL_UNSIGNED_BYTE, image.Pixels.data());
  FlipRows(image);
  // A screenshot of a window shows what the player saw; the alpha channel is not part of it.
  for (size_t i = 3; i < image.Pixels.size(); i += 4) image.Pixels[i] = 255;
  try {
    WritePng(path, image);
  } catch (const TFileError& e) {
    ShowMessage(e.what());
    return false;
  }
  return true;
}
