// Texture.cpp — image decoding into TTex, flip-book animations and the texture cache.
#include "core/Texture.h"

#include "core/CnaUnit.h"
#include "core/ConfigUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/ImageConvert.h"
#include "core/JpegFile.h"
#include "core/Mipmaps.h"
#include "platform/BmpCodec.h"

#include <algorithm>
#include <cctype>
#include <utility>

std::vector<GLuint> Textures;
std::vector<std::string> TextureNames;
std::vector<TTex> FrameTextures;
std::vector<std::string> FrameNames;
std::deque<TAnimTex> AnimTextures;
int32_t AnimTextureCount = 0;
GLint TextureWrap = GL_REPEAT;

namespace {

constexpr size_t StrMaxFrames = 4096;

// The extension of the file-name part, lower-cased; empty when there is none.
std::string LowerExtension(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string SizeText(int32_t width, int32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

// Turns top-first rows into OpenGL's bottom-first order where they lie, optionally swapping
// bytes 0 and 2 of every pixel (CNA stores blue first, OpenGL wants red first). Working in
// place spares a second image-sized buffer, which costs more than the copying itself.
void FlipRowsInPlace(std::vector<uint8_t>& pixels, int32_t width, int32_t height,
                     int bytesPerPixel, bool swapRedBlue) {
  const size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
  uint8_t* data = pixels.data();
  for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(data + top * rowBytes, data + (top + 1) * rowBytes, data + bottom * rowBytes);
  if (!swapRedBlue) return;
  for (size_t p = 0; p < pixels.size(); p += bytesPerPixel) std::swap(data[p], data[p + 2]);
}

TTex DecodeBmpTexture(const std::string& path) {
  TBmpImage bmp = ReadBmpFile(path);
  if (bmp.BitsPerPixel != 24)
    throw TFileError(path, "texture bitmaps must have 24 bits a pixel, not " +
                               std::to_string(bmp.BitsPerPixel));
  TTex tex;
  tex.Width = bmp.Width;
  tex.Height = bmp.Height;
  tex.BytesPerPixel = 3;
  FlipRowsInPlace(bmp.Rows, bmp.Width, bmp.Height, 3, false);
  tex.Data = std::move(bmp.Rows);
  return tex;
}

TTex DecodeJpegTexture(const std::string& path) {
  TJpegImage jpeg = ReadJpegFile(path);
  TTex tex;
  tex.Width = jpeg.Width;
  tex.Height = jpeg.Height;
  tex.BytesPerPixel = 3;
  FlipRowsInPlace(jpeg.Rgb, jpeg.Width, jpeg.Height, 3, false);
  tex.Data = std::move(jpeg.Rgb);
  return tex;
}

TTex DecodeCnaTexture(const std::string& path) {
  TCna cna;
  cna.LoadFromFile(path);
  TTex tex;
  tex.Width = cna.Width;
  tex.Height = cna.Height;
  tex.BytesPerPixel = 4;
  FlipRowsInPlace(cna.Data, cna.Width, cna.Height, 4, true);
  tex.Data = std::move(cna.Data);
  return tex;
}

GLenum PixelFormat(const TTex& tex) { return tex.BytesPerPixel == 3 ? GL_RGB : GL_RGBA; }
GLint InternalFormat(const TTex& tex) { return tex.BytesPerPixel == 3 ? GL_RGB8 : GL_RGBA8; }

int32_t FindName(const std::vector<std::string>& names, const std::string& name) {
  const auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : static_cast<int32_t>(it - names.begin());
}

std::string CacheName(const std::string& name) { return name.substr(0, TextureNameMax); }

// Makes room first so that, once the GL texture exists, appending it cannot fail.
GLuint NewGLTexture() {
  Textures.reserve(Textures.size() + 1);
  TextureNames.reserve(TextureNames.size() + 1);
  GLuint id = 0;
  GL.GenTextures(1, &id);
  GL.BindTexture(GL_TEXTURE_2D, id);
  return id;
}

int32_t AppendTexture(GLuint id, std::string name) {
  Textures.push_back(id);
  TextureNames.push_back(std::move(name));
  return static_cast<int32_t>(Textures.size() - 1);
}

void SetLinearFilter() {
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

// Rows are packed; OpenGL's default of 4-byte row alignment would skew odd-width RGB images.
void UnpackPacked() { GL.PixelStorei(GL_UNPACK_ALIGNMENT, 1); }

}  // namespace

namespace {

// A frame is looked up beside its list; a name that could step out of the texture directory
// or hold a control character is damage, not a file name.
bool PlainFileName(const std::string& name) {
  if (name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
  });
}

}  // namespace

std::vector<std::string> ParseStr(const uint8_t* data, size_t size, const std::string& nameForErrors) {
  if (size == 0) throw TFileError(nameForErrors, "animation lists no frames");
  if (size % StrNameSize != 0)
    throw TFileError(nameForErrors, "animation list of " + std::to_string(size) +
                                        " bytes is not a whole number of 12-byte frame names");
  std::vector<std::string> names;
  for (size_t at = 0; at < size; at += StrNameSize) {
    std::string name(reinterpret_cast<const char*>(data + at), StrNameSize);
    // A shorter name padded with zero bytes names the shorter file, as the Windows file
    // functions read it; anything after the padding is damage.
    const size_t end = name.find('\0');
    const std::string frameNo = "frame " + std::to_string(names.size());
    if (end != std::string::npos) {
      if (name.find_first_not_of('\0', end) != std::string::npos)
        throw TFileError(nameForErrors, frameNo + " name has bytes after its zero padding");
      name.resize(end);
    }
    if (name.empty()) throw TFileError(nameForErrors, frameNo + " name is empty");
    if (!PlainFileName(name)) throw TFileError(nameForErrors, frameNo + " name is not a plain file name");
    names.push_back(std::move(name));
  }
  return names;
}

std::vector<std::string> ReadStrFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, StrMaxFrames * StrNameSize);
  return ParseStr(bytes.data(), bytes.size(), path);
}

