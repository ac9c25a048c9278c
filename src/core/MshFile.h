// MshFile.h — the .msh mesh format as plain, validated data: reader, encoder and writer.
//
// Layout, little-endian: chunks until the end of the file, each an int32 type, an int32
// payload size and the payload.
//   0  mesh header, at most 15 bytes, not interpreted
//   1  texture coordinate table: (u, v) float pairs; a later table replaces an earlier one
//   2  (empty) starts a vertex group
//   3  the current group's name: a length byte n and n characters (n <= 12), the texture file
//   4  the current group's corners: int32 vertex indices, three per triangle
//   5  the current group's int32 texture-coordinate indices, one per corner
//   6  a colour group: int32 values kept with the mesh, never drawn
//   7  (empty) starts an animation
//   8  a key frame of the current animation: (x, y, z) float positions
// Every group comes before the first key frame; all frames hold the same number of positions,
// and the first frame of the first animation is the rest pose that corners index. A chunk of
// another type is skipped only when its payload is empty, as the game's loader does.
#pragma once

#include "core/VectMath.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t MshChunkHeaderSize = 8;
constexpr size_t MshHeaderMax = 15;
constexpr size_t MshGroupNameMax = 12;
// Far above any model of the game (the loader smooths normals in quadratic time).
constexpr size_t MshMaxFileSize = 64u << 20;

struct TMshTexCoord {
  float u, v;

  friend bool operator==(const TMshTexCoord&, const TMshTexCoord&) = default;
};

struct TMshGroup {
  std::string Name;                      // texture file name with extension; empty: untextured
  std::vector<int32_t> VertexIndices;    // into the frames' positions, a multiple of 3 long
  std::vector<int32_t> TexCoordIndices;  // into TexCoords, one per corner

  friend bool operator==(const TMshGroup&, const TMshGroup&) = default;
};

using TMshFrame = std::vector<TVector>;

struct TMshAnim {
  std::vector<TMshFrame> Frames;

  friend bool operator==(const TMshAnim&, const TMshAnim&) = default;
};

struct TMsh {
  std::string Header;  // at most 15 bytes
  std::vector<TMshTexCoord> TexCoords;
  std::vector<TMshGroup> Groups;
  std::vector<std::vector<int32_t>> ColorGroups;
  std::vector<TMshAnim> Anims;  // Anims[0].Frames[0] is the rest pose

  const TMshFrame& RestPose() const { return Anims.front().Frames.front(); }
  size_t VertexCount() const { return Anims.empty() || Anims[0].Frames.empty() ? 0 : RestPose().size(); }
  size_t TriangleCount() const;

  friend bool operator==(const TMsh&, const TMsh&) = default;
};

// Throws TFileError naming nameForErrors unless the mesh could be written and read back: a
// rest pose exists, frames agree in length, every index is in range, every corner list is
// whole triangles with one texture-coordinate index each, names and header fit, numbers are
// finite.
void ValidateMsh(const TMsh& mesh, const std::string& nameForErrors);

// Decodes and validates a whole file image; every chunk size and count is checked against the
// bytes present before it is used. Throws TFileError naming nameForErrors.
TMsh ParseMsh(const uint8_t* data, size_t size, const std::string& nameForErrors);
TMsh ReadMshFile(const std::string& path);

// Chunks in the order 0 (when the header is not empty), 1, each group's 2, 3, 4, 5, every 6,
// then each animation's 7 and its 8s. Validates first, naming nameForErrors.
std::vector<uint8_t> EncodeMsh(const TMsh& mesh, const std::string& nameForErrors = "MSH mesh");
void WriteMshFile(const std::string& path, const TMsh& mesh);  // atomic
