// FuzzProfile.cpp — libFuzzer target for the profile and last-player readers and the name rules.
#include "core/Error.h"
#include "core/PlayerProfile.h"
#include "core/TextCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // player.cfg: whatever the length byte claims, the name stays inside the bytes read.
  const std::string last = GetShortString(data, size);
  if (last.size() > 255 || (size > 0 && last.size() > size - 1)) __builtin_trap();
  PlayerNameProblem(last);
  Cp1250ToUtf8(last);
  try {
    TPlayerRecord record = ParseProfile(data, size, "fuzz");
    GetShortString(record.Name, sizeof record.Name);
  } catch (const TFileError&) {
  }
  return 0;
}
