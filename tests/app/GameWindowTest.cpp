// GameWindowTest.cpp — whole-program runs: headless with the null table, and offscreen on Mesa
// with a screenshot checked pixel by pixel.
#include "app/MainUnit.h"
#include "app/Program.h"
#include "core/Globals.h"
#include "core/PngFile.h"
#include "core/RenderHandler.h"
#include "platform/GLTable.h"
#include "platform/Message.h"
#include "render/GLVisualObjectUnit.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

int RunQuintara(std::vector<const char*> args) {
  args.insert(args.begin(), "quintara");
  return RunProgram(static_cast<int>(args.size()), args.data());
}

const uint8_t* Pixel(const TRgbaImage& image, int x, int y) {
  return &image.Pixels[(static_cast<size_t>(y) * image.Width + x) * 4];
}

TEST(GameWindow, HeadlessRunWithFixedStepRunsEveryFrameAndLeaksNothing) {
  ASSERT_EQ(RunQuintara({"--headless", "--frames", "600", "--fixed-step", "16", "--seed", "1",
                         "--dir", QUINTARA_GAME_DIR}),
            0);
  EXPECT_EQ(Counter.Elapsed, 16);
  EXPECT_EQ(NullGLCounts().LiveTextures, 0);
  EXPECT_EQ(NullGLCounts().LiveLists, 0);
  EXPECT_EQ(ScreenWidth, 1024);
  EXPECT_EQ(ScreenHeight, 768);
}

// Mission 1 opens as a cinematic: the picture fades in between black bars across the top and
// the bottom of the screen.
TEST(GameWindow, OffscreenScreenshotShowsTheOpeningBetweenTheCinemaBars) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/Data/lev1.srf")) GTEST_SKIP() << "no data forged";
  TTempDir dir;
  const std::string shot = dir / "out.png";
  ASSERT_EQ(RunQuintara({"--offscreen", "--windowed", "320x240", "--mission", "1", "--frames", "150", "--fixed-step",
                         "16", "--screenshot", shot.c_str(), "--dir", QUINTARA_GAME_DIR}),
            0);
  TRgbaImage image = ReadPng(shot);
  ASSERT_EQ(image.Width, 320);
  ASSERT_EQ(image.Height, 240);
  for (int y : {2, 30, 212, 237})
    for (int x : {2, 160, 317}) {
      const uint8_t* bar = Pixel(image, x, y);
      EXPECT_EQ(bar[0] + bar[1] + bar[2], 0) << x << "," << y;
    }
  // Sky shows in the middle.
  int bright = 0;
  for (int x = 0; x < 320; x += 8) {
    const uint8_t* p = Pixel(image, x, 60);
    bright += p[2] > 100 ? 1 : 0;
  }
  EXPECT_GT(bright, 20);
}

// Captures what a run prints on standard output.
std::string RunQuintaraOutput(std::vector<const char*> args) {
  testing::internal::CaptureStdout();
  RunQuintara(std::move(args));
  return testing::internal::GetCapturedStdout();
}

std::string ResultLineOf(const std::string& output) {
  const size_t at = output.rfind("result mission=");
  return at == std::string::npos ? "" : output.substr(at, output.find('\n', at) - at);
}

// The computer pilot flies the first minute of mission 1 with a recording made on the way; the
// recording plays back to the same result and world hash, and a damaged one is refused.
TEST(GameWindow, ARecordedFlightReplaysToTheSameHash) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/Data/lev1.srf")) GTEST_SKIP() << "no data forged";
  TTempDir dir;
  const std::string rec = dir / "flight.rec";
  const std::string flown = ResultLineOf(RunQuintaraOutput({"--headless", "--mission", "1", "--bot", "--fixed-step", "16",
                                                            "--seed", "5", "--frames", "3000", "--record", rec.c_str(),
                                                            "--dir", QUINTARA_GAME_DIR}));
  ASSERT_NE(flown.find("frames=3000"), std::string::npos) << flown;
  ASSERT_NE(flown.find("hash="), std::string::npos) << flown;
  const std::string replayed =
      ResultLineOf(RunQuintaraOutput({"--headless", "--replay", rec.c_str(), "--dir", QUINTARA_GAME_DIR}));
  EXPECT_EQ(replayed, flown);
  // Another frame step is not the recorded run.
  EXPECT_EQ(RunQuintara({"--headless", "--replay", rec.c_str(), "--fixed-step", "20", "--dir", QUINTARA_GAME_DIR}), 2);
  std::filesystem::resize_file(rec, std::filesystem::file_size(rec) / 2);
  EXPECT_EQ(RunQuintara({"--headless", "--replay", rec.c_str(), "--dir", QUINTARA_GAME_DIR}), 2);
}