void WriteStrFile(const std::string& path, const std::vector<std::string>& frameNames) {
  if (frameNames.empty()) throw TFileError(path, "an animation needs at least one frame");
  std::string bytes;
  for (const std::string& name : frameNames) {
    if (name.size() != StrNameSize || name.find('\0') != std::string::npos)
      throw TFileError(path, "frame name \"" + name + "\" is not exactly 12 characters");
    bytes += name;
  }
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

namespace {

int32_t LoadAnimTexture(const std::string& name) {
  const std::string path = TextureDir + name;
  const std::vector<std::string> frameNames = ReadStrFile(path);

  // Decode every frame not seen before and check all sizes before touching the cache.
  std::vector<std::string> newNames;
  std::vector<TTex> newFrames;
  std::vector<int32_t> indices;
  for (const std::string& frameName : frameNames) {
    int32_t index = FindName(FrameNames, frameName);
    if (index < 0) {
      int32_t pending = FindName(newNames, frameName);
      if (pending < 0) {
        const std::string framePath = TextureDir + frameName;
        TTex frame(framePath);
        if (frame.BytesPerPixel == 0)
          throw TFileError(framePath, "frame of " + name + " is not a .bmp, .jpg or .cna image");
        newNames.push_back(frameName);
        newFrames.push_back(std::move(frame));
        pending = static_cast<int32_t>(newFrames.size() - 1);
      }
      index = static_cast<int32_t>(FrameNames.size()) + pending;
    }
    indices.push_back(index);
  }
  const auto frameAt = [&](int32_t index) -> const TTex& {
    return index < static_cast<int32_t>(FrameTextures.size())
               ? FrameTextures[index]
               : newFrames[index - FrameTextures.size()];
  };
  // Update replaces the image in place, so every frame must match the first one's size.
  const TTex& first = frameAt(indices[0]);
  for (size_t i = 1; i < indices.size(); ++i) {
    const TTex& frame = frameAt(indices[i]);
    if (frame.Width != first.Width || frame.Height != first.Height)
      throw TFileError(TextureDir + frameNames[i],
                       "frame is " + SizeText(frame.Width, frame.Height) +
                           " pixels but the first frame of " + name + " is " +
                           SizeText(first.Width, first.Height));
  }

  TAnimTex anim;
  for (int32_t index : indices) anim.AddFrame(index);
  FrameTextures.reserve(FrameTextures.size() + newFrames.size());
  FrameNames.reserve(FrameNames.size() + newNames.size());
  Textures.reserve(Textures.size() + 1);
  TextureNames.reserve(TextureNames.size() + 1);
  AnimTextures.push_back(std::move(anim));
  const GLuint id = NewGLTexture();

  // Nothing below can fail: the cache changes all at once.
  for (size_t i = 0; i < newFrames.size(); ++i) {
    FrameTextures.push_back(std::move(newFrames[i]));
    FrameNames.push_back(std::move(newNames[i]));
  }
  ++AnimTextureCount;
  const TTex& shown = FrameTextures[indices[0]];
  UnpackPacked();
  GL.TexImage2D(GL_TEXTURE_2D, 0, InternalFormat(shown), shown.Width, shown.Height, 0,
                PixelFormat(shown), GL_UNSIGNED_BYTE, shown.Data.data());
  SetLinearFilter();
  return AppendTexture(id, CacheName(name));
}

}  // namespace

TTex::TTex(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == "bmp")
    *this = DecodeBmpTexture(path);
  else if (ext == "jpg")
    *this = DecodeJpegTexture(path);
  else if (ext == "cna")
    *this = DecodeCnaTexture(path);
}

