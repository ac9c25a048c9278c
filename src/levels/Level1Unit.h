// Level1Unit.h — Mission 1, the convoy escort: two airships cross the map on their recorded
// route with the player and three allied fighters as escort; four waves of enemy fighters rise
// as the convoy passes its trigger points; it ends when the last wave falls (success) or when
// the second airship goes down (failure).
#pragma once

#include "levels/LevelUnit.h"

class TZeppelin;

class TLevel1 final : public TLevel {
public:
  TLevel1();

  void PlaceActors() override;
  void UpdateMission() override;

private:
  void Opening();
  void ConvoyLeg();
  void Hover();
  void LastWave();
  void CheckConvoyLoss();
  void MarkLeadingAirship();
  void GuardAirships();
  bool ConvoyAt(const TVector& trigger) const;
  void Wake(int32_t first, int32_t last);
  bool AllGone(int32_t first, int32_t last) const;
  void StartSuccessCinematic();
  TZeppelin& Airship(int32_t which) const;  // 1 or 2
};
