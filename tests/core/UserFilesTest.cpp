// UserFilesTest.cpp — where the game and the user's files are found: the data tree beside the
// executable or in an install, the XDG user directory, writing there when the game's tree is
// read-only and reading the game's own copy when the user has none, numbered screenshots.
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/UserFiles.h"
#include "platform/GamePaths.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void MakeGameTree(const fs::path& dir) {
  fs::create_directories(dir / "Data");
  fs::create_directories(dir / "textures");
}

void Touch(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path) << "x";
}

// Permission bits do not stop root, so those cases only mean something for other users.
bool RunningAsRoot() { return ::geteuid() == 0; }

// Sets an environment variable for one test and puts the old value back.
class TEnvScope {
public:
  TEnvScope(const char* name, const char* value) : Name(name) {
    if (const char* old = std::getenv(name)) Old = old;
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~TEnvScope() {
    if (Old) ::setenv(Name, Old->c_str(), 1);
    else ::unsetenv(Name);
  }

private:
  const char* Name;
  std::optional<std::string> Old;
};

// ---- The game directory ----------------------------------------------------------------------

TEST(GameDir, BuildTreeBesideTheExecutableIsChosen) {
  TTempDir root;
  MakeGameTree(root.Path / "game");
  EXPECT_EQ(FindGameDir(root / "game", root / "elsewhere"), root / "game/");
}

TEST(GameDir, InstallShareDirectoryIsFoundFromBin) {
  TTempDir root;
  fs::create_directories(root.Path / "bin");
  MakeGameTree(root.Path / "share/quintara");
  EXPECT_EQ(FindGameDir(root / "bin/", root / "elsewhere"), root / "share/quintara/");
}

TEST(GameDir, WithoutADataTreeTheWorkingDirectoryIsKept) {
  TTempDir root;
  fs::create_directories(root.Path / "bin/Data");  // no textures/: not a game tree
  fs::create_directories(root.Path / "share/quintara/textures");  // no Data/: nor this
  EXPECT_EQ(FindGameDir(root / "bin", root / "work"), root / "work/");
  EXPECT_EQ(FindGameDir("", root / "work"), root / "work/");
}

TEST(GameDir, ExecutableDirectoryIsAnAbsoluteDirectory) {
  const std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(fs::is_directory(dir));
}

// ---- The user's data directory -----------------------------------------------------------

TEST(UserData, XdgDataHomeIsHonouredOnlyWhenAbsolute) {
  struct TCase {
    const char* Xdg;
    const char* Home;
    std::string Expected;
  };
  for (const TCase& c : {TCase{"/x/data", "/home/u", "/x/data/quintara/"},
                         TCase{"/x/data/", "/home/u", "/x/data/quintara/"},
                         TCase{"relative/data", "/home/u", "/home/u/.local/share/quintara/"},
                         TCase{"", "/home/u", "/home/u/.local/share/quintara/"},
                         TCase{nullptr, "/home/u/", "/home/u/.local/share/quintara/"},
                         TCase{nullptr, nullptr, ""},
                         TCase{nullptr, "home", ""}})
    EXPECT_EQ(UserDataDir(c.Xdg, c.Home), c.Expected)
        << (c.Xdg ? c.Xdg : "(unset)") << " " << (c.Home ? c.Home : "(unset)");
}

TEST(UserData, EnvironmentIsRead) {
  TEnvScope xdg("XDG_DATA_HOME", "/tmp/xdg-test");
  EXPECT_EQ(UserDataDir(), "/tmp/xdg-test/quintara/");
  TEnvScope unset("XDG_DATA_HOME", nullptr);
  TEnvScope home("HOME", "/tmp/home-test");
  EXPECT_EQ(UserDataDir(), "/tmp/home-test/.local/share/quintara/");
}

// ---- Choosing where the user's files go --------------------------------------------------

class UserFiles : public ::testing::Test {
protected:
  void SetUp() override {
    MakeGameTree(Root.Path / "game");
    Game = Root / "game/";
    User = Root / "user/quintara/";
    SetAppDir(Game);
  }
  void TearDown() override {
    // Put write permission back so the temporary tree can be removed.
    std::error_code ec;
    for (const fs::path& p : {Root.Path / "game", Root.Path / "game/Data"})
      fs::permissions(p, fs::perms::owner_all, fs::perm_options::add, ec);
    SetAppDir(Game);
  }

