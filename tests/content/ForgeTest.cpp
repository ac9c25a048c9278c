// ForgeTest.cpp — the forge: byte-for-byte repeatable, every file readable by the game's own
// readers, and the pictures keep the promises the game's drawing relies on.
#include "content/Forge.h"
#include "core/FileIO.h"
#include "core/ImageConvert.h"
#include "core/Texture.h"
#include "menu/TextConstants.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// The files of one generator, or of all when `generator` is empty, forged once per test
// process: most tests need only a few pictures, and each test may run in a process of its own.
const TTempDir& Forged(const std::string& generator = {}) {
  static std::map<std::string, std::unique_ptr<TTempDir>> trees;
  std::unique_ptr<TTempDir>& tree = trees[generator];
  if (!tree) {
    tree = std::make_unique<TTempDir>();
    RunForge(DefaultManifestPath(), tree->Str(), generator);
  }
  return *tree;
}

std::string Extension(const std::string& path) { return path.substr(path.find_last_of('.') + 1); }

bool IsPicture(const std::string& path) {
  const std::string ext = Extension(path);
  return ext == "cna" || ext == "jpg" || ext == "bmp";
}

TRgbaImage Picture(const std::string& generator, const std::string& relative) {
  return ReadAnyImage(Forged(generator) / relative);
}

const uint8_t* Pixel(const TRgbaImage& image, int x, int y) {
  return &image.Pixels[(static_cast<size_t>(y) * image.Width + x) * 4];
}

// Mean difference per channel between two pixels, colour weighted by alpha (a hidden colour
// does not show) and alpha itself.
double Gap(const uint8_t* a, const uint8_t* b) {
  double sum = std::abs(a[3] - b[3]);
  for (int k = 0; k < 3; ++k) sum += std::abs(a[k] * a[3] - b[k] * b[3]) / 255.0;
  return sum / 4;
}

double ColumnGap(const TRgbaImage& image, int x0, int x1) {
  double sum = 0;
  for (int y = 0; y < image.Height; ++y) sum += Gap(Pixel(image, x0, y), Pixel(image, x1, y));
  return sum / image.Height;
}

double RowGap(const TRgbaImage& image, int y0, int y1) {
  double sum = 0;
  for (int x = 0; x < image.Width; ++x) sum += Gap(Pixel(image, x, y0), Pixel(image, x, y1));
  return sum / image.Width;
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

TEST(Forge, TwoRunsWriteTheSameBytes) {
  TTempDir second;
  RunForge(DefaultManifestPath(), second.Str());
  for (const TManifestEntry& entry : ReadManifest(DefaultManifestPath())) {
    const auto a = ReadFileBytes(Forged() / entry.Path, 64u << 20);
    const auto b = ReadFileBytes(second / entry.Path, 64u << 20);
    EXPECT_TRUE(a == b) << entry.Path << " differs between two runs";
  }
}

TEST(Forge, EveryFileExistsAndTheGameReadsEveryPicture) {
  for (const TManifestEntry& entry : ReadManifest(DefaultManifestPath())) {
    const std::string path = Forged() / entry.Path;
    ASSERT_TRUE(FileExists(path)) << entry.Path;
    // Seam masks are 8-bit alpha maps, not textures; the terrain tests read them.
    if (IsPicture(entry.Path) && entry.Generator != "seam-mask") {
      const TTex tex(path);
      EXPECT_GT(tex.Width, 0) << entry.Path;
      EXPECT_EQ(tex.BytesPerPixel, Extension(entry.Path) == "cna" ? 4 : 3) << entry.Path;
      // Mipmaps are built without rescaling only from power-of-two sides.
      EXPECT_TRUE(IsPowerOfTwo(tex.Width) && IsPowerOfTwo(tex.Height)) << entry.Path;
    }
    if (Extension(entry.Path) == "str") {
      for (const std::string& frame : ReadStrFile(path)) EXPECT_NO_THROW(TTex(Forged() / ("textures/" + frame))) << frame;
    }
  }
}

TEST(Forge, FontHasSquareCellsAndAGlyphForEveryByteOfBothLanguages) {
  const TRgbaImage font = Picture("font", "textures/ArialBold.cna");
  ASSERT_EQ(font.Width, font.Height);
  ASSERT_EQ(font.Width % 16, 0);
  const int cell = font.Width / 16;
  std::set<unsigned char> used;
  for (uint8_t language : {0, 1}) {
    SelectLanguage(language);
    for (int i = 0; i < TextCount; ++i)
      for (unsigned char c : TextTable[i]) used.insert(c);
  }
  used.erase(' ');
  for (unsigned char c : used) {
    int covered = 0;
    for (int y = 0; y < cell; ++y)
      for (int x = 0; x < cell; ++x) covered += Pixel(font, (c % 16) * cell + x, (c / 16) * cell + y)[3] > 0;
    EXPECT_GT(covered, 0) << "no glyph for byte " << static_cast<int>(c);
  }
}

TEST(Forge, ExplosionFramesAreTwelveCharacterNamesOfOneSize) {
  const std::vector<std::string> frames = ReadStrFile(Forged("explosion-list") / "textures/exp.str");
  ASSERT_GE(frames.size(), 16u);
  ASSERT_LE(frames.size(), 24u);
  const TRgbaImage first = Picture("explosion-frame", "textures/" + frames.front());
  double firstLight = 0, brightest = 0;
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].size(), StrNameSize);
    const TRgbaImage frame = Picture("explosion-frame", "textures/" + frames[i]);
    EXPECT_EQ(frame.Width, first.Width);
    EXPECT_EQ(frame.Height, first.Height);
    double light = 0;  // drawn additively: colour times alpha
    for (size_t p = 0; p < frame.Pixels.size(); p += 4) light += frame.Pixels[p] * frame.Pixels[p + 3] / 255.0;
    if (i == 0) firstLight = light;
    brightest = std::max(brightest, light);
    if (i + 1 == frames.size()) {
      EXPECT_LT(light, brightest * 0.1) << "the last frame has faded";
    }
  }
  EXPECT_GT(brightest, firstLight) << "the fireball brightens after its first frame";
}

