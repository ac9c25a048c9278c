// TextureTest.cpp — the texture cache over the null GL table: one GL texture per name, the
// upload and wrap rules, animations, refusals that leave the cache untouched, and release.
#include "core/CnaUnit.h"
#include "core/ConfigUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/ImageConvert.h"
#include "core/JpegFile.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

// What the cache asked of OpenGL, recorded by hooks laid over the null table.
struct TUpload {
  GLuint Texture;
  GLint InternalFormat;
  GLsizei Width, Height;
  GLenum Format;
  std::vector<uint8_t> Pixels;  // empty when no data was given
};

struct TGLLog {
  GLuint Bound = 0;
  GLint UnpackAlignment = 4;
  std::map<GLuint, std::map<GLenum, GLint>> Params;
  std::vector<TUpload> Mipmaps, Images, SubImages;
} Log;

TUpload Record(GLint internalFormat, GLsizei w, GLsizei h, GLenum format, const void* data) {
  const auto* p = static_cast<const uint8_t*>(data);
  const size_t size = data ? size_t(w) * h * (format == GL_RGB ? 3 : 4) : 0;
  return {Log.Bound, internalFormat, w, h, format, std::vector<uint8_t>(p, p + size)};
}

void InstallRecorder() {
  Log = {};
  GL.BindTexture = [](GLenum, GLuint t) { Log.Bound = t; };
  GL.PixelStorei = [](GLenum p, GLint v) { Log.UnpackAlignment = p == GL_UNPACK_ALIGNMENT ? v : Log.UnpackAlignment; };
  GL.TexParameteri = [](GLenum, GLenum p, GLint v) { Log.Params[Log.Bound][p] = v; };
  GL.Build2DMipmaps = [](GLenum, GLint i, GLsizei w, GLsizei h, GLenum f, GLenum, const void* d) -> GLint {
    Log.Mipmaps.push_back(Record(i, w, h, f, d));
    return 0;
  };
  GL.TexImage2D = [](GLenum, GLint, GLint i, GLsizei w, GLsizei h, GLint, GLenum f, GLenum, const GLvoid* d) {
    Log.Images.push_back(Record(i, w, h, f, d));
  };
  GL.TexSubImage2D = [](GLenum, GLint, GLint, GLint, GLsizei w, GLsizei h, GLenum f, GLenum, const GLvoid* d) {
    Log.SubImages.push_back(Record(0, w, h, f, d));
  };
}

auto CacheState() {
  return std::tuple{Textures.size(), TextureNames.size(), FrameTextures.size(), FrameNames.size(),
                    AnimTextures.size(), AnimTextureCount, NullGLCounts().LiveTextures};
}

class TextureCache : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    InstallRecorder();
    ClearTextureCache();
    std::filesystem::create_directories(Dir.Path / "textures");
    SetAppDir(Dir.Str());
    Config = DefaultConfig();
    EdgeClampSupported = false;
    Counter.Elapsed = 10;
    Live = NullGLCounts().LiveTextures;
  }
  void TearDown() override {
    ClearTextureCache();
    LoadNullGLTable();
    EdgeClampSupported = false;
  }

  // A solid w x h image in the format the name's extension asks for; red carries `r`.
  void Solid(const std::string& name, int w, int h, uint8_t r, uint8_t a = 255) {
    TRgbaImage image{w, h, {}};
    for (int i = 0; i < w * h; ++i) image.Pixels.insert(image.Pixels.end(), {r, 20, 30, a});
    WriteAnyImage(TextureDir + name, image);
  }
  GLint Param(int32_t index, GLenum name) { return Log.Params[Textures[index]].at(name); }

  TTempDir Dir;
  int64_t Live = 0;  // GL textures other tests left alive
};

}  // namespace

