// FuzzJpeg.cpp — libFuzzer target for the JPEG decoder: damaged or lying files are refused with
// an error, never a crash, an exit or a grey-padded picture.
#include "core/Error.h"
#include "core/JpegFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const TJpegInfo info = ReadJpegInfo(data, size, "fuzz.jpg");
    if (info.Width <= 0 || info.Height <= 0 || info.Width > JpegMaxSide || info.Height > JpegMaxSide)
      __builtin_trap();
    const TJpegImage image = DecodeJpeg(data, size, "fuzz.jpg");
    if (image.Width != info.Width || image.Height != info.Height ||
        image.Rgb.size() != static_cast<size_t>(image.Width) * image.Height * 3)
      __builtin_trap();
  } catch (const TFileError&) {
  }
  return 0;
}
