// SrfFile.cpp — the .srf terrain format: validating reader, encoder and writer.
#include "core/SrfFile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <cmath>
#include <cstring>

namespace {

std::string Str(int64_t n) { return std::to_string(n); }

// A texture name becomes part of a path, so it may not leave the texture directory or carry
// control characters.
bool IsFileNameChar(unsigned char c) { return c >= 0x20 && c != 0x7f && c != '/' && c != '\\'; }

bool FiniteVector(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void CheckSide(int32_t side, const char* what, const std::string& file) {
  if (side < 1 || side > SrfMaxSide)
    throw TFileError(file, std::string("grid ") + what + " of " + Str(side) + " cells is outside 1.." + Str(SrfMaxSide) +
                               " (with the border of " + Str(TerrainBorder) + " cells a side it must stay within " +
                               Str(SrfMaxEnlargedSide) + ")");
}

void CheckScale(float value, float cap, bool zeroAllowed, const char* what, const std::string& file) {
  const bool ok = std::isfinite(value) && (zeroAllowed ? value >= 0 : value > 0) && value <= cap;
  if (!ok) throw TFileError(file, std::string(what) + " " + std::to_string(value) + " is not a usable size");
}

void CheckName(const std::string& name, size_t index, const std::string& file) {
  const std::string where = "texture name " + Str(static_cast<int64_t>(index));
  if (name.empty()) throw TFileError(file, where + " is empty");
  if (name.size() > SrfNameMax)
    throw TFileError(file, where + " \"" + name + "\" is longer than " + Str(SrfNameMax) + " characters");
  for (unsigned char c : name)
    if (!IsFileNameChar(c)) throw TFileError(file, where + " holds a character a file name cannot");
}

}  // namespace

size_t SrfFileSize(int32_t width, int32_t height, int32_t textureCount) {
  return SrfHeaderSize + static_cast<size_t>(textureCount) * (SrfNameSize + 1) +
         static_cast<size_t>(width) * static_cast<size_t>(height) * SrfCellSize;
}

void ValidateSrf(const TSrf& t, const std::string& file) {
  CheckSide(t.Width, "width", file);
  CheckSide(t.Height, "height", file);
  CheckScale(t.CellSizeX, SrfMaxCellSize, false, "cell size along x", file);
  CheckScale(t.CellSizeY, SrfMaxCellSize, false, "cell size along y", file);
  CheckScale(t.HeightScale, SrfMaxHeightScale, true, "height scale", file);
  const size_t count = t.TextureNames.size();
  if (count < 1 || count > static_cast<size_t>(SrfMaxTextures))
    throw TFileError(file, "texture count " + Str(static_cast<int64_t>(count)) + " is outside 1.." + Str(SrfMaxTextures));
  for (size_t i = 0; i < count; ++i) CheckName(t.TextureNames[i], i, file);
  if (t.BlendFlags.size() != count)
    throw TFileError(file, Str(static_cast<int64_t>(t.BlendFlags.size())) + " blend flags for " +
                               Str(static_cast<int64_t>(count)) + " textures");
  const size_t cells = static_cast<size_t>(t.Width) * t.Height;
  if (t.Cells.size() != cells)
    throw TFileError(file, Str(static_cast<int64_t>(t.Cells.size())) + " cells for a grid of " + Str(t.Width) + " x " +
                               Str(t.Height));
  for (size_t i = 0; i < cells; ++i) {
    const TSrfCell& c = t.Cells[i];
    const std::string where = "cell (row " + Str(static_cast<int64_t>(i / t.Width)) + ", column " +
                              Str(static_cast<int64_t>(i % t.Width)) + ")";
    if (c.Texture >= count)
      throw TFileError(file, where + ": texture number " + Str(c.Texture) + " beyond the " +
                                 Str(static_cast<int64_t>(count)) + " names");
    if (!FiniteVector(c.Normal)) throw TFileError(file, where + ": the normal is not finite");
  }
}

TSrf ParseSrf(const uint8_t* data, size_t size, const std::string& file) {
  if (size < SrfHeaderSize)
    throw TFileError(file, "truncated header: " + Str(static_cast<int64_t>(size)) + " bytes, 20 needed");
  TSrf t;
  t.Width = data[0];
  t.Height = data[1];
  t.CellSizeX = LoadLE<float>(data + 4);
  t.CellSizeY = LoadLE<float>(data + 8);
  t.HeightScale = LoadLE<float>(data + 12);
  const int32_t count = LoadLE<int32_t>(data + 16);
  CheckSide(t.Width, "width", file);
  CheckSide(t.Height, "height", file);
  if (count < 1 || count > SrfMaxTextures)
    throw TFileError(file, "texture count " + Str(count) + " is outside 1.." + Str(SrfMaxTextures));
  const size_t expected = SrfFileSize(t.Width, t.Height, count);
  if (size != expected)
    throw TFileError(file, Str(static_cast<int64_t>(size)) + " bytes, but a " + Str(t.Width) + " x " + Str(t.Height) +
                               " grid with " + Str(count) + " textures takes exactly " +
                               Str(static_cast<int64_t>(expected)));

  const uint8_t* p = data + SrfHeaderSize;
  for (int32_t i = 0; i < count; ++i, p += SrfNameSize) {
    if (p[0] > SrfNameMax)
      throw TFileError(file, "texture name " + Str(i) + " claims " + Str(p[0]) + " characters, at most 11 fit");
    t.TextureNames.emplace_back(reinterpret_cast<const char*>(p + 1), p[0]);
  }
  t.BlendFlags.assign(p, p + count);
  p += count;
  t.Cells.resize(static_cast<size_t>(t.Width) * t.Height);
  for (TSrfCell& c : t.Cells) {
    c.HeightStep = p[0];
    c.Normal = {LoadLE<float>(p + 4), LoadLE<float>(p + 8), LoadLE<float>(p + 12)};
    c.Texture = p[16];
    p += SrfCellSize;
  }
  ValidateSrf(t, file);
  return t;
}

TSrf ReadSrfFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, SrfFileSize(SrfMaxSide, SrfMaxSide, SrfMaxTextures));
  return ParseSrf(bytes.data(), bytes.size(), path);
}

