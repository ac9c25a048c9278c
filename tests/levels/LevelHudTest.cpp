// LevelHudTest.cpp — the HUD's rules (blips, energy colours, heading, layout at every screen
// shape), its overlay objects and lists on the null table, and its pixels on a real offscreen
// Mesa context: a round radar map, the energy colour, the counters inside the screen.
#include "levels/LevelHud.h"

#include "actors/ActorUnit.h"
#include "actors/ActorWorld.h"
#include "common/TempDir.h"
#include "core/CnaUnit.h"
#include "core/ConfigUnit.h"
#include "core/Error.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "menu/TextConstants.h"
#include "platform/GLTable.h"
#include "platform/Window.h"
#include "render/GLSpriteUnit.h"
#include "render/GLTextUnit.h"
#include "render/GLVisualObjectUnit.h"
#include "render/ShadowUnit.h"
#include "sound/SoundUnit.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr float Nan = std::numeric_limits<float>::quiet_NaN();

// The screen shapes the HUD must hold at.
struct TShape {
  const char* Name;
  int Width, Height;
  float Aspect() const { return static_cast<float>(Width) / static_cast<float>(Height); }
};
constexpr TShape Shapes[] = {{"4:3", 320, 240}, {"16:9", 427, 240}, {"21:9", 560, 240}};

// ---- Rules -------------------------------------------------------------------------------

TEST(HudEnergy, ColourBandsMeetAtTwoThirdsAndOneThird) {
  struct TCase {
    float Life, MaxLife;
    THudColor Expected;
  };
  const TCase cases[] = {
      {100, 100, {0, 0, 1, 0.5f}},
      {67, 100, {0, 0, 0.67f, 0.5f}},
      {66, 100, {1, 1, 0.66f, 0.5f}},  // exactly 0.66: the middle band
      {34, 100, {1, 1, 0.34f, 0.5f}},
      {33, 100, {1 - 0.33f, 0, 0, 0.5f}},  // exactly 0.33: the low band
      {0, 100, {1, 0, 0, 0.5f}},
      {-40, 100, {1, 0, 0, 0.5f}},  // overkill reads as empty
      {50, 0, {1, 0, 0, 0.5f}},     // no maximum: nothing to show but red
      {Nan, 100, {1, 0, 0, 0.5f}},
  };
  for (const TCase& c : cases) {
    const THudColor got = EnergyColor(c.Life, c.MaxLife);
    EXPECT_FLOAT_EQ(got.R, c.Expected.R) << c.Life << "/" << c.MaxLife;
    EXPECT_FLOAT_EQ(got.G, c.Expected.G) << c.Life << "/" << c.MaxLife;
    EXPECT_FLOAT_EQ(got.B, c.Expected.B) << c.Life << "/" << c.MaxLife;
    EXPECT_FLOAT_EQ(got.A, 0.5f);
  }
}

TEST(HudRadar, BlipsShowLiveSidedActorsStrictlyInsideTheRange) {
  EXPECT_EQ(ClassifyBlip(StateAlive, 2, 1, 100, 800), TBlip::Foe);
  EXPECT_EQ(ClassifyBlip(StateAlive, 1, 1, 100, 800), TBlip::Friend);
  EXPECT_EQ(ClassifyBlip(StateAlive, 2, 1, 799.9f, 800), TBlip::Foe);
  EXPECT_EQ(ClassifyBlip(StateAlive, 2, 1, 800, 800), TBlip::None);  // exactly at the rim
  EXPECT_EQ(ClassifyBlip(StateAlive, 0, 1, 10, 800), TBlip::None);   // neutral never
  EXPECT_EQ(ClassifyBlip(StateAlive, 0, 0, 10, 800), TBlip::None);
  EXPECT_EQ(ClassifyBlip(StateDying, 2, 1, 10, 800), TBlip::None);
  EXPECT_EQ(ClassifyBlip(StateGone, 1, 1, 10, 800), TBlip::None);
  EXPECT_EQ(ClassifyBlip(StateAlive, 2, 1, Nan, 800), TBlip::None);
}

