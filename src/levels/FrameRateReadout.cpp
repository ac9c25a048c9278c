// FrameRateReadout.cpp — counting frames by the second and drawing the readout.
#include "levels/FrameRateReadout.h"

#include "core/Globals.h"
#include "platform/GLTable.h"
#include "render/GLTextUnit.h"

#include <algorithm>

namespace {

constexpr double OneSecondMs = 1000.0;
constexpr double RoundingMs = 1e-6;  // sixty frames of 1000/60 ms are a second
// A frame longer than this (a stall, a breakpoint, a window dragged) says nothing of the
// renderer and would leave whole seconds without frames.
constexpr double LongestFrameMs = 5000.0;
// In the identity projection, with x divided by the screen's aspect so glyphs stay square.
constexpr float GlyphSize = 0.09f;
constexpr float GlyphAdvance = 0.62f;
constexpr float Margin = 0.03f;
constexpr float ReadoutColour[4] = {1.0f, 1.0f, 0.4f, 0.9f};

}  // namespace

void TFrameRateReadout::AddFrame(double ms) {
  if (!(ms >= 0) || ms > LongestFrameMs) return;  // refuses not-a-number too
  ++Frames;
  TotalMs += ms;
  ++SecondFrames;
  SecondMs += ms;
  // The frame that crosses a second's end counts in that second; a long frame may close more
  // than one, the later ones empty.
  while (SecondMs >= OneSecondMs - RoundingMs) {
    LastSecond = SecondFrames;
    SlowestSecond = SlowestSecond < 0 ? SecondFrames : std::min(SlowestSecond, SecondFrames);
    SecondFrames = 0;
    SecondMs = std::max(0.0, SecondMs - OneSecondMs);
  }
}

std::string TFrameRateReadout::Text() const {
  return (LastSecond < 0 ? std::string("--") : std::to_string(LastSecond)) + " fps";
}

void TFrameRateReadout::Draw() const {
  const float aspect =
      ScreenWidth > 0 && ScreenHeight > 0 ? static_cast<float>(ScreenWidth) / static_cast<float>(ScreenHeight) : 1.0f;
  TGLLabel label(FontTexture, 0, 0, 0);
  label.Caption = Text();
  label.Size = GlyphSize;
  label.Advance = GlyphAdvance;
  std::copy(std::begin(ReadoutColour), std::end(ReadoutColour), label.TextColor);
  const float width = static_cast<float>(label.Caption.size()) * GlyphSize * GlyphAdvance;
  // Right-aligned in the top-right corner, in units where the screen is 2 * aspect wide.
  label.X = aspect - Margin - width;
  label.Y = 1.0f - Margin;

  GL.MatrixMode(GL_PROJECTION);
  GL.PushMatrix();
  GL.LoadIdentity();
  GL.MatrixMode(GL_MODELVIEW);
  GL.PushMatrix();
  GL.LoadIdentity();
  GL.Scalef(1.0f / aspect, 1.0f, 1.0f);
  GL.Disable(GL_DEPTH_TEST);
  GL.Disable(GL_FOG);
  GL.Enable(GL_TEXTURE_2D);
  label.Draw();
  GL.Enable(GL_DEPTH_TEST);
  GL.MatrixMode(GL_PROJECTION);
  GL.PopMatrix();
  GL.MatrixMode(GL_MODELVIEW);
  GL.PopMatrix();
}
