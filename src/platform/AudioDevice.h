// AudioDevice.h — the OpenAL Soft output: sample buffers, voices and the music stream.
//
// Conventions:
//   - Buffers and voices are small integer handles; -1 means none. A call with a handle that
//     is unknown or already destroyed does nothing, and every call is a no-op while no output
//     is open, so callers never need to guard.
//   - A voice plays one sample buffer. Playing it again while it plays starts another instance
//     on top (up to VoiceInstanceCap; past that the instance that has played longest restarts);
//     stopping it stops every instance.
//   - Positions are in the listener's frame, which the callers were written for: +x right,
//     +y up, +z ahead (left-handed). The listener sits at the origin and never moves. Only
//     mono samples are placed in space; stereo ones play as recorded.
//   - Distance attenuation is the library default: full gain within 1 unit, then 1/distance.
//   - All calls come from the main thread; the music stream is refilled on a feeder thread.
#pragma once

#include "platform/WaveCodec.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int AudioRate = 44100;        // the mix and the music stream, frames per second
constexpr int VoiceInstanceCap = 4;     // overlapping instances of one voice
enum class TAudioOutput {
  Device,    // the system's default device; without one, a silent output that keeps real time
  Loopback,  // nothing reaches a speaker; RenderAudioOutput mixes on demand (tests)
};

// Opens the output once; while one is open further calls just return true. Device tries
// OpenAL's default device (with ALSOFT_DRIVERS=null that is OpenAL Soft's null backend); when
// that fails it falls back to a loopback device mixed in real time into nothing, so a machine
// without sound hardware behaves like one with. False only when OpenAL cannot start at all.
bool OpenAudioOutput(TAudioOutput output);
void CloseAudioOutput();  // destroys every voice, buffer and the stream
bool AudioOutputOpen();
std::string AudioOutputName();  // the device's name, or "" when closed

// Loopback only: mixes `frames` frames of interleaved stereo 16-bit at AudioRate into out,
// refilling the music stream on this thread first, so the result does not depend on timing.
// False (out untouched) for any other output.
bool RenderAudioOutput(int16_t* out, int frames);

// Sample buffers hold decoded data that any number of voices share. The creator's reference
// is dropped with ReleaseSampleBuffer; the data lives on while a voice still plays it.
int CreateSampleBuffer(const TWaveData& wave);  // -1 when closed or the library refuses
void ReleaseSampleBuffer(int buffer);

int CreateVoice(int buffer, bool loop);  // gain 1 at the origin; -1 when closed or unknown buffer
int CloneVoice(int voice);               // same buffer and loop flag, its own everything else
void DestroyVoice(int voice);
void SetVoiceGain(int voice, float gain);  // linear, clamped to 0..1
void SetVoicePosition(int voice, float x, float y, float z);
void PlayVoice(int voice);
void StopVoice(int voice);

// Read back from the library, for tests and diagnostics.
int VoiceInstancesPlaying(int voice);
bool VoiceLooping(int voice);
// The position the library holds for the voice's instances, in the listener's frame above.
// False when the voice is unknown or has not played yet.
bool VoiceSourcePosition(int voice, float& x, float& y, float& z);
int LiveVoiceCount();
int LiveSampleBufferCount();

// The music stream: one stereo source fed by `fill`, which must write `frames` frames of
// interleaved stereo 16-bit at AudioRate. About half a second is kept queued, so a main
// thread busy loading a mission never starves it. `fill` runs on the feeder thread (or in
// RenderAudioOutput for a loopback output) and must not call back into this unit.
using TStreamFill = void (*)(int16_t* out, int frames);
void StartMusicStream(TStreamFill fill);  // plays on; already queued audio stays
void RestartMusicStream();                // drops what is queued so a new piece starts at once
void StopMusicStream();                   // silence at once; nothing more is pulled
void SetMusicStreamGain(float gain);      // linear, clamped to 0..1
bool MusicStreamActive();
// Times the queue ran dry and playback had to restart, since the output opened.
int MusicStreamUnderruns();
