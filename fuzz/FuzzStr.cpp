// FuzzStr.cpp — libFuzzer target for the .str animation list: any input is refused or gives
// plain frame names, never a crash.
#include "core/Error.h"
#include "core/Texture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    for (const std::string& name : ParseStr(data, size, "fuzz.str"))
      if (name.empty() || name.size() > StrNameSize || name.find('/') != std::string::npos) __builtin_trap();
  } catch (const TFileError&) {
  }
  return 0;
}