void TAnimTex::AddFrame(int32_t frameIndex) {
  ++FrameCount;
  Frames.resize(FrameCount);
  Frames[FrameCount - 1] = frameIndex;
}

void TAnimTex::Update() {
  if (Timer >= FrameTime) {
    Timer = 0;
    ++CurrentFrame;
    if (CurrentFrame > FrameCount - 1) return;  // played once; the ending call adds no time
    const TTex& frame = FrameTextures[Frames[CurrentFrame]];
    UnpackPacked();
    GL.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, frame.Width, frame.Height, PixelFormat(frame),
                     GL_UNSIGNED_BYTE, frame.Data.data());
  }
  Timer += Counter.Elapsed;
}

void TAnimTex::Rewind() {
  CurrentFrame = 0;
  Timer = 0;
  if (FrameCount <= 0) return;
  const TTex& frame = FrameTextures[Frames[0]];
  UnpackPacked();
  GL.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, frame.Width, frame.Height, PixelFormat(frame), GL_UNSIGNED_BYTE,
                   frame.Data.data());
}

int32_t LoadTexture(const std::string& name) {
  if (LowerExtension(name) == "str") return LoadAnimTexture(name);
  std::string key = CacheName(name);
  if (const int32_t found = FindName(TextureNames, key); found >= 0) return found;

  const TTex tex(TextureDir + name);
  const GLuint id = NewGLTexture();
  if (tex.BytesPerPixel != 0) {  // an unknown type gets a texture object without an image
    UnpackPacked();
    UploadMipmaps(InternalFormat(tex), tex.Width, tex.Height, PixelFormat(tex), tex.Data.data());
  }
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                   Config.Trilinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  // Without the extension a clamp request falls back to repeat, and stays so until a loader
  // asks again.
  if (TextureWrap == GL_CLAMP_TO_EDGE && !EdgeClampSupported) TextureWrap = GL_REPEAT;
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, TextureWrap);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, TextureWrap);
  return AppendTexture(id, std::move(key));
}

int32_t CreateTexture(const std::string& name, int32_t width, int32_t height) {
  std::string key = CacheName(name);
  if (const int32_t found = FindName(TextureNames, key); found >= 0) return found;
  if (width <= 0 || height <= 0 || width > BmpMaxSide || height > BmpMaxSide)
    throw TFileError(name, "cannot create a " + SizeText(width, height) + " texture");
  const GLuint id = NewGLTexture();
  GL.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  SetLinearFilter();
  return AppendTexture(id, std::move(key));
}

void LoadAlphaMap(const std::string& name, TAlphaMap& alpha) {
  const std::string path = TextureDir + name;
  TBmpImage bmp = ReadBmpFile(path);
  if (bmp.BitsPerPixel != 8)
    throw TFileError(path, "alpha maps must be 8-bit bitmaps, not " +
                               std::to_string(bmp.BitsPerPixel) + "-bit");
  FlipRowsInPlace(bmp.Rows, bmp.Width, bmp.Height, 1, false);
  alpha = std::move(bmp.Rows);
}

void ReleaseLevelTextures() {
  if (Textures.size() > 1 && GL.DeleteTextures)
    GL.DeleteTextures(static_cast<GLsizei>(Textures.size() - 1), Textures.data() + 1);
  Textures.resize(std::min<size_t>(Textures.size(), 1));
  TextureNames.resize(std::min<size_t>(TextureNames.size(), 1));
}

void ClearTextureCache() {
  if (!Textures.empty() && GL.DeleteTextures)
    GL.DeleteTextures(static_cast<GLsizei>(Textures.size()), Textures.data());
  Textures.clear();
  TextureNames.clear();
  FrameTextures.clear();
  FrameNames.clear();
  AnimTextures.clear();
  AnimTextureCount = 0;
  TextureWrap = GL_REPEAT;
}
