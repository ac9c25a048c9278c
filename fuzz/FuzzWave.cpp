// FuzzWave.cpp — libFuzzer target for the wave decoder the sound effects load through: any
// input is refused with a reason or decoded to whole 16-bit frames, never a crash.
#include "platform/WaveCodec.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TWaveData wave;
  std::string error;
  if (!DecodeWave(data, size, wave, error)) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  if (wave.Channels < 1 || wave.Channels > 2 || wave.Frames() == 0) __builtin_trap();
  if (wave.Samples.size() != wave.Frames() * static_cast<size_t>(wave.Channels)) __builtin_trap();
  return 0;
}
