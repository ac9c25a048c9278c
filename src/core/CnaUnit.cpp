// CnaUnit.cpp — the game's own 32-bit image format (.cna): reader and writer.
#include "core/CnaUnit.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

constexpr size_t WidthOffset = 12;
constexpr size_t HeightOffset = 16;
constexpr size_t SizeOffset = 20;

std::string SizeText(int64_t width, int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

bool SideOk(int64_t side) { return side > 0 && side <= CnaMaxSide; }

}  // namespace

namespace {

// Checks the header against the number of bytes that follow it; returns the pixel byte count.
size_t CheckHeader(const uint8_t* header, uint64_t bytesAfterHeader, const std::string& name,
                   int32_t& width, int32_t& height) {
  width = LoadLE<int32_t>(header + WidthOffset);
  height = LoadLE<int32_t>(header + HeightOffset);
  const int32_t byteCount = LoadLE<int32_t>(header + SizeOffset);
  if (!SideOk(width) || !SideOk(height))
    throw TFileError(name, "CNA image is " + SizeText(width, height) + " pixels (1 to " +
                               std::to_string(CnaMaxSide) + " a side)");
  // The count is redundant; one that disagrees means the header cannot be trusted at all.
  const uint64_t expected = static_cast<uint64_t>(width) * height * 4;
  if (byteCount < 0 || static_cast<uint64_t>(byteCount) != expected)
    throw TFileError(name, "CNA pixel byte count " + std::to_string(byteCount) +
                               " does not match " + SizeText(width, height) + " pixels (" +
                               std::to_string(expected) + ")");
  if (bytesAfterHeader < expected)
    throw TFileError(name, "CNA pixel data is cut short (" + std::to_string(bytesAfterHeader) +
                               " of " + std::to_string(expected) + " bytes)");
  return static_cast<size_t>(expected);
}

std::string TooShort(uint64_t size) {
  return "too short for a CNA header (" + std::to_string(size) + " of 24 bytes)";
}

struct TFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

void TCna::LoadFromBytes(const uint8_t* data, size_t size, const std::string& nameForErrors) {
  if (size < CnaHeaderSize) throw TFileError(nameForErrors, TooShort(size));
  int32_t width = 0, height = 0;
  const size_t count = CheckHeader(data, size - CnaHeaderSize, nameForErrors, width, height);
  Data.assign(data + CnaHeaderSize, data + CnaHeaderSize + count);
  Width = width;
  Height = height;
}

// Reads the header first and the pixels straight into Data: no whole-file buffer and no copy,
// which is most of the cost of loading a large image.
void TCna::LoadFromFile(const std::string& path) {
  std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) throw TFileError(path, "cannot open: " + std::generic_category().message(errno));
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(path, ec);  // refuses directories too
  if (ec) throw TFileError(path, "cannot read: " + ec.message());
  uint8_t header[CnaHeaderSize];
  if (size < CnaHeaderSize) throw TFileError(path, TooShort(size));
  if (std::fread(header, 1, CnaHeaderSize, file.get()) != CnaHeaderSize)
    throw TFileError(path, "read error");
  int32_t width = 0, height = 0;
  const size_t count = CheckHeader(header, size - CnaHeaderSize, path, width, height);
  std::vector<uint8_t> pixels(count);
  if (std::fread(pixels.data(), 1, count, file.get()) != count)
    throw TFileError(path, "CNA pixel data is cut short (the file shrank while being read)");
  Data = std::move(pixels);
  Width = width;
  Height = height;
}

std::vector<uint8_t> EncodeCna(const uint8_t* pixels, int32_t width, int32_t height,
                               TCnaSource order, const std::string& nameForErrors) {
  if (!SideOk(width) || !SideOk(height))
    throw TFileError(nameForErrors, "cannot write a " + SizeText(width, height) + " CNA image");
  const size_t count = static_cast<size_t>(width) * height;
  std::vector<uint8_t> bytes(CnaHeaderSize + count * 4, 0);
  StoreLE<int32_t>(bytes.data() + WidthOffset, width);
  StoreLE<int32_t>(bytes.data() + HeightOffset, height);
  StoreLE<int32_t>(bytes.data() + SizeOffset, static_cast<int32_t>(count * 4));
  uint8_t* out = bytes.data() + CnaHeaderSize;
  const int red = order == TCnaSource::Rgba ? 0 : 2;
  for (size_t i = 0; i < count; ++i, pixels += 4, out += 4) {
    out[0] = pixels[2 - red];
    out[1] = pixels[1];
    out[2] = pixels[red];
    out[3] = pixels[3];
  }
  return bytes;
}

void WriteCnaFile(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height,
                  TCnaSource order) {
  const std::vector<uint8_t> bytes = EncodeCna(pixels, width, height, order, path);
  WriteFileAtomic(path, bytes.data(), bytes.size());
}
