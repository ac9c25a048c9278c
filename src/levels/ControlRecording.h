// ControlRecording.h — recording the player's controls frame by frame, and playing a recording
// back with the clock that gives every frame its recorded length, so the world runs the same.
//
// A recording is made by wrapping whatever flies (the keyboard, the computer pilot) in
// TRecordingControls; a replay puts TReplayControls in its place and makes a TReplayClock the
// active clock before the level is loaded (the level's RestartCounter takes the clock's first
// reading; every frame's Counter.Update takes the next). The replay then needs the recording's
// seed and mission; ReplayFile.h describes the file.
#pragma once

#include "actors/ControlState.h"
#include "core/ReplayFile.h"
#include "platform/Clock.h"

#include <cstdint>
#include <string>

// The recorded form of a state and back. NoseUp and NoseDown are stored as what the nose does,
// so a recording plays the same whatever InvertY the player who watches it has set. A stick
// deflection the aircraft reads as full rate (not a number, beyond 1) is stored as 0, which it
// reads the same way.
TReplayFrame EncodeControls(const TControlState& state, bool invertY);
TControlState DecodeControls(const TReplayFrame& frame, bool invertY);

class TRecordingControls final : public TControlSource {
public:
  // Records what `source` gives each frame; the header fields are the run's.
  TRecordingControls(TControlSource& source, int32_t mission, uint32_t seed, int32_t step);
  TControlState Poll(int32_t ms) override;

  const TReplay& Recording() const { return Replay; }
  // Writes the recording so far with the end-of-run world hash (atomically); TFileError names
  // the file on failure.
  void Save(const std::string& path, uint64_t endHash);

private:
  TControlSource& Source;
  TReplay Replay;
};

class TReplayControls final : public TControlSource {
public:
  // The recording must outlive the controls.
  explicit TReplayControls(const TReplay& replay) : Replay(replay) {}
  // The next recorded state; nothing held once the recording has run out. The pause key is
  // never replayed: a pause waits for an answer the recording does not hold, and it changes
  // nothing in the world.
  TControlState Poll(int32_t ms) override;

  bool Finished() const { return Next >= Replay.Frames.size(); }
  size_t FramesPlayed() const { return Next; }
  // The first frame whose length differed from the recorded one (the clock was read out of
  // step), or -1: a replay that reports one has not reproduced the run.
  int64_t FirstMismatch() const { return Mismatch; }

private:
  const TReplay& Replay;
  size_t Next = 0;
  int64_t Mismatch = -1;
};

// Hands the frame counter the recorded frame lengths: its first reading is the start, each
// later one is one recorded frame further. Past the recording it steps by the recorded fixed
// step, or 16 ms. It reports no high-resolution counter, so the counter takes the differences
// as they are (a recorded 0 ms frame stays 0).
class TReplayClock final : public TClockSource {
public:
  // The recording must outlive the clock.
  explicit TReplayClock(const TReplay& replay) : Replay(replay) {}
  bool QueryFrequency(int64_t& ticksPerSecond) override {
    ticksPerSecond = 0;
    return false;
  }
  int64_t QueryCounter() override { return Read(); }
  uint32_t TickCount() override { return static_cast<uint32_t>(Read()); }

private:
  int64_t Read();

  const TReplay& Replay;
  size_t Reads = 0;
  int64_t Now = 0;
};
