// ViewerFlight.h — the viewer's fixed sight-seeing flight for frame-rate measurements: one lap
// around the middle of the map at a steady height over the ground, looking a little inward and
// down. The camera depends only on the time flown, so a fixed step repeats it exactly.
#pragma once

#include "app/ViewerScreen.h"

#include <cstdint>

class TSurf;

constexpr int64_t FlightLapMs = 40000;  // one lap around the map

// Where the camera is `ms` milliseconds into the flight over `surface`.
TViewerCamera FlightCamera(int64_t ms, const TSurf& surface);