TEST(HudRadar, HeadingTurnsTheFlightDirectionUp) {
  EXPECT_NEAR(HeadingDegrees({0, 1, 0}), 0, 1e-3);
  EXPECT_NEAR(HeadingDegrees({1, 0, 0}), 90, 1e-3);
  EXPECT_NEAR(HeadingDegrees({0, -1, 0}), 180, 1e-3);
  EXPECT_NEAR(HeadingDegrees({-1, 0, 0}), 270, 1e-3);
  EXPECT_NEAR(HeadingDegrees({3, 3, -7}), 45, 1e-3);  // climb and dive do not matter
  EXPECT_EQ(HeadingDegrees({0, 0, -1}), 0);           // straight down: no heading
  EXPECT_EQ(HeadingDegrees({Nan, 1, 0}), 0);

  // Whatever the flight, a blip straight ahead lands straight above the radar's centre after
  // the radar's turn (glRotatef about +z, counter-clockwise).
  const TVector flights[] = {{0, 1, 0}, {1, 0, 0}, {-0.6f, -0.8f, 0}, {0.28f, -0.96f, 0.3f}, {-1, 0.01f, 0}};
  for (const TVector& f : flights) {
    const float a = HeadingDegrees(f) * 3.14159265f / 180.0f;
    TVector ahead;
    VectorNormalize({f.x, f.y, 0}, ahead);
    const float x = ahead.x * std::cos(a) - ahead.y * std::sin(a);
    const float y = ahead.x * std::sin(a) + ahead.y * std::cos(a);
    EXPECT_NEAR(x, 0, 1e-4) << f.x << "," << f.y;
    EXPECT_NEAR(y, 1, 1e-4) << f.x << "," << f.y;
  }
}

TEST(HudRadar, MapWindowIsCentredOnThePlayerAndSpansTwiceTheRange) {
  const TRadarWindow w = RadarWindow(1000, 3000, 4000, 5000, 800);
  EXPECT_FLOAT_EQ((w.S0 + w.S1) / 2, 0.25f);
  EXPECT_FLOAT_EQ((w.T0 + w.T1) / 2, 0.6f);
  EXPECT_FLOAT_EQ(w.S1 - w.S0, 1600.0f / 4000.0f);
  EXPECT_FLOAT_EQ(w.T1 - w.T0, 1600.0f / 5000.0f);
  const TRadarWindow empty = RadarWindow(10, 10, 0, -1, 800);  // no terrain: finite anyway
  EXPECT_TRUE(std::isfinite(empty.S0) && std::isfinite(empty.T1));
}

TEST(HudRadar, ObjectiveArrowFadesInBeyondItsRadius) {
  EXPECT_EQ(ObjectiveAlpha(200, 300, 800), 0.0f);
  EXPECT_FLOAT_EQ(ObjectiveAlpha(300 + 200, 300, 800), 0.25f);
  EXPECT_FLOAT_EQ(ObjectiveAlpha(5000, 300, 800), 0.5f);
  EXPECT_EQ(ObjectiveAlpha(Nan, 300, 800), 0.0f);
  EXPECT_EQ(ObjectiveAlpha(500, 300, 0), 0.0f);
}

// ---- Layout ------------------------------------------------------------------------------

TEST(HudLayout, FourThreeIsTheLayoutAsMade) {
  const THudPlacement radar = PlaceHudSign(-0.85f, 0.8f, 0.1f, 4.0f / 3.0f);
  EXPECT_FLOAT_EQ(radar.X, -0.85f);
  EXPECT_FLOAT_EQ(radar.Y, 0.8f);
  EXPECT_FLOAT_EQ(radar.ScaleX, 0.1f);
  EXPECT_FLOAT_EQ(radar.ScaleY, 0.1f * 4.0f / 3.0f);
  TMatrix p;
  MatrixPerspective(45, 4.0f / 3.0f, 0.1f, 700, p);
  const TLabelPlacement lives = PlaceHudLabel(-3.5f, 4.0f, 0.3f, 4.0f / 3.0f, p[0], p[5]);
  EXPECT_NEAR(lives.X, -3.5f, 1e-4);
  EXPECT_FLOAT_EQ(lives.Y, 4.0f);
  EXPECT_FLOAT_EQ(lives.Size, 0.3f);
  const TLabelPlacement missiles = PlaceHudLabel(4.9f, 4.0f, 0.3f, 4.0f / 3.0f, p[0], p[5]);
  EXPECT_NEAR(missiles.X, 4.9f, 1e-4);
}

