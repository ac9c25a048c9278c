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

// Each output byte is the rounded mean of its 2 x 2 block. With the component count a constant
// (Fixed, or 0 to take `components`) the compiler can run a row many bytes at a time.
template <int32_t Fixed>
void HalveRows(const uint8_t* __restrict pixels, int32_t width, int32_t w, int32_t h, int32_t components,
               uint8_t* __restrict out) {
  const int32_t n = Fixed ? Fixed : components;
  const size_t row = static_cast<size_t>(width) * n;
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* upper = pixels + 2 * static_cast<size_t>(y) * row;
    const uint8_t* lower = upper + row;
    for (int32_t x = 0; x < w; ++x)
      for (int32_t k = 0; k < n; ++k) {
        const size_t left = 2 * static_cast<size_t>(x) * n + k;
        const size_t right = left + n;
        *out++ = static_cast<uint8_t>((upper[left] + upper[right] + lower[left] + lower[right] + 2) / 4);
      }
  }
}

// One row or one column left: the mean of each pair along it.
void HalveLine(const uint8_t* pixels, int32_t count, size_t step, int32_t components, uint8_t* out) {
  for (int32_t x = 0; x < count; ++x)
    for (int32_t k = 0; k < components; ++k) {
      const uint8_t* s = pixels + 2 * static_cast<size_t>(x) * step + k;
      *out++ = static_cast<uint8_t>((s[0] + s[step]) / 2);
    }
}

}  // namespace

std::vector<uint8_t> HalveImage(const uint8_t* pixels, int32_t width, int32_t height, int32_t components) {
  if (width <= 1 && height <= 1) return std::vector<uint8_t>(pixels, pixels + components);  // the last level
  const int32_t w = width > 1 ? width / 2 : 1;
  const int32_t h = height > 1 ? height / 2 : 1;
  std::vector<uint8_t> half(static_cast<size_t>(w) * h * components);
  uint8_t* out = half.data();
  if (width > 1 && height > 1) {
    if (components == 4)
      HalveRows<4>(pixels, width, w, h, components, out);
    else if (components == 3)
      HalveRows<3>(pixels, width, w, h, components, out);
    else
      HalveRows<0>(pixels, width, w, h, components, out);
    return half;
  }
  const size_t pixel = static_cast<size_t>(components);
  if (width > 1)
    HalveLine(pixels, w, pixel, components, out);
  else
    HalveLine(pixels, h, static_cast<size_t>(width) * pixel, components, out);
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
