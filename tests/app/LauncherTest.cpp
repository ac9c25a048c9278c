// LauncherTest.cpp — the launcher's profile handling, without a display.
#include "app/SetUnit.h"
#include "app/StartUnit.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "platform/Message.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class Launcher : public ::testing::Test {
protected:
  void SetUp() override {
    SetAppDir(Dir.Str());
    std::filesystem::create_directories(Dir / "Data");
    SetMessageSink([this](const std::string& text) { Messages.push_back(text); });
  }
  void TearDown() override { SetMessageSink({}); }

  void WriteLastPlayerFile(const std::string& name) { WriteLastPlayer(Dir / "Data/player.cfg", name); }

  TTempDir Dir;
  std::vector<std::string> Messages;
  TSetForm Settings;
};

TEST_F(Launcher, NoPlayerFileLeavesStartDisabled) {
  TStartForm form(Settings);
  form.FormCreate();
  EXPECT_FALSE(form.StartEnabled());
  EXPECT_TRUE(Messages.empty());
}

TEST_F(Launcher, LastPlayerWithoutAProfileLeavesStartDisabled) {
  WriteLastPlayerFile("Gone");
  TStartForm form(Settings);
  form.FormCreate();
  EXPECT_FALSE(form.StartEnabled());
}

TEST_F(Launcher, NewNameCreatesAProfileWithProgressOneAndRemembersIt) {
  TStartForm form(Settings);
  form.FormCreate();
  // The profile directory is created when missing.
  ASSERT_TRUE(form.ChoosePlayer(Dir.Str() + "Player/Žofia"));
  EXPECT_TRUE(form.StartEnabled());
  const std::string cp1250Name = "\x8E" "ofia";
  TPlayerRecord record = ReadProfile(Dir / ("Player/" + cp1250Name));
  EXPECT_EQ(GetShortString(record.Name, sizeof record.Name), cp1250Name);
  EXPECT_EQ(record.Progress, 1);
  EXPECT_EQ(ReadLastPlayer(Dir / "Data/player.cfg"), cp1250Name);

  TStartForm again(Settings);
  again.FormCreate();
  EXPECT_TRUE(again.StartEnabled());
  EXPECT_EQ(again.LastPlayer(), cp1250Name);
}

TEST_F(Launcher, ExistingProfileKeepsItsProgress) {
  std::filesystem::create_directories(Dir / "Player");
  TPlayerRecord record{};
  SetShortString(record.Name, "Jano");
  record.Progress = 3;
  WriteProfile(Dir / "Player/Jano", record);

  TStartForm form(Settings);
  ASSERT_TRUE(form.ChoosePlayer(Dir.Str() + "Player/Jano"));
  EXPECT_EQ(ReadProfile(Dir / "Player/Jano").Progress, 3);
  form.StartButtonClick();
  EXPECT_EQ(CurrentLevel, 3);
}

TEST_F(Launcher, ProfileChosenElsewhereIsCreatedInThePlayerDirectory) {
  TStartForm form(Settings);
  ASSERT_TRUE(form.ChoosePlayer(Dir.Str() + "elsewhere/deep/Fero"));
  EXPECT_TRUE(FileExists(Dir / "Player/Fero"));
  EXPECT_FALSE(FileExists(Dir / "elsewhere/deep/Fero"));
}

TEST_F(Launcher, UnusableNamesAreRefusedWithAMessageAndNothingWritten) {
  TStartForm form(Settings);
  form.FormCreate();
  for (const std::string& path : {Dir.Str() + "Player/", Dir.Str() + "Player/..",
                                  Dir.Str() + "Player/bad\x01name", Dir.Str() + "Player/名前",
                                  Dir.Str() + "Player/" + std::string(256, 'x')}) {
    Messages.clear();
    EXPECT_FALSE(form.ChoosePlayer(path));
    EXPECT_EQ(Messages.size(), 1u) << path;
  }
  EXPECT_FALSE(form.StartEnabled());
  EXPECT_FALSE(FileExists(Dir / "Data/player.cfg"));
}

TEST_F(Launcher, ShortProfileAtStartShowsAMessageAndKeepsTheLauncher) {
  std::filesystem::create_directories(Dir / "Player");
  std::ofstream(Dir / "Player/Cut", std::ios::binary) << "\x03" "Cut";
  WriteLastPlayerFile("Cut");
  TStartForm form(Settings);
  form.FormCreate();
  ASSERT_TRUE(form.StartEnabled());
  form.StartButtonClick();
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_NE(Messages[0].find("Player/Cut"), std::string::npos);
  EXPECT_TRUE(form.StartEnabled());
}

TEST_F(Launcher, DamagedProgressIsClampedToAMission) {
  std::filesystem::create_directories(Dir / "Player");
  TPlayerRecord record{};
  SetShortString(record.Name, "Odd");
  record.Progress = 200;
  WriteProfile(Dir / "Player/Odd", record);
  WriteLastPlayerFile("Odd");
  TStartForm form(Settings);
  form.FormCreate();
  form.StartButtonClick();
  EXPECT_EQ(CurrentLevel, 5);
}

}  // namespace
