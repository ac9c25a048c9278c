// ImageFormatTest.cpp — BMP and JPEG decoding at the edges, every writer's round trip, and the
// conversions and summaries behind qtool.
#include "core/CnaUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/ImageConvert.h"
#include "core/JpegFile.h"
#include "core/Texture.h"
#include "platform/BmpCodec.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

// A plain bitmap built by hand, so the decoder is checked against the file layout itself and
// not against our own writer. `fileRows` are unpadded, in file order (bottom row first unless
// topDown); `palette` is B, G, R, 0 quads.
std::vector<uint8_t> BmpBytes(int width, int bits, const std::vector<std::vector<uint8_t>>& fileRows,
                              const std::vector<uint8_t>& palette = {}, bool topDown = false) {
  const int height = static_cast<int>(fileRows.size());
  const size_t rowBytes = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  const uint32_t offset = 54 + static_cast<uint32_t>(palette.size());
  std::vector<uint8_t> b(offset + rowBytes * height, 0);
  b[0] = 'B';
  b[1] = 'M';
  StoreLE<uint32_t>(&b[2], static_cast<uint32_t>(b.size()));
  StoreLE<uint32_t>(&b[10], offset);
  StoreLE<uint32_t>(&b[14], 40);
  StoreLE<int32_t>(&b[18], width);
  StoreLE<int32_t>(&b[22], topDown ? -height : height);
  StoreLE<uint16_t>(&b[26], 1);
  StoreLE<uint16_t>(&b[28], static_cast<uint16_t>(bits));
  StoreLE<uint32_t>(&b[46], static_cast<uint32_t>(palette.size() / 4));
  std::copy(palette.begin(), palette.end(), b.begin() + 54);
  for (int y = 0; y < height; ++y)
    std::copy(fileRows[y].begin(), fileRows[y].end(), b.begin() + offset + y * rowBytes);
  return b;
}

// Index i is the colour (255 - i, i / 2, i): nothing like a grey ramp, so a decoder that
// looked indices up in the palette would show.
std::vector<uint8_t> OddPalette() {
  std::vector<uint8_t> p;
  for (int i = 0; i < 256; ++i) p.insert(p.end(), {uint8_t(i), uint8_t(i / 2), uint8_t(255 - i), 0});
  return p;
}

std::vector<uint8_t> Gradient(int width, int height) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rgb.insert(rgb.end(), {uint8_t(x * 255 / width), uint8_t(y * 255 / height), 128});
  return rgb;
}

void ExpectNear(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance) {
  ASSERT_EQ(a.size(), b.size());
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  EXPECT_LE(worst, tolerance);
}

size_t FindMarker(const std::vector<uint8_t>& jpeg, uint8_t marker) {
  for (size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
  ADD_FAILURE() << "no marker " << int(marker);
  return 0;
}

// Rewrites the frame header's sizes; the scan data stays that of the small image.
std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> jpeg, int width, int height) {
  const size_t sof = FindMarker(jpeg, 0xC0);
  jpeg[sof + 5] = uint8_t(height >> 8);
  jpeg[sof + 6] = uint8_t(height);
  jpeg[sof + 7] = uint8_t(width >> 8);
  jpeg[sof + 8] = uint8_t(width);
  return jpeg;
}

template <typename F>
void ExpectFileError(F&& f, const std::string& file, const std::string& reason) {
  try {
    f();
    ADD_FAILURE() << "accepted " << file;
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, file);
    EXPECT_NE(e.Reason.find(reason), std::string::npos) << e.Reason;
  }
}

}  // namespace

// ---- BMP ----

