// GamePaths.cpp — the game directory beside the executable or in the install's share tree,
// and the user's XDG data directory.
#include "platform/GamePaths.h"

#include <SDL.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// Relative to bin/ of an install; the install rules put the data tree there.
constexpr const char* InstalledDataDir = "../share/quintara";
constexpr const char* UserSubdir = "quintara";

std::string WithSlash(const std::string& dir) {
  if (dir.empty() || dir.back() == '/') return dir;
  return dir + "/";
}

// Both folders the game cannot start without: the meshes and the font.
bool HoldsGameData(const fs::path& dir) {
  std::error_code ec;
  return fs::is_directory(dir / "Data", ec) && fs::is_directory(dir / "textures", ec);
}

std::string Normalised(const fs::path& dir) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(dir, ec);
  return WithSlash((ec ? dir.lexically_normal() : canonical).string());
}

}  // namespace

std::string ExecutableDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && !exe.empty()) return WithSlash(exe.parent_path().string());
  char* base = SDL_GetBasePath();
  if (!base) return {};
  std::string dir = WithSlash(base);
  SDL_free(base);
  return dir;
}

std::string FindGameDir(const std::string& exeDir, const std::string& workingDir) {
  if (!exeDir.empty()) {
    if (HoldsGameData(exeDir)) return Normalised(exeDir);
    const fs::path installed = fs::path(exeDir) / InstalledDataDir;
    if (HoldsGameData(installed)) return Normalised(installed);
  }
  return WithSlash(workingDir);
}

std::string FindGameDir() {
  std::error_code ec;
  const fs::path working = fs::current_path(ec);
  return FindGameDir(ExecutableDir(), ec ? std::string() : working.string());
}

std::string UserDataDir(const char* xdgDataHome, const char* home) {
  // A relative XDG_DATA_HOME is not a place to keep files in: it is ignored, as desktops do.
  if (xdgDataHome && xdgDataHome[0] == '/') return WithSlash(WithSlash(xdgDataHome) + UserSubdir);
  if (home && home[0] == '/') return WithSlash(WithSlash(home) + ".local/share/" + UserSubdir);
  return {};
}

std::string UserDataDir() { return UserDataDir(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")); }