TEST(HudLayout, SignsStayRoundAndOnScreenAtEveryShape) {
  const float aspects[] = {1.0f, 5.0f / 4.0f, 4.0f / 3.0f, 16.0f / 9.0f, 21.0f / 9.0f, 32.0f / 9.0f};
  struct TSign {
    float X, Y, Size;
  };
  const TSign signs[] = {{-0.85f, 0.8f, 0.115f}, {-0.65f, 0.9f, 0.05f}, {0.87f, 0.9f, 0.04f}};
  for (float a : aspects) {
    for (const TSign& s : signs) {
      const THudPlacement p = PlaceHudSign(s.X, s.Y, s.Size, a);
      EXPECT_NEAR(p.ScaleX * a, p.ScaleY, 1e-5) << a;  // as many pixels across as high
      EXPECT_LE(std::abs(p.X) + p.ScaleX, 1.0f) << a;
      EXPECT_LE(std::abs(p.Y) + p.ScaleY, 1.0f) << a;
      if (a >= 4.0f / 3.0f) {
        EXPECT_NEAR(p.ScaleY, s.Size * 4.0f / 3.0f, 1e-5) << a;  // as tall as on 4:3
      }
    }
  }
}

TEST(HudLayout, CountersStayInsideTheScreenAndBesideTheirSigns) {
  const float aspects[] = {1.0f, 4.0f / 3.0f, 16.0f / 9.0f, 21.0f / 9.0f};
  for (float a : aspects) {
    TMatrix p;
    MatrixPerspective(45, a, 0.1f, 700, p);
    const float halfW = MenuViewDistance / p[0], halfH = MenuViewDistance / p[5];
    for (float refX : {-3.5f, 4.9f}) {
      const TLabelPlacement l = PlaceHudLabel(refX, 4.0f, 0.3f, a, p[0], p[5]);
      const float width = l.Size * 0.8f + l.Size;  // two digits: at most 8 missiles and 4 lives
      EXPECT_GE(l.X, -halfW) << a;
      EXPECT_LE(l.X + width, halfW) << a;
      EXPECT_LE(l.Y, halfH) << a;
      EXPECT_GE(l.Y - l.Size, -halfH) << a;
    }
    // The lives counter keeps its place beside the energy sign, in screen heights.
    const TLabelPlacement lives = PlaceHudLabel(-3.5f, 4.0f, 0.3f, a, p[0], p[5]);
    const float signX = PlaceHudSign(-0.65f, 0.9f, 0.05f, a).X * halfW;
    if (a >= 4.0f / 3.0f) {
      TMatrix ref;
      MatrixPerspective(45, 4.0f / 3.0f, 0.1f, 700, ref);
      EXPECT_NEAR(lives.X - signX, -3.5f - (-0.65f * MenuViewDistance / ref[0]), 1e-3) << a;
    }
  }
}

// ---- The object on the null table ------------------------------------------------------------

class HudObjects : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    if (!fs::exists(TextureDir + "radmask.cna")) GTEST_SKIP() << "no data forged";
    SelectLanguage(0);
    BuildFont();
  }
  void TearDown() override {
    FreeOverlay();
    DeleteFont();
    ClearTextureCache();
    FreeAllAudio();
    SetAppDir(QUINTARA_GAME_DIR);
  }
};