TEST(Bmp, OneByTwoGivesTheBottomPixelFirst) {
  TTempDir dir;
  const auto bytes = BmpBytes(1, 24, {{1, 2, 3}, {4, 5, 6}});  // bottom (B,G,R) = 1,2,3
  WriteFileAtomic(dir / "tall.bmp", bytes.data(), bytes.size());
  const TTex tex(dir / "tall.bmp");
  EXPECT_EQ(tex.Width, 1);
  EXPECT_EQ(tex.Height, 2);
  EXPECT_EQ(tex.BytesPerPixel, 3);
  EXPECT_EQ(tex.Data, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(Bmp, PaddedRowsAndBothRowOrdersDecodeAlike) {
  // Three pixels a row leave 3 bytes of padding in every 24-bit row.
  const std::vector<uint8_t> bottom = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const std::vector<uint8_t> top = {11, 12, 13, 14, 15, 16, 17, 18, 19};
  const std::vector<uint8_t> expected = {13, 12, 11, 16, 15, 14, 19, 18, 17,
                                         3,  2,  1,  6,  5,  4,  9,  8,  7};  // top row first, RGB
  for (const bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    const auto bytes = BmpBytes(3, 24, topDown ? std::vector{top, bottom} : std::vector{bottom, top},
                                {}, topDown);
    TBmpImage bmp;
    std::string error;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), bmp, error)) << error;
    EXPECT_EQ(bmp.BitsPerPixel, 24);
    EXPECT_EQ(bmp.Rows, expected);
  }
}

TEST(Bmp, EightBitFilesKeepTheirPaletteIndices) {
  TTempDir dir;
  // 3 x 2 with a byte of padding a row; file rows bottom first.
  const auto bytes = BmpBytes(3, 8, {{10, 200, 255}, {0, 1, 128}}, OddPalette());
  WriteFileAtomic(dir / "mask.bmp", bytes.data(), bytes.size());

  const TBmpImage bmp = ReadBmpFile(dir / "mask.bmp");
  EXPECT_EQ(bmp.BitsPerPixel, 8);
  EXPECT_EQ(bmp.Rows, (std::vector<uint8_t>{0, 1, 128, 10, 200, 255}));
  ASSERT_EQ(bmp.Palette.size(), 768u);
  EXPECT_EQ(bmp.Palette[3 * 10], 245);  // red of index 10

  SetAppDir(dir.Str());
  std::filesystem::create_directories(dir.Path / "textures");
  WriteFileAtomic(TextureDir + "mask.bmp", bytes.data(), bytes.size());
  TAlphaMap alpha;
  LoadAlphaMap("mask.bmp", alpha);
  EXPECT_EQ(alpha, (std::vector<uint8_t>{10, 200, 255, 0, 1, 128}));  // bottom row first

  const TRgbaImage rgba = ReadAnyImage(dir / "mask.bmp");  // conversions do use the palette
  EXPECT_EQ(std::vector<uint8_t>(rgba.Pixels.begin(), rgba.Pixels.begin() + 4),
            (std::vector<uint8_t>{255, 0, 0, 255}));
}

TEST(Bmp, WrongDepthForTheCallerIsRefusedNamingTheFile) {
  TTempDir dir;
  SetAppDir(dir.Str());
  std::filesystem::create_directories(dir.Path / "textures");
  const auto eight = BmpBytes(1, 8, {{5}}, OddPalette());
  const auto rgb = BmpBytes(1, 24, {{1, 2, 3}});
  WriteFileAtomic(TextureDir + "eight.bmp", eight.data(), eight.size());
  WriteFileAtomic(TextureDir + "rgb.bmp", rgb.data(), rgb.size());

  ExpectFileError([&] { TTex tex(TextureDir + "eight.bmp"); }, TextureDir + "eight.bmp", "24 bits");
  TAlphaMap alpha = {42};
  ExpectFileError([&] { LoadAlphaMap("rgb.bmp", alpha); }, TextureDir + "rgb.bmp", "8-bit");
  EXPECT_EQ(alpha, TAlphaMap{42});
}

