// Random.cpp — the game's 32-bit linear congruential generator.
#include "core/Random.h"

uint32_t RandSeed = 0;

namespace {

constexpr uint32_t RandMultiplier = 134775813u;
// The largest float below 1; seeds near 2^32 would otherwise round up to exactly 1.
constexpr float BelowOne = 0.99999994f;

uint32_t NextSeed() {
  RandSeed = RandSeed * RandMultiplier + 1u;  // unsigned: wraps modulo 2^32
  return RandSeed;
}

}  // namespace

void SetRandomSeed(uint32_t seed) { RandSeed = seed; }

int32_t Random(int32_t n) {
  const uint32_t seed = NextSeed();
  if (n <= 0) return 0;
  return static_cast<int32_t>((static_cast<uint64_t>(n) * seed) >> 32);
}

float RandomFloat() {
  const float f = static_cast<float>(static_cast<double>(NextSeed()) * 0x1p-32);
  return f < 1.0f ? f : BelowOne;
}