  TTempDir Root;
  std::string Game, User;
};

TEST_F(UserFiles, WritableGameTreeKeepsEveryFileWhereItWas) {
  EXPECT_EQ(ChooseUserDir(Game, User), Game);
  EXPECT_EQ(UserDir, Game);
  EXPECT_EQ(ConfigPath(TFileUse::Write), Game + "Data/config.cfg");
  EXPECT_EQ(LastPlayerPath(TFileUse::Read), Game + "Data/player.cfg");
  EXPECT_EQ(BindingsPath(TFileUse::Read), Game + "Data/controls.cfg");
  EXPECT_EQ(PlayerDir, Game + "Player/");
  EXPECT_EQ(ProfilePath("Jano", TFileUse::Write), Game + "Player/Jano");
  EXPECT_EQ(ScreenshotDir(), Game + "screenshots/");
  EXPECT_FALSE(fs::exists(Root.Path / "user")) << "nothing is made in the user's home";
}

TEST_F(UserFiles, GameTreeOnAReadOnlyFileSystemSendsFilesToTheUserDirectory) {
  // /proc takes no new files, whoever asks.
  EXPECT_FALSE(CanWriteDirectory("/proc/"));
  EXPECT_EQ(ChooseUserDir("/proc/", User), User);
  EXPECT_TRUE(DirectoryExists(User + "Data/"));
}

TEST_F(UserFiles, MissingGameTreeCannotBeWritten) {
  EXPECT_FALSE(CanWriteDirectory(Root / "absent/"));
  EXPECT_FALSE(CanWriteDirectory(""));
  EXPECT_EQ(ChooseUserDir(Root / "absent/", User), User);
}

TEST_F(UserFiles, ReadOnlyGameTreeSendsFilesToTheUserDirectory) {
  if (RunningAsRoot()) GTEST_SKIP() << "permission bits do not stop root";
  fs::permissions(Root.Path / "game", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_FALSE(CanWriteDirectory(Game));
  EXPECT_EQ(ChooseUserDir(Game, User), User);
  EXPECT_EQ(ConfigPath(TFileUse::Write), User + "Data/config.cfg");
}

TEST_F(UserFiles, ReadOnlyDataFolderAloneIsEnoughToMoveOut) {
  if (RunningAsRoot()) GTEST_SKIP() << "permission bits do not stop root";
  fs::permissions(Root.Path / "game/Data", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_TRUE(CanWriteDirectory(Game));
  EXPECT_EQ(ChooseUserDir(Game, User), User);
}

TEST_F(UserFiles, WithoutAUserDirectoryTheGameTreeIsKept) {
  EXPECT_EQ(ChooseUserDir("/proc/", ""), "/proc/");
}

TEST_F(UserFiles, ReadingFallsBackToTheGamesCopyUntilTheUserHasOne) {
  Touch(Game + "Data/config.cfg");
  Touch(Game + "Data/player.cfg");
  Touch(Game + "Player/Jano");
  SetUserDir(User);
  EXPECT_EQ(ConfigPath(TFileUse::Read), Game + "Data/config.cfg");
  EXPECT_EQ(LastPlayerPath(TFileUse::Read), Game + "Data/player.cfg");
  EXPECT_EQ(ProfilePath("Jano", TFileUse::Read), Game + "Player/Jano");
  EXPECT_EQ(PlayerDirPath(TFileUse::Read), Game + "Player/");

  // Writes go to the user's copy, whose folder is made on the way; reads then find it.
  const std::string written = ConfigPath(TFileUse::Write);
  EXPECT_EQ(written, User + "Data/config.cfg");
  EXPECT_TRUE(DirectoryExists(User + "Data/"));
  Touch(written);
  EXPECT_EQ(ConfigPath(TFileUse::Read), written);
  EXPECT_EQ(PlayerDirPath(TFileUse::Write), User + "Player/");
  EXPECT_EQ(PlayerDirPath(TFileUse::Read), User + "Player/");
  Touch(ProfilePath("Jano", TFileUse::Write));
  EXPECT_EQ(ProfilePath("Jano", TFileUse::Read), User + "Player/Jano");
  // Neither copy: the game's is named; its reader finds nothing and keeps the defaults.
  EXPECT_EQ(BindingsPath(TFileUse::Read), Game + "Data/controls.cfg");
}

TEST_F(UserFiles, NewGameTreeBringsTheUserDirectoryBack) {
  SetUserDir(User);
  SetAppDir(Root / "other");
  EXPECT_EQ(UserDir, Root / "other/");
  EXPECT_EQ(PlayerDir, Root / "other/Player/");
}

// ---- Screenshots -------------------------------------------------------------------------

TEST_F(UserFiles, FirstScreenshotIsNumberOneInAFolderMadeForIt) {
  SetUserDir(User);
  EXPECT_EQ(NextScreenshotPath(), User + "screenshots/quintara-0001.png");
  EXPECT_TRUE(DirectoryExists(User + "screenshots/"));
}

TEST_F(UserFiles, ScreenshotsNumberOnePastTheHighestAndIgnoreOtherNames) {
  for (const char* name : {"quintara-0001.png", "quintara-0007.png", "quintara-0100.jpg", "quintara-abc.png",
                           "other-0200.png", "quintara-.png", "quintara-00300"})
    Touch(Game + "screenshots/" + name);
  EXPECT_EQ(NextScreenshotPath(), Game + "screenshots/quintara-0008.png");
  Touch(Game + "screenshots/quintara-9999.png");
  EXPECT_EQ(NextScreenshotPath(), Game + "screenshots/quintara-10000.png");
}

TEST_F(UserFiles, NumberingDoesNotOverflowOnAbsurdNames) {
  Touch(Game + "screenshots/quintara-99999999999999999999.png");
  EXPECT_EQ(NextScreenshotPath(), Game + "screenshots/quintara-0001.png");
}

}  // namespace
