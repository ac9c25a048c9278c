// MissionSettings.cpp — the five missions' settings.
#include "levels/MissionSettings.h"

#include <algorithm>

namespace {

constexpr float Grey = 128.0f / 255.0f;

const TMissionSettings Missions[MissionCount] = {
    {6, {1, 1, 0.8f}, 0.2f, 0.0001f, "lev1.srf", 1, false, "sky1.cna", GL_DECAL, 110, true, 1500,
     {0.5f, 0.5f, 0.7f}, 600, 700, "radsurf1.jpg", "level1.mid", 0.0007f},
    {8, {1, 1, 0.17f}, 0.2f, 0.01f, "lev2.srf", 2, true, "sky2.jpg", GL_ADD, -40, false, 750,
     {142.0f / 255, 128.0f / 255, 85.0f / 255}, 500, 700, "radsurf2.jpg", "level2.mid", 0.00015f},
    {4, {1, 1, 0.17f}, 0.2f, 0.01f, "lev3.srf", 2, false, "sky3.jpg", GL_REPLACE, 70, false, 750,
     {Grey, Grey, Grey}, 600, 700, "radsurf3.jpg", "level3.mid", 0.0005f},
    {5, {1, 1, 0.17f}, 0.2f, 0.01f, "lev4.srf", 2, false, "sky4.jpg", GL_REPLACE, 90, false, 800,
     {Grey, 158.0f / 255, Grey}, 660, 700, "radsurf4.jpg", "level4.mid", 0.0005f},
    {4, {1, 1, 0.8f}, 0.2f, 0.01f, "lev5.srf", 2, false, "sky5.jpg", GL_REPLACE, 130, false, 1070,
     {Grey, Grey, Grey}, 600, 700, "radsurf5.jpg", "level5.mid", 0.0002f},
};

}  // namespace

const TMissionSettings& MissionSettings(int32_t mission) {
  return Missions[std::clamp(mission, 1, MissionCount) - 1];
}
