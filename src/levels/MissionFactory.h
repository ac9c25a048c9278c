// MissionFactory.h — the mission object of a mission number, as the mission screen's Start
// creates it.
#pragma once

#include "levels/LevelUnit.h"

#include <cstdint>
#include <memory>

// Mission 1..5 (clamped); not yet loaded (the caller sets its input and texts, then LoadLevel).
std::unique_ptr<TLevel> CreateMission(int32_t mission);
