// ControlRecording.cpp — the recorder, the player and the clock of input recordings.
#include "levels/ControlRecording.h"

#include "core/ConfigUnit.h"

#include <algorithm>


namespace {

// Bit order of the file (ReplayFile.h).
enum : uint16_t {
  BitLeft = 1 << 0, BitRight = 1 << 1, BitUp = 1 << 2, BitDown = 1 << 3, BitFast = 1 << 4, BitSlow = 1 << 5,
  BitTrigger = 1 << 6, BitSwitch = 1 << 7, BitCamera1 = 1 << 8, BitCamera2 = 1 << 9, BitPause = 1 << 10
};

constexpr size_t ReservedFrames = 20 * 60 * 1000 / 16;  // twenty minutes at 16 ms, reserved at once
constexpr uint32_t DefaultReplayStep = 16;

uint16_t Bit(bool held, uint16_t bit) { return held ? bit : 0; }

// The aircraft takes a deflection's size within (0, 1] and anything else as full rate.
float Deflection(float v) { return v >= -1.0f && v <= 1.0f ? v : 0.0f; }

}  // namespace

TReplayFrame EncodeControls(const TControlState& s, bool invertY) {
  const bool up = invertY ? s.NoseDown : s.NoseUp;
  const bool down = invertY ? s.NoseUp : s.NoseDown;
  TReplayFrame f;
  f.Turn = Deflection(s.Turn);
  f.Pitch = Deflection(s.Pitch);
  f.Bits = static_cast<uint16_t>(Bit(s.TurnLeft, BitLeft) | Bit(s.TurnRight, BitRight) | Bit(up, BitUp) |
                               Bit(down, BitDown) | Bit(s.Fast, BitFast) | Bit(s.Slow, BitSlow) |
                               Bit(s.Trigger, BitTrigger) | Bit(s.WeaponSwitch, BitSwitch) |
                               Bit(s.Camera1, BitCamera1) | Bit(s.Camera2, BitCamera2) | Bit(s.Pause, BitPause));
  return f;
}

TControlState DecodeControls(const TReplayFrame& frame, bool invertY) {
  const uint16_t bits = frame.Bits;
  TControlState s;
  s.Turn = frame.Turn;
  s.Pitch = frame.Pitch;
  s.TurnLeft = bits & BitLeft;
  s.TurnRight = bits & BitRight;
  const bool up = bits & BitUp;
  const bool down = bits & BitDown;
  s.NoseUp = invertY ? down : up;
  s.NoseDown = invertY ? up : down;
  s.Fast = bits & BitFast;
  s.Slow = bits & BitSlow;
  s.Trigger = bits & BitTrigger;
  s.WeaponSwitch = bits & BitSwitch;
  s.Camera1 = bits & BitCamera1;
  s.Camera2 = bits & BitCamera2;
  s.Pause = bits & BitPause;
  return s;
}

TRecordingControls::TRecordingControls(TControlSource& source, int32_t mission, uint32_t seed, int32_t step)
    : Source(source) {
  Replay.Mission = mission;
  Replay.Seed = seed;
  Replay.Step = step;
  Replay.Frames.reserve(ReservedFrames);
}

TControlState TRecordingControls::Poll(int32_t ms) {
  const TControlState state = Source.Poll(ms);
  // A run longer than the format holds keeps playing; only its recording stops.
  if (Replay.Frames.size() >= MaxReplayFrames) return state;
  TReplayFrame frame = EncodeControls(state, Config.InvertY != 0);
  frame.Ms = static_cast<uint32_t>(std::clamp<int32_t>(ms, 0, static_cast<int32_t>(MaxReplayFrameMs)));
  Replay.Frames.push_back(frame);
  return state;
}

void TRecordingControls::Save(const std::string& path, uint64_t endHash) {
  Replay.EndHash = endHash;
  WriteReplay(path, Replay);
}

TControlState TReplayControls::Poll(int32_t ms) {
  if (Finished()) return {};
  const TReplayFrame& frame = Replay.Frames[Next];
  if (Mismatch < 0 && static_cast<uint32_t>(ms) != frame.Ms) Mismatch = static_cast<int64_t>(Next);
  ++Next;
  TControlState state = DecodeControls(frame, Config.InvertY != 0);
  state.Pause = false;
  return state;
}

int64_t TReplayClock::Read() {
  const int64_t now = Now;
  const uint32_t step = Reads < Replay.Frames.size() ? Replay.Frames[Reads].Ms
                        : Replay.Step > 0            ? static_cast<uint32_t>(Replay.Step)
                                                     : DefaultReplayStep;
  Now += step;
  ++Reads;
  return now;
}
