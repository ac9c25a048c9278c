// GLForm.cpp — viewport, initial state and the frame loop.
#include "app/GLForm.h"

#include "core/Error.h"
#include "core/Globals.h"
#include "core/PngFile.h"
#include "core/RenderHandler.h"
#include "core/VectMath.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "platform/Message.h"
#include "render/GLVisualObjectUnit.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {
constexpr float FieldOfView = 45.0f;  // vertical, degrees
constexpr float NearPlane = 0.1f;
// Wider screens see more at the sides; a screen narrower than 4:3 sees as much across as 4:3
// would and more above and below, so the menus' and the HUD's sides are never cut off.
constexpr float NarrowestAspect = 4.0f / 3.0f;

float VerticalFieldOfView(float aspect) {
  if (aspect >= NarrowestAspect) return FieldOfView;
  constexpr float DegToRad = std::numbers::pi_v<float> / 180.0f;
  const float halfTan = std::tan(FieldOfView * 0.5f * DegToRad) * NarrowestAspect / aspect;
  return 2.0f * std::atan(halfTan) / DegToRad;
}

constexpr GLenum SyncGpuCommandsComplete = 0x9117;  // GL_SYNC_GPU_COMMANDS_COMPLETE
constexpr GLbitfield SyncFlushCommands = 0x1;        // GL_SYNC_FLUSH_COMMANDS_BIT
constexpr uint64_t WaitForever = ~uint64_t{0};

// An offscreen or software context accepts frames faster than it draws them and keeps every
// one it was handed, so memory grows without limit. After each swap the loop waits until the
// frame before this one is drawn: one frame may still be drawing while the next is prepared,
// which keeps the rasteriser's threads busy, and no more queue up. Without fences (GL_ARB_sync)
// it waits for the frame just swapped.
class TFrameThrottle {
public:
  TFrameThrottle() {
    if (IsNullGL()) return;
    FenceSync = reinterpret_cast<TFenceSync>(GetGLProcAddress("glFenceSync"));
    ClientWaitSync = reinterpret_cast<TClientWaitSync>(GetGLProcAddress("glClientWaitSync"));
    DeleteSync = reinterpret_cast<TDeleteSync>(GetGLProcAddress("glDeleteSync"));
    if (!FenceSync || !ClientWaitSync || !DeleteSync) FenceSync = nullptr;
  }
  ~TFrameThrottle() { Wait(); }
  TFrameThrottle(const TFrameThrottle&) = delete;
  TFrameThrottle& operator=(const TFrameThrottle&) = delete;

  void AfterSwap() {
    if (IsNullGL()) return;
    if (!FenceSync) {
      GL.Finish();
      return;
    }
    Wait();
    Pending = FenceSync(SyncGpuCommandsComplete, 0);
  }

private:
  using TFenceSync = void*(GLAPIENTRY*)(GLenum, GLbitfield);
  using TClientWaitSync = GLenum(GLAPIENTRY*)(void*, GLbitfield, uint64_t);
  using TDeleteSync = void(GLAPIENTRY*)(void*);

  void Wait() {
    if (!Pending) return;
    ClientWaitSync(Pending, SyncFlushCommands, WaitForever);
    DeleteSync(Pending);
    Pending = nullptr;
  }

  TFenceSync FenceSync = nullptr;
  TClientWaitSync ClientWaitSync = nullptr;
  TDeleteSync DeleteSync = nullptr;
  void* Pending = nullptr;
};
}  // namespace

void TGLForm::ResizeViewport() {
  int width = HeadlessWidth, height = HeadlessHeight;
  if (Window) Window->Size(width, height);
  ScreenWidth = width;
  ScreenHeight = height > 0 ? height : 1;
  GL.Viewport(0, 0, ScreenWidth, ScreenHeight);
  const float aspect = static_cast<float>(ScreenWidth) / ScreenHeight;
  MatrixPerspective(VerticalFieldOfView(aspect), aspect, NearPlane, FarPlane, ProjectionMatrix);
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
  Events.FocusLost = [this] { FocusLost(); };
  Events.ToggleFullScreen = [this] { ToggleFullScreen(); };
}

void TGLForm::ToggleFullScreen() {
  if (!Window) return;
  if (FullScreen) {
    Window->LeaveFullScreen();
    Window->SetWindowedSize(WindowedWidth, WindowedHeight);
    FullScreen = false;
  } else {
    std::string error;
    if (!Window->EnterFullScreen(nullptr, error)) return;
    FullScreen = true;
  }
  ResizeViewport();
}

void TGLForm::PumpEvents() {
  if (Window) Window->PumpEvents(Events);
}

void TGLForm::RunFrameLoop(int64_t maxFrames, const std::string& screenshot) {
  ResetGameWindowClosing();
  TFrameThrottle throttle;
  while (!GameWindowClosing()) {
    PumpEvents();
    if (GameWindowClosing()) break;
    // A copy: the frame function may replace OnRender or free its own screen.
    TRenderHandler handler = OnRender;
    if (handler) handler();
    CountFrame();
    ++Frames;
    const bool last = maxFrames > 0 && Frames >= maxFrames;
    if (last && !screenshot.empty()) SaveScreenshot(screenshot);
    if (Window) {
      Window->SwapBuffers();
      throttle.AfterSwap();
    }
    if (last) break;
  }
}

void TGLForm::ReportFrameRate() const {
  if (FrameRate.Frames == 0) return;
  std::printf("frame rate: %lld frames in %.2f s, %.1f fps, slowest second %d frames\n",
              static_cast<long long>(FrameRate.Frames), FrameRate.TotalMs / 1000.0, FrameRate.AverageFps(),
              FrameRate.SlowestSecond);
  std::fflush(stdout);
}

// The readout counts real time between frames, whatever clock the game runs on.
void TGLForm::CountFrame() {
  const bool f11 = (GetKeyState(VK::F11) & KeyDownBit) != 0;
  if (f11 && !F11Held) ShowFrameRate = !ShowFrameRate;
  F11Held = f11;
  TClockSource& clock = SystemClock();
  int64_t frequency = 0;
  if (!clock.QueryFrequency(frequency) || frequency <= 0) return;
  const int64_t now = clock.QueryCounter();
  if (LastFrameCount >= 0) FrameRate.AddFrame(static_cast<double>(now - LastFrameCount) * 1000.0 / static_cast<double>(frequency));
  LastFrameCount = now;
  if (ShowFrameRate && Window) FrameRate.Draw();
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