TEST(Bmp, RefusesDamagedAndLyingFiles) {
  const auto good = BmpBytes(2, 24, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
  const auto patched = [&](size_t at, std::vector<uint8_t> with) {
    auto b = good;
    std::copy(with.begin(), with.end(), b.begin() + at);
    return b;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"empty", {}, "signature"},
      {"magic only", {'B', 'M'}, "signature"},
      {"not a bitmap", patched(0, {'P', 'K'}), "signature"},
      {"cut header", std::vector<uint8_t>(good.begin(), good.begin() + 30), "cut short"},
      {"odd header size", patched(14, {20, 0, 0, 0}), "header of 20 bytes"},
      {"zero width", patched(18, {0, 0, 0, 0}), "0 x 2"},
      {"too wide", patched(18, {0x01, 0x40, 0, 0}), "16385 x 2"},
      {"huge claim", patched(18, {0, 0x40, 0, 0, 0, 0x40, 0, 0}), "cut short"},
      {"7 bits", patched(28, {7, 0}), "7 bits"},
      {"run-length", patched(30, {1, 0, 0, 0}), "compressed"},
      {"truncated", std::vector<uint8_t>(good.begin(), good.end() - 1), "cut short"},
      {"offset past end", patched(10, {0xFF, 0xFF, 0, 0}), "cut short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TBmpImage bmp;
    bmp.Width = 99;
    std::string error;
    EXPECT_FALSE(DecodeBmp(c.bytes.data(), c.bytes.size(), bmp, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(bmp.Width, 99);
  }
}

TEST(Bmp, WritersRoundTrip) {
  for (const auto& [width, height] : {std::pair{1, 1}, std::pair{5, 3}, std::pair{64, 2}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const std::vector<uint8_t> rgb = Gradient(width, height);
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(EncodeBmp24(rgb.data(), width, height, bytes, error)) << error;
    TBmpImage bmp;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), bmp, error)) << error;
    EXPECT_EQ(bmp.BitsPerPixel, 24);
    EXPECT_EQ(bmp.Rows, rgb);

    std::vector<uint8_t> indices(width * height);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t(i * 37);
    ASSERT_TRUE(EncodeBmp8(indices.data(), width, height, bytes, error)) << error;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), bmp, error)) << error;
    EXPECT_EQ(bmp.BitsPerPixel, 8);
    EXPECT_EQ(bmp.Rows, indices);
    ASSERT_EQ(bmp.Palette.size(), 768u);
    EXPECT_EQ(bmp.Palette[3 * 200 + 1], 200);  // grey palette
  }
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(EncodeBmp24(nullptr, 0, 4, bytes, error));
}

// ---- JPEG ----

TEST(Jpeg, EncodesAndDecodesCloseToTheSource) {
  const int width = 40, height = 24;
  const std::vector<uint8_t> rgb = Gradient(width, height);
  const std::vector<uint8_t> jpeg = EncodeJpeg(rgb.data(), width, height, 95);
  EXPECT_EQ(EncodeJpeg(rgb.data(), width, height, 95), jpeg);  // deterministic for the forge

  const TJpegInfo info = ReadJpegInfo(jpeg.data(), jpeg.size(), "g.jpg");
  EXPECT_EQ(info.Width, width);
  EXPECT_EQ(info.Height, height);
  EXPECT_EQ(info.Components, 3);
  const TJpegImage image = DecodeJpeg(jpeg.data(), jpeg.size(), "g.jpg");
  EXPECT_EQ(image.Width, width);
  EXPECT_EQ(image.Height, height);
  ExpectNear(image.Rgb, rgb, 12);
}

TEST(Jpeg, TextureRowsRunBottomUp) {
  TTempDir dir;
  // Top half red, bottom half blue, in whole 16-pixel blocks so the halves stay clean.
  const int width = 16, height = 32;
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rgb.insert(rgb.end(), {uint8_t(y < 16 ? 255 : 0), 0, uint8_t(y < 16 ? 0 : 255)});
  WriteJpegFile(dir / "halves.jpg", rgb.data(), width, height, 100);
  const TTex tex(dir / "halves.jpg");
  ASSERT_EQ(tex.BytesPerPixel, 3);
  EXPECT_LT(tex.Data[0], 30);    // red of the first stored pixel: the bottom is blue
  EXPECT_GT(tex.Data[2], 225);
  EXPECT_GT(tex.Data[tex.Data.size() - 3], 225);  // the last stored pixel is top-right, red
}

