// ImageConvert.cpp — bitmap files and conversions between PNG, CNA, BMP and JPEG.
#include "core/ImageConvert.h"

#include "core/CnaUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/JpegFile.h"
#include "core/Texture.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

enum class TImageKind { Unknown, Png, Cna, Bmp, Jpeg, Str };

TImageKind KindOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return TImageKind::Unknown;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "png") return TImageKind::Png;
  if (ext == "cna") return TImageKind::Cna;
  if (ext == "bmp") return TImageKind::Bmp;
  if (ext == "jpg" || ext == "jpeg") return TImageKind::Jpeg;
  if (ext == "str") return TImageKind::Str;
  return TImageKind::Unknown;
}

std::string SizeText(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

TRgbaImage RgbaFromRgb(int width, int height, const std::vector<uint8_t>& rgb) {
  TRgbaImage image;
  image.Width = width;
  image.Height = height;
  image.Pixels.resize(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
    std::copy_n(rgb.data() + i * 3, 3, image.Pixels.data() + i * 4);
    image.Pixels[i * 4 + 3] = 255;
  }
  return image;
}

TRgbaImage RgbaFromBmp(const TBmpImage& bmp) {
  if (!bmp.Indexed()) return RgbaFromRgb(bmp.Width, bmp.Height, bmp.Rows);
  TRgbaImage image;
  image.Width = bmp.Width;
  image.Height = bmp.Height;
  image.Pixels.resize(bmp.Rows.size() * 4);
  const size_t colours = bmp.Palette.size() / 3;
  for (size_t i = 0; i < bmp.Rows.size(); ++i) {
    const size_t index = bmp.Rows[i];
    uint8_t* out = image.Pixels.data() + i * 4;
    if (index < colours) std::copy_n(bmp.Palette.data() + index * 3, 3, out);
    out[3] = 255;
  }
  return image;
}

std::vector<uint8_t> RgbFromRgba(const TRgbaImage& image) {
  std::vector<uint8_t> rgb(static_cast<size_t>(image.Width) * image.Height * 3);
  for (size_t i = 0, n = rgb.size() / 3; i < n; ++i)
    std::copy_n(image.Pixels.data() + i * 4, 3, rgb.data() + i * 3);
  return rgb;
}

std::string DescribeCna(const std::string& path) {
  TCna cna;
  cna.LoadFromFile(path);
  uint8_t low = 255, high = 0;
  for (size_t i = 3; i < cna.Data.size(); i += 4) {
    low = std::min(low, cna.Data[i]);
    high = std::max(high, cna.Data[i]);
  }
  std::string text = "CNA " + SizeText(cna.Width, cna.Height) + ", alpha " +
                     std::to_string(low) + ".." + std::to_string(high);
  if (low == 255) text += " (opaque, alpha unused)";
  return text;
}

std::string DescribeBmp(const std::string& path) {
  const TBmpImage bmp = ReadBmpFile(path);
  std::string text = "BMP " + SizeText(bmp.Width, bmp.Height) + ", " +
                     std::to_string(bmp.BitsPerPixel) + "-bit";
  if (bmp.Indexed()) text += ", " + std::to_string(bmp.Palette.size() / 3) + "-colour palette";
  return text;
}

std::string DescribeJpeg(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, JpegMaxFileSize);
  const TJpegInfo info = ReadJpegInfo(bytes.data(), bytes.size(), path);
  DecodeJpeg(bytes.data(), bytes.size(), path);  // the whole file must decode cleanly
  std::string text = "JPEG " + SizeText(info.Width, info.Height) + ", " +
                     std::to_string(info.Components) +
                     (info.Components == 1 ? " component (grey)" : " components");
  if (info.Progressive) text += ", progressive";
  return text;
}

