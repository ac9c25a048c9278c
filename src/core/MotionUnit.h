// MotionUnit.h — recorded flight paths: the per-file sample cache and the playback cursor.
#pragma once

#include "core/CapFile.h"
#include "core/Quaternion.h"
#include "core/VectMath.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The samples of one .cap file, loaded once per run and shared by every motion naming it.
class TMotionBuffer {
public:
  // Reads and validates the file (TFileError on failure). Sample 0 is then overwritten with
  // sample 1: the recorder's first sample is never played.
  void LoadFromFile(const std::string& path);

  int32_t Count = 0;
  std::vector<TMotionSample> Samples;
};

// Process-wide cache: MotionNames[i] is the exact, case-sensitive file name of MotionBuffers[i].
extern std::vector<std::unique_ptr<TMotionBuffer>> MotionBuffers;
extern std::vector<std::string> MotionNames;

// Empties the cache at shutdown (and between tests). Motions still pointing into it stop.
void ClearMotionCache();
// Path files actually read since the last ClearMotionCache.
int32_t MotionFilesLoaded();

// A playback cursor over one cached path, owned by the actor it moves.
class TMotion {
public:
  // Selects the buffer of the bare file name, reading DataDir + name on first use. A failed
  // read throws and leaves the cache and this motion unchanged.
  void Load(const std::string& name);
  // step is milliseconds per sample. Missions may change Step and Offset of a running motion;
  // the next Update uses the new values.
  void Start(int32_t step, const TVector& offset);
  // Outputs the pose for the current Time, then advances Time by the frame time. True while the
  // path runs; false once on the last sample, which it then keeps reporting without advancing.
  bool Update();

  int32_t BufferIndex = 0;
  TVector Position{};
  TQuaternion Rotation{};
  uint8_t Fire = 0;
  // Milliseconds per sample. A Step of 0 or less is played as 1 ms rather than dividing by it.
  int32_t Step = 0;
  int32_t Time = 0;       // milliseconds played
  TVector Offset{};       // added to every output position
};
