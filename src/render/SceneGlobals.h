// SceneGlobals.h — scene-wide state every mission sets while loading: the sun direction, the fog
// distances, the atmosphere's light-space matrix, the sun switch and the vertex-program object.
#pragma once

#include "core/VectMath.h"

#include <cstdint>
#include <memory>

class TVertexShader;

// Unit vector pointing towards the sun (the scene's one directional light). Set by each mission
// loader before it creates the atmosphere and the terrain, which both read it.
extern TVector LightDirection;

// The mission's linear fog distances in world units, read by the mesh and terrain loaders and
// turned into the vertex programs' fog scale and offset.
extern float FogStart;
extern float FogEnd;

// A rotation derived from LightDirection by the atmosphere's constructor (column-major, as
// OpenGL reads it); the mesh and terrain loaders read it.
extern TMatrix LightSpaceMatrix;

// Set by the missions that show the sun disc and its lens flare (only the first one does).
extern uint8_t SunVisible;

// Created at start-up only when the driver offers vertex programs; empty otherwise, and every
// user checks VertexProgramSupported first.
extern std::unique_ptr<TVertexShader> VertexPrograms;