TEST_F(HudObjects, StartsWithCountersShownAndTheQuestionHidden) {
  TLevelHud hud;
  hud.SetLives(4);
  hud.SetMissiles(6);
  EXPECT_EQ(hud.LivesLabel->Caption, "4");
  EXPECT_EQ(hud.MissilesLabel->Caption, "6");
  EXPECT_TRUE(hud.LivesLabel->Visible && hud.MissilesLabel->Visible);
  for (TGLSprite* b : {hud.QuitYesButton, hud.QuitNoButton}) EXPECT_FALSE(b->Visible || b->Enabled);
  EXPECT_FALSE(hud.QuitYesLabel->Visible || hud.QuitNoLabel->Visible || hud.QuitQuestionLabel->Visible);
  EXPECT_EQ(hud.QuitYesLabel->Caption, "Yes");
  EXPECT_EQ(hud.QuitNoLabel->Caption, "No");
  EXPECT_EQ(hud.QuitQuestionLabel->Caption, "Do you wish to leave this level ?");
  EXPECT_EQ(hud.QuitYesButton->FrameNames, std::vector<std::string>{"btn.cna"});
  EXPECT_FLOAT_EQ(hud.RadarRange, 800.0f);

  hud.ShowQuestion(true);
  for (TGLSprite* b : {hud.QuitYesButton, hud.QuitNoButton}) EXPECT_TRUE(b->Visible && b->Enabled);
  EXPECT_TRUE(hud.QuitYesLabel->Visible && hud.QuitNoLabel->Visible && hud.QuitQuestionLabel->Visible);
  EXPECT_FALSE(hud.LivesLabel->Visible || hud.MissilesLabel->Visible);
  hud.ShowQuestion(false);
  EXPECT_FALSE(hud.QuitYesButton->Enabled || hud.QuitQuestionLabel->Visible);
  EXPECT_TRUE(hud.LivesLabel->Visible);
}

TEST_F(HudObjects, TheQuestionSpeaksTheLanguageItIsGiven) {
  SelectLanguage(1);
  TLevelHud hud({TextTable[TextYes], TextTable[TextNo], TextTable[TextPauseQuestion]});
  EXPECT_EQ(hud.QuitYesLabel->Caption, TextTable[TextYes]);
  EXPECT_EQ(hud.QuitNoLabel->Caption, TextTable[TextNo]);
  EXPECT_EQ(hud.QuitQuestionLabel->Caption, TextTable[TextPauseQuestion]);
  EXPECT_NE(hud.QuitQuestionLabel->Caption, "Do you wish to leave this level ?");
  SelectLanguage(0);
}

TEST_F(HudObjects, LeavesNoListOrOverlayObjectBehind) {
  const int64_t lists = NullGLCounts().LiveLists;
  {
    TLevelHud hud;
    EXPECT_EQ(NullGLCounts().LiveLists, lists + 5);
  }
  EXPECT_EQ(NullGLCounts().LiveLists, lists);
  EXPECT_EQ(OverlayHead, nullptr);
  EXPECT_EQ(OverlayTail, nullptr);
}

TEST_F(HudObjects, OverlayFreedBeforeTheHudIsNotFreedAgain) {
  auto hud = std::make_unique<TLevelHud>();
  FreeOverlay();
  hud.reset();
  EXPECT_EQ(OverlayHead, nullptr);
}

TEST_F(HudObjects, MissingImageStopsTheHudBeforeAnythingIsMade) {
  TTempDir dir;
  fs::create_directories(dir.Path / "textures");
  fs::copy_file(TextureDir + "radmask.cna", dir / "textures/radmask.cna");
  const int64_t lists = NullGLCounts().LiveLists;
  TGLVisualObject* const head = OverlayHead;
  SetAppDir(dir.Str());
  try {
    TLevelHud hud;
    FAIL() << "made without radbound.cna";
  } catch (const TFileError& e) {
    EXPECT_NE(std::string(e.what()).find("radbound.cna"), std::string::npos) << e.what();
  }
  EXPECT_EQ(NullGLCounts().LiveLists, lists);
  EXPECT_EQ(OverlayHead, head);
}

