// MshFile.cpp — the .msh mesh format: chunk reader with full validation, encoder and writer.
#include "core/MshFile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <cmath>
#include <cstring>

namespace {

enum : int32_t {
  ChunkHeader = 0,
  ChunkTexCoords = 1,
  ChunkGroup = 2,
  ChunkGroupName = 3,
  ChunkVertexIndices = 4,
  ChunkTexCoordIndices = 5,
  ChunkColorGroup = 6,
  ChunkAnim = 7,
  ChunkFrame = 8,
};

std::string Str(size_t n) { return std::to_string(n); }

// A group name becomes part of a texture path, so it may not leave the texture directory or
// carry control characters.
bool IsFileNameChar(unsigned char c) { return c >= 0x20 && c != 0x7f && c != '/' && c != '\\'; }

void CheckGroupName(const std::string& name, const std::string& where, const std::string& file) {
  if (name.size() > MshGroupNameMax)
    throw TFileError(file, where + " name \"" + name + "\" is longer than 12 characters");
  for (unsigned char c : name)
    if (!IsFileNameChar(c)) throw TFileError(file, where + " name holds a character a file name cannot");
}

std::vector<int32_t> ReadInts(const uint8_t* p, size_t count) {
  std::vector<int32_t> values(count);
  if (count) std::memcpy(values.data(), p, count * 4);
  return values;
}

// What ParseMsh has seen of the group being filled.
struct TGroupProgress {
  bool Named = false, Indexed = false, Mapped = false;
};

}  // namespace

size_t TMsh::TriangleCount() const {
  size_t corners = 0;
  for (const TMshGroup& g : Groups) corners += g.VertexIndices.size();
  return corners / 3;
}

void ValidateMsh(const TMsh& mesh, const std::string& file) {
  if (mesh.Header.size() > MshHeaderMax)
    throw TFileError(file, "the header holds " + Str(mesh.Header.size()) + " bytes, at most 15 fit");
  if (mesh.Anims.empty() || mesh.Anims[0].Frames.empty())
    throw TFileError(file, "no rest pose: the mesh has no key frame");
  const size_t vertexCount = mesh.RestPose().size();
  if (vertexCount == 0) throw TFileError(file, "the rest pose has no vertices");
  if (vertexCount > INT32_MAX / 12) throw TFileError(file, "too many vertices");

  for (size_t a = 0; a < mesh.Anims.size(); ++a) {
    const TMshAnim& anim = mesh.Anims[a];
    if (anim.Frames.empty()) throw TFileError(file, "animation " + Str(a) + " has no key frame");
    for (size_t f = 0; f < anim.Frames.size(); ++f) {
      const TMshFrame& frame = anim.Frames[f];
      if (frame.size() != vertexCount)
        throw TFileError(file, "animation " + Str(a) + " frame " + Str(f) + " has " + Str(frame.size()) +
                                   " vertices, the rest pose " + Str(vertexCount));
      for (const TVector& v : frame)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
          throw TFileError(file, "animation " + Str(a) + " frame " + Str(f) + " holds a position that is not a finite number");
    }
  }
  for (const TMshTexCoord& t : mesh.TexCoords)
    if (!std::isfinite(t.u) || !std::isfinite(t.v))
      throw TFileError(file, "a texture coordinate is not a finite number");

  for (size_t g = 0; g < mesh.Groups.size(); ++g) {
    const TMshGroup& group = mesh.Groups[g];
    const std::string where = "group " + Str(g);
    CheckGroupName(group.Name, where, file);
    if (group.VertexIndices.size() % 3 != 0)
      throw TFileError(file, where + " has " + Str(group.VertexIndices.size()) + " corners, not whole triangles");
    if (group.TexCoordIndices.size() != group.VertexIndices.size())
      throw TFileError(file, where + " has " + Str(group.VertexIndices.size()) + " corners but " +
                                 Str(group.TexCoordIndices.size()) + " texture-coordinate indices");
    if (group.VertexIndices.size() > INT32_MAX / 4) throw TFileError(file, where + " has too many corners");
    for (size_t i = 0; i < group.VertexIndices.size(); ++i) {
      const int32_t k = group.VertexIndices[i];
      if (k < 0 || static_cast<size_t>(k) >= vertexCount)
        throw TFileError(file, where + " corner " + Str(i) + ": vertex index " + std::to_string(k) +
                                   " out of range (" + Str(vertexCount) + " vertices)");
      const int32_t t = group.TexCoordIndices[i];
      if (t < 0 || static_cast<size_t>(t) >= mesh.TexCoords.size())
        throw TFileError(file, where + " corner " + Str(i) + ": texture-coordinate index " + std::to_string(t) +
                                   " out of range (" + Str(mesh.TexCoords.size()) + " in the table)");
    }
  }
  for (size_t c = 0; c < mesh.ColorGroups.size(); ++c)
    if (mesh.ColorGroups[c].size() > INT32_MAX / 4) throw TFileError(file, "colour group " + Str(c) + " is too long");
}

