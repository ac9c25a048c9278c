// FuzzInt.cpp — libFuzzer target for the .int parameter readers: any text is refused or read, never a crash.
#include "core/Error.h"
#include "core/IntFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Whatever a reader accepts, its writer's text must read back the same.
  try {
    const TAircraftParams p = ParseAircraftInt(text, "fuzz.int");
    if (!(ParseAircraftInt(EncodeAircraftInt(p), "again.int") == p)) __builtin_trap();
  } catch (const TFileError&) {
  }
  try {
    const TAirshipParams p = ParseAirshipInt(text, "fuzz.int");
    if (!(ParseAirshipInt(EncodeAirshipInt(p), "again.int") == p)) __builtin_trap();
  } catch (const TFileError&) {
  }
  try {
    const TBuildingParams p = ParseBuildingInt(text, "fuzz.int");
    if (!(ParseBuildingInt(EncodeBuildingInt(p), "again.int") == p)) __builtin_trap();
  } catch (const TFileError&) {
  }
  return 0;
}
