// PngFile.cpp — PNG reading and writing with libpng's simplified API.
#include "core/PngFile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <png.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t MaxPngFile = 256u << 20;
constexpr uint32_t MaxPngSide = 16384;
}  // namespace

void WritePng(const std::string& path, const TRgbaImage& image) {
  if (image.Width <= 0 || image.Height <= 0 ||
      image.Pixels.size() != static_cast<size_t>(image.Width) * image.Height * 4)
    throw TFileError(path, "image has no pixels or the wrong number of them");
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.Width);
  png.height = static_cast<png_uint_32>(image.Height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(png, size, 0, image.Pixels.data(), 0, nullptr))
    throw TFileError(path, std::string("cannot encode PNG: ") + png.message);
  std::vector<uint8_t> encoded(size);
  if (!png_image_write_to_memory(&png, encoded.data(), &size, 0, image.Pixels.data(), 0, nullptr))
    throw TFileError(path, std::string("cannot encode PNG: ") + png.message);
  WriteFileAtomic(path, encoded.data(), size);
}

TRgbaImage ReadPng(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path, MaxPngFile);
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
    throw TFileError(path, std::string("not a PNG image: ") + png.message);
  if (png.width == 0 || png.height == 0 || png.width > MaxPngSide || png.height > MaxPngSide) {
    png_image_free(&png);
    throw TFileError(path, "PNG image is " + std::to_string(png.width) + " x " +
                               std::to_string(png.height) + " pixels");
  }
  png.format = PNG_FORMAT_RGBA;
  TRgbaImage image;
  image.Width = static_cast<int>(png.width);
  image.Height = static_cast<int>(png.height);
  image.Pixels.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.Pixels.data(), 0, nullptr))
    throw TFileError(path, std::string("corrupt PNG image: ") + png.message);
  return image;
}

void FlipRows(TRgbaImage& image) {
  const size_t row = static_cast<size_t>(image.Width) * 4;
  for (int top = 0, bottom = image.Height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(image.Pixels.begin() + top * row, image.Pixels.begin() + (top + 1) * row,
                     image.Pixels.begin() + bottom * row);
}
