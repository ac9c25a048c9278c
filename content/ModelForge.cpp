// ModelForge.cpp — the forge's generators for models, their textures and parameter files.
#include "content/ModelForge.h"

#include "content/Models.h"
#include "core/Error.h"
#include "core/ImageConvert.h"

#include <functional>
#include <map>

namespace {

// "Data/ally1.msh" -> "ally1".
std::string BaseName(const std::string& relative) {
  const size_t slash = relative.find_last_of('/');
  std::string name = relative.substr(slash == std::string::npos ? 0 : slash + 1);
  return name.substr(0, name.find('.'));
}

// The colour picture and the bump map come from one painting; paint each atlas once.
const TPaintedTexture& Painted(const std::string& name, const std::string& relative) {
  static std::map<std::string, TPaintedTexture> cache;
  auto it = cache.find(name);
  if (it != cache.end()) return it->second;
  for (const TModelTextureDef& def : ModelTextureDefs())
    if (name == def.Name) return cache.emplace(name, def.Paint()).first->second;
  throw TFileError(relative, "no model texture named \"" + name + "\"");
}

struct TParamsDef {
  const char* Name;
  std::function<void(const std::string&)> Write;
};

const std::vector<TParamsDef>& ParamsDefs() {
  static const std::vector<TParamsDef> defs = {
      {"ally1", [](const std::string& path) { WriteAircraftIntFile(path, ParamsAlly1()); }},
      {"bad1", [](const std::string& path) { WriteAircraftIntFile(path, ParamsBad1()); }},
      {"ally2", [](const std::string& path) { WriteAirshipIntFile(path, ParamsAlly2()); }},
      {"build1l", [](const std::string& path) { WriteBuildingIntFile(path, ParamsBuild1l()); }},
      {"build1m", [](const std::string& path) { WriteBuildingIntFile(path, ParamsBuild1m()); }},
      {"gen", [](const std::string& path) { WriteBuildingIntFile(path, ParamsGen()); }},
  };
  return defs;
}

}  // namespace

void ForgeModelMesh(const std::string& outPath, const std::string& relative) {
  const std::string name = BaseName(relative);
  for (const TModelDef& def : ModelDefs())
    if (name == def.Name) return WriteMshFile(outPath, def.Mesh());
  throw TFileError(relative, "no model named \"" + name + "\"");
}

void ForgeModelTexture(const std::string& outPath, const std::string& relative) {
  WriteAnyImage(outPath, Painted(BaseName(relative), relative).Color);
}

void ForgeModelBump(const std::string& outPath, const std::string& relative) {
  const std::string name = BaseName(relative);
  if (name.size() < 2 || name[0] != 'b') throw TFileError(relative, "a bump map's name starts with \"b\"");
  WriteAnyImage(outPath, Painted(name.substr(1), relative).Bump);
}

void ForgeModelParams(const std::string& outPath, const std::string& relative) {
  const std::string name = BaseName(relative);
  for (const TParamsDef& def : ParamsDefs())
    if (name == def.Name) return def.Write(outPath);
  throw TFileError(relative, "no parameter file for \"" + name + "\"");
}
