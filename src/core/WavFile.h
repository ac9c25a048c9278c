// WavFile.h — a writer of plain PCM wave files (16-bit, mono or interleaved stereo).
//
// Conventions: samples are signed 16-bit, channels interleaved frame by frame (left first);
// the file is the canonical 44-byte RIFF/WAVE header followed by the data chunk, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The whole file image. Throws TFileError naming nameForErrors when channels is not 1 or 2,
// the rate is not 1..384000 or the data would not fit a 32-bit RIFF size.
std::vector<uint8_t> EncodeWav(const int16_t* samples, size_t frames, int channels, int rate,
                               const std::string& nameForErrors);

// Writes the file atomically (temporary file, then rename).
void WriteWavFile(const std::string& path, const int16_t* samples, size_t frames, int channels,
                  int rate);
