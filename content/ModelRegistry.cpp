// ModelRegistry.cpp — the table of the game's models and their texture atlases.
#include "content/Models.h"

std::string TextureGroup(const char* name) { return std::string(name) + ".cna"; }

const std::vector<TModelDef>& ModelDefs() {
  static const std::vector<TModelDef> defs = {
      {"ally1", MeshAlly1},
      {"bad1", MeshBad1},
      {"ally2", MeshAlly2},
      {"ally2a", MeshAlly2a},
      {"bad4", MeshBad4},
      {"bad4a", MeshBad4a},
      {"bad5", MeshBad5},
      {"bad5a", MeshBad5a},
      {"turret", MeshTurret},
      {"turreta", MeshTurreta},
      {"rocket", MeshRocket},
      {"bad3", MeshBad3},
      {"build1l", MeshBuild1l},
      {"build1m", MeshBuild1m},
      {"gen", MeshGen},
      {"lamp", MeshLamp},
  };
  return defs;
}

const std::vector<TModelTextureDef>& ModelTextureDefs() {
  static const std::vector<TModelTextureDef> defs = {
      {"ally1", PaintAlly1},
      {"bad1", PaintBad1},
      {"ally2", PaintAlly2},
      {"bad4", PaintBad4},
      {"bad5", PaintBad5},
      {"turret", PaintTurret},
      {"rocket", PaintRocket},
      {"bad3", PaintBad3},
      {"build1", PaintBuildings},
      {"lamp", PaintLamp},
  };
  return defs;
}
