// Level4Unit.h — Mission 4, the second escort: the first airship falls on the opening leg and
// the player brings the second along the rest of the route to the haven.
#pragma once

#include "levels/LevelUnit.h"

class TZeppelin;

class TLevel4 final : public TLevel {
public:
  TLevel4();

  void PlaceActors() override;
  void UpdateMission() override;

  // 1 or 2; null when the roster has no airship there.
  TZeppelin* Airship(int32_t which) const;

private:
  void Opening();
  void Escort();
};
