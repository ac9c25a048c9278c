// OverlayPixelTest.cpp — a label and sprites drawn on a real offscreen Mesa context, checked
// pixel by pixel.
#include "core/CnaUnit.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "core/VectMath.h"
#include "platform/GLTable.h"
#include "platform/Window.h"
#include "render/GLSpriteUnit.h"
#include "render/GLTextUnit.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

namespace {

constexpr int Side = 128;
constexpr int GlyphCell = 4;

// A font whose only glyph is a solid block at "A".
void WriteBlockFont(const std::string& path) {
  const int size = GlyphCell * 16;
  std::vector<uint8_t> bgra(static_cast<size_t>(size) * size * 4, 0);
  const int column = 'A' % 16, row = 'A' / 16;
  for (int y = row * GlyphCell; y < (row + 1) * GlyphCell; ++y)
    for (int x = column * GlyphCell; x < (column + 1) * GlyphCell; ++x)
      for (int k = 0; k < 4; ++k) bgra[(static_cast<size_t>(y) * size + x) * 4 + k] = 255;
  WriteCnaFile(path, bgra.data(), size, size, TCnaSource::Bgra);
}

void WriteSolidCna(const std::string& path, uint8_t b, uint8_t g, uint8_t r) {
  std::vector<uint8_t> bgra(8 * 8 * 4);
  for (size_t i = 0; i < bgra.size(); i += 4) {
    bgra[i] = b;
    bgra[i + 1] = g;
    bgra[i + 2] = r;
    bgra[i + 3] = 255;
  }
  WriteCnaFile(path, bgra.data(), 8, 8, TCnaSource::Bgra);
}

class OverlayPixels : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    ASSERT_TRUE(Window.Create("overlay test", Side, Side, error)) << error;
    ASSERT_TRUE(LoadGLTable(&TWindow::GetProcAddress, error)) << error;
    DetectCapabilities(reinterpret_cast<const char*>(GL.GetString(GL_EXTENSIONS)), &GetGLProcAddress);
    SetAppDir(Dir.Str());
    std::filesystem::create_directories(Dir / "textures");
    ScreenWidth = ScreenHeight = Side;
    GL.Viewport(0, 0, Side, Side);
    MatrixPerspective(45.0f, 1.0f, 0.1f, 700.0f, ProjectionMatrix);
    GL.MatrixMode(GL_PROJECTION);
    GL.LoadMatrixf(ProjectionMatrix.data());
    GL.Enable(GL_TEXTURE_2D);
    GL.Enable(GL_DEPTH_TEST);
    GL.DepthFunc(GL_LEQUAL);
  }
  void TearDown() override {
    FreeOverlay();
    DeleteFont();
    ClearTextureCache();
    Window.Destroy();
  }

  void DrawFrame() {
    GL.ClearColor(0, 0, 0, 0);
    GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    LoadMenuView();
    DrawOverlay();
    GL.Finish();
  }

  // The colour where view-space (x, y) on the z = -10 plane lands.
  std::array<int, 3> ColourAt(float x, float y) {
    const int px = static_cast<int>((x * ProjectionMatrix[0] / 10.0f + 1.0f) / 2.0f * Side);
    const int py = static_cast<int>((y * ProjectionMatrix[5] / 10.0f + 1.0f) / 2.0f * Side);
    uint8_t rgba[4] = {};
    GL.ReadPixels(px, py, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
  }

  TTempDir Dir;
  TWindow Window;
};

TEST_F(OverlayPixels, LabelGlyphAndSpritesLandWhereTheyArePlaced) {
  WriteBlockFont(Dir / "textures/ArialBold.cna");
  WriteSolidCna(Dir / "textures/green.cna", 0, 255, 0);
  BuildFont();

  auto* label = new TGLLabel(FontTexture, -3.0f, 2.5f, 0);
  label->Caption = "AB";  // the "B" cell is empty in this font
  label->Size = 2.0f;
  label->Advance = 1.0f;
  auto* red = new TGLSprite(1, 2.0f, -2.0f, 0, 2.0f, 2.0f, 1.0f, 1, 0, 0, 1);
  auto* green = new TGLSprite(1, -2.0f, -2.0f, 0, 2.0f, 2.0f, 1.0f, 1, 1, 1, 1);
  green->AddFrame("green.cna");
  auto* hidden = new TGLSprite(1, 2.0f, 2.0f, 0, 2.0f, 2.0f, 1.0f, 0, 0, 1, 1);
  hidden->Visible = false;
  (void)red;
  DrawFrame();

  EXPECT_EQ(ColourAt(-2.0f, 1.5f), (std::array<int, 3>{255, 255, 255}));  // the "A" block
  EXPECT_EQ(ColourAt(0.0f, 1.5f), (std::array<int, 3>{0, 0, 0}));        // the empty "B"
  EXPECT_EQ(ColourAt(2.0f, -2.0f), (std::array<int, 3>{255, 0, 0}));      // untextured sprite
  EXPECT_EQ(ColourAt(-2.0f, -2.0f), (std::array<int, 3>{0, 255, 0}));     // textured sprite
  EXPECT_EQ(ColourAt(2.0f, 2.0f), (std::array<int, 3>{0, 0, 0}));         // invisible sprite
  EXPECT_EQ(ColourAt(0.0f, -2.0f), (std::array<int, 3>{0, 0, 0}));        // between them
}

TEST_F(OverlayPixels, SpriteWithFrameOutOfRangeIsDrawnUntextured) {
  WriteSolidCna(Dir / "textures/green.cna", 0, 255, 0);
  auto* sprite = new TGLSprite(0, 0, 0, 0, 2.0f, 2.0f, 1.0f, 1, 1, 0, 1);
  sprite->AddFrame("green.cna");
  sprite->CurrentFrame = 1;
  DrawFrame();
  EXPECT_EQ(ColourAt(0, 0), (std::array<int, 3>{255, 255, 0}));
}

TEST_F(OverlayPixels, LabelBackgroundSpansTheWholeCaption) {
  WriteBlockFont(Dir / "textures/ArialBold.cna");
  BuildFont();
  auto* label = new TGLLabel(FontTexture, -3.0f, 1.0f, 0);
  label->Caption = "ppp";  // far from the only glyph, so nothing of it bleeds in
  label->Size = 1.0f;
  label->Advance = 2.0f;  // the box is n x Advance cells wide: 6 units
  label->HasBackground = true;
  label->BackColor[0] = 0;
  label->BackColor[1] = 0;
  label->BackColor[2] = 1;
  label->BackColor[3] = 1;
  DrawFrame();
  EXPECT_EQ(ColourAt(-2.9f, 0.5f), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(ColourAt(2.8f, 0.5f), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(ColourAt(3.2f, 0.5f), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(ColourAt(0.0f, -0.2f), (std::array<int, 3>{0, 0, 0}));
}

}  // namespace
