// SoundTestFiles.h — small wave and MIDI files made in code, and measurements of a rendered mix.
#pragma once

#include "core/FileIO.h"
#include "core/MidiFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// A PCM wave file image: `frames` frames of a sine at `hertz`, the same on every channel.
inline std::vector<uint8_t> SineWave(int channels, int rate, int bits, int frames, double hertz = 440.0,
                                     double amplitude = 0.5) {
  const int bytesPerSample = bits / 8;
  const uint32_t dataSize = static_cast<uint32_t>(frames * channels * bytesPerSample);
  std::vector<uint8_t> out(44 + dataSize);
  uint8_t* p = out.data();
  const auto put = [&](const void* src, size_t n) {
    std::memcpy(p, src, n);
    p += n;
  };
  const auto put32 = [&](uint32_t v) { put(&v, 4); };
  const auto put16 = [&](uint16_t v) { put(&v, 2); };
  put("RIFF", 4);
  put32(36 + dataSize);
  put("WAVEfmt ", 8);
  put32(16);
  put16(1);
  put16(static_cast<uint16_t>(channels));
  put32(static_cast<uint32_t>(rate));
  put32(static_cast<uint32_t>(rate * channels * bytesPerSample));
  put16(static_cast<uint16_t>(channels * bytesPerSample));
  put16(static_cast<uint16_t>(bits));
  put("data", 4);
  put32(dataSize);
  for (int i = 0; i < frames; ++i) {
    const double v = amplitude * std::sin(2 * M_PI * hertz * i / rate);
    for (int c = 0; c < channels; ++c) {
      if (bits == 8) {
        const uint8_t s = static_cast<uint8_t>(128 + std::lround(v * 127));
        put(&s, 1);
      } else {
        const int16_t s = static_cast<int16_t>(std::lround(v * 32767));
        put(&s, 2);
      }
    }
  }
  return out;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

// A format-1 piece: a tempo track and a piano track of four quarter notes at 120 bpm (2 s).
inline TMidiFile ShortPiece(uint8_t program = 0, uint32_t tempo = MidiDefaultTempo) {
  TMidiFile midi;
  midi.Format = 1;
  midi.Division = 96;
  TMidiTrack conductor;
  conductor.Events = {MidiTrackName(0, "Tempo"), MidiTempo(0, tempo)};
  TMidiTrack piano;
  piano.Events = {MidiTrackName(0, "Piano"), MidiProgram(0, 0, program)};
  const uint8_t notes[4] = {60, 64, 67, 72};
  for (int i = 0; i < 4; ++i) {
    piano.Events.push_back(MidiNoteOn(i * 96, 0, notes[i], 110));
    piano.Events.push_back(MidiNoteOff(i * 96 + 90, 0, notes[i]));
  }
  piano.Events.push_back(MidiEndOfTrack(4 * 96));
  midi.Tracks = {conductor, piano};
  return midi;
}

struct TLevels {
  double Left = 0;
  double Right = 0;
  int Peak = 0;
};

// Root-mean-square level of each channel of an interleaved stereo block, and its peak.
inline TLevels Measure(const std::vector<int16_t>& stereo, size_t firstFrame = 0) {
  TLevels levels;
  double left = 0, right = 0;
  size_t frames = 0;
  for (size_t i = firstFrame * 2; i + 1 < stereo.size(); i += 2, ++frames) {
    left += double(stereo[i]) * stereo[i];
    right += double(stereo[i + 1]) * stereo[i + 1];
    levels.Peak = std::max({levels.Peak, std::abs(int(stereo[i])), std::abs(int(stereo[i + 1]))});
  }
  if (frames > 0) {
    levels.Left = std::sqrt(left / frames);
    levels.Right = std::sqrt(right / frames);
  }
  return levels;
}
