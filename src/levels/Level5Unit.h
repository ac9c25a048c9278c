// Level5Unit.h — Mission 5, the convoys: three columns driving to a meeting point, a depot, a
// post and the meeting site's stores, destroyed in order with two allied fighters along.
#pragma once

#include "levels/LevelUnit.h"

class TLevel5 final : public TLevel {
public:
  TLevel5();

  void PlaceActors() override;
  void UpdateMission() override;

private:
  void Opening();
  void Convoy();
  void Site();
};
