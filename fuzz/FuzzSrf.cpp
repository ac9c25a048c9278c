// FuzzSrf.cpp — libFuzzer target for the .srf terrain reader: any input is refused or decoded, never a crash.
#include "core/Error.h"
#include "core/SrfFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const TSrf terrain = ParseSrf(data, size, "fuzz.srf");
    // What the reader accepts the writer must take back unchanged.
    const auto bytes = EncodeSrf(terrain);
    const TSrf again = ParseSrf(bytes.data(), bytes.size(), "again.srf");
    if (!(again == terrain)) __builtin_trap();
  } catch (const TFileError&) {
  }
  return 0;
}
