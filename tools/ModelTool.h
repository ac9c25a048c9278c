// ModelTool.h — qtool's model commands: summaries of .msh and .int files and a lit picture of a
// model from several angles.
#pragma once

#include <string>

// "mesh: 812 vertices, 1480 triangles, ..." — groups, animations and bounds, several lines.
std::string DescribeMshFile(const std::string& path);
// The layout is recognised by its first line (two values: a building) and its length (ten
// lines: an aircraft, otherwise an airship).
std::string DescribeIntFile(const std::string& path);

// Draws Data/NAME.msh of the game directory from four angles on an offscreen OpenGL context
// (with the parts the game hangs on it unless `alone`), plus a row of key frames per animation
// of an animated mesh, and writes the picture as PNG. Throws TFileError.
void RenderModel(const std::string& gameDir, const std::string& name, const std::string& outPng, bool alone);