TMsh ParseMsh(const uint8_t* data, size_t size, const std::string& file) {
  if (size > MshMaxFileSize) throw TFileError(file, "larger than any mesh (" + Str(size) + " bytes)");
  TMsh mesh;
  TGroupProgress progress;
  bool framesStarted = false;
  size_t pos = 0;
  while (pos < size) {
    if (size - pos < MshChunkHeaderSize)
      throw TFileError(file, "truncated chunk header at byte " + Str(pos));
    const int32_t type = LoadLE<int32_t>(data + pos);
    const int32_t signedSize = LoadLE<int32_t>(data + pos + 4);
    const std::string at = "chunk at byte " + Str(pos) + " (type " + std::to_string(type) + ")";
    pos += MshChunkHeaderSize;
    if (signedSize < 0) throw TFileError(file, at + " has a negative size");
    const size_t length = static_cast<size_t>(signedSize);
    if (length > size - pos)
      throw TFileError(file, at + " is truncated: " + Str(length) + " bytes promised, " + Str(size - pos) + " left");
    const uint8_t* p = data + pos;
    pos += length;

    const bool groupChunk = type >= ChunkGroup && type <= ChunkTexCoordIndices;
    if (groupChunk && framesStarted) throw TFileError(file, at + ": a group chunk after the first key frame");
    if ((type == ChunkGroupName || type == ChunkVertexIndices || type == ChunkTexCoordIndices) && mesh.Groups.empty())
      throw TFileError(file, at + " comes before any group was started");

    switch (type) {
      case ChunkHeader:
        if (length > MshHeaderMax) throw TFileError(file, at + ": a header of " + Str(length) + " bytes, at most 15 fit");
        mesh.Header.assign(reinterpret_cast<const char*>(p), length);
        break;
      case ChunkTexCoords: {
        if (length % 8) throw TFileError(file, at + ": " + Str(length) + " bytes is not whole (u, v) pairs");
        mesh.TexCoords.resize(length / 8);
        if (length) std::memcpy(mesh.TexCoords.data(), p, length);
        break;
      }
      case ChunkGroup:
        if (length) throw TFileError(file, at + ": a group start carries no payload");
        mesh.Groups.emplace_back();
        progress = {};
        break;
      case ChunkGroupName: {
        if (progress.Named) throw TFileError(file, at + ": the group is named twice");
        if (length < 1 || static_cast<size_t>(p[0]) + 1 != length)
          throw TFileError(file, at + ": the name's length byte does not match the chunk size");
        mesh.Groups.back().Name.assign(reinterpret_cast<const char*>(p + 1), length - 1);
        CheckGroupName(mesh.Groups.back().Name, "group " + Str(mesh.Groups.size() - 1), file);
        progress.Named = true;
        break;
      }
      case ChunkVertexIndices:
        if (progress.Indexed) throw TFileError(file, at + ": the group has two corner lists");
        if (length % 12) throw TFileError(file, at + ": " + Str(length) + " bytes is not whole triangles");
        mesh.Groups.back().VertexIndices = ReadInts(p, length / 4);
        progress.Indexed = true;
        break;
      case ChunkTexCoordIndices:
        if (!progress.Indexed) throw TFileError(file, at + ": texture-coordinate indices before the group's corners");
        if (progress.Mapped) throw TFileError(file, at + ": the group has two texture-coordinate lists");
        if (length != mesh.Groups.back().VertexIndices.size() * 4)
          throw TFileError(file, at + ": " + Str(length / 4) + " texture-coordinate indices for " +
                                     Str(mesh.Groups.back().VertexIndices.size()) + " corners");
        mesh.Groups.back().TexCoordIndices = ReadInts(p, length / 4);
        progress.Mapped = true;
        break;
      case ChunkColorGroup:
        if (length % 4) throw TFileError(file, at + ": " + Str(length) + " bytes is not whole int32 values");
        mesh.ColorGroups.push_back(ReadInts(p, length / 4));
        break;
      case ChunkAnim:
        if (length) throw TFileError(file, at + ": an animation start carries no payload");
        mesh.Anims.emplace_back();
        break;
      case ChunkFrame: {
        if (mesh.Anims.empty()) throw TFileError(file, at + ": a key frame before any animation was started");
        if (length % 12) throw TFileError(file, at + ": " + Str(length) + " bytes is not whole (x, y, z) positions");
        TMshFrame frame(length / 12);
        if (length) std::memcpy(frame.data(), p, length);
        const TMshFrame* rest = mesh.Anims[0].Frames.empty() ? nullptr : &mesh.Anims[0].Frames[0];
        if (rest && rest->size() != frame.size())
          throw TFileError(file, at + ": a key frame of " + Str(frame.size()) + " vertices, the rest pose has " +
                                     Str(rest->size()));
        mesh.Anims.back().Frames.push_back(std::move(frame));
        framesStarted = true;
        break;
      }
      default:
        // The game's loader reads the next header right after this one, so only an empty
        // payload is safe to pass over.
        if (length) throw TFileError(file, at + ": unknown chunk type with a payload");
        break;
    }
  }
  ValidateMsh(mesh, file);
  return mesh;
}

