// Forge.cpp — the manifest and the generator registry.
#include "content/Forge.h"

#include "content/FontForge.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/ImageConvert.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

namespace {

constexpr int FontCellPixels = 64;

using TGenerator = std::function<void(const std::string& outPath, const std::string& relative)>;

void ForgeFont(const std::string& outPath, const std::string&) {
  WriteAnyImage(outPath, MakeFontImage(DefaultFontPath(), FontCellPixels));
}

const std::map<std::string, TGenerator>& Generators() {
  static const std::map<std::string, TGenerator> generators = {
      {"font", ForgeFont},
  };
  return generators;
}

}  // namespace

std::vector<TManifestEntry> ReadManifest(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw TFileError(path, "cannot open the manifest");
  std::vector<TManifestEntry> entries;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    TManifestEntry entry;
    std::string extra;
    if (!(fields >> entry.Path >> entry.Generator) || (fields >> extra))
      throw TFileError(path, "line " + std::to_string(number) + " is not \"path generator\"");
    entries.push_back(entry);
  }
  return entries;
}

int RunForge(const std::string& manifestPath, const std::string& outDir,
             const std::string& onlyGenerator) {
  int written = 0;
  for (const TManifestEntry& entry : ReadManifest(manifestPath)) {
    if (!onlyGenerator.empty() && entry.Generator != onlyGenerator) continue;
    auto generator = Generators().find(entry.Generator);
    if (generator == Generators().end())
      throw TFileError(manifestPath, "no generator \"" + entry.Generator + "\" for " + entry.Path);
    const std::string outPath = outDir + "/" + entry.Path;
    EnsureDirectory(std::filesystem::path(outPath).parent_path().string());
    generator->second(outPath, entry.Path);
    ++written;
  }
  return written;
}

std::string DefaultManifestPath() { return QUINTARA_MANIFEST; }
