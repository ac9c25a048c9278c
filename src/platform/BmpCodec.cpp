// BmpCodec.cpp — Windows bitmaps to and from memory through SDL's bitmap reader and writer.
#include "platform/BmpCodec.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace {

struct TSurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using TSurfacePtr = std::unique_ptr<SDL_Surface, TSurfaceFree>;

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

constexpr size_t FileHeaderSize = 14;
constexpr uint32_t CoreHeaderSize = 12;  // the old OS/2 header with 16-bit sizes
constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t CompressionNone = 0;
constexpr uint32_t CompressionBitFields = 3;

// What the header promises, checked before SDL allocates a surface for it: SDL would happily
// allocate a gigabyte for a 60-byte file that claims to be huge.
bool CheckHeader(const uint8_t* data, size_t size, int& bits, std::string& error) {
  if (size < FileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') {
    error = "not a bitmap (no BM signature)";
    return false;
  }
  const uint32_t headerSize = Le32(data + 14);
  int64_t width = 0, height = 0;
  uint32_t compression = CompressionNone;
  if (headerSize == CoreHeaderSize) {
    if (size < FileHeaderSize + CoreHeaderSize) {
      error = "bitmap header is cut short";
      return false;
    }
    width = Le16(data + 18);
    height = Le16(data + 20);
    bits = Le16(data + 24);
  } else if (headerSize >= InfoHeaderSize && headerSize <= 1024) {
    if (size < FileHeaderSize + InfoHeaderSize) {
      error = "bitmap header is cut short";
      return false;
    }
    width = static_cast<int32_t>(Le32(data + 18));
    height = static_cast<int32_t>(Le32(data + 22));
    bits = Le16(data + 28);
    compression = Le32(data + 30);
  } else {
    error = "unknown bitmap header of " + std::to_string(headerSize) + " bytes";
    return false;
  }
  if (height < 0) height = -height;  // a top-down file
  if (width <= 0 || height <= 0 || width > BmpMaxSide || height > BmpMaxSide) {
    error = "bitmap is " + std::to_string(width) + " x " + std::to_string(height) +
            " pixels (1 to " + std::to_string(BmpMaxSide) + " a side)";
    return false;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    error = "bitmap has " + std::to_string(bits) + " bits a pixel";
    return false;
  }
  if (compression != CompressionNone && compression != CompressionBitFields) {
    error = "compressed bitmaps are not read (compression " + std::to_string(compression) + ")";
    return false;
  }
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint32_t offset = Le32(data + 10);
  const uint64_t start = offset != 0 ? offset : FileHeaderSize + headerSize;
  if (start > size || size - start < rowBytes * static_cast<uint64_t>(height)) {
    error = "bitmap pixel data is cut short (" + std::to_string(width) + " x " +
            std::to_string(height) + " pixels need " + std::to_string(rowBytes * height) +
            " bytes)";
    return false;
  }
  return true;
}

void CopyRows(const SDL_Surface* surface, int bytesPerPixel, std::vector<uint8_t>& rows) {
  const size_t rowBytes = static_cast<size_t>(surface->w) * bytesPerPixel;
  rows.resize(rowBytes * surface->h);
  const auto* pixels = static_cast<const uint8_t*>(surface->pixels);
  for (int y = 0; y < surface->h; ++y)
    std::memcpy(rows.data() + y * rowBytes, pixels + static_cast<size_t>(y) * surface->pitch,
                rowBytes);
}

// A write-only SDL stream that grows a byte vector; SDL's writer seeks back to patch the
// header, so writes land at the current position rather than at the end.
struct TVectorStream {
  std::vector<uint8_t>* Out;
  size_t Position;
};

TVectorStream& StreamOf(SDL_RWops* rw) { return *static_cast<TVectorStream*>(rw->hidden.unknown.data1); }

Sint64 SDLCALL StreamSize(SDL_RWops* rw) { return static_cast<Sint64>(StreamOf(rw).Out->size()); }

Sint64 SDLCALL StreamSeek(SDL_RWops* rw, Sint64 offset, int whence) {
  TVectorStream& s = StreamOf(rw);
  Sint64 base = whence == RW_SEEK_SET   ? 0
                : whence == RW_SEEK_CUR ? static_cast<Sint64>(s.Position)
                                        : static_cast<Sint64>(s.Out->size());
  if (base + offset < 0) return SDL_SetError("seek before the start");
  s.Position = static_cast<size_t>(base + offset);
  return static_cast<Sint64>(s.Position);
}

size_t SDLCALL StreamRead(SDL_RWops*, void*, size_t, size_t) { return 0; }

size_t SDLCALL StreamWrite(SDL_RWops* rw, const void* data, size_t size, size_t count) {
  TVectorStream& s = StreamOf(rw);
  const size_t bytes = size * count;
  if (s.Out->size() < s.Position + bytes) s.Out->resize(s.Position + bytes);
  std::memcpy(s.Out->data() + s.Position, data, bytes);
  s.Position += bytes;
  return count;
}

