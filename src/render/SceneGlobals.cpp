// SceneGlobals.cpp — scene-wide state every mission sets while loading.
#include "render/SceneGlobals.h"

#include "render/VSUnit.h"

TVector LightDirection{0.0f, 0.0f, 1.0f};
float FogStart = 600.0f;
float FogEnd = 700.0f;
TMatrix LightSpaceMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
uint8_t SunVisible = 0;
std::unique_ptr<TVertexShader> VertexPrograms;
