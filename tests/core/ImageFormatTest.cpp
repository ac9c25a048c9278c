// ImageFormatTest.cpp — BMP and JPEG decoding at the edges, the writers' round trips, and the
// conversions and summaries behind qtool.
#include "core/CnaUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/ImageConvert.h"
#include "core/JpegFile.h"
#include "core/Texture.h"
#include "platform/BmpCodec.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

// A plain bitmap built by hand, so the decoder is checked against the file layout and not
// against our own writer. `fileRows` are unpadded and in file order; `palette` is B, G, R, 0.
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

std::vector<uint8_t> Gradient(int width, int height) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rgb.insert(rgb.end(), {uint8_t(x * 255 / width), uint8_t(y * 255 / height), 128});
  return rgb;
}

int WorstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return 256;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

size_t FindMarker(const std::vector<uint8_t>& jpeg, uint8_t marker) {
  const uint8_t pair[] = {0xFF, marker};
  return std::search(jpeg.begin(), jpeg.end(), pair, pair + 2) - jpeg.begin();
}

// Rewrites the frame header's sizes; the scan data stays that of the small image.
std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> jpeg, int width, int height) {
  uint8_t* sof = jpeg.data() + FindMarker(jpeg, 0xC0);
  sof[5] = uint8_t(height >> 8), sof[6] = uint8_t(height), sof[7] = uint8_t(width >> 8), sof[8] = uint8_t(width);
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

TEST(Bmp, OneByTwoGivesTheBottomPixelFirst) {
  TTempDir dir;
  const auto bytes = BmpBytes(1, 24, {{1, 2, 3}, {4, 5, 6}});  // bottom pixel (B,G,R) = 1,2,3
  WriteFileAtomic(dir / "tall.bmp", bytes.data(), bytes.size());
  const TTex tex(dir / "tall.bmp");
  EXPECT_EQ(tex.Width, 1);
  EXPECT_EQ(tex.Height, 2);
  EXPECT_EQ(tex.BytesPerPixel, 3);
  EXPECT_EQ(tex.Data, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(Bmp, PaddedRowsInEitherOrderDecodeAlike) {
  // Three pixels a row leave 3 bytes of padding in every 24-bit row.
  const std::vector<uint8_t> bottom = {1, 2, 3, 4, 5, 6, 7, 8, 9}, top = {11, 12, 13, 14, 15, 16, 17, 18, 19};
  for (const bool topDown : {false, true}) {
    const auto bytes = BmpBytes(3, 24, topDown ? std::vector{top, bottom} : std::vector{bottom, top}, {}, topDown);
    TBmpImage bmp;
    std::string error;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), bmp, error)) << error;
    EXPECT_EQ(bmp.BitsPerPixel, 24);
    EXPECT_EQ(bmp.Rows, (std::vector<uint8_t>{13, 12, 11, 16, 15, 14, 19, 18, 17, 3, 2, 1, 6, 5, 4, 9, 8, 7}));
  }
}

TEST(Bmp, EightBitFilesKeepTheirPaletteIndices) {
  // Index i is the colour (255 - i, i / 2, i): a decoder that looked indices up would show.
  std::vector<uint8_t> palette;
  for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {uint8_t(i), uint8_t(i / 2), uint8_t(255 - i), 0});
  TTempDir dir;
  const auto bytes = BmpBytes(3, 8, {{10, 200, 255}, {0, 1, 128}}, palette);
  WriteFileAtomic(dir / "mask.bmp", bytes.data(), bytes.size());
  const TBmpImage bmp = ReadBmpFile(dir / "mask.bmp");
  EXPECT_EQ(bmp.BitsPerPixel, 8);
  EXPECT_EQ(bmp.Rows, (std::vector<uint8_t>{0, 1, 128, 10, 200, 255}));
  EXPECT_EQ(bmp.Palette.size(), 768u);
  const TRgbaImage rgba = ReadAnyImage(dir / "mask.bmp");  // conversions do use the palette
  EXPECT_EQ(std::vector<uint8_t>(rgba.Pixels.begin(), rgba.Pixels.begin() + 4), (std::vector<uint8_t>{255, 0, 0, 255}));
}

