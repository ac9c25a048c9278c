// UserFiles.cpp — the user's files: where they are written, where they are read, and the
// choice of the user directory.
#include "core/UserFiles.h"

#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "platform/GamePaths.h"

#include <cstdio>
#include <filesystem>

#include <stdlib.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* ConfigFile = "Data/config.cfg";
constexpr const char* LastPlayerFile = "Data/player.cfg";
constexpr const char* BindingsFile = "Data/controls.cfg";
constexpr const char* DisplayFile = "Data/display.cfg";
constexpr const char* PlayerFolder = "Player/";
constexpr const char* ScreenshotFolder = "screenshots/";
constexpr const char* ScreenshotPrefix = "quintara-";
constexpr const char* ScreenshotExtension = ".png";
constexpr int ScreenshotDigits = 4;

std::string WithSlash(const std::string& dir) {
  return dir.empty() || dir.back() == '/' ? dir : dir + "/";
}

// Never throws: a folder that cannot be made shows up as the failed write of the file in it.
void TryEnsureDirectory(const std::string& dir) {
  try {
    EnsureDirectory(dir);
  } catch (const TFileError&) {
  }
}

std::string UserFile(const std::string& relative, TFileUse use) {
  const std::string user = UserDir + relative;
  if (use == TFileUse::Write) {
    TryEnsureDirectory(fs::path(user).parent_path().string());
    return user;
  }
  if (FileExists(user) || UserDir == AppDir) return user;
  return AppDir + relative;
}

// The number of "quintara-NNNN.png", or -1 for any other name.
long ScreenshotNumber(const std::string& name) {
  const std::string prefix = ScreenshotPrefix, extension = ScreenshotExtension;
  if (name.size() <= prefix.size() + extension.size()) return -1;
  if (name.compare(0, prefix.size(), prefix) != 0) return -1;
  if (name.compare(name.size() - extension.size(), extension.size(), extension) != 0) return -1;
  const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
  // Nine digits at most keeps the number inside a long on every platform.
  if (digits.size() > 9) return -1;
  long number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

}  // namespace

std::string ConfigPath(TFileUse use) { return UserFile(ConfigFile, use); }
std::string LastPlayerPath(TFileUse use) { return UserFile(LastPlayerFile, use); }
std::string BindingsPath(TFileUse use) { return UserFile(BindingsFile, use); }
std::string DisplayPath(TFileUse use) { return UserFile(DisplayFile, use); }

std::string PlayerDirPath(TFileUse use) {
  if (use == TFileUse::Write) {
    TryEnsureDirectory(PlayerDir);
    return PlayerDir;
  }
  if (DirectoryExists(PlayerDir) || UserDir == AppDir) return PlayerDir;
  return AppDir + PlayerFolder;
}

std::string ProfilePath(const std::string& name, TFileUse use) {
  return UserFile(PlayerFolder + name, use);
}

std::string ScreenshotDir() { return UserDir + ScreenshotFolder; }

std::string NextScreenshotPath() {
  const std::string dir = ScreenshotDir();
  TryEnsureDirectory(dir);
  long highest = 0;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const long number = ScreenshotNumber(it->path().filename().string());
    if (number > highest) highest = number;
  }
  char number[32];
  std::snprintf(number, sizeof number, "%0*ld", ScreenshotDigits, highest + 1);
  return dir + ScreenshotPrefix + number + ScreenshotExtension;
}

bool CanWriteDirectory(const std::string& dir) {
  if (dir.empty()) return false;
  std::string probe = WithSlash(dir) + ".quintara-write-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

std::string ChooseUserDir(const std::string& appDir, const std::string& userDataDir) {
  const std::string game = WithSlash(appDir);
  bool writable = CanWriteDirectory(game);
  for (const char* folder : {"Data/", PlayerFolder, ScreenshotFolder})
    if (writable && DirectoryExists(game + folder)) writable = CanWriteDirectory(game + folder);
  if (writable || userDataDir.empty()) {
    SetUserDir(game);
    return UserDir;
  }
  SetUserDir(userDataDir);
  TryEnsureDirectory(UserDir + "Data/");
  return UserDir;
}

std::string ChooseUserDir(const std::string& appDir) { return ChooseUserDir(appDir, UserDataDir()); }
