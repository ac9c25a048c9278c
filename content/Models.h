// Models.h — every model of the game: its mesh, its texture atlas and, for the classes that read
// one, its parameter file. Each model lives in its own Models*.cpp.
//
// A model named N is written to Data/N.msh; a texture named T to textures/T.cna (colour, alpha
// marks what the glow pass lights) and textures/bT.cna (bump map), and its mesh groups are
// named "T.cna" so the game's texture lookup finds both.
#pragma once

#include "content/ModelTexture.h"
#include "core/IntFile.h"
#include "core/MshFile.h"

#include <string>
#include <vector>

struct TModelDef {
  const char* Name;
  TMsh (*Mesh)();
};

struct TModelTextureDef {
  const char* Name;  // without extension
  TPaintedTexture (*Paint)();
};

// In the order the game's rosters meet them; names are unique.
const std::vector<TModelDef>& ModelDefs();
const std::vector<TModelTextureDef>& ModelTextureDefs();

// The group name of texture `name`: "name.cna".
std::string TextureGroup(const char* name);

// Fighters (ModelsAlly1.cpp, ModelsBad1.cpp).
TMsh MeshAlly1();
TPaintedTexture PaintAlly1();
TAircraftParams ParamsAlly1();
TMsh MeshBad1();
TPaintedTexture PaintBad1();
TAircraftParams ParamsBad1();

// The cargo airship and its propeller (ModelsAirship.cpp).
TMsh MeshAlly2();
TMsh MeshAlly2a();
TPaintedTexture PaintAlly2();
TAirshipParams ParamsAlly2();
// Where the game hangs the propeller on the airship, in the airship's model space.
constexpr TVector AirshipPropellerHub{0, -41, 35};

// The barrage balloon and its gun platform (ModelsBalloon.cpp).
TMsh MeshBad4();
TMsh MeshBad4a();
TPaintedTexture PaintBad4();

// The wheeled vehicle and its wheel (ModelsVehicle.cpp); wheels sit at (+-7.7, -3.5, +-9.9).
TMsh MeshBad5();
TMsh MeshBad5a();
TPaintedTexture PaintBad5();

// The missile emplacement, its launcher and the missile (ModelsTurret.cpp).
TMsh MeshTurret();
TMsh MeshTurreta();
TPaintedTexture PaintTurret();
TMsh MeshRocket();
TPaintedTexture PaintRocket();

// The trooper: animation 0 walks, animation 1 falls (ModelsTrooper.cpp).
TMsh MeshBad3();
TPaintedTexture PaintBad3();

// Buildings and the lamp post (ModelsBuildings.cpp, ModelsLamp.cpp).
TMsh MeshBuild1l();
TMsh MeshBuild1m();
TMsh MeshGen();
TPaintedTexture PaintBuildings();
TBuildingParams ParamsBuild1l();
TBuildingParams ParamsBuild1m();
TBuildingParams ParamsGen();
TMsh MeshLamp();
TPaintedTexture PaintLamp();