TEST_F(HudObjects, DrawsWhateverTheActorsHold) {
  TLevelHud hud;
  TWorld world;
  world.Actors.push_back(std::make_unique<TActor>(world, ShadowClass::Building));
  world.Actors.push_back(std::make_unique<TActor>(world, ShadowClass::Building));
  world.Actors.push_back(nullptr);
  TActor& player = *world.Actors[0];
  player.Side = 1;
  player.MaxLife = 0;  // a player without a maximum
  world.Actors[1]->Position = {Nan, 0, 0};
  world.Actors[1]->Side = 2;
  THudView view{.World = world, .Player = player};
  view.ShowObjective = true;
  view.ObjectivePoint = player.Position;  // no direction to point in
  const int32_t width = ScreenWidth, height = ScreenHeight;
  ScreenWidth = 0;
  ScreenHeight = 0;
  hud.Draw(view);
  player.Position = {Nan, Nan, Nan};
  view.Flight = {Nan, 0, 0};
  hud.Draw(view);
  hud.DrawFade(Nan);
  hud.DrawLoadingBar(Nan);
  hud.DrawLetterbox();
  EXPECT_TRUE(std::isfinite(hud.LivesLabel->X) && std::isfinite(hud.LivesLabel->Size));
  ScreenWidth = width;
  ScreenHeight = height;
}

// ---- Pixels ------------------------------------------------------------------------------

void WriteCna(const std::string& path, int side, const std::function<std::array<uint8_t, 4>(float, float)>& rgba) {
  std::vector<uint8_t> bgra(static_cast<size_t>(side) * side * 4);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      // (u, v) in -1..1 across the image, at the pixel's centre.
      const float u = (x + 0.5f) / side * 2 - 1, v = (y + 0.5f) / side * 2 - 1;
      const std::array<uint8_t, 4> c = rgba(u, v);
      uint8_t* p = &bgra[(static_cast<size_t>(y) * side + x) * 4];
      p[0] = c[2];
      p[1] = c[1];
      p[2] = c[0];
      p[3] = c[3];
    }
  WriteCnaFile(path, bgra.data(), side, side, TCnaSource::Bgra);
}

constexpr float MaskRadius = 0.9f;  // of the radar quad