int SDLCALL StreamClose(SDL_RWops* rw) {
  SDL_FreeRW(rw);
  return 0;
}

bool SaveSurface(SDL_Surface* surface, std::vector<uint8_t>& out, std::string& error) {
  std::vector<uint8_t> bytes;
  TVectorStream stream{&bytes, 0};
  SDL_RWops* rw = SDL_AllocRW();
  if (!rw) {
    error = SDL_GetError();
    return false;
  }
  rw->size = StreamSize;
  rw->seek = StreamSeek;
  rw->read = StreamRead;
  rw->write = StreamWrite;
  rw->close = StreamClose;
  rw->type = SDL_RWOPS_UNKNOWN;
  rw->hidden.unknown.data1 = &stream;
  if (SDL_SaveBMP_RW(surface, rw, 1) != 0) {
    error = std::string("cannot write bitmap: ") + SDL_GetError();
    return false;
  }
  out = std::move(bytes);
  return true;
}

bool CheckEncodeSize(int width, int height, std::string& error) {
  if (width > 0 && height > 0 && width <= BmpMaxSide && height <= BmpMaxSide) return true;
  error = "cannot write a " + std::to_string(width) + " x " + std::to_string(height) + " bitmap";
  return false;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, TBmpImage& image, std::string& error) {
  int fileBits = 0;
  if (!CheckHeader(data, size, fileBits, error)) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(std::min<size_t>(size, INT32_MAX)));
  if (!rw) {
    error = SDL_GetError();
    return false;
  }
  TSurfacePtr surface(SDL_LoadBMP_RW(rw, 1));
  if (!surface) {
    error = std::string("corrupt bitmap: ") + SDL_GetError();
    return false;
  }
  if (SDL_MUSTLOCK(surface.get()) && SDL_LockSurface(surface.get()) != 0) {
    error = SDL_GetError();
    return false;
  }
  TBmpImage result;
  result.Width = surface->w;
  result.Height = surface->h;
  result.BitsPerPixel = fileBits;
  if (result.Indexed()) {
    // SDL widens 1- and 4-bit files to one index a byte; the indices themselves are kept.
    const SDL_Palette* palette = surface->format->palette;
    if (surface->format->BytesPerPixel != 1 || !palette) {
      error = "indexed bitmap did not decode to 8-bit indices";
      return false;
    }
    CopyRows(surface.get(), 1, result.Rows);
    for (int i = 0; i < palette->ncolors && i < 256; ++i) {
      const SDL_Color& c = palette->colors[i];
      result.Palette.insert(result.Palette.end(), {c.r, c.g, c.b});
    }
  } else if (surface->format->format == SDL_PIXELFORMAT_RGB24) {
    CopyRows(surface.get(), 3, result.Rows);
  } else if (surface->format->format == SDL_PIXELFORMAT_BGR24) {
    // SDL's usual layout for 24-bit files: swapped after the copy, with no second surface.
    CopyRows(surface.get(), 3, result.Rows);
    for (size_t p = 0; p < result.Rows.size(); p += 3) std::swap(result.Rows[p], result.Rows[p + 2]);
  } else {
    TSurfacePtr rgb(SDL_ConvertSurfaceFormat(surface.get(), SDL_PIXELFORMAT_RGB24, 0));
    if (!rgb) {
      error = std::string("cannot convert bitmap pixels: ") + SDL_GetError();
      return false;
    }
    CopyRows(rgb.get(), 3, result.Rows);
  }
  image = std::move(result);
  return true;
}

bool EncodeBmp24(const uint8_t* rgb, int width, int height, std::vector<uint8_t>& out,
                 std::string& error) {
  if (!CheckEncodeSize(width, height, error)) return false;
  // SDL only reads the pixels through a borrowed surface; the const_cast never writes.
  TSurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(rgb), width, height,
                                                         24, width * 3, SDL_PIXELFORMAT_RGB24));
  if (!surface) {
    error = SDL_GetError();
    return false;
  }
  return SaveSurface(surface.get(), out, error);
}

bool EncodeBmp8(const uint8_t* indices, int width, int height, std::vector<uint8_t>& out,
                std::string& error) {
  if (!CheckEncodeSize(width, height, error)) return false;
  TSurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(indices), width,
                                                         height, 8, width, SDL_PIXELFORMAT_INDEX8));
  if (!surface || !surface->format->palette) {
    error = SDL_GetError();
    return false;
  }
  SDL_Color grey[256];
  for (int i = 0; i < 256; ++i) grey[i] = {Uint8(i), Uint8(i), Uint8(i), 255};
  if (SDL_SetPaletteColors(surface->format->palette, grey, 0, 256) != 0) {
    error = SDL_GetError();
    return false;
  }
  return SaveSurface(surface.get(), out, error);
}
