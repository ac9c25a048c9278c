// Level3Unit.h — Mission 3, the balloon barrier: three camps behind fields of barrage balloons,
// destroyed in order; the first field may be flown around.
#pragma once

#include "levels/LevelUnit.h"

class TLevel3 final : public TLevel {
public:
  TLevel3();

  void PlaceActors() override;
  void UpdateMission() override;

private:
  void Opening();
  void Camp();
};
