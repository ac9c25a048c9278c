// Level2Unit.h — Mission 2, the airfield raid: two airfields, a fuel depot and a forward outpost
// to be destroyed in that order under a low evening sun.
#pragma once

#include "levels/LevelUnit.h"

class TLevel2 final : public TLevel {
public:
  TLevel2();

  void PlaceActors() override;
  void UpdateMission() override;

private:
  void Opening();
  void Raid();
};
