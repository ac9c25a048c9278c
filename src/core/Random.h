// Random.h — the game's 32-bit linear congruential generator.
#pragma once

#include <cstdint>

// The whole state. Seeded once when the game window is activated (or from --seed); with a fixed
// seed and a fixed frame step a mission replays exactly.
extern uint32_t RandSeed;

void SetRandomSeed(uint32_t seed);

// A whole number in 0 .. n-1 (0 when n <= 0). Every call advances the seed once, whatever n is,
// so the draws that follow do not depend on the range asked for.
int32_t Random(int32_t n);

// A float in [0, 1): one advance, seed / 2^32, never rounded up to 1.
float RandomFloat();
