// FuzzBmp.cpp — libFuzzer target for the bitmap decoder: every input is decoded or refused with
// a reason, never a crash or an allocation the file cannot back.
#include "platform/BmpCodec.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBmpImage image;
  std::string error;
  if (!DecodeBmp(data, size, image, error)) {
    if (error.empty() || image.Width != 0) __builtin_trap();  // refused, with a reason, untouched
    return 0;
  }
  if (image.Width <= 0 || image.Height <= 0 || image.Width > BmpMaxSide || image.Height > BmpMaxSide ||
      image.Rows.size() != static_cast<size_t>(image.Width) * image.Height * image.BytesPerPixel() ||
      image.Palette.size() > 768 || (image.Indexed() && image.Palette.empty()))
    __builtin_trap();
  return 0;
}
