// CapFile.cpp — the .cap recorded flight path format: an int32 count and 32-byte samples.
#include "core/CapFile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <cmath>
#include <cstring>

namespace {

bool IsFinite(const TMotionSample& s) {
  const float values[7] = {s.Position.x, s.Position.y, s.Position.z, s.Rotation.w,
                           s.Rotation.x, s.Rotation.y, s.Rotation.z};
  for (float v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

std::vector<TMotionSample> ParseCap(const uint8_t* data, size_t size, const std::string& nameForErrors) {
  if (size < CapHeaderSize)
    throw TFileError(nameForErrors, "too short for a sample count (" + std::to_string(size) + " bytes)");
  const int32_t count = LoadLE<int32_t>(data);
  if (count < 0) throw TFileError(nameForErrors, "negative sample count " + std::to_string(count));
  if (count < CapMinSamples)
    throw TFileError(nameForErrors, "a path needs at least 2 samples, the count is " + std::to_string(count));
  const size_t held = (size - CapHeaderSize) / CapSampleSize;
  if (static_cast<uint64_t>(count) > held)
    throw TFileError(nameForErrors, "the count says " + std::to_string(count) + " samples but the file holds " +
                                        std::to_string(held));

  std::vector<TMotionSample> samples(static_cast<size_t>(count));
  for (size_t i = 0; i < samples.size(); ++i) {
    std::memcpy(&samples[i], data + CapHeaderSize + i * CapSampleSize, CapSampleSize);
    if (!IsFinite(samples[i]))
      throw TFileError(nameForErrors, "sample " + std::to_string(i) + " is not a finite number");
  }
  return samples;
}

std::vector<TMotionSample> ReadCapFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, CapMaxFileSize);
  return ParseCap(bytes.data(), bytes.size(), path);
}

void WriteCapFile(const std::string& path, const std::vector<TMotionSample>& samples) {
  if (samples.size() < static_cast<size_t>(CapMinSamples))
    throw TFileError(path, "a path needs at least 2 samples, got " + std::to_string(samples.size()));
  if (samples.size() > (CapMaxFileSize - CapHeaderSize) / CapSampleSize)
    throw TFileError(path, "too many samples: " + std::to_string(samples.size()));
  std::vector<uint8_t> bytes(CapHeaderSize + samples.size() * CapSampleSize);
  StoreLE<int32_t>(bytes.data(), static_cast<int32_t>(samples.size()));
  std::memcpy(bytes.data() + CapHeaderSize, samples.data(), samples.size() * CapSampleSize);
  WriteFileAtomic(path, bytes.data(), bytes.size());
}