class HudPixels : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    SetAppDir(QUINTARA_GAME_DIR);
    if (!fs::exists(SoundDir + "explode.wav")) GTEST_SKIP() << "no data forged";
    fs::create_directories(Dir.Path / "textures");
    fs::create_directories(Dir.Path / "Sound");
    fs::copy_file(SoundDir + "explode.wav", Dir / "Sound/explode.wav");
    SetAppDir(Dir.Str());
    const auto white = [](float, float) { return std::array<uint8_t, 4>{255, 255, 255, 255}; };
    const auto clear = [](float, float) { return std::array<uint8_t, 4>{0, 0, 0, 0}; };
    WriteCna(Dir / "textures/radmask.cna", 64, [](float u, float v) {
      const uint8_t a = u * u + v * v < MaskRadius * MaskRadius ? 255 : 0;
      return std::array<uint8_t, 4>{255, 255, 255, a};
    });
    WriteCna(Dir / "textures/radbound.cna", 8, clear);
    WriteCna(Dir / "textures/radar.cna", 8, white);
    WriteCna(Dir / "textures/btn.cna", 8, white);
    WriteCna(Dir / "textures/ArialBold.cna", 64, white);  // every glyph a solid block
    SelectLanguage(0);
  }
  void TearDown() override {
    Hud.reset();
    FreeOverlay();
    DeleteFont();
    ClearTextureCache();
    World.Actors.clear();
    FreeAllAudio();
    Window.Destroy();
    SetAppDir(QUINTARA_GAME_DIR);
  }

  // A window of that shape set up as the game's is, the signs' images solid or clear.
  void Open(const TShape& shape, bool signsShow) {
    std::string error;
    ASSERT_TRUE(Window.Create("hud test", shape.Width, shape.Height, error)) << error;
    ASSERT_TRUE(LoadGLTable(&TWindow::GetProcAddress, error)) << error;
    DetectCapabilities(reinterpret_cast<const char*>(GL.GetString(GL_EXTENSIONS)), &GetGLProcAddress);
    ScreenWidth = shape.Width;
    ScreenHeight = shape.Height;
    GL.Viewport(0, 0, ScreenWidth, ScreenHeight);
    MatrixPerspective(45.0f, shape.Aspect(), 0.1f, 700.0f, ProjectionMatrix);
    GL.MatrixMode(GL_PROJECTION);
    GL.LoadMatrixf(ProjectionMatrix.data());
    GL.MatrixMode(GL_MODELVIEW);
    GL.Enable(GL_TEXTURE_2D);
    GL.Enable(GL_DEPTH_TEST);
    GL.DepthFunc(GL_LEQUAL);
    GL.Enable(GL_CULL_FACE);
    GL.CullFace(GL_BACK);
    GL.Enable(GL_LIGHTING);  // the HUD must turn it off wherever it draws
    const auto sign = [signsShow](float, float) {
      return std::array<uint8_t, 4>{255, 255, 255, static_cast<uint8_t>(signsShow ? 255 : 0)};
    };
    WriteCna(Dir / "textures/enrg.cna", 8, sign);
    WriteCna(Dir / "textures/rktsig.cna", 8, sign);
    BuildFont();
    Hud = std::make_unique<TLevelHud>();
    Hud->SetLives(4);
    Hud->SetMissiles(6);
    World.Actors.push_back(std::make_unique<TActor>(World, ShadowClass::Building));
    Player().Position = {2000, 2000, 400};
    Player().Side = 1;
    Player().MaxLife = 100;
    Player().Life = 100;
  }

  TActor& Player() { return *World.Actors[0]; }

  void DrawFrame(const TVector& flight = {0.6f, 0.8f, 0}) {
    GL.ClearColor(0, 0, 0, 0);
    GL.ClearStencil(0);
    GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    THudView view{.World = World, .Player = Player()};
    view.Flight = flight;
    view.MapExtentX = view.MapExtentY = 4400;
    view.RadarTexture = LoadTexture("radar.cna");
    Hud->Draw(view);
    GL.Finish();
  }

  // Whether a pixel of the 3 x 3 block around the point is near that colour (a 1-pixel point
  // may land on either side of a pixel edge).
  ::testing::AssertionResult SeenNear(float x, float y, const std::array<int, 3>& want) {
    const int cx = static_cast<int>((x + 1) / 2 * ScreenWidth), cy = static_cast<int>((y + 1) / 2 * ScreenHeight);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const std::array<int, 3> c = PixelAt(cx + dx, cy + dy);
        if (std::abs(c[0] - want[0]) <= 3 && std::abs(c[1] - want[1]) <= 3 && std::abs(c[2] - want[2]) <= 3)
          return ::testing::AssertionSuccess();
      }
    return ::testing::AssertionFailure() << "no pixel near " << want[0] << "," << want[1] << "," << want[2];
  }

  std::array<int, 3> PixelAt(int px, int py) {
    uint8_t rgba[4] = {};
    GL.ReadPixels(px, py, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
  }
  // Device coordinates.
  std::array<int, 3> ColourAtNdc(float x, float y) {
    return PixelAt(static_cast<int>((x + 1) / 2 * ScreenWidth), static_cast<int>((y + 1) / 2 * ScreenHeight));
  }
  // Overlay coordinates (10 units in front of the eye).
  std::array<int, 3> ColourAtOverlay(float x, float y) {
    return ColourAtNdc(x * ProjectionMatrix[0] / MenuViewDistance, y * ProjectionMatrix[5] / MenuViewDistance);
  }

  TTempDir Dir;
  TWindow Window;
  TWorld World;
  std::unique_ptr<TLevelHud> Hud;
};

