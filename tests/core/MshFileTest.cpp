// MshFileTest.cpp — the .msh reader and writer: round trips, chunk order rules and refusals.
#include "core/MshFile.h"

#include "common/TempDir.h"
#include "core/Error.h"
#include "core/FileIO.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

// A quad of two triangles in one textured group, an untextured triangle, and a two-frame
// animation after the rest pose.
TMsh SampleMesh() {
  TMsh m;
  m.Header = "sample";
  m.TexCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  m.Groups.push_back({"hull.bmp", {0, 1, 2, 0, 2, 3}, {0, 1, 2, 0, 2, 3}});
  m.Groups.push_back({"", {1, 4, 2}, {0, 0, 0}});
  m.ColorGroups = {{1, 2, 3}, {}};
  const TMshFrame rest = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0.5f, 0}};
  TMshFrame lifted = rest;
  for (TVector& v : lifted) v.z += 1;
  m.Anims.push_back({{rest}});
  m.Anims.push_back({{rest, lifted}});
  return m;
}

// Chunks laid down one by one, for inputs the encoder would never make.
class TChunks {
public:
  TChunks& Add(int32_t type, const std::vector<uint8_t>& payload) {
    return Raw(type, static_cast<int32_t>(payload.size()), payload);
  }
  TChunks& Raw(int32_t type, int32_t size, const std::vector<uint8_t>& payload) {
    uint8_t head[8];
    StoreLE<int32_t>(head, type);
    StoreLE<int32_t>(head + 4, size);
    Bytes.insert(Bytes.end(), head, head + 8);
    Bytes.insert(Bytes.end(), payload.begin(), payload.end());
    return *this;
  }
  template <typename T>
  TChunks& Values(int32_t type, const std::vector<T>& values) {
    std::vector<uint8_t> payload(values.size() * sizeof(T));
    if (!values.empty()) std::memcpy(payload.data(), values.data(), payload.size());
    return Add(type, payload);
  }
  TChunks& Name(const std::string& name) {
    std::vector<uint8_t> payload{static_cast<uint8_t>(name.size())};
    payload.insert(payload.end(), name.begin(), name.end());
    return Add(3, payload);
  }
  // One triangle over three vertices with its mapping.
  TChunks& Triangle(const std::string& name = "a.bmp") {
    Add(2, {});
    Name(name);
    Values<int32_t>(4, {0, 1, 2});
    return Values<int32_t>(5, {0, 0, 0});
  }
  TChunks& Frame(size_t vertices) {
    std::vector<float> xyz(vertices * 3);
    for (size_t i = 0; i < xyz.size(); ++i) xyz[i] = static_cast<float>(i);
    return Values<float>(8, xyz);
  }
  std::vector<uint8_t> Bytes;
};

TChunks MinimalChunks() {
  TChunks c;
  c.Values<float>(1, {0.5f, 0.5f});
  c.Triangle();
  c.Add(7, {});
  c.Frame(3);
  return c;
}

void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& reasonPart, const char* label) {
  try {
    ParseMsh(bytes.data(), bytes.size(), "case.msh");
    ADD_FAILURE() << label << ": accepted";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, "case.msh") << label;
    EXPECT_NE(e.Reason.find(reasonPart), std::string::npos) << label << ": " << e.Reason;
  }
}

}  // namespace

TEST(Msh, EncodeParseRoundTripIsExact) {
  const TMsh mesh = SampleMesh();
  const std::vector<uint8_t> bytes = EncodeMsh(mesh);
  const TMsh back = ParseMsh(bytes.data(), bytes.size(), "sample.msh");
  EXPECT_EQ(back, mesh);
  EXPECT_EQ(EncodeMsh(back), bytes);
  EXPECT_EQ(back.VertexCount(), 5u);
  EXPECT_EQ(back.TriangleCount(), 3u);
}

TEST(Msh, FileRoundTrip) {
  TTempDir dir;
  const TMsh mesh = SampleMesh();
  WriteMshFile(dir / "m.msh", mesh);
  EXPECT_EQ(ReadMshFile(dir / "m.msh"), mesh);
  EXPECT_FALSE(FileExists(dir / "m.msh.tmp"));
}

