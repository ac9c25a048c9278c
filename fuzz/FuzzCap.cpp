// FuzzCap.cpp — libFuzzer target for the .cap path reader: any input is refused or decoded, never a crash.
#include "core/CapFile.h"
#include "core/Error.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const auto samples = ParseCap(data, size, "fuzz.cap");
    if (samples.size() < 2) __builtin_trap();  // the reader promised a segment to play
  } catch (const TFileError&) {
  }
  return 0;
}
