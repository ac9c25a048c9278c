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
};
TGLLog Log;

TUpload Record(GLint internalFormat, GLsizei w, GLsizei h, GLenum format, const void* data) {
  TUpload u{Log.Bound, internalFormat, w, h, format, {}};
  if (data) {
    const auto* p = static_cast<const uint8_t*>(data);
    u.Pixels.assign(p, p + size_t(w) * h * (format == GL_RGB ? 3 : 4));
  }
  return u;
}

void InstallRecorder() {
  Log = {};
  GL.BindTexture = [](GLenum, GLuint t) { Log.Bound = t; };
  GL.PixelStorei = [](GLenum p, GLint v) {
    if (p == GL_UNPACK_ALIGNMENT) Log.UnpackAlignment = v;
  };
  GL.TexParameteri = [](GLenum, GLenum p, GLint v) { Log.Params[Log.Bound][p] = v; };
  GL.Build2DMipmaps = [](GLenum, GLint i, GLsizei w, GLsizei h, GLenum f, GLenum,
                         const void* d) -> GLint {
    Log.Mipmaps.push_back(Record(i, w, h, f, d));
    return 0;
  };
  GL.TexImage2D = [](GLenum, GLint, GLint i, GLsizei w, GLsizei h, GLint, GLenum f, GLenum,
                     const GLvoid* d) { Log.Images.push_back(Record(i, w, h, f, d)); };
  GL.TexSubImage2D = [](GLenum, GLint, GLint, GLint, GLsizei w, GLsizei h, GLenum f, GLenum,
                        const GLvoid* d) { Log.SubImages.push_back(Record(0, w, h, f, d)); };
}

struct TCacheState {
  size_t Textures, Names, Frames, FrameNames, Anims;
  int32_t AnimCount;
  int64_t LiveGL;
  bool operator==(const TCacheState&) const = default;
};

TCacheState CacheState() {
  return {Textures.size(),    TextureNames.size(), FrameTextures.size(), FrameNames.size(),
          AnimTextures.size(), AnimTextureCount,   NullGLCounts().LiveTextures};
}

bool Cached(const std::string& name) {
  return std::find(TextureNames.begin(), TextureNames.end(), name) != TextureNames.end();
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

  // A solid w x h image in the format the name's extension asks for.
  void Solid(const std::string& name, int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < w * h; ++i) rgba.insert(rgba.end(), {r, g, b, a});
    TRgbaImage image{w, h, rgba};
    WriteAnyImage(TextureDir + name, image);
  }
  void Bytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteFileAtomic(TextureDir + name, bytes.data(), bytes.size());
  }

  TTempDir Dir;
  int64_t Live = 0;  // GL textures other tests left alive
};

}  // namespace

TEST_F(TextureCache, SameNameTwiceGivesOneIndexAndOneGLTexture) {
  Solid("grass.bmp", 4, 2, 10, 20, 30);
  Solid("star.cna", 2, 2, 1, 2, 3, 4);
  const int64_t live = NullGLCounts().LiveTextures;

  const int32_t grass = LoadTexture("grass.bmp");
  const int32_t star = LoadTexture("star.cna");
  EXPECT_EQ(LoadTexture("grass.bmp"), grass);
  EXPECT_EQ(LoadTexture("star.cna"), star);
  EXPECT_EQ(grass, 0);
  EXPECT_EQ(star, 1);
  EXPECT_EQ(NullGLCounts().LiveTextures, live + 2);
  EXPECT_EQ(TextureNames, (std::vector<std::string>{"grass.bmp", "star.cna"}));

  ASSERT_EQ(Log.Mipmaps.size(), 2u);
  EXPECT_EQ(Log.Mipmaps[0].Texture, Textures[grass]);
  EXPECT_EQ(Log.Mipmaps[0].InternalFormat, GL_RGB8);
  EXPECT_EQ(Log.Mipmaps[0].Format, static_cast<GLenum>(GL_RGB));
  EXPECT_EQ(Log.Mipmaps[0].Pixels, std::vector<uint8_t>({10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30,
                                                          10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30}));
  EXPECT_EQ(Log.Mipmaps[1].InternalFormat, GL_RGBA8);
  EXPECT_EQ(Log.Mipmaps[1].Format, static_cast<GLenum>(GL_RGBA));
  EXPECT_EQ(Log.UnpackAlignment, 1);  // RGB rows of 12 bytes are fine, but 3-pixel ones are not
}

