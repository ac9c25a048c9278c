// Texture.h — decoded images (TTex), flip-book animations (TAnimTex) and the process-wide
// texture cache that every image of the game is loaded through (LoadTexture).
//
// Conventions: texture files live in TextureDir (AppDir + "textures/"); a texture is named by
// its file name there and referred to everywhere by its index into Textures. Pixel rows in
// memory are packed and bottom row first, as OpenGL reads them. Only entry 0 of the cache
// survives a level (ReleaseLevelTextures).
//
// Unlike the first releases, a missing or damaged image never leaves a half-made entry: the
// file is decoded completely before anything is added, and a failure throws one TFileError
// naming the file, with the cache and the GL textures exactly as they were.
#pragma once

#include "platform/GLTable.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Longer names are stored (and looked up) cut to this length.
constexpr size_t TextureNameMax = 255;
// Bytes in one frame name of a .str animation list.
constexpr size_t StrNameSize = 12;

class TTex {
public:
  TTex() = default;
  // Decodes by the lower-cased extension: "bmp" (24-bit only), "jpg" and "cna". Any other
  // extension leaves the image empty. Throws TFileError naming the path on a missing or
  // damaged file.
  explicit TTex(const std::string& path);

  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t BytesPerPixel = 0;  // 3: R, G, B (bmp, jpg); 4: R, G, B, A (cna); 0: empty
  std::vector<uint8_t> Data;  // Width * Height * BytesPerPixel, row 0 the bottom of the image
};

class TAnimTex {
public:
  void AddFrame(int32_t frameIndex);
  // Called once per drawn frame with the animation's texture bound: shows the next frame
  // once FrameTime has passed, at most one frame a call. The animation plays once; owners
  // draw it while CurrentFrame <= FrameCount - 1.
  void Update();
  // Back to the first frame, to play once more: re-uploads that frame into the bound texture,
  // so the owner binds the animation's texture first.
  void Rewind();

  int32_t Timer = 0;            // milliseconds since the last frame change
  std::vector<int32_t> Frames;  // indices into FrameTextures
  int32_t FrameCount = 0;
  int32_t CurrentFrame = 0;
  int32_t FrameTime = 0;        // milliseconds a frame; set by the owner after loading
};

// The process-wide cache. Textures and TextureNames are parallel.
extern std::vector<GLuint> Textures;
extern std::vector<std::string> TextureNames;
extern std::vector<TTex> FrameTextures;       // decoded frames of every animation, for re-upload
extern std::vector<std::string> FrameNames;   // parallel to FrameTextures
// A deque, so an owner may hold a reference to its animation while others are loaded.
extern std::deque<TAnimTex> AnimTextures;
extern int32_t AnimTextureCount;
// Wrap mode for textures loaded from now on; level loaders switch it to GL_CLAMP_TO_EDGE
// around sky images and radar maps.
extern GLint TextureWrap;

using TAlphaMap = std::vector<uint8_t>;

// The index of `name`, loaded (with mipmaps) on first use and found by exact, case-sensitive
// name after that. A ".str" name makes a new animated texture on every call, whose frames are
// decoded once across all animations. Throws TFileError naming the file on any bad input.
int32_t LoadTexture(const std::string& name);

// An empty RGB texture of the given size to be filled from the frame buffer; an existing
// entry of that name is returned unchanged.
int32_t CreateTexture(const std::string& name, int32_t width, int32_t height);

// One byte per pixel of the 8-bit bitmap TextureDir + name, bottom row first: the raw palette
// indices. `alpha` is only replaced on success.
void LoadAlphaMap(const std::string& name, TAlphaMap& alpha);

// The frame names of a .str animation list: consecutive 12-byte names, no header, no
// separators. A name padded with zero bytes is read as the shorter name. Each name must be a
// plain file name in the texture directory (no path separator, control character, "." or
// ".."). Throws TFileError naming the file when it is empty, not a whole number of names, or
// a name is not plain.
std::vector<std::string> ParseStr(const uint8_t* data, size_t size, const std::string& nameForErrors);
std::vector<std::string> ReadStrFile(const std::string& path);
// Every name must be exactly 12 characters, the only length the list can hold.
void WriteStrFile(const std::string& path, const std::vector<std::string>& frameNames);

// At a level's end: deletes every GL texture but entry 0 and cuts Textures and TextureNames to
// that one entry. Decoded frames and animations stay.
void ReleaseLevelTextures();

// At program end (and between tests): deletes every GL texture and empties the whole cache;
// TextureWrap goes back to GL_REPEAT.
void ClearTextureCache();
