// FileIO.h — whole-file reads with a size cap, atomic writes, little-endian field access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <bit>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

// Reads the whole file; throws TFileError naming it when it cannot be opened or exceeds maxSize.
std::vector<uint8_t> ReadFileBytes(const std::string& path, size_t maxSize);

// Reads at most maxBytes from the start of the file (a short file yields fewer bytes).
std::vector<uint8_t> ReadFilePrefix(const std::string& path, size_t maxBytes);

// Writes to path + ".tmp", flushes it to disk and renames it over path, so a crash or a full
// disk never leaves a half-written file behind. Throws TFileError on any failure.
void WriteFileAtomic(const std::string& path, const void* data, size_t size);

bool FileExists(const std::string& path);       // a regular file; false for a directory
bool DirectoryExists(const std::string& path);
void EnsureDirectory(const std::string& path);   // creates it (and its parents) when missing

// Little-endian loads and stores; every data file of the game is little-endian.
template <typename T>
T LoadLE(const uint8_t* p) {
  static_assert(std::is_trivially_copyable_v<T>);
  T value;
  std::memcpy(&value, p, sizeof(T));
  return value;
}

template <typename T>
void StoreLE(uint8_t* p, const T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::memcpy(p, &value, sizeof(T));
}

static_assert(std::endian::native == std::endian::little, "data files are read by memcpy");