TEST_F(TextureCache, CapitalExtensionDecodesButIsCachedUnderItsOwnSpelling) {
  Solid("rock.jpg", 8, 8, 200, 100, 50);
  Solid("rock.JPG", 8, 8, 200, 100, 50);
  const int32_t lower = LoadTexture("rock.jpg");
  const int32_t upper = LoadTexture("rock.JPG");
  EXPECT_NE(lower, upper);
  EXPECT_EQ(LoadTexture("rock.JPG"), upper);
  ASSERT_EQ(Log.Mipmaps.size(), 2u);
  EXPECT_EQ(Log.Mipmaps[1].InternalFormat, GL_RGB8);
  EXPECT_EQ(Log.Mipmaps[1].Width, 8);
}

TEST_F(TextureCache, UnknownTypeGetsATextureWithoutAnImage) {
  const int32_t index = LoadTexture("readme.txt");  // never opened, so it need not exist
  EXPECT_EQ(LoadTexture("readme.txt"), index);
  EXPECT_TRUE(Log.Mipmaps.empty());
  EXPECT_EQ(NullGLCounts().LiveTextures, Live + 1);

  const std::string longName = std::string(300, 'n') + ".txt";
  const int32_t cut = LoadTexture(longName);
  EXPECT_EQ(TextureNames[cut].size(), TextureNameMax);
  EXPECT_EQ(LoadTexture(longName), cut);
}

TEST_F(TextureCache, FilteringFollowsTheTrilinearSetting) {
  Solid("a.bmp", 2, 2, 0, 0, 0);
  Solid("b.bmp", 2, 2, 0, 0, 0);
  for (const auto& [name, trilinear, minFilter] :
       {std::tuple{"a.bmp", 0, GL_LINEAR_MIPMAP_NEAREST}, std::tuple{"b.bmp", 1, GL_LINEAR_MIPMAP_LINEAR}}) {
    Config.Trilinear = static_cast<uint8_t>(trilinear);
    const auto& params = Log.Params[Textures[LoadTexture(name)]];
    EXPECT_EQ(params.at(GL_TEXTURE_MIN_FILTER), minFilter) << name;
    EXPECT_EQ(params.at(GL_TEXTURE_MAG_FILTER), GL_LINEAR) << name;
  }
}

