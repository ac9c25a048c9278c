// ReplayFile.h — the input recording of one played mission: what the player's hands did each
// frame and how long each frame took, enough to play the mission again exactly.
//
// Format (version 1), every number little-endian:
//
//   offset  size  field
//   0       8     magic "QNTRPLAY"
//   8       4     format version, uint32 = 1
//   12      1     length L of the game version string, 1..64
//   13      L     game version string (printable ASCII), the build that recorded it
//   13+L    4     mission, int32 1..5
//   17+L    4     random seed, uint32
//   21+L    4     fixed frame step in ms, int32 0..1000 (0: the frames came from the real clock)
//   25+L    4     frame count N, uint32 0..MaxReplayFrames
//   29+L    8     world hash at the end of the run, uint64 (0: not known)
//   37+L    14N   per frame: frame time in ms (uint32 0..MaxReplayFrameMs), control bits (uint16),
//                 stick deflections Turn and Pitch (float32 each, -1..1, 0 for keys)
//   37+L+14N 4    FNV-1a 32 checksum of every byte before it
//
// Control bits, bit 0 first: TurnLeft, TurnRight, NoseUp, NoseDown, Fast, Slow, Trigger,
// WeaponSwitch, Camera1, Camera2, Pause; the bits above must be 0. NoseUp and NoseDown are
// stored as what the nose does (up: the nose rises), whatever the player's InvertY setting was.
//
// The file ends exactly after the checksum. A replay from another game version is refused:
// the world's arithmetic may have changed, and a replay that drifts is worse than none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The version that recordings carry; a build system may define its own (a commit, a tag).
#ifndef QUINTARA_GAME_VERSION
#define QUINTARA_GAME_VERSION "quintara 1.0"
#endif
constexpr char GameVersion[] = QUINTARA_GAME_VERSION;

constexpr uint32_t ReplayFormatVersion = 1;
constexpr size_t ReplayMaxVersionLength = 64;
constexpr uint32_t MaxReplayFrames = 4'000'000;      // over 17 hours of 16 ms frames
constexpr uint32_t MaxReplayFrameMs = 60'000;        // a frame longer than a minute is damage
constexpr int32_t MaxReplayStep = 1000;
constexpr size_t ReplayFrameBytes = 14;

struct TReplayFrame {
  uint32_t Ms = 0;
  uint16_t Bits = 0;  // the control bits above (levels/ControlRecording turns them into states)
  float Turn = 0;     // how far a stick was pushed; 0 for a key
  float Pitch = 0;
  friend bool operator==(const TReplayFrame&, const TReplayFrame&) = default;
};

struct TReplay {
  std::string Version = GameVersion;
  int32_t Mission = 1;
  uint32_t Seed = 0;
  int32_t Step = 0;
  uint64_t EndHash = 0;
  std::vector<TReplayFrame> Frames;
};

constexpr uint16_t ReplayKnownBits = 0x07FF;  // the eleven control bits

// The whole file's bytes; throws TFileError naming `name` for a replay that cannot be written
// (a version string that is empty, too long or not printable, a field out of its range).
std::vector<uint8_t> EncodeReplay(const TReplay& replay, const std::string& name);
// Checks every size, count, range and the checksum; throws TFileError naming `name`. The game
// version and the mission are not compared here (see ReadReplay).
TReplay ParseReplay(const uint8_t* data, size_t size, const std::string& name);

// Reads and parses the file, then refuses one recorded by another game version or, when
// expectedMission is 1..5, for another mission. Throws TFileError naming the file.
TReplay ReadReplay(const std::string& path, int32_t expectedMission = 0);
// Written atomically: a crash or a full disk leaves the old file or none.
void WriteReplay(const std::string& path, const TReplay& replay);