TEST(Jpeg, RefusesDamagedAndLyingFilesNamingThem) {
  const std::vector<uint8_t> rgb = Gradient(32, 32);
  const std::vector<uint8_t> good = EncodeJpeg(rgb.data(), 32, 32, 90);
  const size_t sos = FindMarker(good, 0xDA);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"empty.jpg", {}, "corrupt JPEG"},
      {"text.jpg", {'h', 'e', 'l', 'l', 'o'}, "Not a JPEG"},
      {"headers.jpg", std::vector<uint8_t>(good.begin(), good.begin() + sos), "corrupt JPEG"},
      {"truncated.jpg", std::vector<uint8_t>(good.begin(), good.begin() + sos + 40), "Premature end"},
      // Both claim a size far beyond their data: the first is refused at the header, the second
      // as soon as the data runs out, before anything of that size is allocated.
      {"huge.jpg", WithJpegSize(good, 60000, 60000), "at most 16384"},
      {"large.jpg", WithJpegSize(good, 16000, 16000), "corrupt JPEG"},
  };
  TTempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / c.name;
    WriteFileAtomic(path, c.bytes.data(), c.bytes.size());
    ExpectFileError([&] { ReadJpegFile(path); }, path, c.reason);
  }
}

// ---- conversions and summaries ----

TEST(ImageConvert, EveryFormatRoundTrips) {
  TTempDir dir;
  TRgbaImage image;
  image.Width = 24;
  image.Height = 16;
  const std::vector<uint8_t> rgb = Gradient(image.Width, image.Height);
  for (size_t i = 0; i < rgb.size() / 3; ++i)
    image.Pixels.insert(image.Pixels.end(), {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2], uint8_t(i)});

  struct Case {
    const char* name;
    bool keepsAlpha;
    int tolerance;
  };
  for (const Case& c : {Case{"a.png", true, 0}, Case{"a.cna", true, 0}, Case{"a.bmp", false, 0},
                        Case{"a.jpg", false, 12}, Case{"b.JPEG", false, 12}}) {
    SCOPED_TRACE(c.name);
    WriteAnyImage(dir / c.name, image);
    const TRgbaImage back = ReadAnyImage(dir / c.name);
    ASSERT_EQ(back.Width, image.Width);
    ASSERT_EQ(back.Height, image.Height);
    TRgbaImage expected = image;
    if (!c.keepsAlpha)
      for (size_t i = 3; i < expected.Pixels.size(); i += 4) expected.Pixels[i] = 255;
    ExpectNear(back.Pixels, expected.Pixels, c.tolerance);
  }
  ExpectFileError([&] { WriteAnyImage(dir / "a.gif", image); }, dir / "a.gif", "unknown image type");
  ExpectFileError([&] { ReadAnyImage(dir / "a.str"); }, dir / "a.str", "unknown image type");
}

TEST(ImageConvert, DescribesEachKindOfFile) {
  TTempDir dir;
  const std::vector<uint8_t> opaque = {1, 2, 3, 255, 4, 5, 6, 255};
  const std::vector<uint8_t> seeThrough = {1, 2, 3, 0, 4, 5, 6, 200};
  WriteCnaFile(dir / "opaque.cna", opaque.data(), 2, 1, TCnaSource::Rgba);
  WriteCnaFile(dir / "frame001.cna", seeThrough.data(), 2, 1, TCnaSource::Rgba);
  const std::vector<uint8_t> rgb = Gradient(8, 8);
  WriteBmp24File(dir / "rgb.bmp", rgb.data(), 8, 8);
  WriteBmp8File(dir / "grey.bmp", rgb.data(), 4, 2);
  WriteJpegFile(dir / "photo.jpg", rgb.data(), 8, 8, 80);
  WriteStrFile(dir / "anim.str", {"frame001.cna", "frame002.cna"});

  struct Case {
    const char* name;
    const char* text;
  };
  const Case cases[] = {
      {"opaque.cna", "CNA 2 x 1, alpha 255..255 (opaque, alpha unused)"},
      {"frame001.cna", "CNA 2 x 1, alpha 0..200"},
      {"rgb.bmp", "BMP 8 x 8, 24-bit"},
      {"grey.bmp", "BMP 4 x 2, 8-bit, 256-colour palette"},
      {"photo.jpg", "JPEG 8 x 8, 3 components"},
      {"anim.str", "STR 2 frames\n  frame001.cna: 2 x 1 RGBA\n  frame002.cna: missing"},
  };
  for (const Case& c : cases) EXPECT_EQ(DescribeImageFile(dir / c.name), c.text) << c.name;
  EXPECT_THROW(DescribeImageFile(dir / "notes.txt"), TFileError);
}
