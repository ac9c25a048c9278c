// SurfaceSeams.cpp — soft seams between ground textures: which cells get one, and the blended
// textures made from two images and a mask.
#include "render/Surface.h"

#include "core/ConfigUnit.h"
#include "core/Error.h"
#include "core/Globals.h"
#include "core/Mipmaps.h"
#include "platform/GLTable.h"

#include <algorithm>
#include <cmath>

std::array<TAlphaMap, 6> AlphaMaps;

void LoadAlphaMaps() {
  for (size_t p = 0; p < AlphaMapNames.size(); ++p) LoadAlphaMap(AlphaMapNames[p], AlphaMaps[p]);
}

std::optional<TSeam> SelectSeam(uint8_t c, uint8_t l, uint8_t ul, uint8_t u, const std::vector<uint8_t>& blend) {
  const auto bl = [&](uint8_t t) { return t < blend.size() && blend[t] != 0; };
  if (!bl(c)) return std::nullopt;  // every rule needs the cell's own texture to blend
  // Checked in this order; the first rule that holds decides.
  if (l != c && bl(l) && ul != c && u == c) return TSeam{0, l, c};
  if (l == c && ul != c && u != c && bl(u)) return TSeam{1, u, c};
  if (l != c && bl(l) && ul == c && u == c) return TSeam{2, c, l};
  if (l != c && bl(l) && ul != c && u != c) return TSeam{3, l, c};
  if (l == c && ul != c && bl(ul) && u == c) return TSeam{4, c, ul};
  if (l == c && ul == c && u != c && bl(u)) return TSeam{5, c, u};
  return std::nullopt;
}

// Each byte is (b m + a (255 - m)) / 255 rounded to the nearest. That quotient never falls
// exactly between two integers, so it is the quotient rounded half up, which for sums up to
// 255 x 255 is (t + t / 256) / 256 with t = sum + 128: shifts on 16-bit values, which the
// compiler runs many bytes at a time once every byte has its own weight beside it.
std::vector<uint8_t> MixSeamPixels(const TTex& a, const TTex& b, const TAlphaMap& mask) {
  const size_t pixels = static_cast<size_t>(a.Width) * a.Height;
  const size_t bytes = pixels * 3;
  std::vector<uint8_t> weights(bytes);
  uint8_t* __restrict weight = weights.data();
  const uint8_t* __restrict m = mask.data();
  for (size_t i = 0; i < pixels; ++i) weight[3 * i] = weight[3 * i + 1] = weight[3 * i + 2] = m[i];

  std::vector<uint8_t> mixed(bytes);
  const uint8_t* __restrict first = a.Data.data();
  const uint8_t* __restrict second = b.Data.data();
  uint8_t* __restrict out = mixed.data();
  for (size_t i = 0; i < bytes; ++i) {
    const uint16_t t = static_cast<uint16_t>(second[i] * weight[i] + first[i] * (255 - weight[i]) + 128);
    out[i] = static_cast<uint8_t>((t + (t >> 8)) >> 8);
  }
  return mixed;
}

const TTex& TSeamSources::Get(const std::string& name) {
  for (const auto& [known, image] : Images)
    if (known == name) return image;
  return Images.emplace_back(name, TTex(TextureDir + name)).second;
}

int32_t Blend(const std::string& a, const std::string& b, int pattern, TSeamSources& sources) {
  const std::string name = a + b + std::to_string(pattern);
  if (const auto it = std::find(TextureNames.begin(), TextureNames.end(), name); it != TextureNames.end())
    return static_cast<int32_t>(it - TextureNames.begin());

  const TTex& first = sources.Get(a);
  const TTex& second = sources.Get(b);
  if (first.BytesPerPixel != 3) throw TFileError(TextureDir + a, "seam textures need 24-bit images");
  if (second.BytesPerPixel != 3) throw TFileError(TextureDir + b, "seam textures need 24-bit images");
  if (first.Width != second.Width || first.Height != second.Height)
    throw TFileError(TextureDir + b, "is not the size of " + a + ", so the two cannot be blended");
  const size_t pixels = static_cast<size_t>(first.Width) * first.Height;
  const TAlphaMap& mask = AlphaMaps.at(static_cast<size_t>(pattern));
  if (mask.size() < pixels)
    throw TFileError(TextureDir + AlphaMapNames[pattern], "the mask is smaller than " + a);

  const std::vector<uint8_t> mixed = MixSeamPixels(first, second, mask);

  Textures.reserve(Textures.size() + 1);
  TextureNames.reserve(TextureNames.size() + 1);
  GLuint id = 0;
  GL.GenTextures(1, &id);
  GL.BindTexture(GL_TEXTURE_2D, id);
  GL.PixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows are packed
  UploadMipmaps(GL_RGB8, first.Width, first.Height, GL_RGB, mixed.data());
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                   Config.Trilinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  Textures.push_back(id);
  TextureNames.push_back(name);
  return static_cast<int32_t>(Textures.size() - 1);
}
