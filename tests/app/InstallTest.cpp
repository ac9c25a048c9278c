// InstallTest.cpp — the real install: `cmake --install` into a temporary prefix, made
// read-only, and the installed game run from an unrelated working directory with its own home.
#include "core/FileIO.h"
#include "core/PngFile.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The exit status of a shell command, or -1 when it did not exit normally.
int RunCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void SetWritable(const fs::path& root, bool writable) {
  constexpr fs::perms Write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  const fs::perm_options how = writable ? fs::perm_options::add : fs::perm_options::remove;
  std::error_code ec;
  fs::permissions(root, writable ? fs::perms::owner_write : Write, how, ec);
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
    if (!it->is_symlink()) fs::permissions(it->path(), writable ? fs::perms::owner_write : Write, how, ec);
}

std::set<std::string> FilesUnder(const fs::path& root) {
  std::set<std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
    files.insert(fs::relative(entry.path(), root).string());
  return files;
}

// Root writes through any permission bits, so as root the game runs as "nobody" (when setpriv
// is there to do it): a read-only install then really is read-only to it.
constexpr unsigned NobodyId = 65534;
constexpr const char* SetPriv = "/usr/bin/setpriv";

bool RunsAsNobody() { return ::geteuid() == 0 && ::access(SetPriv, X_OK) == 0; }

std::string Unprivileged(const fs::path& home) {
  if (!RunsAsNobody()) return {};
  std::error_code ec;
  if (::chown(home.c_str(), NobodyId, NobodyId) != 0) return {};
  for (fs::recursive_directory_iterator it(home, ec), end; !ec && it != end; it.increment(ec))
    if (::chown(it->path().c_str(), NobodyId, NobodyId) != 0) return {};
  const std::string id = std::to_string(NobodyId);
  return std::string(SetPriv) + " --reuid=" + id + " --regid=" + id + " --clear-groups ";
}

// One install per test process, read-only from then on, as a system-wide install would be.
class Install : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Tree = std::make_unique<TTempDir>();
    Prefix = Tree->Path / "prefix";
    const fs::path log = Tree->Path / "install.log";
    InstallStatus = RunCommand(std::string("\"") + QUINTARA_CMAKE_COMMAND + "\" --install \"" + QUINTARA_BUILD_DIR +
                        "\" --prefix \"" + Prefix.string() + "\" > \"" + log.string() + "\" 2>&1");
    InstallLog = ReadText(log);
    if (InstallStatus == 0) SetWritable(Prefix, false);
  }
  static void TearDownTestSuite() {
    SetWritable(Prefix, true);
    Tree.reset();
  }

  void SetUp() override { ASSERT_EQ(InstallStatus, 0) << InstallLog; }

  // Runs the installed game from a fresh working directory with HOME and XDG_DATA_HOME in a
  // fresh temporary directory; returns its exit status and keeps its output in Output.
  int RunInstalledGame(const std::string& options) {
    fs::create_directories(Work.Path / "cwd");
    fs::create_directories(Work.Path / "home/data");
    const fs::path log = Work.Path / "game.log";
    const std::string as = Unprivileged(Work.Path);
    const int status = RunCommand("cd \"" + (Work.Path / "cwd").string() + "\" && " + as + "env HOME=\"" +
                                  (Work.Path / "home").string() + "\" XDG_DATA_HOME=\"" +
                                  (Work.Path / "home/data").string() + "\" \"" + (Prefix / "bin/quintara").string() +
                                  "\" " + options + " > \"" + log.string() + "\" 2>&1");
    Output = ReadText(log);
    return status;
  }

  static inline std::unique_ptr<TTempDir> Tree;
  static inline fs::path Prefix;
  static inline int InstallStatus = -1;
  static inline std::string InstallLog;

  TTempDir Work;
  std::string Output;
};

constexpr const char* HeadlessRun = "--headless --frames 30 --fixed-step 16 --seed 1";

TEST_F(Install, PutsTheProgramsDataDesktopEntryAndIconUnderThePrefix) {
  for (const char* program : {"bin/quintara", "bin/qtool"}) {
    EXPECT_TRUE(FileExists((Prefix / program).string())) << program;
    EXPECT_TRUE((fs::status(Prefix / program).permissions() & fs::perms::owner_exec) != fs::perms::none) << program;
  }
  for (const char* data : {"share/quintara/Data/lev1.srf", "share/quintara/Data/bad1.msh",
                           "share/quintara/textures/ArialBold.cna", "share/quintara/shader/DiffuseBump.vs",
                           "share/quintara/Sound/shoot.wav", "share/quintara/Sound/intro.mid"})
    EXPECT_TRUE(FileExists((Prefix / data).string())) << data;

  const std::string desktop = ReadText(Prefix / "share/applications/quintara.desktop");
  EXPECT_NE(desktop.find("[Desktop Entry]"), std::string::npos);
  EXPECT_NE(desktop.find("\nExec=quintara"), std::string::npos);
  EXPECT_NE(desktop.find("\nIcon=quintara\n"), std::string::npos);

  const TRgbaImage icon = ReadPng((Prefix / "share/icons/hicolor/256x256/apps/quintara.png").string());
  EXPECT_EQ(icon.Width, 256);
  EXPECT_EQ(icon.Height, 256);
}

TEST_F(Install, ShipsOnlyTheForgedDataAndNoUserFiles) {
  const std::set<std::string> files = FilesUnder(Prefix / "share/quintara");
  for (const char* user : {"Data/config.cfg", "Data/player.cfg", "Data/controls.cfg", "Player", "screenshots",
                           "icons"})
    EXPECT_EQ(files.count(user), 0u) << user;
}

// Checks the install itself; it holds before and after the game finds its own data tree.
TEST_F(Install, ReadOnlyInstallRunsWhenToldWhereItsDataIs) {
  const std::string data = (Prefix / "share/quintara").string();
  EXPECT_EQ(RunInstalledGame(std::string(HeadlessRun) + " --dir \"" + data + "\""), 0) << Output;
}

// The game started from anywhere finds share/quintara from its own bin/ directory and keeps the
// user's files in XDG_DATA_HOME.
TEST_F(Install, ReadOnlyInstallRunsFromAnyWorkingDirectory) {
  if (::geteuid() == 0 && !RunsAsNobody()) GTEST_SKIP() << "root writes into a read-only install";
  const std::set<std::string> before = FilesUnder(Prefix);
  EXPECT_EQ(RunInstalledGame(HeadlessRun), 0) << Output;
  // A new profile is the first file a player makes; it goes to the user's own directory.
  EXPECT_EQ(RunInstalledGame(std::string(HeadlessRun) + " --player Jano"), 0) << Output;
  EXPECT_TRUE(FileExists(Work / "home/data/quintara/Player/Jano")) << Output;
  EXPECT_EQ(FilesUnder(Prefix), before) << "the install is never written to";
}

}  // namespace
