// Mipmaps.cpp — the mip chain of a texture, halved on the processor and uploaded level by level.
#include "core/Mipmaps.h"

#include "platform/GLTable.h"

namespace {

bool IsPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

int32_t LevelCount(int32_t width, int32_t height) {
  int32_t levels = 1;
  for (int32_t side = width > height ? width : height; side > 1; side /= 2) ++levels;
  return levels;
}

int32_t Components(GLenum format) { return format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1; }

bool StorageFits(int32_t width, int32_t height) {
  if (!GL.TexStorage2D || !IsPowerOfTwo(width) || !IsPowerOfTwo(height)) return false;
  GLint largest = 0;
  GL.GetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  return width <= largest && height <= largest;
}

}  // namespace

std::vector<uint8_t> HalveImage(const uint8_t* pixels, int32_t width, int32_t height, int32_t components) {
  const int32_t w = width > 1 ? width / 2 : 1;
  const int32_t h = height > 1 ? height / 2 : 1;
  std::vector<uint8_t> half(static_cast<size_t>(w) * h * components);
  const size_t row = static_cast<size_t>(width) * components;
  const size_t pixel = static_cast<size_t>(components);
  uint8_t* out = half.data();
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      for (int32_t k = 0; k < components; ++k) {
        if (width > 1 && height > 1) {
          const uint8_t* s = pixels + 2 * y * row + 2 * x * pixel + k;
          *out++ = static_cast<uint8_t>((s[0] + s[pixel] + s[row] + s[row + pixel] + 2) / 4);
        } else {
          // One row or one column left: pairs along it.
          const size_t step = width > 1 ? pixel : row;
          const uint8_t* s = pixels + (width > 1 ? 2 * x : 2 * y) * step + k;
          *out++ = static_cast<uint8_t>((s[0] + s[step]) / 2);
        }
      }
  return half;
}

void UploadMipmaps(GLint internalFormat, int32_t width, int32_t height, GLenum format, const uint8_t* pixels) {
  if (!StorageFits(width, height)) {
    GL.Build2DMipmaps(GL_TEXTURE_2D, internalFormat, width, height, format, GL_UNSIGNED_BYTE, pixels);
    return;
  }
  const int32_t levels = LevelCount(width, height);
  GL.TexStorage2D(GL_TEXTURE_2D, levels, static_cast<GLenum>(internalFormat), width, height);
  GL.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, pixels);
  const int32_t components = Components(format);
  std::vector<uint8_t> level;
  for (int32_t l = 1; l < levels; ++l) {
    level = HalveImage(l == 1 ? pixels : level.data(), width, height, components);
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    GL.TexSubImage2D(GL_TEXTURE_2D, l, 0, 0, width, height, format, GL_UNSIGNED_BYTE, level.data());
  }
}
