// FuzzCna.cpp — libFuzzer target for the .cna reader: any input is refused or decoded, never a crash.
#include "core/CnaUnit.h"
#include "core/Error.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    TCna cna;
    cna.LoadFromBytes(data, size, "fuzz.cna");
    // The reader promised a whole, non-empty image within the caps.
    if (cna.Width <= 0 || cna.Height <= 0 || cna.Width > CnaMaxSide || cna.Height > CnaMaxSide ||
        cna.Data.size() != static_cast<size_t>(cna.Width) * cna.Height * 4)
      __builtin_trap();
    volatile uint8_t last = cna.ScanLine(cna.Height - 1)[cna.Width * 4 - 1];
    (void)last;
  } catch (const TFileError&) {
  }
  return 0;
}