TEST(Bmp, RefusesDamagedAndLyingFiles) {
  const auto good = BmpBytes(2, 24, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
  const auto patched = [&](size_t at, std::vector<uint8_t> with) {
    auto b = good;
    std::copy(with.begin(), with.end(), b.begin() + at);
    return b;
  };
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {{}, "signature"},
      {patched(0, {'P', 'K'}), "signature"},
      {std::vector<uint8_t>(good.begin(), good.begin() + 30), "cut short"},
      {patched(14, {20, 0, 0, 0}), "header of 20 bytes"},
      {patched(18, {0, 0, 0, 0}), "0 x 2"},
      {patched(18, {0x01, 0x40, 0, 0}), "16385 x 2"},
      {patched(18, {0, 0x40, 0, 0, 0, 0x40, 0, 0}), "cut short"},  // 16384 x 16384 in 66 bytes
      {patched(28, {7, 0}), "7 bits"},
      {patched(30, {1, 0, 0, 0}), "compressed"},
      {std::vector<uint8_t>(good.begin(), good.end() - 1), "cut short"},
      {patched(10, {0xFF, 0xFF, 0, 0}), "cut short"},
  };
  for (const auto& [bytes, reason] : cases) {
    TBmpImage bmp;
    std::string error;
    EXPECT_FALSE(DecodeBmp(bytes.data(), bytes.size(), bmp, error)) << reason;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_EQ(bmp.Width, 0);
  }
}

TEST(Bmp, WritersRoundTrip) {
  for (const auto& [width, height] : {std::pair{1, 1}, std::pair{5, 3}, std::pair{64, 2}}) {
    const std::vector<uint8_t> rgb = Gradient(width, height);
    std::vector<uint8_t> indices(width * height), bytes;
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t(i * 37);
    std::string error;
    TBmpImage bmp;
    ASSERT_TRUE(EncodeBmp24(rgb.data(), width, height, bytes, error)) << error;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), bmp, error)) << error;
    EXPECT_EQ(bmp.BitsPerPixel, 24);
    EXPECT_EQ(bmp.Rows, rgb);
    ASSERT_TRUE(EncodeBmp8(indices.data(), width, height, bytes, error)) << error;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), bmp, error)) << error;
    EXPECT_EQ(bmp.BitsPerPixel, 8);
    EXPECT_EQ(bmp.Rows, indices);
    EXPECT_EQ(bmp.Palette[3 * 200 + 1], 200);  // grey palette
  }
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(EncodeBmp24(nullptr, 0, 4, bytes, error));
}

TEST(Jpeg, RoundTripIsCloseAndTextureRowsRunBottomUp) {
  const int width = 40, height = 24;
  const std::vector<uint8_t> rgb = Gradient(width, height);
  const std::vector<uint8_t> jpeg = EncodeJpeg(rgb.data(), width, height, 95);
  EXPECT_EQ(EncodeJpeg(rgb.data(), width, height, 95), jpeg);  // deterministic for the forge
  const TJpegInfo info = ReadJpegInfo(jpeg.data(), jpeg.size(), "g.jpg");
  EXPECT_EQ(info.Width, width);
  EXPECT_EQ(info.Components, 3);
  const TJpegImage image = DecodeJpeg(jpeg.data(), jpeg.size(), "g.jpg");
  EXPECT_EQ(image.Height, height);
  EXPECT_LE(WorstDifference(image.Rgb, rgb), 12);

  TTempDir dir;
  WriteJpegFile(dir / "g.jpg", rgb.data(), width, height, 95);
  const TTex tex(dir / "g.jpg");
  const size_t row = width * 3;
  EXPECT_EQ(std::vector<uint8_t>(tex.Data.begin(), tex.Data.begin() + row),
            std::vector<uint8_t>(image.Rgb.end() - row, image.Rgb.end()));
}

