// Mipmaps.h — a texture's mip chain, halved here and stored in one allocation when the driver
// has immutable texture storage, the same levels GLU's gluBuild2DMipmaps would make.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <vector>

// The next smaller level of a tightly packed image of `components` bytes a pixel: each pixel
// the rounded mean of the 2 x 2 block above it, or of the pair when one side is already 1
// (truncated, as GLU does). Sides of odd length lose their last row or column.
std::vector<uint8_t> HalveImage(const uint8_t* pixels, int32_t width, int32_t height, int32_t components);

// Uploads the whole mip chain of an 8-bit image (internal format GL_RGB8 or GL_RGBA8) into the
// texture bound to GL_TEXTURE_2D. Power-of-two images go through glTexStorage2D and one
// glTexSubImage2D a level when the driver has it: the software renderer otherwise copies the
// texture again for every level it is given. Other images go to gluBuild2DMipmaps.
void UploadMipmaps(GLint internalFormat, int32_t width, int32_t height, GLenum format, const uint8_t* pixels);