::testing::AssertionResult Near(const std::array<int, 3>& got, const std::array<int, 3>& want) {
  for (int i = 0; i < 3; ++i)
    if (std::abs(got[i] - want[i]) > 3)
      return ::testing::AssertionFailure() << "got " << got[0] << "," << got[1] << "," << got[2] << " want "
                                           << want[0] << "," << want[1] << "," << want[2];
  return ::testing::AssertionSuccess();
}

const std::array<int, 3> Black{0, 0, 0};
const std::array<int, 3> MapGrey{128, 128, 128};

TEST_F(HudPixels, RadarMapIsRoundUnderItsMaskAtEveryShape) {
  for (const TShape& shape : {Shapes[0], Shapes[2]}) {
    SCOPED_TRACE(shape.Name);
    Open(shape, false);
    DrawFrame();
    const THudPlacement radar = PlaceHudSign(-0.85f, 0.8f, 0.1f, shape.Aspect());
    for (int k = 0; k < 8; ++k) {
      const float a = k * 3.14159265f / 4 + 0.3f;
      const float c = std::cos(a), s = std::sin(a);
      // Inside the rim the map shows, whichever way it has turned.
      const float in = 0.75f * MaskRadius;
      EXPECT_TRUE(Near(ColourAtNdc(radar.X + c * in * radar.ScaleX, radar.Y + s * in * radar.ScaleY), MapGrey)) << k;
      // Outside it, in the quad's corners, the mask kept the map away.
      const float d = 1.2f * 0.7071f;
      const float cx = (k & 1 ? 1.0f : -1.0f) * d, cy = (k & 2 ? 1.0f : -1.0f) * d;
      EXPECT_TRUE(Near(ColourAtNdc(radar.X + cx * radar.ScaleX, radar.Y + cy * radar.ScaleY), Black)) << k;
    }
    Hud.reset();
    FreeOverlay();
    DeleteFont();
    ClearTextureCache();
    World.Actors.clear();
    Window.Destroy();
  }
}

TEST_F(HudPixels, BlipsShowFoesAndFriendsInRangeOnly) {
  Open(Shapes[0], false);
  auto add = [this](TVector offset, int32_t side) {
    World.Actors.push_back(std::make_unique<TActor>(World, ShadowClass::Building));
    World.Actors.back()->Position = Player().Position + offset;
    World.Actors.back()->Side = side;
  };
  add({0, 400, 0}, 2);   // ahead of the northbound player: straight up on the radar
  add({0, -400, 0}, 1);  // behind: straight down
  add({400, 0, 0}, 0);   // neutral: never
  add({-800, 0, 0}, 2);  // exactly at the range: not shown (it would sit on the rim)
  DrawFrame({0, 1, 0});  // north: the radar does not turn
  const THudPlacement radar = PlaceHudSign(-0.85f, 0.8f, 0.1f, Shapes[0].Aspect());
  EXPECT_TRUE(SeenNear(radar.X, radar.Y + 0.5f * radar.ScaleY, {255, 0, 0}));
  EXPECT_TRUE(SeenNear(radar.X, radar.Y - 0.5f * radar.ScaleY, {0, 255, 0}));
  EXPECT_TRUE(SeenNear(radar.X, radar.Y, {255, 255, 255}));  // the player
  EXPECT_TRUE(Near(ColourAtNdc(radar.X + 0.5f * radar.ScaleX, radar.Y), MapGrey));
  EXPECT_FALSE(SeenNear(radar.X - radar.ScaleX, radar.Y, {255, 0, 0}));
}