std::string DescribeFrame(const std::string& path) {
  if (!FileExists(path)) return "missing";
  try {
    const TTex frame(path);
    if (frame.BytesPerPixel == 0) return "not a .bmp, .jpg or .cna image";
    return SizeText(frame.Width, frame.Height) + (frame.BytesPerPixel == 4 ? " RGBA" : " RGB");
  } catch (const TFileError& e) {
    return "unreadable: " + e.Reason;
  }
}

// Frames live next to their list, as the game looks them up in the same texture directory.
std::string DescribeStr(const std::string& path) {
  const std::vector<std::string> names = ReadStrFile(path);
  const size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string text = "STR " + std::to_string(names.size()) +
                     (names.size() == 1 ? " frame" : " frames");
  for (const std::string& name : names) text += "\n  " + name + ": " + DescribeFrame(dir + name);
  return text;
}

[[noreturn]] void UnknownType(const std::string& path) {
  throw TFileError(path, "unknown image type (png, cna, bmp, jpg or jpeg)");
}

}  // namespace

TBmpImage ReadBmpFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, BmpMaxFileSize);
  TBmpImage bmp;
  std::string error;
  if (!DecodeBmp(bytes.data(), bytes.size(), bmp, error)) throw TFileError(path, error);
  return bmp;
}

void WriteBmp24File(const std::string& path, const uint8_t* rgb, int width, int height) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!EncodeBmp24(rgb, width, height, bytes, error)) throw TFileError(path, error);
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

void WriteBmp8File(const std::string& path, const uint8_t* indices, int width, int height) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!EncodeBmp8(indices, width, height, bytes, error)) throw TFileError(path, error);
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

TRgbaImage ReadAnyImage(const std::string& path) {
  switch (KindOf(path)) {
    case TImageKind::Png: return ReadPng(path);
    case TImageKind::Cna: {
      TCna cna;
      cna.LoadFromFile(path);
      TRgbaImage image;
      image.Width = cna.Width;
      image.Height = cna.Height;
      image.Pixels = std::move(cna.Data);
      for (size_t i = 0; i < image.Pixels.size(); i += 4) std::swap(image.Pixels[i], image.Pixels[i + 2]);
      return image;
    }
    case TImageKind::Bmp: return RgbaFromBmp(ReadBmpFile(path));
    case TImageKind::Jpeg: {
      const TJpegImage jpeg = ReadJpegFile(path);
      return RgbaFromRgb(jpeg.Width, jpeg.Height, jpeg.Rgb);
    }
    default: UnknownType(path);
  }
}

void WriteAnyImage(const std::string& path, const TRgbaImage& image, int jpegQuality) {
  if (image.Width <= 0 || image.Height <= 0 ||
      image.Pixels.size() != static_cast<size_t>(image.Width) * image.Height * 4)
    throw TFileError(path, "image has no pixels or the wrong number of them");
  switch (KindOf(path)) {
    case TImageKind::Png: WritePng(path, image); return;
    case TImageKind::Cna:
      WriteCnaFile(path, image.Pixels.data(), image.Width, image.Height, TCnaSource::Rgba);
      return;
    case TImageKind::Bmp: WriteBmp24File(path, RgbFromRgba(image).data(), image.Width, image.Height); return;
    case TImageKind::Jpeg:
      WriteJpegFile(path, RgbFromRgba(image).data(), image.Width, image.Height, jpegQuality);
      return;
    default: UnknownType(path);
  }
}

std::string DescribeImageFile(const std::string& path) {
  switch (KindOf(path)) {
    case TImageKind::Png: {
      const TRgbaImage image = ReadPng(path);
      return "PNG " + SizeText(image.Width, image.Height);
    }
    case TImageKind::Cna: return DescribeCna(path);
    case TImageKind::Bmp: return DescribeBmp(path);
    case TImageKind::Jpeg: return DescribeJpeg(path);
    case TImageKind::Str: return DescribeStr(path);
    default: throw TFileError(path, "unknown image type (png, cna, bmp, jpg, jpeg or str)");
  }
}
