// MipmapPixelTest.cpp — the mip chain uploaded through texture storage holds, level by level,
// the bytes gluBuild2DMipmaps gives the same image, on a real offscreen Mesa context.
#include "core/ConfigUnit.h"
#include "core/Mipmaps.h"
#include "platform/GLTable.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

struct TMipCase {
  int32_t Width, Height;
  GLenum Format;
};

class Mipmaps : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    ASSERT_TRUE(Window.Create("mipmap test", 64, 64, error)) << error;
    ASSERT_TRUE(LoadGLTable(&TWindow::GetProcAddress, error)) << error;
    DetectCapabilities(reinterpret_cast<const char*>(GL.GetString(GL_EXTENSIONS)), &TWindow::GetProcAddress);
    GL.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GL.PixelStorei(GL_PACK_ALIGNMENT, 1);
  }
  void TearDown() override {
    DetectCapabilities(nullptr, nullptr);
    Window.Destroy();
  }

  // Every level of the texture bound now, read back in the image's own format.
  static std::vector<std::vector<uint8_t>> Levels(int32_t width, int32_t height, GLenum format) {
    const size_t components = format == GL_RGBA ? 4 : 3;
    std::vector<std::vector<uint8_t>> levels;
    for (GLint level = 0;; ++level) {
      levels.emplace_back(static_cast<size_t>(width) * height * components);
      glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, levels.back().data());
      if (width == 1 && height == 1) return levels;
      width = width > 1 ? width / 2 : 1;
      height = height > 1 ? height / 2 : 1;
    }
  }

  TWindow Window;
};

TEST_F(Mipmaps, StoredLevelsAreGluLevelsByteForByte) {
  ASSERT_NE(GL.TexStorage2D, nullptr) << "Mesa offers texture storage";
  std::mt19937 random(7);
  const TMipCase cases[] = {{256, 256, GL_RGB}, {64, 16, GL_RGBA}, {1, 8, GL_RGB}, {32, 1, GL_RGBA}, {2, 2, GL_RGB}};
  for (const TMipCase& c : cases) {
    const size_t components = c.Format == GL_RGBA ? 4 : 3;
    std::vector<uint8_t> image(static_cast<size_t>(c.Width) * c.Height * components);
    for (uint8_t& byte : image) byte = static_cast<uint8_t>(random());
    const GLint internal = c.Format == GL_RGBA ? GL_RGBA8 : GL_RGB8;

    GLuint textures[2];
    GL.GenTextures(2, textures);
    GL.BindTexture(GL_TEXTURE_2D, textures[0]);
    GL.Build2DMipmaps(GL_TEXTURE_2D, internal, c.Width, c.Height, c.Format, GL_UNSIGNED_BYTE, image.data());
    const auto byGlu = Levels(c.Width, c.Height, c.Format);
    GL.BindTexture(GL_TEXTURE_2D, textures[1]);
    UploadMipmaps(internal, c.Width, c.Height, c.Format, image.data());
    const auto stored = Levels(c.Width, c.Height, c.Format);
    GL.DeleteTextures(2, textures);

    ASSERT_EQ(stored.size(), byGlu.size());
    for (size_t level = 0; level < stored.size(); ++level)
      EXPECT_EQ(stored[level], byGlu[level]) << c.Width << "x" << c.Height << " level " << level;
    EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

// Sides that are not powers of two are left to GLU, which scales the image first.
TEST_F(Mipmaps, OtherSidesAreScaledAsGluScalesThem) {
  std::vector<uint8_t> image(24 * 10 * 3);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 37);
  GLuint textures[2];
  GL.GenTextures(2, textures);
  GLint sides[2][2] = {};
  for (int k = 0; k < 2; ++k) {
    GL.BindTexture(GL_TEXTURE_2D, textures[k]);
    if (k == 0)
      GL.Build2DMipmaps(GL_TEXTURE_2D, GL_RGB8, 24, 10, GL_RGB, GL_UNSIGNED_BYTE, image.data());
    else
      UploadMipmaps(GL_RGB8, 24, 10, GL_RGB, image.data());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &sides[k][0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &sides[k][1]);
  }
  GL.DeleteTextures(2, textures);
  EXPECT_EQ(sides[1][0], sides[0][0]);
  EXPECT_EQ(sides[1][1], sides[0][1]);
  EXPECT_NE(sides[1][0], 24);
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