TEST(Msh, ChunkLayoutIsTheGamesOwn) {
  TMsh m = SampleMesh();
  m.Header.clear();
  const std::vector<uint8_t> bytes = EncodeMsh(m);
  // No header chunk when the header is empty: the texture table comes first.
  EXPECT_EQ(LoadLE<int32_t>(bytes.data()), 1);
  EXPECT_EQ(LoadLE<int32_t>(bytes.data() + 4), 32);
  EXPECT_EQ(LoadLE<float>(bytes.data() + 8 + 8), 1.0f);  // u of the second pair
  size_t pos = 8 + 32;
  EXPECT_EQ(LoadLE<int32_t>(bytes.data() + pos), 2);
  EXPECT_EQ(LoadLE<int32_t>(bytes.data() + pos + 4), 0);
  pos += 8;
  EXPECT_EQ(LoadLE<int32_t>(bytes.data() + pos), 3);
  EXPECT_EQ(LoadLE<int32_t>(bytes.data() + pos + 4), 9);
  EXPECT_EQ(bytes[pos + 8], 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + pos + 9), 8), "hull.bmp");
}

TEST(Msh, OrderRulesTheLoaderAllows) {
  struct Case {
    const char* label;
    TChunks chunks;
  };
  std::vector<Case> cases;
  {
    TChunks c;  // the texture table may follow the groups and even the frames
    c.Triangle().Add(7, {}).Frame(3).Values<float>(1, {0.25f, 0.75f});
    cases.push_back({"table last", c});
  }
  {
    TChunks c = MinimalChunks();  // a later table replaces the first
    c.Values<float>(1, {0.1f, 0.2f, 0.3f, 0.4f});
    cases.push_back({"table replaced", c});
  }
  {
    TChunks c;  // an unknown chunk without payload is passed over
    c.Values<float>(1, {0, 0}).Add(42, {}).Triangle().Add(-3, {}).Add(7, {}).Frame(3);
    cases.push_back({"unknown empty chunks", c});
  }
  {
    TChunks c;  // an unnamed group is drawn untextured
    c.Values<float>(1, {0, 0}).Add(2, {}).Values<int32_t>(4, {2, 1, 0}).Values<int32_t>(5, {0, 0, 0});
    c.Add(7, {}).Frame(3);
    cases.push_back({"unnamed group", c});
  }
  for (const Case& c : cases) {
    EXPECT_NO_THROW(ParseMsh(c.chunks.Bytes.data(), c.chunks.Bytes.size(), "ok.msh")) << c.label;
  }
  TChunks replaced = MinimalChunks();
  replaced.Values<float>(1, {0.1f, 0.2f, 0.3f, 0.4f});
  EXPECT_EQ(ParseMsh(replaced.Bytes.data(), replaced.Bytes.size(), "r.msh").TexCoords.size(), 2u);
}

