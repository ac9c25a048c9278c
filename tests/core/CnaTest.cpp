// CnaTest.cpp — the .cna reader's byte order and refusals, and the writer's round trips.
#include "core/CnaUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Texture.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// A file as the game's tools lay it down: 12 bytes of anything, then the three counts.
std::vector<uint8_t> CnaBytes(int32_t width, int32_t height, int32_t byteCount,
                              const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> bytes(24 + pixels.size(), 0xEE);  // the unread prefix must stay unread
  StoreLE<int32_t>(bytes.data() + 12, width);
  StoreLE<int32_t>(bytes.data() + 16, height);
  StoreLE<int32_t>(bytes.data() + 20, byteCount);
  std::copy(pixels.begin(), pixels.end(), bytes.begin() + 24);
  return bytes;
}

std::vector<uint8_t> Ramp(size_t count) {
  std::vector<uint8_t> v(count);
  for (size_t i = 0; i < count; ++i) v[i] = static_cast<uint8_t>(i * 7 + 1);
  return v;
}

}  // namespace

TEST(Cna, TwoByOnePixelsBecomeRedGreenBlueAlpha) {
  TTempDir dir;
  const std::string path = dir / "pair.cna";
  const auto bytes = CnaBytes(2, 1, 8, {1, 2, 3, 4, 5, 6, 7, 8});
  WriteFileAtomic(path, bytes.data(), bytes.size());

  TCna cna;
  cna.LoadFromFile(path);
  EXPECT_EQ(cna.Width, 2);
  EXPECT_EQ(cna.Height, 1);
  EXPECT_EQ(cna.Data, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));  // kept as in the file

  const TTex tex(path);
  EXPECT_EQ(tex.BytesPerPixel, 4);
  EXPECT_EQ(tex.Data, (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(Cna, TopFileRowBecomesTheLastTextureRow) {
  TTempDir dir;
  const std::string path = dir / "tall.cna";
  const auto bytes = CnaBytes(1, 3, 12, {10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33});
  WriteFileAtomic(path, bytes.data(), bytes.size());

  TCna cna;
  cna.LoadFromFile(path);
  EXPECT_EQ(cna.ScanLine(0)[0], 10);
  EXPECT_EQ(cna.ScanLine(2)[3], 33);
  const TTex tex(path);
  EXPECT_EQ(tex.Data, (std::vector<uint8_t>{32, 31, 30, 33, 22, 21, 20, 23, 12, 11, 10, 13}));
}

TEST(Cna, RefusesLyingOrTruncatedFilesNamingThem) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* reason;
  };
  const auto cutShort = [] {
    auto b = CnaBytes(2, 2, 16, Ramp(16));
    b.pop_back();
    return b;
  }();
  const Case cases[] = {
      {"empty.cna", {}, "too short"},
      {"header.cna", std::vector<uint8_t>(23, 0), "too short"},
      {"zerowide.cna", CnaBytes(0, 4, 0, {}), "0 x 4"},
      {"negative.cna", CnaBytes(4, -1, -16, {}), "4 x -1"},
      {"toowide.cna", CnaBytes(16385, 1, 16385 * 4, {}), "16385 x 1"},
      {"count.cna", CnaBytes(2, 2, 20, Ramp(20)), "does not match"},
      {"negcount.cna", CnaBytes(2, 2, -16, Ramp(16)), "does not match"},
      {"zerocount.cna", CnaBytes(16384, 16384, 0, {}), "does not match"},
      {"truncated.cna", cutShort, "cut short"},
      {"huge.cna", CnaBytes(16384, 16383, 16384 * 16383 * 4, Ramp(64)), "cut short"},
  };
  TTempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / c.name;
    WriteFileAtomic(path, c.bytes.data(), c.bytes.size());
    TCna cna;
    cna.Width = 7;
    try {
      cna.LoadFromFile(path);
      ADD_FAILURE() << "accepted";
    } catch (const TFileError& e) {
      EXPECT_EQ(e.File, path);
      EXPECT_NE(e.Reason.find(c.reason), std::string::npos) << e.Reason;
    }
    EXPECT_EQ(cna.Width, 7);  // a refused file leaves the image alone
    EXPECT_TRUE(cna.Data.empty());
  }
  EXPECT_THROW(TCna().LoadFromFile(dir / "absent.cna"), TFileError);
}

TEST(Cna, BytesAfterThePixelsAreIgnored) {
  auto bytes = CnaBytes(1, 1, 4, {1, 2, 3, 4});
  bytes.insert(bytes.end(), {9, 9, 9});
  TCna cna;
  cna.LoadFromBytes(bytes.data(), bytes.size(), "tail.cna");
  EXPECT_EQ(cna.Data, (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(Cna, WriterRoundTripsBothChannelOrders) {
  const int32_t width = 3, height = 2;
  const std::vector<uint8_t> rgba = Ramp(width * height * 4);
  std::vector<uint8_t> bgra = rgba;
  for (size_t i = 0; i < bgra.size(); i += 4) std::swap(bgra[i], bgra[i + 2]);

  const std::pair<const std::vector<uint8_t>*, TCnaSource> sources[] = {
      {&rgba, TCnaSource::Rgba}, {&bgra, TCnaSource::Bgra}};
  for (const auto& [source, order] : sources) {
    const std::vector<uint8_t> bytes = EncodeCna(source->data(), width, height, order);
    ASSERT_EQ(bytes.size(), 24u + width * height * 4);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12), std::vector<uint8_t>(12, 0));
    TCna cna;
    cna.LoadFromBytes(bytes.data(), bytes.size(), "round.cna");
    EXPECT_EQ(cna.Width, width);
    EXPECT_EQ(cna.Height, height);
    EXPECT_EQ(cna.Data, bgra);
  }

  TTempDir dir;
  WriteCnaFile(dir / "round.cna", rgba.data(), width, height, TCnaSource::Rgba);
  const TTex tex(dir / "round.cna");
  // Texture rows run bottom up: its first row is the writer's last.
  EXPECT_EQ(std::vector<uint8_t>(tex.Data.begin(), tex.Data.begin() + width * 4),
            std::vector<uint8_t>(rgba.begin() + width * 4, rgba.end()));
}

TEST(Cna, WriterRefusesEmptyImagesNamingTheFile) {
  TTempDir dir;
  const uint8_t pixel[4] = {};
  try {
    WriteCnaFile(dir / "none.cna", pixel, 0, 1, TCnaSource::Rgba);
    ADD_FAILURE() << "wrote an empty image";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, dir / "none.cna");
  }
  EXPECT_FALSE(FileExists(dir / "none.cna"));
}
