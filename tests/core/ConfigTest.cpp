// ConfigTest.cpp — the 28-byte settings record, display-mode list and extension detection.
#include "core/ConfigUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "platform/GLTable.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>

namespace {

std::vector<uint8_t> Bytes(const TConfig& c) {
  std::vector<uint8_t> b(sizeof c);
  std::memcpy(b.data(), &c, sizeof c);
  return b;
}

TEST(ConfigFile, MissingFileGivesDefaultsAndWritesNothing) {
  TTempDir dir;
  TConfig c{};
  EXPECT_FALSE(LoadConfig(dir / "config.cfg", c));
  EXPECT_FALSE(FileExists(dir / "config.cfg"));
  EXPECT_EQ(c.Language, 1);
  EXPECT_EQ(c.Shadows, 1);
  EXPECT_EQ(c.ShadowMapSize, 256);
  EXPECT_EQ(c.Trilinear, 1);
  EXPECT_EQ(c.UseMouse, 1);
  EXPECT_EQ(c.BumpMapping, 1);
  EXPECT_EQ(c.MusicVolume, -700);
  EXPECT_EQ(c.SoundVolume, -500);
}

TEST(ConfigFile, WritesTheExactLittleEndianRecord) {
  TTempDir dir;
  TConfig c = DefaultConfig();
  c.DisplayMode = 3;
  c.MouseSensitivity = -20;
  c.MusicVolume = -4700;
  SaveConfig(dir / "config.cfg", c);
  std::vector<uint8_t> b = ReadFileBytes(dir / "config.cfg", 1000);
  const std::vector<uint8_t> expected = {
      3,    1,    1,    0,                          // mode, Slovak, shadows on, pad
      0x00, 0x01, 0x00, 0x00,                       // 256
      1,    0,    0,    0,                          // trilinear, pad
      0xEC, 0xFF, 0xFF, 0xFF,                       // -20
      0,    1,    1,    0,                          // invert, mouse, bump, pad
      0xA4, 0xED, 0xFF, 0xFF,                       // -4700
      0x0C, 0xFE, 0xFF, 0xFF};                      // -500
  EXPECT_EQ(b, expected);
  EXPECT_FALSE(FileExists(dir / "config.cfg.tmp"));

  TConfig back{};
  EXPECT_TRUE(LoadConfig(dir / "config.cfg", back));
  EXPECT_EQ(Bytes(back), b);
}

TEST(ConfigFile, ShortFileIsReadAsFarAsItGoes) {
  TTempDir dir;
  {
    std::ofstream f(dir / "config.cfg", std::ios::binary);
    const char head[6] = {2, 0, 0, 0, 64, 0};
    f.write(head, sizeof head);
  }
  TConfig c = DefaultConfig();
  EXPECT_TRUE(LoadConfig(dir / "config.cfg", c));
  EXPECT_EQ(c.DisplayMode, 2);
  EXPECT_EQ(c.Language, 0);
  EXPECT_EQ(c.ShadowMapSize, 64);
  EXPECT_EQ(c.MusicVolume, -700);              // untouched
}

TEST(ConfigFile, DirectoryInPlaceOfTheFileIsAnErrorNamingIt) {
  TTempDir dir;
  std::filesystem::create_directory(dir / "config.cfg");
  TConfig c{};
  // A directory is not a settings file: defaults, as for a missing one.
  EXPECT_FALSE(LoadConfig(dir / "config.cfg", c));
  try {
    SaveConfig(dir / "config.cfg", c);
    FAIL() << "saving over a directory must fail";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, dir / "config.cfg");
  }
}

TEST(DisplayModes, FilterKeepsOrderAndDropsNarrowOrPalettedModes) {
  const std::vector<TDisplayMode> system = {
      {32, 1024, 768, 85, 0}, {8, 1024, 768, 60, 1}, {32, 639, 480, 60, 2},
      {16, 640, 480, 0, 3},   {32, 1920, 1080, 1, 4}};
  std::vector<TDisplayMode> kept = FilterDisplayModes(system);
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[0].Index, 0);
  EXPECT_EQ(kept[1].Index, 3);
  EXPECT_EQ(kept[2].Index, 4);
  EXPECT_EQ(DisplayModeLine(kept[0]), "1024 x 768 x 32 bit 85 Hz");
  EXPECT_EQ(DisplayModeLine(kept[1]), "640 x 480 x 16 bit");
  EXPECT_EQ(DisplayModeLine(kept[2]), "1920 x 1080 x 32 bit");
}

TEST(DisplayModes, IndexBeyondTheListFallsBackToTheFirst) {
  TConfig c{};
  c.DisplayMode = 3;
  ClampDisplayMode(c, 3);
  EXPECT_EQ(c.DisplayMode, 0);
  c.DisplayMode = 2;
  ClampDisplayMode(c, 3);
  EXPECT_EQ(c.DisplayMode, 2);
  c.DisplayMode = 0;
  ClampDisplayMode(c, 0);  // only 8-bit or narrow modes: an empty list
  EXPECT_EQ(c.DisplayMode, 0);
}

TEST(Extensions, MatchWholeBlankSeparatedWordsOnly) {
  const char* list = "GL_ARB_vertex_programX GL_EXT_fog_coord GL_ARB_multitexture";
  EXPECT_FALSE(HasExtension(list, "GL_ARB_vertex_program"));
  EXPECT_TRUE(HasExtension(list, "GL_EXT_fog_coord"));
  EXPECT_TRUE(HasExtension(list, "GL_ARB_multitexture"));
  EXPECT_FALSE(HasExtension(list, "GL_ARB_multi"));
  EXPECT_FALSE(HasExtension(list, "fog_coord"));
  EXPECT_FALSE(HasExtension(list, "GL_EXT_fog_coord GL_ARB_multitexture"));
  EXPECT_FALSE(HasExtension(list, ""));
  EXPECT_FALSE(HasExtension(nullptr, "GL_EXT_fog_coord"));
  EXPECT_TRUE(HasExtension("XGL_A GL_A", "GL_A"));  // a later whole occurrence still counts
}

