// WavFile.cpp — a writer of plain PCM wave files (16-bit, mono or interleaved stereo).
#include "core/WavFile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <cstring>

namespace {

constexpr size_t HeaderSize = 44;
constexpr int MaxRate = 384000;
constexpr uint16_t FormatPcm = 1;
constexpr uint16_t BitsPerSample = 16;

}  // namespace

std::vector<uint8_t> EncodeWav(const int16_t* samples, size_t frames, int channels, int rate,
                               const std::string& nameForErrors) {
  if (channels != 1 && channels != 2) throw TFileError(nameForErrors, "a wave needs 1 or 2 channels");
  if (rate < 1 || rate > MaxRate) throw TFileError(nameForErrors, "sample rate out of range");
  const uint64_t dataSize = uint64_t(frames) * uint64_t(channels) * sizeof(int16_t);
  // The RIFF size field counts everything after its own 8 bytes and must fit 32 bits.
  if (dataSize + HeaderSize - 8 > 0xFFFFFFFFull) throw TFileError(nameForErrors, "too long for a wave file");

  std::vector<uint8_t> out(HeaderSize + dataSize);
  uint8_t* p = out.data();
  const uint16_t blockAlign = static_cast<uint16_t>(channels * sizeof(int16_t));
  std::memcpy(p, "RIFF", 4);
  StoreLE<uint32_t>(p + 4, static_cast<uint32_t>(dataSize + HeaderSize - 8));
  std::memcpy(p + 8, "WAVEfmt ", 8);
  StoreLE<uint32_t>(p + 16, 16);  // the PCM format chunk's size
  StoreLE<uint16_t>(p + 20, FormatPcm);
  StoreLE<uint16_t>(p + 22, static_cast<uint16_t>(channels));
  StoreLE<uint32_t>(p + 24, static_cast<uint32_t>(rate));
  StoreLE<uint32_t>(p + 28, static_cast<uint32_t>(rate) * blockAlign);
  StoreLE<uint16_t>(p + 32, blockAlign);
  StoreLE<uint16_t>(p + 34, BitsPerSample);
  std::memcpy(p + 36, "data", 4);
  StoreLE<uint32_t>(p + 40, static_cast<uint32_t>(dataSize));
  if (dataSize > 0) std::memcpy(p + HeaderSize, samples, dataSize);
  return out;
}

void WriteWavFile(const std::string& path, const int16_t* samples, size_t frames, int channels,
                  int rate) {
  const std::vector<uint8_t> bytes = EncodeWav(samples, frames, channels, rate, path);
  WriteFileAtomic(path, bytes.data(), bytes.size());
}
