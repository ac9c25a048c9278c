// FuzzMsh.cpp — libFuzzer target for the .msh mesh reader: any input is refused or decoded, never a crash.
#include "core/Error.h"
#include "core/MshFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const TMsh mesh = ParseMsh(data, size, "fuzz.msh");
    // What the reader accepts the writer must take back unchanged.
    const TMsh again = [&] {
      const auto bytes = EncodeMsh(mesh);
      return ParseMsh(bytes.data(), bytes.size(), "again.msh");
    }();
    if (!(again == mesh)) __builtin_trap();
  } catch (const TFileError&) {
  }
  return 0;
}
