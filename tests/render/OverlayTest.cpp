// OverlayTest.cpp — the overlay list's order, hit testing at the edges and click dispatch,
// on the null GL table.
#include "core/Globals.h"
#include "core/VectMath.h"
#include "platform/GLTable.h"
#include "render/GLSpriteUnit.h"
#include "core/Texture.h"
#include "render/GLTextUnit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class Overlay : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    ScreenWidth = 800;
    ScreenHeight = 600;
    MatrixPerspective(45.0f, 800.0f / 600.0f, 0.1f, 700.0f, ProjectionMatrix);
    LoadMenuView();
  }
  void TearDown() override { FreeOverlay(); }

  // The pixel column where view-space x lands on the z = -10 plane.
  static float PixelX(float x) { return (x * ProjectionMatrix[0] / 10.0f + 1.0f) / 2.0f * ScreenWidth; }
  static float PixelY(float y) { return (1.0f - y * ProjectionMatrix[5] / 10.0f) / 2.0f * ScreenHeight; }

  TGLSprite* Sprite(uint8_t layer, float x, float y, float w, float h) {
    return new TGLSprite(layer, x, y, 0, w, h, 1, 1, 1, 1, 1);
  }
};

std::vector<uint8_t> Layers() {
  std::vector<uint8_t> layers;
  for (TGLVisualObject* o = OverlayHead; o; o = o->Next) layers.push_back(o->Layer);
  return layers;
}

TEST_F(Overlay, ListIsSortedByLayerAndKeepsCreationOrderWithinALayer) {
  TGLSprite* a = Sprite(2, 0, 0, 1, 1);
  TGLSprite* b = Sprite(1, 0, 0, 1, 1);
  TGLSprite* c = Sprite(2, 0, 0, 1, 1);
  TGLSprite* d = Sprite(0, 0, 0, 1, 1);  // below the head: the new head
  TGLSprite* e = Sprite(1, 0, 0, 1, 1);
  EXPECT_EQ(Layers(), (std::vector<uint8_t>{0, 1, 1, 2, 2}));
  EXPECT_EQ(OverlayHead, d);
  EXPECT_EQ(d->Next, b);
  EXPECT_EQ(b->Next, e);
  EXPECT_EQ(e->Next, a);
  EXPECT_EQ(a->Next, c);
  EXPECT_EQ(OverlayTail, c);
  EXPECT_EQ(c->Prev, a);

  delete a;  // middle
  delete d;  // head
  delete c;  // tail
  EXPECT_EQ(OverlayHead, b);
  EXPECT_EQ(OverlayTail, e);
  EXPECT_EQ(b->Prev, nullptr);
  EXPECT_EQ(e->Next, nullptr);
  EXPECT_EQ(Layers(), (std::vector<uint8_t>{1, 1}));
}

TEST_F(Overlay, HitsAreStrictlyInsideTheDrawnRectangle) {
  TGLSprite* s = Sprite(0, 1.0f, 0.5f, 2.0f, 1.0f);  // spans x 0..2, y 0..1
  int clicks = 0;
  s->OnMouseDown = [&](TGLSprite&, int) { ++clicks; };
  DrawOverlay();  // captures the sprite's model-view
  const struct {
    float X, Y;
    bool Hit;
  } cases[] = {{1.0f, 0.5f, true},    {0.02f, 0.5f, true},  {-0.02f, 0.5f, false},
               {1.98f, 0.98f, true},  {2.02f, 0.5f, false}, {1.0f, 1.02f, false},
               {1.0f, -0.02f, false}, {1.0f, 0.02f, true}};
  for (const auto& k : cases) {
    clicks = 0;
    OverlayMouseDown(0, static_cast<int>(std::lround(PixelX(k.X))), static_cast<int>(std::lround(PixelY(k.Y))));
    EXPECT_EQ(clicks, k.Hit ? 1 : 0) << k.X << ", " << k.Y;
  }
}

TEST_F(Overlay, DisabledSpritesAndSpritesWithoutHandlersAreNotClicked) {
  TGLSprite* s = Sprite(0, 0, 0, 2, 2);
  int clicks = 0;
  s->OnMouseDown = [&](TGLSprite&, int) { ++clicks; };
  s->Enabled = false;
  DrawOverlay();
  OverlayMouseDown(0, 400, 300);
  EXPECT_EQ(clicks, 0);
  s->Enabled = true;
  s->Visible = false;  // invisible but enabled still takes clicks
  OverlayMouseDown(0, 400, 300);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Overlay, EqualLayersAreClickedInReverseCreationOrder) {
  std::vector<int> order;
  for (int i = 0; i < 3; ++i) {
    TGLSprite* s = Sprite(5, 0, 0, 2, 2);
    s->OnMouseDown = [&order, i](TGLSprite&, int) { order.push_back(i); };
  }
  DrawOverlay();
  OverlayMouseDown(0, 400, 300);
  EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
}

TEST_F(Overlay, ScreenChangeInAHandlerStopsTheDispatch) {
  int lowerClicks = 0;
  TGLSprite* lower = Sprite(0, 0, 0, 2, 2);
  lower->OnMouseDown = [&](TGLSprite&, int) { ++lowerClicks; };
  TGLSprite* upper = Sprite(1, 0, 0, 2, 2);
  upper->OnMouseDown = [](TGLSprite&, int) {
    // A screen change: everything is freed and a new screen's objects take their place.
    FreeOverlay();
    OverlayValid = false;
  };
  DrawOverlay();
  OverlayMouseDown(0, 400, 300);
  EXPECT_EQ(lowerClicks, 0);
  EXPECT_EQ(OverlayHead, nullptr);
  EXPECT_TRUE(OverlayValid);
}

// Records the translations a label makes for its glyphs.
std::vector<float> Translations;
void GLAPIENTRY RecordTranslate(GLfloat x, GLfloat, GLfloat) { Translations.push_back(x); }

TEST_F(Overlay, LabelGlyphsAdvanceBySizeTimesAdvance) {
  TGLLabel* label = new TGLLabel(-1, 1.0f, 2.0f, 0);
  label->Caption = "abc";
  Translations.clear();
  GL.Translatef = RecordTranslate;
  label->FontTexture = -1;  // no font: nothing bound, nothing drawn
  label->Draw();
  EXPECT_TRUE(Translations.empty());

  // A font texture index that exists: the glyphs are placed.
  GLuint name = 0;
  GL.GenTextures(1, &name);
  Textures.assign(1, name);
  label->FontTexture = 0;
  label->Draw();
  ASSERT_EQ(Translations.size(), 3u);
  EXPECT_FLOAT_EQ(Translations[0], 1.0f);
  EXPECT_FLOAT_EQ(Translations[1], 1.4f);  // Size 0.5 x Advance 0.8
  EXPECT_FLOAT_EQ(Translations[2], 1.8f);
  Textures.clear();
  GL.DeleteTextures(1, &name);
  LoadNullGLTable();
}

}  // namespace