TEST_F(TextureCache, SameNameTwiceGivesOneIndexAndOneGLTexture) {
  Solid("grass.bmp", 3, 2, 10);
  Solid("star.cna", 2, 2, 1, 4);
  EXPECT_EQ(LoadTexture("grass.bmp"), 0);
  EXPECT_EQ(LoadTexture("star.cna"), 1);
  EXPECT_EQ(LoadTexture("grass.bmp"), 0);
  EXPECT_EQ(LoadTexture("star.cna"), 1);
  EXPECT_EQ(NullGLCounts().LiveTextures, Live + 2);
  EXPECT_EQ(TextureNames, (std::vector<std::string>{"grass.bmp", "star.cna"}));

  ASSERT_EQ(Log.Mipmaps.size(), 2u);
  EXPECT_EQ(Log.Mipmaps[0].Texture, Textures[0]);
  EXPECT_EQ(std::tie(Log.Mipmaps[0].InternalFormat, Log.Mipmaps[0].Format), std::tuple(GL_RGB8, GLenum(GL_RGB)));
  EXPECT_EQ(Log.Mipmaps[0].Pixels, std::vector<uint8_t>({10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30}));
  EXPECT_EQ(std::tie(Log.Mipmaps[1].InternalFormat, Log.Mipmaps[1].Format), std::tuple(GL_RGBA8, GLenum(GL_RGBA)));
  EXPECT_EQ(Log.UnpackAlignment, 1);  // 3-pixel RGB rows are 9 bytes, not 4-aligned
}

TEST_F(TextureCache, CapitalExtensionDecodesButIsCachedUnderItsOwnSpelling) {
  Solid("rock.jpg", 8, 8, 200);
  Solid("rock.JPG", 8, 8, 200);
  const int32_t lower = LoadTexture("rock.jpg");
  const int32_t upper = LoadTexture("rock.JPG");
  EXPECT_NE(lower, upper);
  EXPECT_EQ(LoadTexture("rock.JPG"), upper);
  ASSERT_EQ(Log.Mipmaps.size(), 2u);
  EXPECT_EQ(Log.Mipmaps[1].InternalFormat, GL_RGB8);
  EXPECT_EQ(Log.Mipmaps[1].Width, 8);
}

