// WorldHash.h — one number for the whole state of a running mission, so that two runs (a
// recording and its replay, two runs of one seed and step) can be compared at their end.
#pragma once

#include <cstdint>

class TLevel;

// FNV-1a (64-bit) over the exact bits of: every actor's position, orientation, speed, life,
// state and behaviour slot; every shot and missile in the pools; the mission's phase, outcome,
// lives, missiles, fade and objective; the shot counters, the type counters, the frame count
// and the random generator's state. Floats are hashed as their bits: two runs agree only when
// they computed exactly the same.
uint64_t WorldHash(const TLevel& level);