TEST_F(HudPixels, EnergySignAndCountersTakeTheEnergyColour) {
  Open({"4:3 large", 640, 480}, true);
  Player().Life = 20;  // the low band: (0.8, 0, 0) at half opacity over black
  DrawFrame();
  const std::array<int, 3> low{102, 0, 0};
  const THudPlacement energy = PlaceHudSign(-0.65f, 0.9f, 0.05f, 4.0f / 3.0f);
  EXPECT_TRUE(Near(ColourAtNdc(energy.X, energy.Y), low));
  const THudPlacement missile = PlaceHudSign(0.87f, 0.9f, 0.04f, 4.0f / 3.0f);
  EXPECT_TRUE(Near(ColourAtNdc(missile.X, missile.Y), low));
  const TGLLabel& lives = *Hud->LivesLabel;
  EXPECT_TRUE(Near(ColourAtOverlay(lives.X + lives.Size * 0.85f, lives.Y - lives.Size / 2), low));

  Player().Life = 66;  // the middle band: (1, 1, 0.66)
  DrawFrame();
  EXPECT_TRUE(Near(ColourAtNdc(energy.X, energy.Y), {128, 128, 84}));
}

TEST_F(HudPixels, CountersAppearInsideTheScreenAtEveryShape) {
  for (const TShape& shape : Shapes) {
    SCOPED_TRACE(shape.Name);
    Open(shape, false);
    Hud->SetMissiles(12);
    DrawFrame();
    for (const TGLLabel* label : {Hud->LivesLabel, Hud->MissilesLabel}) {
      const float n = static_cast<float>(label->Caption.size());
      const float right = label->X + (n - 1) * label->Size * label->Advance + label->Size;
      EXPECT_GE(label->X * ProjectionMatrix[0] / MenuViewDistance, -1.0f);
      EXPECT_LE(right * ProjectionMatrix[0] / MenuViewDistance, 1.0f);
      EXPECT_LE(label->Y * ProjectionMatrix[5] / MenuViewDistance, 1.0f);
      // Full energy: blue at half opacity, at the first and the last glyph.
      EXPECT_TRUE(Near(ColourAtOverlay(label->X + label->Size / 2, label->Y - label->Size / 2), {0, 0, 128}));
      EXPECT_TRUE(Near(ColourAtOverlay(right - label->Size / 2, label->Y - label->Size / 2), {0, 0, 128}));
    }
    Hud.reset();
    FreeOverlay();
    DeleteFont();
    ClearTextureCache();
    World.Actors.clear();
    Window.Destroy();
  }
}

TEST_F(HudPixels, LetterboxAndFadeCoverTheirParts) {
  Open(Shapes[1], false);
  GL.ClearColor(1, 1, 1, 1);
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  Hud->DrawLetterbox();
  GL.Finish();
  EXPECT_TRUE(Near(ColourAtNdc(0, 0.85f), Black));
  EXPECT_TRUE(Near(ColourAtNdc(0.9f, -0.85f), Black));
  EXPECT_TRUE(Near(ColourAtNdc(0, 0.6f), {255, 255, 255}));
  Hud->DrawFade(0.5f);
  GL.Finish();
  EXPECT_TRUE(Near(ColourAtNdc(0, 0), {128, 128, 128}));
}

TEST_F(HudPixels, LoadingBarFillsFromTheLeft) {
  Open(Shapes[0], false);
  GL.ClearColor(0, 0, 1, 1);  // the screen's own clear colour survives the bar
  Hud->DrawLoadingBar(0.5f);
  GL.Finish();
  // The bar spans x -1..1 at 5 units: in device units +-P[0]/5.
  const float edge = ProjectionMatrix[0] / 5.0f;
  const std::array<int, 3> left = ColourAtNdc(-edge * 0.9f, 0);
  EXPECT_EQ(left[0], 255);
  EXPECT_LT(left[1], 40);
  EXPECT_TRUE(Near(ColourAtNdc(edge * 0.5f, 0), {64, 64, 64}));  // the empty groove
  EXPECT_TRUE(Near(ColourAtNdc(0, 0.5f), Black));
  GL.Clear(GL_COLOR_BUFFER_BIT);
  GL.Finish();
  EXPECT_TRUE(Near(ColourAtNdc(0, 0), {0, 0, 255}));
}

}  // namespace
