// WaveCodec.h — wave files decoded through SDL to 16-bit samples, for the sound effects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t WaveMaxFileSize = 64u << 20;
constexpr double WaveMaxSeconds = 600;  // longer than any effect or piece the game plays

// A wave file decoded to 16-bit samples, mono or interleaved stereo, at its own rate.
struct TWaveData {
  int Channels = 0;      // 1 or 2 after decoding; files with more channels are mixed down to 2
  int Rate = 0;          // frames per second
  int FileChannels = 0;  // as stored in the file
  int FileBits = 0;      // bits per sample as stored; compressed formats report their decoded 16
  std::vector<int16_t> Samples;

  size_t Frames() const { return Channels > 0 ? Samples.size() / static_cast<size_t>(Channels) : 0; }
  double Seconds() const { return Rate > 0 ? static_cast<double>(Frames()) / Rate : 0.0; }
};

// Decodes a whole wave file image in any encoding SDL reads (PCM, float, ADPCM, mu-law,
// A-law). On failure returns false with the reason and leaves `wave` as it was: not a wave,
// no samples, an absurd rate or channel count, or longer than WaveMaxSeconds. Needs no open
// output.
bool DecodeWave(const uint8_t* data, size_t size, TWaveData& wave, std::string& error);