// Entry points the fabricated driver offers.
std::map<std::string, void*>* Offered = nullptr;
void* Lookup(const char* name) {
  auto it = Offered->find(name);
  return it == Offered->end() ? nullptr : it->second;
}

struct TCaseResult {
  bool VertexPrograms;
  int Kind;
  bool Bump, Edge, Border;
};

void ExpectFlags(const TCaseResult& r, const char* what) {
  EXPECT_EQ(VertexProgramSupported, r.VertexPrograms) << what;
  EXPECT_EQ(VertexProgramKind, r.Kind) << what;
  EXPECT_EQ(BumpSupported, r.Bump) << what;
  EXPECT_EQ(EdgeClampSupported, r.Edge) << what;
  EXPECT_EQ(BorderClampSupported, r.Border) << what;
}

TEST(Capabilities, FollowTheDriversExtensionsAndEntryPoints) {
  static int dummy[3];
  void* activeTexture = &dummy[0];
  void* activeTextureArb = &dummy[1];
  void* blendColor = &dummy[2];
  struct TCase {
    const char* What;
    const char* Extensions;
    std::map<std::string, void*> Procs;
    TCaseResult Expected;
  };
  const TCase cases[] = {
      {"no context", nullptr, {}, {false, 0, false, false, false}},
      {"GL 1.3 with ARB programs", "GL_ARB_vertex_program", {{"glActiveTexture", activeTexture}},
       {true, 1, true, true, true}},
      {"GL 1.3 without programs", "GL_ARB_multitexture", {{"glActiveTexture", activeTexture}},
       {false, 0, false, true, true}},
      {"EXT shaders only", "GL_EXT_vertex_shader", {}, {true, 0, false, false, false}},
      {"old driver with dot3", "GL_ARB_vertex_program GL_ARB_multitexture GL_EXT_texture_env_dot3",
       {{"glActiveTextureARB", activeTextureArb}}, {true, 1, true, false, false}},
      {"dot3 but no entry point", "GL_ARB_vertex_program GL_ARB_multitexture GL_ARB_texture_env_dot3",
       {}, {true, 1, false, false, false}},
      {"blend colour gives edge clamp", "", {{"glBlendColor", blendColor}}, {false, 0, false, true, false}},
      {"SGI clamps", "GL_SGI_texture_edge_clamp GL_SGIS_texture_border_clamp", {},
       {false, 0, false, true, true}},
  };
  for (const TCase& c : cases) {
    std::map<std::string, void*> procs = c.Procs;
    Offered = &procs;
    DetectCapabilities(c.Extensions, &Lookup);
    ExpectFlags(c.Expected, c.What);
  }
  Offered = nullptr;
}

TEST(Capabilities, StoreTheActiveTextureEntryPointFound) {
  static int dummy[2];
  std::map<std::string, void*> procs = {{"glActiveTextureARB", &dummy[0]}, {"glBlendColor", &dummy[1]}};
  Offered = &procs;
  DetectCapabilities("GL_ARB_multitexture GL_ARB_texture_env_dot3", &Lookup);
  EXPECT_EQ(reinterpret_cast<void*>(GL.ActiveTexture), &dummy[0]);
  EXPECT_EQ(reinterpret_cast<void*>(GL.BlendColor), &dummy[1]);
  Offered = nullptr;
}

// Shadows render into a texture only with every entry point for it; one missing (or an
// extension not named) leaves them all empty, and the next detection empties them again.
TEST(Capabilities, RenderToTextureTakesAllSixEntryPointsOrNone) {
  static int dummy[6];
  const char* names[] = {"glGenFramebuffers",        "glDeleteFramebuffers",     "glBindFramebuffer",
                         "glFramebufferTexture2D", "glCheckFramebufferStatus", "glCopyImageSubData"};
  std::map<std::string, void*> all;
  for (int k = 0; k < 6; ++k) all[names[k]] = &dummy[k];
  const char* both = "GL_ARB_framebuffer_object GL_ARB_copy_image";
  const auto detect = [](const char* extensions, std::map<std::string, void*> procs) {
    Offered = &procs;
    DetectCapabilities(extensions, &Lookup);
    Offered = nullptr;
  };

  detect(both, all);
  EXPECT_EQ(reinterpret_cast<void*>(GL.BindFramebuffer), &dummy[2]);
  EXPECT_EQ(reinterpret_cast<void*>(GL.CopyImageSubData), &dummy[5]);

  for (const char* missing : names) {
    std::map<std::string, void*> some = all;
    some.erase(missing);
    detect(both, some);
    EXPECT_EQ(GL.GenFramebuffers, nullptr) << "without " << missing;
    EXPECT_EQ(GL.BindFramebuffer, nullptr) << "without " << missing;
    EXPECT_EQ(GL.CopyImageSubData, nullptr) << "without " << missing;
  }
  detect(both, all);
  detect("GL_ARB_framebuffer_object", all);  // copies between textures not offered
  EXPECT_EQ(GL.BindFramebuffer, nullptr);
  EXPECT_EQ(GL.CheckFramebufferStatus, nullptr);
}

}  // namespace