TEST_F(TextureCache, UnknownTypesAndCreatedTexturesHaveNoImage) {
  const int32_t notes = LoadTexture("readme.txt");  // never opened, so it need not exist
  EXPECT_EQ(LoadTexture("readme.txt"), notes);
  EXPECT_TRUE(Log.Mipmaps.empty());
  const std::string longName = std::string(300, 'n') + ".txt";
  const int32_t cut = LoadTexture(longName);
  EXPECT_EQ(TextureNames[cut].size(), TextureNameMax);
  EXPECT_EQ(LoadTexture(longName), cut);

  const int32_t shadow = CreateTexture("shadow0", 64, 32);
  EXPECT_EQ(CreateTexture("shadow0", 128, 128), shadow);
  EXPECT_EQ(CreateTexture("readme.txt", 8, 8), notes);
  EXPECT_EQ(NullGLCounts().LiveTextures, Live + 3);
  ASSERT_EQ(Log.Images.size(), 1u);
  EXPECT_EQ(std::tie(Log.Images[0].InternalFormat, Log.Images[0].Width, Log.Images[0].Height), std::tuple(GL_RGB8, 64, 32));
  EXPECT_TRUE(Log.Images[0].Pixels.empty());
  EXPECT_EQ(Param(shadow, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_THROW(CreateTexture("shadow1", 0, 64), TFileError);
  EXPECT_EQ(Textures.size(), 3u);
}

TEST_F(TextureCache, FilteringFollowsTrilinearAndClampFallsBackToRepeatForGood) {
  for (const char* name : {"a.bmp", "b.bmp", "sky.bmp", "radar.bmp", "ground.bmp"}) Solid(name, 2, 2, 0);
  Config.Trilinear = 0;
  const int32_t a = LoadTexture("a.bmp");
  Config.Trilinear = 1;
  const int32_t b = LoadTexture("b.bmp");
  EXPECT_EQ(Param(a, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
  EXPECT_EQ(Param(b, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(Param(b, GL_TEXTURE_MAG_FILTER), GL_LINEAR);

  // Without the extension a clamp request turns TextureWrap itself to repeat.
  TextureWrap = GL_CLAMP_TO_EDGE;
  const int32_t sky = LoadTexture("sky.bmp");
  EXPECT_EQ(TextureWrap, GL_REPEAT);
  const int32_t radar = LoadTexture("radar.bmp");
  for (int32_t i : {sky, radar}) {
    EXPECT_EQ(Param(i, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(Param(i, GL_TEXTURE_WRAP_T), GL_REPEAT);
  }
  EdgeClampSupported = true;
  TextureWrap = GL_CLAMP_TO_EDGE;
  EXPECT_EQ(Param(LoadTexture("ground.bmp"), GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(TextureWrap, GL_CLAMP_TO_EDGE);
}

TEST_F(TextureCache, EachStrLoadIsANewAnimationButFramesDecodeOnce) {
  Solid("exp00001.bmp", 4, 4, 1);
  Solid("exp00002.bmp", 4, 4, 2);
  Solid("exp00003.cna", 4, 4, 3, 128);
  WriteStrFile(TextureDir + "exp.str", {"exp00001.bmp", "exp00002.bmp", "exp00003.cna"});
  const int32_t a = LoadTexture("exp.str");
  const int32_t b = LoadTexture("exp.str");
  EXPECT_NE(a, b);
  EXPECT_EQ(NullGLCounts().LiveTextures, Live + 2);
  EXPECT_EQ(AnimTextureCount, 2);
  ASSERT_EQ(AnimTextures.size(), 2u);
  EXPECT_EQ(FrameNames, (std::vector<std::string>{"exp00001.bmp", "exp00002.bmp", "exp00003.cna"}));
  EXPECT_EQ(FrameTextures.size(), 3u);
  EXPECT_EQ(AnimTextures[1].Frames, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(std::tie(AnimTextures[1].FrameCount, AnimTextures[1].CurrentFrame, AnimTextures[1].FrameTime), std::tuple(3, 0, 0));
  EXPECT_EQ(TextureNames[a], "exp.str");

  // The first frame goes up as a single level, filtered linearly, wrap left at the default.
  ASSERT_EQ(Log.Images.size(), 2u);
  EXPECT_EQ(Log.Images[0].Texture, Textures[a]);
  EXPECT_EQ(Log.Images[0].InternalFormat, GL_RGB8);
  EXPECT_EQ(Log.Images[0].Pixels[0], 1);
  EXPECT_EQ(Param(a, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(Log.Params[Textures[a]].count(GL_TEXTURE_WRAP_S), 0u);
  EXPECT_TRUE(Log.Mipmaps.empty());
}

TEST_F(TextureCache, ThreeFramesAtTwentyMillisecondsPlayOnceAndStop) {
  for (uint8_t i = 0; i < 3; ++i) Solid("fire000" + std::to_string(i) + ".cna", 2, 2, i);
  WriteStrFile(TextureDir + "fire.str", {"fire0000.cna", "fire0001.cna", "fire0002.cna"});
  LoadTexture("fire.str");
  TAnimTex& anim = AnimTextures.back();
  anim.FrameTime = 20;
  Counter.Elapsed = 10;
  // After each Update: the frame shown, and the frame that call uploaded (-1: none).
  const std::pair<int32_t, int> steps[] = {{0, -1}, {0, -1}, {1, 1}, {1, -1}, {2, 2}, {2, -1}, {3, -1}};
  for (const auto& [current, uploaded] : steps) {
    const size_t uploads = Log.SubImages.size();
    anim.Update();
    EXPECT_EQ(anim.CurrentFrame, current);
    ASSERT_EQ(Log.SubImages.size(), uploads + (uploaded >= 0 ? 1 : 0)) << "at frame " << current;
    if (uploaded >= 0) {
      EXPECT_EQ(Log.SubImages.back().Pixels[0], uploaded);
    }
  }
  EXPECT_EQ(Log.SubImages.back().Format, GLenum(GL_RGBA));
  EXPECT_EQ(anim.Timer, 0);  // the call that ends it adds no time
}

TEST_F(TextureCache, RewindShowsTheFirstFrameAgainAndPlaysOnceMore) {
  for (uint8_t i = 0; i < 3; ++i) Solid("fire000" + std::to_string(i) + ".cna", 2, 2, i + 1);
  WriteStrFile(TextureDir + "fire.str", {"fire0000.cna", "fire0001.cna", "fire0002.cna"});
  const int32_t index = LoadTexture("fire.str");
  TAnimTex& anim = AnimTextures.back();
  anim.FrameTime = 20;
  Counter.Elapsed = 10;
  const auto playOut = [&] {
    int calls = 0;
    while (anim.CurrentFrame <= anim.FrameCount - 1 && calls < 100) {
      anim.Update();
      ++calls;
    }
    return calls;
  };
  const int firstRun = playOut();
  const size_t uploads = Log.SubImages.size();
  const size_t images = Log.Images.size();
  GL.BindTexture(GL_TEXTURE_2D, Textures[index]);
  anim.Rewind();
  EXPECT_EQ(std::tie(anim.CurrentFrame, anim.Timer), std::tuple(0, 0));
  // The first frame goes back into the same texture object, without making a new one.
  ASSERT_EQ(Log.SubImages.size(), uploads + 1);
  EXPECT_EQ(Log.Images.size(), images);
  EXPECT_EQ(Log.SubImages.back().Texture, Textures[index]);
  EXPECT_EQ(Log.SubImages.back().Pixels[0], 1);
  EXPECT_EQ(playOut(), firstRun);
  EXPECT_EQ(Log.SubImages.back().Pixels[0], 3);
}

TEST_F(TextureCache, BadFilesThrowNamingTheFileAndLeaveTheCacheAsItWas) {
  for (const char* name : {"good.bmp", "frame001.bmp", "frame002.bmp"}) Solid(name, 4, 4, 1);
  Solid("small001.bmp", 2, 2, 3);
  WriteStrFile(TextureDir + "known.str", {"frame001.bmp"});
  const std::vector<uint8_t> rgb(48, 7);
  std::vector<uint8_t> cna = EncodeCna(std::vector<uint8_t>(64, 9).data(), 4, 4, TCnaSource::Rgba);
  std::vector<uint8_t> jpeg = EncodeJpeg(rgb.data(), 4, 4, 90);
  cna.resize(cna.size() - 4);
  jpeg.resize(jpeg.size() / 2 + 10);
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> files = {
      {"short.cna", cna}, {"short.jpg", jpeg}, {"noise.bmp", {'B', 'M', 1, 2, 3}},
      {"odd.str", std::vector<uint8_t>(13, 'a')}, {"empty.str", {}}};
  for (const auto& [name, bytes] : files) WriteFileAtomic(TextureDir + name, bytes.data(), bytes.size());
  WriteBmp8File(TextureDir + "mask.bmp", rgb.data(), 4, 4);
  WriteStrFile(TextureDir + "mixed.str", {"frame002.bmp", "small001.bmp"});
  WriteStrFile(TextureDir + "lost.str", {"frame002.bmp", "lost0001.bmp"});
  WriteStrFile(TextureDir + "notes.str", {"frame002.bmp", "notes001.txt"});
  WriteStrFile(TextureDir + "escape.str", {"frame002.bmp", "../frame.bmp"});
  WriteStrFile(TextureDir + "slash.str", {"sub\\frm1.bmp"});
  LoadTexture("good.bmp");
  LoadTexture("known.str");

  // The texture asked for, the file the error must name, and a word of the reason.
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"absent.bmp", "absent.bmp", "cannot open"},
      {"short.cna", "short.cna", "cut short"},
      {"short.jpg", "short.jpg", "corrupt JPEG"},
      {"noise.bmp", "noise.bmp", "bitmap"},
      {"mask.bmp", "mask.bmp", "24 bits"},
      {"odd.str", "odd.str", "12-byte"},
      {"empty.str", "empty.str", "no frames"},
      {"absent.str", "absent.str", "cannot open"},
      {"mixed.str", "small001.bmp", "first frame of mixed.str is 4 x 4"},
      {"lost.str", "lost0001.bmp", "cannot open"},
      {"notes.str", "notes001.txt", "not a .bmp, .jpg or .cna"},
      {"escape.str", "escape.str", "frame 1 name is not a plain file name"},
      {"slash.str", "slash.str", "frame 0 name is not a plain file name"},
  };
  const auto before = CacheState();
  for (const auto& [name, file, reason] : cases) {
    try {
      LoadTexture(name);
      ADD_FAILURE() << name << " accepted";
    } catch (const TFileError& e) {
      EXPECT_EQ(e.File, TextureDir + file);
      EXPECT_NE(e.Reason.find(reason), std::string::npos) << e.Reason;
    }
    EXPECT_EQ(CacheState(), before) << name;
    EXPECT_EQ(std::count(TextureNames.begin(), TextureNames.end(), name), 0) << name;
  }
  // frame002.bmp decoded fine each time but was not kept: its animations never came to be.
  EXPECT_EQ(FrameNames, std::vector<std::string>{"frame001.bmp"});
}

TEST_F(TextureCache, ReleaseKeepsEntryZeroAndLeaksNothing) {
  for (const char* name : {"font.cna", "sky.bmp", "ground.jpg", "exp00001.bmp"}) Solid(name, 4, 4, 5);
  WriteStrFile(TextureDir + "exp.str", {"exp00001.bmp"});
  for (const char* name : {"font.cna", "sky.bmp", "ground.jpg", "exp.str"}) LoadTexture(name);
  CreateTexture("shadow", 8, 8);
  ASSERT_EQ(NullGLCounts().LiveTextures, Live + 5);

  ReleaseLevelTextures();
  EXPECT_EQ(TextureNames, std::vector<std::string>{"font.cna"});
  EXPECT_EQ(Textures.size(), 1u);
  EXPECT_EQ(NullGLCounts().LiveTextures, Live + 1);
  EXPECT_EQ(AnimTextureCount, 1);  // animations and their frames outlive the level
  EXPECT_EQ(FrameTextures.size(), 1u);
  EXPECT_EQ(LoadTexture("font.cna"), 0);
  EXPECT_EQ(LoadTexture("sky.bmp"), 1);
  EXPECT_EQ(NullGLCounts().LiveTextures, Live + 2);

  ClearTextureCache();
  EXPECT_EQ(NullGLCounts().LiveTextures, Live);
  EXPECT_TRUE(FrameTextures.empty());
}

TEST_F(TextureCache, AlphaMapsAreRawIndicesBottomRowFirst) {
  const std::vector<uint8_t> indices = {0, 50, 100, 150, 200, 250};  // 3 x 2, top row first
  WriteBmp8File(TextureDir + "mask1.bmp", indices.data(), 3, 2);
  Solid("colour.bmp", 3, 2, 9);
  TAlphaMap alpha;
  LoadAlphaMap("mask1.bmp", alpha);
  EXPECT_EQ(alpha, (TAlphaMap{150, 200, 250, 0, 50, 100}));
  try {
    LoadAlphaMap("colour.bmp", alpha);
    ADD_FAILURE() << "a 24-bit alpha map was accepted";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, TextureDir + "colour.bmp");
    EXPECT_NE(e.Reason.find("8-bit"), std::string::npos) << e.Reason;
  }
  EXPECT_THROW(LoadAlphaMap("absent.bmp", alpha), TFileError);
  EXPECT_EQ(alpha.size(), 6u);  // untouched by the failures
}