TEST(GameWindow, MissingDataEndsTheRunWithAMessageNamingTheFile) {
  TTempDir dir;
  std::vector<std::string> messages;
  SetMessageSink([&](const std::string& text) { messages.push_back(text); });
  EXPECT_EQ(RunQuintara({"--headless", "--frames", "5", "--dir", dir.Path.c_str()}), 1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("ArialBold.cna"), std::string::npos);
}

TEST(GameWindow, HelpSucceedsAndBadOptionsFail) {
  EXPECT_EQ(RunQuintara({"--help"}), 0);
  EXPECT_EQ(RunQuintara({"--frames", "abc"}), 2);
}

// A screen that frees itself from inside its own frame function, as the menu does when a
// mission starts.
class TSelfFreeingScreen {
public:
  static int Frames;
  void Frame() {
    ++Frames;
    OnRender = {};
    delete this;
  }
};
int TSelfFreeingScreen::Frames = 0;

TEST(GameWindow, FrameFunctionMayFreeItsOwnScreen) {
  SetAppDir(QUINTARA_GAME_DIR);
  TMainForm form;
  TGameWindowOptions options;
  options.Headless = true;
  options.WindowWidth = 640;
  options.WindowHeight = 480;
  ASSERT_TRUE(form.FormCreate(options));
  ASSERT_TRUE(form.FormActivate());
  auto* screen = new TSelfFreeingScreen;
  OnRender = TRenderHandler::Bind<&TSelfFreeingScreen::Frame>(screen);
  form.RunFrameLoop(5, "");
  EXPECT_EQ(form.FramesRun(), 5);
  EXPECT_EQ(TSelfFreeingScreen::Frames, 1);
  EXPECT_FALSE(OnRender);
}

TEST(GameWindow, MouseButtonsKeepOnlyTheLatestPress) {
  TMainForm form;
  MouseButtons = 0;
  form.MouseDown(MouseButtonLeft, 10, 10);
  EXPECT_EQ(MouseButtons, MouseLeftBit);
  form.MouseDown(MouseButtonRight, 10, 10);
  EXPECT_EQ(MouseButtons, MouseRightBit);
  form.MouseUp(MouseButtonLeft, 10, 10);
  EXPECT_EQ(MouseButtons, MouseRightBit);
  form.MouseUp(MouseButtonRight, 10, 10);
  EXPECT_EQ(MouseButtons, 0);
}

}  // namespace

namespace {

TEST(GameWindow, ActivationWithoutAContextShowsTheRenderContextMessage) {
  std::vector<std::string> messages;
  SetMessageSink([&](const std::string& text) { messages.push_back(text); });
  TMainForm form;  // never created: no context
  EXPECT_FALSE(form.FormActivate());
  SetMessageSink({});
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Error creating Render Context");
}

}  // namespace

namespace {

// The pixel where view-space (x, y) of the menu plane lands.
void MenuPixel(float x, float y, int& px, int& py) {
  px = static_cast<int>((x * ProjectionMatrix[0] / MenuViewDistance + 1.0f) / 2.0f * ScreenWidth);
  py = static_cast<int>((1.0f - y * ProjectionMatrix[5] / MenuViewDistance) / 2.0f * ScreenHeight);
}

TEST(GameWindow, OverlayTestScreenExitButtonClosesTheWindow) {
  SetAppDir(QUINTARA_GAME_DIR);
  TMainForm form;
  TGameWindowOptions options;
  options.Headless = true;
  options.OverlayTest = true;
  options.WindowWidth = 800;
  options.WindowHeight = 600;
  ASSERT_TRUE(form.FormCreate(options));
  ASSERT_TRUE(form.FormActivate());
  form.RunFrameLoop(1, "");  // draws the overlay once, so the sprites know where they are
  ResetGameWindowClosing();
  int px = 0, py = 0;
  MenuPixel(0.0f, 3.0f, px, py);  // empty space above the buttons
  form.MouseDown(MouseButtonLeft, px, py);
  EXPECT_FALSE(GameWindowClosing());
  MenuPixel(3.0f, -1.4f, px, py);  // the Exit button
  form.MouseDown(MouseButtonLeft, px, py);
  EXPECT_TRUE(GameWindowClosing());
  form.MouseUp(MouseButtonLeft, px, py);
  form.FormDestroy();
  EXPECT_EQ(NullGLCounts().LiveTextures, 0);
  EXPECT_EQ(NullGLCounts().LiveLists, 0);
}

}  // namespace
