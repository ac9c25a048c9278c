// ImageBench.cpp — image loading: 50 files of 256 x 256 read and decoded per format (CNA, BMP,
// JPEG), and texture cache hits through LoadTexture on the null GL table.
#include "core/CnaUnit.h"
#include "core/Globals.h"
#include "core/ImageConvert.h"
#include "core/JpegFile.h"
#include "core/Texture.h"
#include "platform/GLTable.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int ImageCount = 50;
constexpr int ImageSide = 256;
constexpr int JpegQuality = 90;
const char* const Extensions[] = {"cna", "bmp", "jpg"};

// Terrain-like content: a smooth gradient with grain, so JPEG has real work to do.
std::vector<uint8_t> Picture(int seed, int channels) {
  std::vector<uint8_t> pixels;
  pixels.reserve(size_t(ImageSide) * ImageSide * channels);
  uint32_t state = 12345u + static_cast<uint32_t>(seed);
  for (int y = 0; y < ImageSide; ++y)
    for (int x = 0; x < ImageSide; ++x) {
      state = state * 134775813u + 1u;
      const int grain = static_cast<int>(state >> 28);
      pixels.push_back(uint8_t(x + grain + seed));
      pixels.push_back(uint8_t(y + grain));
      pixels.push_back(uint8_t((x + y) / 2 + grain));
      if (channels == 4) pixels.push_back(uint8_t(255 - grain));
    }
  return pixels;
}

// The files, written once into a temporary game directory and removed at exit.
class TBenchImages {
public:
  static TBenchImages& Get() {
    static TBenchImages images;
    return images;
  }
  std::string AppDirectory;
  std::vector<std::string> Names[3];  // per entry of Extensions, without directory

private:
  TBenchImages() {
    Root = std::filesystem::temp_directory_path() /
           ("quintara-bench-images-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Root / "textures");
    AppDirectory = Root.string() + "/";
    const std::string textures = AppDirectory + "textures/";
    for (int i = 0; i < ImageCount; ++i) {
      const std::string base = "img" + std::to_string(i) + ".";
      const std::vector<uint8_t> rgba = Picture(i, 4), rgb = Picture(i, 3);
      WriteCnaFile(textures + base + "cna", rgba.data(), ImageSide, ImageSide, TCnaSource::Rgba);
      WriteBmp24File(textures + base + "bmp", rgb.data(), ImageSide, ImageSide);
      WriteJpegFile(textures + base + "jpg", rgb.data(), ImageSide, ImageSide, JpegQuality);
      for (int f = 0; f < 3; ++f) Names[f].push_back(base + Extensions[f]);
    }
  }
  ~TBenchImages() {
    std::error_code ec;
    std::filesystem::remove_all(Root, ec);
  }
  std::filesystem::path Root;
};

// Reads and decodes every file of one format into a TTex (flipped, channels in GL order).
void BM_DecodeImages(benchmark::State& state, int format) {
  const TBenchImages& images = TBenchImages::Get();
  std::vector<std::string> paths;
  for (const std::string& name : images.Names[format])
    paths.push_back(images.AppDirectory + "textures/" + name);
  int64_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& path : paths) {
      const TTex tex(path);
      benchmark::DoNotOptimize(tex.Data.data());
      bytes += static_cast<int64_t>(tex.Data.size());
    }
  }
  state.SetItemsProcessed(state.iterations() * ImageCount);
  state.SetBytesProcessed(bytes);
}
BENCHMARK_CAPTURE(BM_DecodeImages, cna, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeImages, bmp, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeImages, jpg, 2)->Unit(benchmark::kMillisecond);

// Every name of all three formats (150 entries) asked for again: the linear name search that
// actor creation pays for each texture it refers to.
void BM_LoadTextureCacheHit(benchmark::State& state) {
  const TBenchImages& images = TBenchImages::Get();
  LoadNullGLTable();
  SetAppDir(images.AppDirectory);
  ClearTextureCache();
  std::vector<std::string> names;
  for (const auto& list : images.Names)
    for (const std::string& name : list) {
      LoadTexture(name);
      names.push_back(name);
    }
  for (auto _ : state)
    for (const std::string& name : names) benchmark::DoNotOptimize(LoadTexture(name));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
  ClearTextureCache();
}
BENCHMARK(BM_LoadTextureCacheHit);

}  // namespace
