// OptionsTest.cpp — command-line parsing: values, ranges and the launcher decision.
#include "app/Options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::optional<TOptions> Parse(std::vector<const char*> args, std::string* error = nullptr) {
  args.insert(args.begin(), "quintara");
  std::string e;
  auto result = ParseOptions(static_cast<int>(args.size()), args.data(), e);
  if (error) *error = e;
  return result;
}

TEST(Options, NoArgumentsOpenTheLauncherFullScreen) {
  auto o = Parse({});
  ASSERT_TRUE(o);
  EXPECT_FALSE(SkipsLauncher(*o));
  EXPECT_EQ(o->WindowWidth, 0);
  EXPECT_TRUE(o->Vsync);
}

TEST(Options, HeadlessRunWithFixedStepAndSeed) {
  auto o = Parse({"--headless", "--frames", "600", "--fixed-step", "16", "--seed", "1"});
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->Headless);
  EXPECT_EQ(o->Frames, 600);
  EXPECT_EQ(o->FixedStep, 16);
  ASSERT_TRUE(o->Seed);
  EXPECT_EQ(*o->Seed, 1u);
  EXPECT_TRUE(SkipsLauncher(*o));
  EXPECT_EQ(o->WindowWidth, 1024);  // headless runs still have a screen size
}

TEST(Options, WindowedSizeKeepsTheLauncher) {
  auto o = Parse({"--windowed", "800x600"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->WindowWidth, 800);
  EXPECT_EQ(o->WindowHeight, 600);
  EXPECT_FALSE(SkipsLauncher(*o));
}

TEST(Options, RejectsBadValuesWithTheOptionNamed) {
  const std::vector<std::vector<const char*>> bad = {
      {"--windowed", "800"},     {"--windowed", "800x"},  {"--windowed", "x600"},
      {"--windowed", "10x10"},   {"--mission", "0"},      {"--mission", "6"},
      {"--mission", "two"},      {"--fixed-step", "0"},   {"--frames", "-5"},
      {"--seed", "-1"},          {"--seed", "4294967296"}, {"--frames"},
      {"--bogus"},               {"--headless", "--offscreen"},
      {"--headless", "--screenshot", "a.png"}};
  for (const auto& args : bad) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

TEST(Options, ThePilotAndRecordingsGoWithAMissionAndAReplayStandsAlone) {
  auto bot = Parse({"--mission", "2", "--bot", "--record", "run.rec"});
  ASSERT_TRUE(bot);
  EXPECT_TRUE(bot->Bot);
  EXPECT_EQ(bot->Record, "run.rec");
  EXPECT_FALSE(Parse({"--bot"}));
  EXPECT_FALSE(Parse({"--record", "run.rec"}));
  EXPECT_FALSE(Parse({"--replay", "run.rec", "--bot", "--mission", "1"}));
  EXPECT_FALSE(Parse({"--replay", "run.rec", "--viewer", "1"}));
  auto replay = Parse({"--replay", "run.rec"});
  ASSERT_TRUE(replay);
  EXPECT_TRUE(SkipsLauncher(*replay));
  EXPECT_FALSE(Parse({"--live"}));
}

TEST(Options, LargestSeedIsAccepted) {
  auto o = Parse({"--seed", "4294967295"});
  ASSERT_TRUE(o);
  EXPECT_EQ(*o->Seed, 4294967295u);
}

TEST(Options, UsageNamesEveryOption) {
  const std::string usage = UsageText();
  for (const char* name : {"--windowed", "--no-vsync", "--no-vertex-programs", "--viewer", "--camera", "--mission", "--headless", "--offscreen",
                           "--frames", "--fixed-step", "--seed", "--screenshot", "--dir", "--info",
                           "--help", "--flight", "--no-actors", "--no-shadows", "--cinematic", "--live",
                           "--wake-all", "--bot", "--record", "--replay", "--player", "--fps"})
    EXPECT_NE(usage.find(name), std::string::npos) << name;
}

}  // namespace

namespace {

TEST(Options, ViewerWithACameraSkipsTheLauncher) {
  auto o = Parse({"--viewer", "3", "--camera", "100,200.5,-3,45,-10"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->Viewer, 3);
  EXPECT_TRUE(SkipsLauncher(*o));
  ASSERT_TRUE(o->CameraGiven);
  EXPECT_FLOAT_EQ(o->Camera[1], 200.5f);
  EXPECT_FLOAT_EQ(o->Camera[2], -3.0f);
  EXPECT_FLOAT_EQ(o->Camera[4], -10.0f);
  for (const char* bad : {"1,2,3,4", "1,2,3,4,5,6", "1,2,x,4,5", "1,,3,4,5", "1,2,3,4,nan", "1,2,3,4,5 "})
    EXPECT_FALSE(Parse({"--viewer", "1", "--camera", bad})) << bad;
  EXPECT_FALSE(Parse({"--viewer", "6"}));
}

TEST(Options, AViewerFlightNeedsAViewerAndAPositiveLength) {
  auto o = Parse({"--viewer", "2", "--flight", "20000", "--no-actors"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->Flight, 20000);
  EXPECT_FALSE(o->ViewerActors);
  EXPECT_TRUE(Parse({"--viewer", "2"})->ViewerActors);
  EXPECT_FALSE(Parse({"--flight", "20000"}));
  for (const char* bad : {"0", "-5", "x", "99999999999"}) EXPECT_FALSE(Parse({"--viewer", "1", "--flight", bad})) << bad;
}

TEST(Options, ACinematicNeedsAViewerAndNoMeasurementFlight) {
  EXPECT_TRUE(Parse({"--viewer", "1", "--cinematic"})->Cinematic);
  EXPECT_FALSE(Parse({"--cinematic"}));
  EXPECT_FALSE(Parse({"--viewer", "1", "--cinematic", "--flight", "1000"}));
}

TEST(Options, NoShadowsTurnsThemOffForTheRun) {
  EXPECT_FALSE(Parse({"--viewer", "2", "--no-shadows"})->Shadows);
  EXPECT_TRUE(Parse({"--viewer", "2"})->Shadows);
}

}  // namespace
