// MissionFactory.cpp — one switch over the mission classes.
#include "levels/MissionFactory.h"

#include "levels/Level1Unit.h"
#include "levels/Level2Unit.h"
#include "levels/Level3Unit.h"
#include "levels/Level4Unit.h"
#include "levels/Level5Unit.h"

#include <algorithm>

std::unique_ptr<TLevel> CreateMission(int32_t mission) {
  switch (std::clamp(mission, 1, 5)) {
    case 1: return std::make_unique<TLevel1>();
    case 2: return std::make_unique<TLevel2>();
    case 3: return std::make_unique<TLevel3>();
    case 4: return std::make_unique<TLevel4>();
    default: return std::make_unique<TLevel5>();
  }
}
