// TempDir.h — a fresh directory per test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

#include <unistd.h>

class TTempDir {
public:
  TTempDir() {
    static int serial = 0;
    Path = std::filesystem::temp_directory_path() /
           ("quintara-test-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
  std::string operator/(const std::string& name) const { return (Path / name).string(); }
  std::string Str() const { return Path.string() + "/"; }

  std::filesystem::path Path;
};
