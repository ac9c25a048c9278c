// CnaTest.cpp — the .cna reader's byte and row order, its refusals, and the writer's round trip.
#include "core/CnaUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Texture.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

// A file laid down by hand; the 12 leading bytes are junk that must stay unread.
std::vector<uint8_t> CnaBytes(int32_t width, int32_t height, int32_t byteCount,
                              const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> bytes(24 + pixels.size(), 0xEE);
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

TEST(Cna, PixelsTurnRedFirstAndRowsBottomUp) {
  TTempDir dir;
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    std::vector<uint8_t> texture;
  };
  const Case cases[] = {
      {"pair.cna", CnaBytes(2, 1, 8, {1, 2, 3, 4, 5, 6, 7, 8}), {3, 2, 1, 4, 7, 6, 5, 8}},
      {"tall.cna", CnaBytes(1, 2, 8, {10, 11, 12, 13, 20, 21, 22, 23}), {22, 21, 20, 23, 12, 11, 10, 13}},
  };
  for (const Case& c : cases) {
    WriteFileAtomic(dir / c.name, c.file.data(), c.file.size());
    TCna cna;
    cna.LoadFromFile(dir / c.name);
    EXPECT_EQ(cna.Data, std::vector<uint8_t>(c.file.begin() + 24, c.file.end())) << c.name;
    EXPECT_EQ(cna.ScanLine(cna.Height - 1)[0], c.file[c.file.size() - cna.Width * 4]) << c.name;
    const TTex tex(dir / c.name);
    EXPECT_EQ(tex.BytesPerPixel, 4);
    EXPECT_EQ(tex.Data, c.texture) << c.name;
  }
}

TEST(Cna, RefusesLyingOrTruncatedFilesNamingThem) {
  auto cutShort = CnaBytes(2, 2, 16, Ramp(16));
  cutShort.pop_back();
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {{}, "too short"},
      {std::vector<uint8_t>(23, 0), "too short"},
      {CnaBytes(0, 4, 0, {}), "0 x 4"},
      {CnaBytes(4, -1, -16, {}), "4 x -1"},
      {CnaBytes(16385, 1, 16385 * 4, {}), "16385 x 1"},
      {CnaBytes(2, 2, 20, Ramp(20)), "does not match"},
      {CnaBytes(2, 2, -16, Ramp(16)), "does not match"},
      {cutShort, "cut short"},
      {CnaBytes(16384, 16383, 16384 * 16383 * 4, Ramp(64)), "cut short"},  // 1 GB promised
  };
  TTempDir dir;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string path = dir / ("bad" + std::to_string(i) + ".cna");
    WriteFileAtomic(path, cases[i].first.data(), cases[i].first.size());
    TCna cna;
    try {
      cna.LoadFromFile(path);
      ADD_FAILURE() << path << " accepted";
    } catch (const TFileError& e) {
      EXPECT_EQ(e.File, path);
      EXPECT_NE(e.Reason.find(cases[i].second), std::string::npos) << e.Reason;
    }
    EXPECT_EQ(cna.Width, 0);
    EXPECT_TRUE(cna.Data.empty());
  }
  EXPECT_THROW(TCna().LoadFromFile(dir / "absent.cna"), TFileError);
  auto tail = CnaBytes(1, 1, 4, {1, 2, 3, 4});
  tail.push_back(9);  // bytes after the pixels are ignored
  TCna cna;
  cna.LoadFromBytes(tail.data(), tail.size(), "tail.cna");
  EXPECT_EQ(cna.Data, (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(Cna, WriterRoundTripsBothChannelOrders) {
  const int32_t width = 3, height = 2;
  const std::vector<uint8_t> rgba = Ramp(width * height * 4);
  std::vector<uint8_t> bgra = rgba;
  for (size_t i = 0; i < bgra.size(); i += 4) std::swap(bgra[i], bgra[i + 2]);
  for (const auto& [pixels, order] : {std::pair{rgba, TCnaSource::Rgba}, std::pair{bgra, TCnaSource::Bgra}}) {
    const std::vector<uint8_t> bytes = EncodeCna(pixels.data(), width, height, order);
    ASSERT_EQ(bytes.size(), 24u + width * height * 4);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.begin() + 12, [](uint8_t b) { return b == 0; }));
    TCna cna;
    cna.LoadFromBytes(bytes.data(), bytes.size(), "round.cna");
    EXPECT_EQ(cna.Width, width);
    EXPECT_EQ(cna.Height, height);
    EXPECT_EQ(cna.Data, bgra);
  }
  TTempDir dir;
  EXPECT_THROW(WriteCnaFile(dir / "none.cna", rgba.data(), 0, 1, TCnaSource::Rgba), TFileError);
  EXPECT_FALSE(FileExists(dir / "none.cna"));
}
