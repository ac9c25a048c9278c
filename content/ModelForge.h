// ModelForge.h — the forge's generators for models: meshes, texture atlases, bump maps and
// parameter files, each found by the name in its path.
#pragma once

#include <string>

// Data/N.msh
void ForgeModelMesh(const std::string& outPath, const std::string& relativePath);
// textures/T.cna
void ForgeModelTexture(const std::string& outPath, const std::string& relativePath);
// textures/bT.cna: the bump map of textures/T.cna
void ForgeModelBump(const std::string& outPath, const std::string& relativePath);
// Data/N.int
void ForgeModelParams(const std::string& outPath, const std::string& relativePath);