std::vector<uint8_t> EncodeSrf(const TSrf& t, const std::string& nameForErrors) {
  ValidateSrf(t, nameForErrors);
  const int32_t count = static_cast<int32_t>(t.TextureNames.size());
  std::vector<uint8_t> out(SrfFileSize(t.Width, t.Height, count), 0);
  out[0] = t.Width;
  out[1] = t.Height;
  StoreLE<float>(out.data() + 4, t.CellSizeX);
  StoreLE<float>(out.data() + 8, t.CellSizeY);
  StoreLE<float>(out.data() + 12, t.HeightScale);
  StoreLE<int32_t>(out.data() + 16, count);
  uint8_t* p = out.data() + SrfHeaderSize;
  for (const std::string& name : t.TextureNames) {
    p[0] = static_cast<uint8_t>(name.size());
    std::memcpy(p + 1, name.data(), name.size());
    p += SrfNameSize;
  }
  for (uint8_t flag : t.BlendFlags) *p++ = flag;
  for (const TSrfCell& c : t.Cells) {
    p[0] = c.HeightStep;
    StoreLE<float>(p + 4, c.Normal.x);
    StoreLE<float>(p + 8, c.Normal.y);
    StoreLE<float>(p + 12, c.Normal.z);
    p[16] = c.Texture;
    p += SrfCellSize;
  }
  return out;
}

void WriteSrfFile(const std::string& path, const TSrf& terrain) {
  const std::vector<uint8_t> bytes = EncodeSrf(terrain, path);
  WriteFileAtomic(path, bytes.data(), bytes.size());
}
