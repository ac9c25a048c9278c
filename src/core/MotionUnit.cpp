// MotionUnit.cpp — recorded flight paths: the per-file sample cache and the playback cursor.
#include "core/MotionUnit.h"

#include "core/Globals.h"

#include <algorithm>

std::vector<std::unique_ptr<TMotionBuffer>> MotionBuffers;
std::vector<std::string> MotionNames;

namespace {

int32_t FilesLoaded = 0;

}  // namespace

void TMotionBuffer::LoadFromFile(const std::string& path) {
  std::vector<TMotionSample> samples = ReadCapFile(path);  // guarantees at least two samples
  samples[0] = samples[1];
  Samples = std::move(samples);
  Count = static_cast<int32_t>(Samples.size());
}

void ClearMotionCache() {
  MotionBuffers.clear();
  MotionNames.clear();
  FilesLoaded = 0;
}

int32_t MotionFilesLoaded() { return FilesLoaded; }

void TMotion::Load(const std::string& name) {
  const auto hit = std::find(MotionNames.begin(), MotionNames.end(), name);
  if (hit != MotionNames.end()) {
    BufferIndex = static_cast<int32_t>(hit - MotionNames.begin());
    return;
  }
  // Read before touching the cache, so a bad file leaves no half-made entry behind.
  auto buffer = std::make_unique<TMotionBuffer>();
  buffer->LoadFromFile(DataDir + name);
  std::string key = name;
  MotionBuffers.reserve(MotionBuffers.size() + 1);
  MotionNames.reserve(MotionNames.size() + 1);
  MotionBuffers.push_back(std::move(buffer));  // cannot throw now: both have room
  MotionNames.push_back(std::move(key));
  ++FilesLoaded;
  BufferIndex = static_cast<int32_t>(MotionBuffers.size()) - 1;
}

void TMotion::Start(int32_t step, const TVector& offset) {
  Time = 0;
  Step = step;
  Offset = offset;
}

bool TMotion::Update() {
  if (BufferIndex < 0 || static_cast<size_t>(BufferIndex) >= MotionBuffers.size()) return false;
  const TMotionBuffer& buffer = *MotionBuffers[BufferIndex];
  if (buffer.Samples.empty()) return false;
  const int32_t last = static_cast<int32_t>(buffer.Samples.size()) - 1;
  const int32_t step = std::max(Step, 1);
  const int32_t time = std::max(Time, 0);
  const int32_t i = time / step;

  if (i >= last) {
    const TMotionSample& end = buffer.Samples[last];
    Position = end.Position + Offset;
    Rotation = end.Rotation;
    Fire = end.Fire;
    return false;
  }

  const TMotionSample& from = buffer.Samples[i];
  const TMotionSample& to = buffer.Samples[i + 1];
  const float f = static_cast<float>(static_cast<double>(time) / step - i);
  Position = from.Position + (to.Position - from.Position) * f + Offset;
  QuatSlerp(from.Rotation, to.Rotation, f, Rotation);
  Fire = from.Fire;
  Time += Counter.Elapsed;
  return true;
}
