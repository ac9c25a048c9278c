// SettingsTest.cpp — the settings dialog's mapping between controls and the record.
#include "app/SetUnit.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> Lines = {"640 x 480 x 32 bit", "1024 x 768 x 32 bit 60 Hz"};

TEST(SettingsMapping, ShowsTheDefaultsAsTheDialogExpects) {
  TSettingsControls c = ControlsFromConfig(DefaultConfig(), Lines, true, {});
  EXPECT_EQ(c.ModeIndex, 0);
  EXPECT_TRUE(c.BumpEnabled);
  EXPECT_TRUE(c.BumpChecked);
  EXPECT_EQ(c.FilterIndex, 1);
  EXPECT_EQ(c.ShadowsIndex, 3);
  EXPECT_TRUE(c.LanguageSlovak);
  EXPECT_EQ(c.MusicPosition, 0);  // -700 is the right end of the track bar
  EXPECT_EQ(c.SoundPosition, 0);
  EXPECT_EQ(c.MouseSensitivity, 0);
  EXPECT_FALSE(c.InvertY);
}

TEST(SettingsMapping, UnsupportedBumpMappingIsShownOffAndSavedOff) {
  TConfig config = DefaultConfig();
  TSettingsControls c = ControlsFromConfig(config, Lines, false, {});
  EXPECT_FALSE(c.BumpEnabled);
  EXPECT_FALSE(c.BumpChecked);
  EXPECT_EQ(ConfigFromControls(c, config).BumpMapping, 0);
  // Until OK is pressed, the record keeps asking for it.
  EXPECT_EQ(config.BumpMapping, 1);
}

TEST(SettingsMapping, ShadowLinesMapToOnOffAndMapSize) {
  const struct {
    int Line;
    uint8_t Shadows;
    int32_t Size;
  } cases[] = {{0, 0, 0}, {1, 1, 64}, {2, 1, 128}, {3, 1, 256}};
  for (const auto& k : cases) {
    TSettingsControls c = ControlsFromConfig(DefaultConfig(), Lines, true, {});
    c.ShadowsIndex = k.Line;
    TConfig saved = ConfigFromControls(c, DefaultConfig());
    EXPECT_EQ(saved.Shadows, k.Shadows) << k.Line;
    EXPECT_EQ(saved.ShadowMapSize, k.Size) << k.Line;
    EXPECT_EQ(ControlsFromConfig(saved, Lines, true, {}).ShadowsIndex, k.Line);
  }
}

TEST(SettingsMapping, OddShadowSizeKeepsThePreviousSelectionAndNoneKeepsTheRecord) {
  TConfig config = DefaultConfig();
  config.ShadowMapSize = 100;
  TSettingsControls previous;
  previous.ShadowsIndex = 2;
  EXPECT_EQ(ControlsFromConfig(config, Lines, true, previous).ShadowsIndex, 2);

  TSettingsControls c = ControlsFromConfig(DefaultConfig(), Lines, true, {});
  c.ShadowsIndex = -1;
  TConfig saved = ConfigFromControls(c, config);
  EXPECT_EQ(saved.Shadows, config.Shadows);
  EXPECT_EQ(saved.ShadowMapSize, 100);
}

TEST(SettingsMapping, TrackBarEndsGiveTheVolumeRange) {
  TSettingsControls c = ControlsFromConfig(DefaultConfig(), Lines, true, {});
  c.MusicPosition = 0;
  c.SoundPosition = -4000;
  c.MouseSensitivity = -20;
  c.InvertY = true;
  c.LanguageSlovak = false;
  c.FilterIndex = 0;
  c.ModeIndex = 1;
  TConfig saved = ConfigFromControls(c, DefaultConfig());
  EXPECT_EQ(saved.MusicVolume, -700);
  EXPECT_EQ(saved.SoundVolume, -4500);
  EXPECT_EQ(saved.MouseSensitivity, -20);
  EXPECT_EQ(saved.InvertY, 1);
  EXPECT_EQ(saved.Language, 0);
  EXPECT_EQ(saved.Trilinear, 0);
  EXPECT_EQ(saved.DisplayMode, 1);
  EXPECT_EQ(saved.UseMouse, 1);  // no control: kept as it was
}

TEST(SettingsMapping, ModeBeyondTheListShowsNoSelection) {
  TConfig config = DefaultConfig();
  config.DisplayMode = 7;
  EXPECT_EQ(ControlsFromConfig(config, Lines, true, {}).ModeIndex, -1);
}

}  // namespace