TEST(Forge, RadarMaskIsOpaqueInsideAndClearOutside) {
  const TRgbaImage mask = Picture("radar-mask", "textures/radmask.cna");
  const int w = mask.Width - 1, h = mask.Height - 1;
  for (auto [x, y] : {std::pair{0, 0}, {w, 0}, {0, h}, {w, h}}) EXPECT_EQ(Pixel(mask, x, y)[3], 0);
  EXPECT_EQ(Pixel(mask, mask.Width / 2, mask.Height / 2)[3], 255);
}

TEST(Forge, AdditiveEffectsFadeOutBeforeTheirBorder) {
  for (auto [generator, name] : {std::pair{"star", "star.cna"}, {"sparkle", "sparkle.cna"}, {"shot-mark", "sLightMap.cna"},
                                 {"sun", "sun.cna"}, {"flare", "flare.cna"}, {"smoke", "smoke.cna"},
                                 {"explosion-frame", "exp00008.cna"}}) {
    const TRgbaImage image = Picture(generator, std::string("textures/") + name);
    int worst = 0;
    for (int i = 0; i < image.Width; ++i)
      for (int j : {0, image.Height - 1}) worst = std::max({worst, +Pixel(image, i, j)[3], +Pixel(image, j, i)[3]});
    EXPECT_EQ(worst, 0) << name;
  }
}

TEST(Forge, SkiesTileAroundTheDomeAndMeetTheFogAtTheHorizon) {
  struct TSky {
    const char* Generator;
    const char* Name;
    int Fog[3];  // the mission's fog colour; 0 when the sky is added, not replacing
  };
  for (const TSky& sky : {TSky{"sky1", "sky1.cna", {128, 128, 178}}, TSky{"sky2", "sky2.jpg", {0, 0, 0}},
                          TSky{"sky3", "sky3.jpg", {128, 128, 128}}, TSky{"sky4", "sky4.jpg", {128, 158, 128}},
                          TSky{"sky5", "sky5.jpg", {128, 128, 128}}}) {
    const TRgbaImage image = Picture(sky.Generator, std::string("textures/") + sky.Name);
    // Across the seam the colours step no more than between two neighbouring columns.
    EXPECT_LT(ColumnGap(image, 0, image.Width - 1), ColumnGap(image, 0, 1) + 4) << sky.Name;
    if (sky.Fog[0] == 0) continue;
    for (int k = 0; k < 3; ++k) {
      double mean = 0;
      for (int x = 0; x < image.Width; ++x) mean += Pixel(image, x, image.Height - 1)[k];
      EXPECT_NEAR(mean / image.Width, sky.Fog[k], 4) << sky.Name << " channel " << k;
    }
  }
}

TEST(Forge, MenuCloudsTileBothWays) {
  const TRgbaImage clouds = Picture("menu-clouds", "textures/movclds.jpg");
  EXPECT_LT(ColumnGap(clouds, 0, clouds.Width - 1), ColumnGap(clouds, 0, 1) + 4);
  EXPECT_LT(RowGap(clouds, 0, clouds.Height - 1), RowGap(clouds, 0, 1) + 4);
}

}  // namespace
