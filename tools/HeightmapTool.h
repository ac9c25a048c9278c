// HeightmapTool.h — qtool heightmap: a mission's terrain as a shaded relief with its roster and
// recorded flights drawn over it, for a person to judge the level's layout.
#pragma once

#include <string>

// Reads the .srf at srfPath (the mission from the digit in its name, paths from .cap files
// beside it) and writes the picture to outPath. Throws TFileError.
void WriteHeightmap(const std::string& srfPath, const std::string& outPath, int size);
