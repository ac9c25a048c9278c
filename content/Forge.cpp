// Forge.cpp — the manifest and the generator registry.
#include "content/Forge.h"

#include "content/ArtEffects.h"
#include "content/ArtGround.h"
#include "content/ArtHud.h"
#include "content/ArtIcon.h"
#include "content/ArtIntro.h"
#include "content/ArtMenu.h"
#include "content/ArtSky.h"
#include "content/FontForge.h"
#include "content/ModelForge.h"
#include "content/PathForge.h"
#include "content/MusicForge.h"
#include "content/SoundForge.h"
#include "content/TerrainForge.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/ImageConvert.h"
#include "core/Texture.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

namespace {

constexpr int FontCellPixels = 64;
// Skies and menu pictures are soft gradients: a high quality keeps JPEG's blocks out of them.
constexpr int ArtJpegQuality = 94;

using TGenerator = std::function<void(const std::string& outPath, const std::string& relative)>;

void ForgeFont(const std::string& outPath, const std::string&) {
  WriteAnyImage(outPath, MakeFontImage(DefaultFontPath(), FontCellPixels));
}

// A generator writing the one picture `make` paints, in the format its file name asks for.
TGenerator Picture(TRgbaImage (*make)()) {
  return [make](const std::string& outPath, const std::string&) {
    WriteAnyImage(outPath, make(), ArtJpegQuality);
  };
}

void ForgeExplosionFrame(const std::string& outPath, const std::string& relative) {
  const int frame = ExplosionFrameIndex(relative);
  if (frame < 0) throw TFileError(relative, "not a frame name of the explosion");
  WriteAnyImage(outPath, MakeExplosionFrame(frame));
}

void ForgeExplosionList(const std::string& outPath, const std::string&) {
  std::vector<std::string> names;
  for (int i = 0; i < ExplosionFrameCount; ++i) names.push_back(ExplosionFrameName(i));
  WriteStrFile(outPath, names);
}

// Hand-written files (the vertex programs) are copied from the content directory unchanged.
void ForgeCopy(const std::string& outPath, const std::string& relative) {
  const std::string source = std::string(QUINTARA_CONTENT_DIR) + "/" + relative;
  const std::vector<uint8_t> bytes = ReadFileBytes(source, 1u << 20);
  WriteFileAtomic(outPath, bytes.data(), bytes.size());
}

const std::map<std::string, TGenerator>& Generators() {
  static const std::map<std::string, TGenerator> generators = {
      {"font", ForgeFont},
      {"copy", ForgeCopy},
      // Models: meshes, texture atlases, bump maps and parameter files, named by their file.
      {"model-mesh", ForgeModelMesh},
      {"model-texture", ForgeModelTexture},
      {"model-bump", ForgeModelBump},
      {"model-params", ForgeModelParams},
      // Menu.
      {"menu-clouds", Picture(MakeMenuClouds)},
      {"title", Picture(MakeTitle)},
      {"intro-dusk", Picture(MakeIntroDusk)},
      {"intro-fighter", Picture(MakeIntroFighter)},
      {"button", Picture(MakeButton)},
      {"button-left", Picture(MakeButtonLeft)},
      {"button-right", Picture(MakeButtonRight)},
      // Head-up display.
      {"radar-mask", Picture(MakeRadarMask)},
      {"radar-frame", Picture(MakeRadarFrame)},
      {"energy-sign", Picture(MakeEnergySign)},
      {"missile-sign", Picture(MakeMissileSign)},
      {"gun-sight", Picture(MakeGunSight)},
      {"missile-sight", Picture(MakeMissileSight)},
      // The desktop icon, installed beside the desktop entry rather than read by the game.
      {"icon", Picture(MakeIcon)},
      // Skies.
      {"sky1", Picture(MakeSky1)},
      {"sky2", Picture(MakeSky2)},
      {"sky3", Picture(MakeSky3)},
      {"sky4", Picture(MakeSky4)},
      {"sky5", Picture(MakeSky5)},
      // Effects.
      {"star", Picture(MakeStar)},
      {"sparkle", Picture(MakeSparkle)},
      {"smoke", Picture(MakeSmoke)},
      {"shot-mark", Picture(MakeShotMark)},
      {"sun", Picture(MakeSun)},
      {"flare", Picture(MakeFlare)},
      {"explosion-frame", ForgeExplosionFrame},
      {"explosion-list", ForgeExplosionList},
      // Terrain: ground textures and bump maps, seam masks, the missions' grids and radar maps,
      // each named by its file.
      {"ground-texture", ForgeGroundTexture},
      {"seam-mask", ForgeSeamMask},
      {"terrain", ForgeTerrain},
      {"radar-map", ForgeRadarMap},
      {"path", ForgePath},
      // Sound effects, named by their file.
      {"sound", ForgeSound},
      // Music, named by its file.
      {"music", ForgeMusic},
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
