// SrfFileTest.cpp — the .srf reader and writer: byte layout, round trips and refusals.
#include "core/SrfFile.h"

#include "common/TempDir.h"
#include "core/Error.h"
#include "core/FileIO.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

// Three columns, two rows, two textures of which only the second blends.
TSrf SampleTerrain() {
  TSrf t;
  t.Width = 3;
  t.Height = 2;
  t.CellSizeX = 20;
  t.CellSizeY = 25;
  t.HeightScale = 1.5f;
  t.TextureNames = {"grass.bmp", "rock.jpg"};
  t.BlendFlags = {0, 1};
  for (int i = 0; i < 6; ++i)
    t.Cells.push_back({static_cast<uint8_t>(i * 40), {0.1f * i, -0.2f, 0.9f}, static_cast<uint8_t>(i % 2)});
  return t;
}

std::string Reason(const std::vector<uint8_t>& bytes) {
  try {
    ParseSrf(bytes.data(), bytes.size(), "bad.srf");
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, "bad.srf");
    return e.Reason;
  }
  return "";
}

TEST(SrfFile, LayoutOfTheEncodedBytes) {
  const TSrf t = SampleTerrain();
  const std::vector<uint8_t> bytes = EncodeSrf(t);
  ASSERT_EQ(bytes.size(), 20u + 2 * 13 + 6 * 20);
  EXPECT_EQ(bytes[0], 3);
  EXPECT_EQ(bytes[1], 2);
  EXPECT_EQ(LoadLE<float>(&bytes[4]), 20.0f);
  EXPECT_EQ(LoadLE<float>(&bytes[8]), 25.0f);
  EXPECT_EQ(LoadLE<float>(&bytes[12]), 1.5f);
  EXPECT_EQ(LoadLE<int32_t>(&bytes[16]), 2);
  EXPECT_EQ(bytes[20], 9);  // length of "grass.bmp"
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[21]), 9), "grass.bmp");
  EXPECT_EQ(bytes[30], 0);  // padding
  EXPECT_EQ(bytes[32], 8);  // second name starts 12 bytes later
  EXPECT_EQ(bytes[44], 0);  // blend flags
  EXPECT_EQ(bytes[45], 1);
  const size_t cell1 = 46 + 20;
  EXPECT_EQ(bytes[cell1], 40);
  EXPECT_EQ(LoadLE<float>(&bytes[cell1 + 4]), 0.1f);
  EXPECT_EQ(LoadLE<float>(&bytes[cell1 + 8]), -0.2f);
  EXPECT_EQ(bytes[cell1 + 16], 1);
}

TEST(SrfFile, RoundTripsThroughBytesAndFiles) {
  const TSrf t = SampleTerrain();
  const std::vector<uint8_t> bytes = EncodeSrf(t);
  EXPECT_EQ(ParseSrf(bytes.data(), bytes.size(), "x.srf"), t);

  TTempDir dir;
  WriteSrfFile(dir / "lev.srf", t);
  EXPECT_EQ(ReadSrfFile(dir / "lev.srf"), t);
  EXPECT_FALSE(FileExists(dir / "lev.srf.tmp"));
}

TEST(SrfFile, LargestGridRoundTrips) {
  TSrf t = SampleTerrain();
  t.Width = t.Height = SrfMaxSide;
  t.Cells.assign(SrfMaxSide * SrfMaxSide, TSrfCell{255, {0, 0, 1}, 1});
  const std::vector<uint8_t> bytes = EncodeSrf(t);
  EXPECT_EQ(ParseSrf(bytes.data(), bytes.size(), "big.srf"), t);
}

TEST(SrfFile, UnusedBytesAreIgnored) {
  std::vector<uint8_t> bytes = EncodeSrf(SampleTerrain());
  bytes[2] = bytes[3] = 0xAB;
  bytes[46 + 1] = bytes[46 + 19] = 0xCD;
  EXPECT_EQ(ParseSrf(bytes.data(), bytes.size(), "x.srf"), SampleTerrain());
}

struct TBadCase {
  const char* What;
  std::function<void(std::vector<uint8_t>&)> Damage;
  const char* ReasonPart;
};

TEST(SrfFile, DamagedFilesAreRefusedByName) {
  const std::vector<TBadCase> cases = {
      {"empty", [](auto& b) { b.clear(); }, "truncated header"},
      {"short header", [](auto& b) { b.resize(19); }, "truncated header"},
      {"zero width", [](auto& b) { b[0] = 0; }, "grid width"},
      {"enlarged width over 255", [](auto& b) { b[0] = 156; }, "grid width"},
      {"enlarged height over 255", [](auto& b) { b[1] = 200; }, "grid height"},
      {"no textures", [](auto& b) { StoreLE<int32_t>(&b[16], 0); }, "texture count"},
      {"negative texture count", [](auto& b) { StoreLE<int32_t>(&b[16], -3); }, "texture count"},
      {"huge texture count", [](auto& b) { StoreLE<int32_t>(&b[16], 1 << 30); }, "texture count"},
      {"one byte short", [](auto& b) { b.pop_back(); }, "takes exactly"},
      {"one byte long", [](auto& b) { b.push_back(0); }, "takes exactly"},
      {"name length 12", [](auto& b) { b[20] = 12; }, "at most 11"},
      {"empty name", [](auto& b) { b[32] = 0; }, "is empty"},
      {"slash in a name", [](auto& b) { b[21] = '/'; }, "file name"},
      {"texture number beyond the table", [](auto& b) { b[46 + 16] = 2; }, "texture number 2"},
      {"normal not finite", [](auto& b) { StoreLE<float>(&b[46 + 8], std::numeric_limits<float>::quiet_NaN()); }, "normal"},
      {"zero cell size", [](auto& b) { StoreLE<float>(&b[4], 0.0f); }, "cell size along x"},
      {"infinite cell size", [](auto& b) { StoreLE<float>(&b[8], std::numeric_limits<float>::infinity()); }, "cell size along y"},
      {"negative height scale", [](auto& b) { StoreLE<float>(&b[12], -1.0f); }, "height scale"},
  };
  for (const TBadCase& c : cases) {
    std::vector<uint8_t> bytes = EncodeSrf(SampleTerrain());
    c.Damage(bytes);
    EXPECT_NE(Reason(bytes).find(c.ReasonPart), std::string::npos) << c.What << ": " << Reason(bytes);
  }
}

TEST(SrfFile, TheWriterRefusesWhatItCouldNotReadBack) {
  const std::vector<std::pair<const char*, std::function<void(TSrf&)>>> cases = {
      {"cells missing", [](TSrf& t) { t.Cells.pop_back(); }},
      {"blend flags missing", [](TSrf& t) { t.BlendFlags.pop_back(); }},
      {"long name", [](TSrf& t) { t.TextureNames[0] = "twelve_chars"; }},
      {"texture number", [](TSrf& t) { t.Cells[0].Texture = 7; }},
      {"width 156", [](TSrf& t) { t.Width = 156; }},
  };
  TTempDir dir;
  for (const auto& [what, damage] : cases) {
    TSrf t = SampleTerrain();
    damage(t);
    EXPECT_THROW(EncodeSrf(t), TFileError) << what;
    EXPECT_THROW(WriteSrfFile(dir / "w.srf", t), TFileError) << what;
    EXPECT_FALSE(FileExists(dir / "w.srf")) << what;
  }
}

TEST(SrfFile, MissingFileNamesThePath) {
  TTempDir dir;
  try {
    ReadSrfFile(dir / "none.srf");
    FAIL();
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, dir / "none.srf");
  }
}

}  // namespace