TEST(Msh, BrokenInputIsRefusedNamingTheFile) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* label;
    TChunks chunks;
    const char* reason;
  };
  std::vector<Case> cases;
  auto add = [&](const char* label, TChunks c, const char* reason) { cases.push_back({label, c, reason}); };

  add("empty file", TChunks(), "no rest pose");
  {
    TChunks c = MinimalChunks();
    c.Bytes.resize(c.Bytes.size() - 1);
    add("payload cut short", c, "truncated");
  }
  {
    TChunks c = MinimalChunks();
    c.Bytes.insert(c.Bytes.end(), {0, 0, 0});
    add("header cut short", c, "truncated chunk header");
  }
  add("negative size", TChunks().Raw(1, -8, {}), "negative size");
  add("size past the end", TChunks().Raw(1, 1 << 30, {0, 0, 0, 0}), "truncated");
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(7, {});
    add("animation without frames", c, "no rest pose");
  }
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Triangle();
    add("no animation", c, "no rest pose");
  }
  add("name before any group", TChunks().Name("a.bmp"), "before any group");
  add("corners before any group", TChunks().Values<int32_t>(4, {0, 1, 2}), "before any group");
  {
    TChunks c = MinimalChunks();
    c.Triangle();
    add("group after a frame", c, "after the first key frame");
  }
  {
    TChunks c;
    c.Add(7, {}).Frame(3);
    c.Bytes.clear();
    c.Frame(3);
    add("frame before any animation", c, "before any animation");
  }
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(2, {}).Name("a.bmp").Values<int32_t>(4, {0, 1, 3}).Values<int32_t>(5, {0, 0, 0});
    c.Add(7, {}).Frame(3);
    add("vertex index out of range", c, "vertex index 3 out of range");
  }
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(2, {}).Name("a.bmp").Values<int32_t>(4, {0, -1, 2}).Values<int32_t>(5, {0, 0, 0});
    c.Add(7, {}).Frame(3);
    add("negative vertex index", c, "vertex index -1 out of range");
  }
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(2, {}).Name("a.bmp").Values<int32_t>(4, {0, 1, 2}).Values<int32_t>(5, {0, 1, 0});
    c.Add(7, {}).Frame(3);
    add("texture index out of range", c, "texture-coordinate index 1 out of range");
  }
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(2, {}).Values<int32_t>(4, {0, 1, 2}).Values<int32_t>(5, {0, 0});
    c.Add(7, {}).Frame(3);
    add("fewer mapping indices than corners", c, "2 texture-coordinate indices for 3 corners");
  }
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(2, {}).Values<int32_t>(4, {0, 1, 2});
    c.Add(7, {}).Frame(3);
    add("no mapping indices", c, "0 texture-coordinate indices");
  }
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(2, {}).Values<int32_t>(5, {0, 0, 0});
    add("mapping before corners", c, "before the group's corners");
  }
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(2, {}).Values<int32_t>(4, {0, 1, 2, 0});
    add("corners not whole triangles", c, "not whole triangles");
  }
  {
    TChunks c = MinimalChunks();
    c.Add(7, {}).Frame(4);
    add("frame lengths differ", c, "a key frame of 4 vertices, the rest pose has 3");
  }
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(7, {}).Frame(0);
    add("empty rest pose", c, "no vertices");
  }
  add("unknown chunk with payload", TChunks().Add(9, {1, 2, 3, 4}), "unknown chunk");
  add("header too long", TChunks().Add(0, std::vector<uint8_t>(16, 'h')), "at most 15");
  add("group start with payload", TChunks().Add(2, {0}), "no payload");
  add("name too long", TChunks().Add(2, {}).Name("abcdefghi.bmp"), "longer than 12");
  add("name length byte wrong", TChunks().Add(2, {}).Add(3, {5, 'a', '.', 'b'}), "length byte");
  add("name with a path", TChunks().Add(2, {}).Name("../x.bmp"), "cannot");
  add("group named twice", TChunks().Add(2, {}).Name("a.bmp").Name("b.bmp"), "named twice");
  add("texture table odd size", TChunks().Add(1, {0, 0, 0, 0}), "not whole (u, v) pairs");
  add("colour group odd size", TChunks().Add(6, {0, 0}), "not whole int32");
  {
    TChunks c;
    c.Values<float>(1, {0, 0}).Add(7, {}).Values<float>(8, {0, 0, 0, nan, 0, 0});
    add("position not a number", c, "not a finite number");
  }
  {
    TChunks c = MinimalChunks();
    c.Values<float>(1, {INFINITY, 0});
    add("texture coordinate not finite", c, "not a finite number");
  }
  for (const Case& c : cases) ExpectRefused(c.chunks.Bytes, c.reason, c.label);
}

TEST(Msh, WriterRefusesWhatTheReaderWould) {
  TTempDir dir;
  struct Case {
    const char* label;
    void (*spoil)(TMsh&);
  };
  const Case cases[] = {
      {"no animations", [](TMsh& m) { m.Anims.clear(); }},
      {"frames differ", [](TMsh& m) { m.Anims[1].Frames[1].pop_back(); }},
      {"index out of range", [](TMsh& m) { m.Groups[0].VertexIndices[2] = 5; }},
      {"mapping mismatch", [](TMsh& m) { m.Groups[1].TexCoordIndices.pop_back(); }},
      {"long name", [](TMsh& m) { m.Groups[0].Name = "thirteen.chars"; }},
      {"long header", [](TMsh& m) { m.Header = std::string(16, 'x'); }},
  };
  for (const Case& c : cases) {
    TMsh m = SampleMesh();
    c.spoil(m);
    EXPECT_THROW(WriteMshFile(dir / "bad.msh", m), TFileError) << c.label;
    EXPECT_FALSE(FileExists(dir / "bad.msh")) << c.label;
  }
}

TEST(Msh, MissingFileNamesThePath) {
  TTempDir dir;
  try {
    ReadMshFile(dir / "none.msh");
    FAIL();
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, dir / "none.msh");
  }
}
