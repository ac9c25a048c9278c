// CnaUnit.cpp — the game's own 32-bit image format (.cna): reader and writer.
#include "core/CnaUnit.h"

#include "core/Error.h"
#include "core/FileIO.h"

namespace {

constexpr size_t WidthOffset = 12;
constexpr size_t HeightOffset = 16;
constexpr size_t SizeOffset = 20;

std::string SizeText(int64_t width, int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

bool SideOk(int64_t side) { return side > 0 && side <= CnaMaxSide; }

}  // namespace

void TCna::LoadFromBytes(const uint8_t* data, size_t size, const std::string& nameForErrors) {
  if (size < CnaHeaderSize)
    throw TFileError(nameForErrors, "too short for a CNA header (" + std::to_string(size) +
                                        " of 24 bytes)");
  const int32_t width = LoadLE<int32_t>(data + WidthOffset);
  const int32_t height = LoadLE<int32_t>(data + HeightOffset);
  const int32_t byteCount = LoadLE<int32_t>(data + SizeOffset);
  if (!SideOk(width) || !SideOk(height))
    throw TFileError(nameForErrors, "CNA image is " + SizeText(width, height) +
                                        " pixels (1 to " + std::to_string(CnaMaxSide) +
                                        " a side)");
  // The count is redundant; one that disagrees means the header cannot be trusted at all.
  const uint64_t expected = static_cast<uint64_t>(width) * height * 4;
  if (byteCount < 0 || static_cast<uint64_t>(byteCount) != expected)
    throw TFileError(nameForErrors, "CNA pixel byte count " + std::to_string(byteCount) +
                                        " does not match " + SizeText(width, height) +
                                        " pixels (" + std::to_string(expected) + ")");
  if (size - CnaHeaderSize < expected)
    throw TFileError(nameForErrors, "CNA pixel data is cut short (" +
                                        std::to_string(size - CnaHeaderSize) + " of " +
                                        std::to_string(expected) + " bytes)");
  Data.assign(data + CnaHeaderSize, data + CnaHeaderSize + expected);
  Width = width;
  Height = height;
}

void TCna::LoadFromFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, CnaMaxFileSize);
  LoadFromBytes(bytes.data(), bytes.size(), path);
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