TEST_F(TextureCache, ClampWithoutTheExtensionFallsBackToRepeatForGood) {
  for (const char* name : {"sky.bmp", "radar.bmp", "ground.bmp", "sky2.bmp"}) Solid(name, 2, 2, 0, 0, 0);
  const auto wrapOf = [](int32_t index) {
    const auto& params = Log.Params[Textures[index]];
    EXPECT_EQ(params.at(GL_TEXTURE_WRAP_S), params.at(GL_TEXTURE_WRAP_T));
    return params.at(GL_TEXTURE_WRAP_S);
  };

  TextureWrap = GL_CLAMP_TO_EDGE;
  EXPECT_EQ(wrapOf(LoadTexture("sky.bmp")), GL_REPEAT);
  EXPECT_EQ(TextureWrap, GL_REPEAT);
  EXPECT_EQ(wrapOf(LoadTexture("radar.bmp")), GL_REPEAT);

  EdgeClampSupported = true;
  TextureWrap = GL_CLAMP_TO_EDGE;
  EXPECT_EQ(wrapOf(LoadTexture("ground.bmp")), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(TextureWrap, GL_CLAMP_TO_EDGE);
  TextureWrap = GL_REPEAT;
  EXPECT_EQ(wrapOf(LoadTexture("sky2.bmp")), GL_REPEAT);
}

TEST_F(TextureCache, EachStrLoadIsANewAnimationButFramesDecodeOnce) {
  Solid("exp00001.bmp", 4, 4, 1, 0, 0);
  Solid("exp00002.bmp", 4, 4, 2, 0, 0);
  Solid("exp00003.cna", 4, 4, 3, 0, 0, 128);
  WriteStrFile(TextureDir + "exp.str", {"exp00001.bmp", "exp00002.bmp", "exp00003.cna"});
  Solid("first.bmp", 2, 2, 0, 0, 0);
  LoadTexture("first.bmp");
  const int64_t live = NullGLCounts().LiveTextures;

  const int32_t a = LoadTexture("exp.str");
  const int32_t b = LoadTexture("exp.str");
  EXPECT_NE(a, b);
  EXPECT_EQ(NullGLCounts().LiveTextures, live + 2);
  EXPECT_EQ(AnimTextureCount, 2);
  ASSERT_EQ(AnimTextures.size(), 2u);
  EXPECT_EQ(FrameTextures.size(), 3u);
  EXPECT_EQ(FrameNames, (std::vector<std::string>{"exp00001.bmp", "exp00002.bmp", "exp00003.cna"}));
  EXPECT_EQ(AnimTextures[1].Frames, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(AnimTextures[1].FrameCount, 3);
  EXPECT_EQ(AnimTextures[1].FrameTime, 0);
  EXPECT_EQ(TextureNames[a], "exp.str");

  // The first frame goes up as a single level with linear filtering and default wrapping.
  ASSERT_EQ(Log.Images.size(), 2u);
  EXPECT_EQ(Log.Images[0].Texture, Textures[a]);
  EXPECT_EQ(Log.Images[0].InternalFormat, GL_RGB8);
  EXPECT_EQ(Log.Images[0].Pixels[0], 1);
  const auto& params = Log.Params[Textures[a]];
  EXPECT_EQ(params.at(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(params.count(GL_TEXTURE_WRAP_S), 0u);
  EXPECT_EQ(Log.Mipmaps.size(), 1u);  // only first.bmp
}

TEST_F(TextureCache, ThreeFramesAtTwentyMillisecondsPlayOnceAndStop) {
  for (uint8_t i = 0; i < 3; ++i) Solid("fire000" + std::to_string(i) + ".cna", 2, 2, i, 0, 0, 255);
  WriteStrFile(TextureDir + "fire.str", {"fire0000.cna", "fire0001.cna", "fire0002.cna"});
  LoadTexture("fire.str");
  TAnimTex& anim = AnimTextures.back();
  anim.FrameTime = 20;
  Counter.Elapsed = 10;

  // After each Update: the frame shown, and the frame uploaded by that call (-1: none).
  const struct {
    int32_t current;
    int uploaded;
  } steps[] = {{0, -1}, {0, -1}, {1, 1}, {1, -1}, {2, 2}, {2, -1}, {3, -1}};
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE("update " + std::to_string(i));
    const size_t uploads = Log.SubImages.size();
    anim.Update();
    EXPECT_EQ(anim.CurrentFrame, steps[i].current);
    if (steps[i].uploaded < 0) {
      EXPECT_EQ(Log.SubImages.size(), uploads);
    } else {
      ASSERT_EQ(Log.SubImages.size(), uploads + 1);
      EXPECT_EQ(Log.SubImages.back().Format, static_cast<GLenum>(GL_RGBA));
      EXPECT_EQ(Log.SubImages.back().Pixels[0], steps[i].uploaded);
    }
  }
  EXPECT_GT(anim.CurrentFrame, anim.FrameCount - 1);
  EXPECT_EQ(anim.Timer, 0);  // the ending call adds no time
}

TEST_F(TextureCache, BadFilesThrowNamingTheFileAndLeaveTheCacheAsItWas) {
  Solid("good.bmp", 4, 4, 1, 1, 1);
  Solid("frame001.bmp", 4, 4, 1, 1, 1);
  Solid("frame002.bmp", 4, 4, 2, 2, 2);
  Solid("small001.bmp", 2, 2, 3, 3, 3);
  WriteStrFile(TextureDir + "known.str", {"frame001.bmp"});
  std::vector<uint8_t> cna = EncodeCna(std::vector<uint8_t>(64, 9).data(), 4, 4, TCnaSource::Rgba);
  cna.resize(cna.size() - 4);
  Bytes("short.cna", cna);
  const std::vector<uint8_t> rgb(48, 7);
  std::vector<uint8_t> jpeg = EncodeJpeg(rgb.data(), 4, 4, 90);
  jpeg.resize(jpeg.size() / 2 + 10);
  Bytes("short.jpg", jpeg);
  Bytes("noise.bmp", {'B', 'M', 1, 2, 3});
  WriteBmp8File(TextureDir + "mask.bmp", rgb.data(), 4, 4);
  Bytes("odd.str", std::vector<uint8_t>(13, 'a'));
  Bytes("empty.str", {});
  WriteStrFile(TextureDir + "mixed.str", {"frame002.bmp", "small001.bmp"});
  WriteStrFile(TextureDir + "lost.str", {"frame002.bmp", "lost0001.bmp"});
  WriteStrFile(TextureDir + "notes.str", {"frame002.bmp", "notes001.txt"});

  LoadTexture("good.bmp");
  LoadTexture("known.str");
  struct Case {
    const char* name;
    std::string file;  // the file the error must name
    const char* reason;
  };
  const Case cases[] = {
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
  };
  const TCacheState before = CacheState();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      LoadTexture(c.name);
      ADD_FAILURE() << "accepted";
    } catch (const TFileError& e) {
      EXPECT_EQ(e.File, TextureDir + c.file);
      EXPECT_NE(e.Reason.find(c.reason), std::string::npos) << e.Reason;
    }
    EXPECT_TRUE(CacheState() == before);
    EXPECT_FALSE(Cached(c.name));
  }
  // A frame that decoded before the bad one was not kept either.
  EXPECT_EQ(FrameNames, std::vector<std::string>{"frame001.bmp"});
}

TEST_F(TextureCache, CreateTextureMakesAnEmptyRgbTextureOnce) {
  const int32_t shadow = CreateTexture("shadow0", 64, 32);
  EXPECT_EQ(CreateTexture("shadow0", 128, 128), shadow);
  EXPECT_EQ(NullGLCounts().LiveTextures, Live + 1);
  ASSERT_EQ(Log.Images.size(), 1u);
  EXPECT_EQ(Log.Images[0].InternalFormat, GL_RGB8);
  EXPECT_EQ(Log.Images[0].Width, 64);
  EXPECT_EQ(Log.Images[0].Height, 32);
  EXPECT_TRUE(Log.Images[0].Pixels.empty());
  EXPECT_EQ(Log.Params[Textures[shadow]].at(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_THROW(CreateTexture("shadow1", 0, 64), TFileError);
  EXPECT_EQ(Textures.size(), 1u);
}

TEST_F(TextureCache, ReleaseKeepsEntryZeroAndLeaksNothing) {
  for (const char* name : {"font.cna", "sky.bmp", "ground.jpg", "exp00001.bmp"}) Solid(name, 4, 4, 5, 5, 5);
  WriteStrFile(TextureDir + "exp.str", {"exp00001.bmp"});
  const int64_t live = NullGLCounts().LiveTextures;
  LoadTexture("font.cna");
  LoadTexture("sky.bmp");
  LoadTexture("ground.jpg");
  LoadTexture("exp.str");
  CreateTexture("shadow", 8, 8);
  ASSERT_EQ(NullGLCounts().LiveTextures, live + 5);

  ReleaseLevelTextures();
  EXPECT_EQ(Textures.size(), 1u);
  EXPECT_EQ(TextureNames, std::vector<std::string>{"font.cna"});
  EXPECT_EQ(NullGLCounts().LiveTextures, live + 1);
  EXPECT_EQ(FrameTextures.size(), 1u);  // frames and animations outlive the level
  EXPECT_EQ(AnimTextureCount, 1);

  EXPECT_EQ(LoadTexture("font.cna"), 0);
  EXPECT_EQ(NullGLCounts().LiveTextures, live + 1);
  EXPECT_EQ(LoadTexture("sky.bmp"), 1);
  EXPECT_EQ(NullGLCounts().LiveTextures, live + 2);

  ClearTextureCache();
  EXPECT_EQ(NullGLCounts().LiveTextures, live);
  EXPECT_TRUE(FrameTextures.empty());
}

TEST_F(TextureCache, AlphaMapsAreRawIndicesBottomRowFirst) {
  const std::vector<uint8_t> indices = {0, 50, 100, 150, 200, 250};  // 3 x 2, top row first
  WriteBmp8File(TextureDir + "mask1.bmp", indices.data(), 3, 2);
  TAlphaMap alpha;
  LoadAlphaMap("mask1.bmp", alpha);
  EXPECT_EQ(alpha, (TAlphaMap{150, 200, 250, 0, 50, 100}));
  EXPECT_THROW(LoadAlphaMap("absent.bmp", alpha), TFileError);
  EXPECT_EQ(alpha.size(), 6u);
}