TEST(Jpeg, RefusesDamagedAndLyingFilesNamingThem) {
  const std::vector<uint8_t> rgb = Gradient(32, 32);
  const std::vector<uint8_t> good = EncodeJpeg(rgb.data(), 32, 32, 90);
  const size_t sos = FindMarker(good, 0xDA);
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {{}, "corrupt JPEG"},
      {{'h', 'e', 'l', 'l', 'o'}, "Not a JPEG"},
      {std::vector<uint8_t>(good.begin(), good.begin() + sos), "corrupt JPEG"},
      {std::vector<uint8_t>(good.begin(), good.begin() + sos + 40), "Premature end"},
      // Both claim far more than their data holds: the first is refused at the header, the
      // second as soon as the data runs out, before anything of that size is allocated.
      {WithJpegSize(good, 60000, 60000), "at most 16384"},
      {WithJpegSize(good, 16000, 16000), "corrupt JPEG"},
  };
  TTempDir dir;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string path = dir / ("bad" + std::to_string(i) + ".jpg");
    WriteFileAtomic(path, cases[i].first.data(), cases[i].first.size());
    ExpectFileError([&] { ReadJpegFile(path); }, path, cases[i].second);
  }
}

TEST(ImageConvert, EveryFormatRoundTrips) {
  TTempDir dir;
  TRgbaImage image{24, 16, {}};
  const std::vector<uint8_t> rgb = Gradient(image.Width, image.Height);
  for (size_t i = 0; i < rgb.size() / 3; ++i)
    image.Pixels.insert(image.Pixels.end(), {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2], uint8_t(i)});
  TRgbaImage opaque = image;
  for (size_t i = 3; i < opaque.Pixels.size(); i += 4) opaque.Pixels[i] = 255;
  const struct {
    const char* name;
    const TRgbaImage& expected;
    int tolerance;
  } cases[] = {{"a.png", image, 0}, {"a.cna", image, 0}, {"a.bmp", opaque, 0}, {"a.jpg", opaque, 12}, {"b.JPEG", opaque, 12}};
  for (const auto& c : cases) {
    WriteAnyImage(dir / c.name, image);
    const TRgbaImage back = ReadAnyImage(dir / c.name);
    EXPECT_EQ(back.Width, image.Width) << c.name;
    EXPECT_LE(WorstDifference(back.Pixels, c.expected.Pixels), c.tolerance) << c.name;
  }
  ExpectFileError([&] { WriteAnyImage(dir / "a.gif", image); }, dir / "a.gif", "unknown image type");
}

TEST(ImageConvert, DescribesEachKindOfFile) {
  TTempDir dir;
  const std::vector<uint8_t> opaque = {1, 2, 3, 255, 4, 5, 6, 255}, seeThrough = {1, 2, 3, 0, 4, 5, 6, 200};
  WriteCnaFile(dir / "opaque.cna", opaque.data(), 2, 1, TCnaSource::Rgba);
  WriteCnaFile(dir / "frame001.cna", seeThrough.data(), 2, 1, TCnaSource::Rgba);
  const std::vector<uint8_t> rgb = Gradient(8, 8);
  WriteBmp24File(dir / "rgb.bmp", rgb.data(), 8, 8);
  WriteBmp8File(dir / "grey.bmp", rgb.data(), 4, 2);
  WriteJpegFile(dir / "photo.jpg", rgb.data(), 8, 8, 80);
  WriteStrFile(dir / "anim.str", {"frame001.cna", "frame002.cna"});
  const std::pair<const char*, const char*> cases[] = {
      {"opaque.cna", "CNA 2 x 1, alpha 255..255 (opaque, alpha unused)"},
      {"frame001.cna", "CNA 2 x 1, alpha 0..200"},
      {"rgb.bmp", "BMP 8 x 8, 24-bit"},
      {"grey.bmp", "BMP 4 x 2, 8-bit, 256-colour palette"},
      {"photo.jpg", "JPEG 8 x 8, 3 components"},
      {"anim.str", "STR 2 frames\n  frame001.cna: 2 x 1 RGBA\n  frame002.cna: missing"},
  };
  for (const auto& [name, text] : cases) EXPECT_EQ(DescribeImageFile(dir / name), text);
  EXPECT_THROW(DescribeImageFile(dir / "notes.txt"), TFileError);
}
