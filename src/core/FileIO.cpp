// FileIO.cpp — whole-file reads with a size cap, atomic writes.
#include "core/FileIO.h"

#include "core/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string ErrnoText() { return std::generic_category().message(errno); }

struct TFileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using TFilePtr = std::unique_ptr<FILE, TFileCloser>;

TFilePtr OpenForReading(const std::string& path) {
  if (DirectoryExists(path)) throw TFileError(path, "is a directory");
  TFilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) throw TFileError(path, "cannot open: " + ErrnoText());
  return f;
}

}  // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& path, size_t maxSize) {
  TFilePtr f = OpenForReading(path);
  std::vector<uint8_t> bytes;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec) bytes.reserve(static_cast<size_t>(std::min<uintmax_t>(size, maxSize)));
  uint8_t chunk[65536];
  for (;;) {
    size_t n = std::fread(chunk, 1, sizeof chunk, f.get());
    if (n == 0) break;
    if (bytes.size() + n > maxSize)
      throw TFileError(path, "larger than " + std::to_string(maxSize) + " bytes");
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  if (std::ferror(f.get())) throw TFileError(path, "read error");
  return bytes;
}

std::vector<uint8_t> ReadFilePrefix(const std::string& path, size_t maxBytes) {
  TFilePtr f = OpenForReading(path);
  std::vector<uint8_t> bytes(maxBytes);
  size_t n = std::fread(bytes.data(), 1, maxBytes, f.get());
  if (std::ferror(f.get())) throw TFileError(path, "read error");
  bytes.resize(n);
  return bytes;
}

void WriteFileAtomic(const std::string& path, const void* data, size_t size) {
  const std::string temp = path + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw TFileError(path, "cannot create: " + ErrnoText());
  const auto* p = static_cast<const uint8_t*>(data);
  size_t left = size;
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      std::string why = ErrnoText();
      ::close(fd);
      ::unlink(temp.c_str());
      throw TFileError(path, "cannot write: " + why);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    std::string why = ErrnoText();
    ::unlink(temp.c_str());
    throw TFileError(path, "cannot write: " + why);
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::string why = ErrnoText();
    ::unlink(temp.c_str());
    throw TFileError(path, "cannot replace: " + why);
  }
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

bool DirectoryExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

void EnsureDirectory(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec || !DirectoryExists(path)) throw TFileError(path, "cannot create directory: " + ec.message());
}
