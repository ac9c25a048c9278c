// SoundInfo.h — a readable summary of a .wav or .mid file, for qtool info.
#pragma once

#include <string>

// For a wave: channels, rate, bits, frames and duration. For a MIDI file: format, track count,
// division, duration from the tempo map, and per track its name and the General-MIDI programs
// it uses. Channels are shown 1..16 as musicians count them (channel 10 is the drum kit);
// programs as stored, 0..127, with their General-MIDI names. Throws TFileError naming the file
// when it cannot be read, is malformed, or has another extension.
std::string DescribeSoundFile(const std::string& path);