TMsh ReadMshFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, MshMaxFileSize);
  return ParseMsh(bytes.data(), bytes.size(), path);
}

namespace {

class TChunkWriter {
public:
  void Chunk(int32_t type, const void* payload, size_t size) {
    const size_t at = Bytes.size();
    Bytes.resize(at + MshChunkHeaderSize + size);
    StoreLE<int32_t>(Bytes.data() + at, type);
    StoreLE<int32_t>(Bytes.data() + at + 4, static_cast<int32_t>(size));
    if (size) std::memcpy(Bytes.data() + at + MshChunkHeaderSize, payload, size);
  }
  std::vector<uint8_t> Bytes;
};

}  // namespace

std::vector<uint8_t> EncodeMsh(const TMsh& mesh, const std::string& nameForErrors) {
  ValidateMsh(mesh, nameForErrors);
  TChunkWriter out;
  if (!mesh.Header.empty()) out.Chunk(ChunkHeader, mesh.Header.data(), mesh.Header.size());
  out.Chunk(ChunkTexCoords, mesh.TexCoords.data(), mesh.TexCoords.size() * sizeof(TMshTexCoord));
  for (const TMshGroup& g : mesh.Groups) {
    out.Chunk(ChunkGroup, nullptr, 0);
    uint8_t name[1 + MshGroupNameMax];
    name[0] = static_cast<uint8_t>(g.Name.size());
    std::memcpy(name + 1, g.Name.data(), g.Name.size());
    out.Chunk(ChunkGroupName, name, 1 + g.Name.size());
    out.Chunk(ChunkVertexIndices, g.VertexIndices.data(), g.VertexIndices.size() * 4);
    out.Chunk(ChunkTexCoordIndices, g.TexCoordIndices.data(), g.TexCoordIndices.size() * 4);
  }
  for (const std::vector<int32_t>& c : mesh.ColorGroups) out.Chunk(ChunkColorGroup, c.data(), c.size() * 4);
  for (const TMshAnim& a : mesh.Anims) {
    out.Chunk(ChunkAnim, nullptr, 0);
    for (const TMshFrame& f : a.Frames) out.Chunk(ChunkFrame, f.data(), f.size() * sizeof(TVector));
  }
  if (out.Bytes.size() > MshMaxFileSize) throw TFileError(nameForErrors, "the encoded mesh is too large");
  return out.Bytes;
}

void WriteMshFile(const std::string& path, const TMsh& mesh) {
  const std::vector<uint8_t> bytes = EncodeMsh(mesh, path);
  WriteFileAtomic(path, bytes.data(), bytes.size());
}
