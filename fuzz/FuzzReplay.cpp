// FuzzReplay.cpp — libFuzzer target for the input recording's reader.
#include "core/Error.h"
#include "core/ReplayFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const TReplay replay = ParseReplay(data, size, "fuzz");
    // Whatever was accepted encodes back to the very bytes it came from.
    const std::vector<uint8_t> again = EncodeReplay(replay, "fuzz");
    if (again.size() != size) __builtin_trap();
    for (size_t i = 0; i < size; ++i)
      if (again[i] != data[i]) __builtin_trap();
  } catch (const TFileError&) {
  }
  return 0;
}
