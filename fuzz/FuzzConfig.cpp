// FuzzConfig.cpp — libFuzzer target for the settings reader and the mode clamp behind it.
#include "core/ConfigUnit.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TConfig config = DefaultConfig();
  ParseConfig(data, size, config);
  const size_t modeCount = size % 7;
  ClampDisplayMode(config, modeCount);
  if (modeCount > 0 && config.DisplayMode >= modeCount) __builtin_trap();
  return 0;
}
