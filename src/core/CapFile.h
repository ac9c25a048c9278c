// CapFile.h — the .cap recorded flight path format: an int32 count and 32-byte samples.
#pragma once

#include "core/Quaternion.h"
#include "core/VectMath.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One recorded moment. Samples are laid down at a fixed interval chosen by whoever plays them.
struct TMotionSample {
  TVector Position;
  TQuaternion Rotation;  // the view orientation; a flying actor takes its conjugate
  uint8_t Fire;          // 1 when the guns fire at this sample
  uint8_t Padding[3];    // carried along unread, so a rewrite keeps the file byte-identical
};

static_assert(sizeof(TMotionSample) == 32);
static_assert(offsetof(TMotionSample, Position) == 0);
static_assert(offsetof(TMotionSample, Rotation) == 12);
static_assert(offsetof(TMotionSample, Fire) == 28);
static_assert(offsetof(TMotionSample, Padding) == 29);

constexpr size_t CapHeaderSize = 4;
constexpr size_t CapSampleSize = sizeof(TMotionSample);
// Interpolation needs a segment, so a path has at least two samples.
constexpr int32_t CapMinSamples = 2;
// About 2 million samples, over 18 hours at 33 ms: anything larger is not a path.
constexpr size_t CapMaxFileSize = 64u << 20;

// Validates and decodes a whole .cap image; throws TFileError naming nameForErrors. The count
// must be at least 2 and the data must hold every sample it promises; bytes after the last
// sample are ignored. Non-finite positions or rotations are refused.
std::vector<TMotionSample> ParseCap(const uint8_t* data, size_t size, const std::string& nameForErrors);
std::vector<TMotionSample> ReadCapFile(const std::string& path);
// Atomic write; refuses fewer than two samples so it never produces a file the reader rejects.
void WriteCapFile(const std::string& path, const std::vector<TMotionSample>& samples);
