// SoundUnit.h — sound effects and music by slot handle.
//
// Music (.mid) and effects (.wav) are loaded by file name from SoundDir into fixed tables and
// addressed by the slot index returned. Handles stay valid until FreeAllAudio.
//
//   - Volumes are hundredths of a decibel, as the settings store them: gain = 10^(v / 2000),
//     capped at 1 (0 is full volume, -700 about 0.45). Effects take Config.SoundVolume and
//     music Config.MusicVolume + the piece's offset, both as they are at load time.
//   - Loading a name that another slot holds clones it: the slots share the decoded data but
//     play, stop and move independently, and the clone keeps the loop setting of the slot it
//     copies (the loop flag of the cloning call is ignored).
//   - Playing an effect while it plays starts another instance on top; stopping stops them all.
//   - Music plays one piece at a time: PlayMusic replaces whatever plays, and a piece loops
//     until it is stopped.
//   - A handle of -1, out of range or of a freed slot is ignored by every call.
//   - A missing or broken file makes LoadSound/LoadMusic throw TFileError naming it, with the
//     tables left as they were. Files are read and checked even with audio off, so a data
//     tree with a bad sound fails the same way on a machine without audio.
//   - Before InitAudio succeeds (or after DoneAudio) the tables work as usual but nothing is
//     heard: headless runs load, play and free sounds exactly as the game does.
//   - SetSoundPosition takes the listener's frame: +x right, +y up, +z ahead; the listener
//     sits at the origin and never moves.
#pragma once

#include "core/VectMath.h"
#include "platform/AudioDevice.h"

#include <array>
#include <cstdint>
#include <string>

constexpr int32_t MaxMusic = 20;
constexpr int32_t MaxSounds = 200;
inline constexpr char EmptySlotName[] = "empty";

// Starts audio: the default output (a silent one on machines without sound hardware) and the
// MIDI synth. Music is silent when no soundfont is found, effects still play. False only when
// the audio library cannot start at all. Empties both tables.
bool InitAudio(TAudioOutput output = TAudioOutput::Device);
void DoneAudio();
bool AudioRunning();

// The music handle, or -1 when all 20 music slots are taken.
int32_t LoadMusic(const std::string& fileName, int32_t volumeOffset);
void PlayMusic(int32_t handle);
void StopMusic(int32_t handle);  // only when that slot's piece is the one playing

// The sound handle, or -1 when all 200 sound slots are taken.
int32_t LoadSound(const std::string& fileName, bool loop);
void PlaySound(int32_t handle);
void StopSound(int32_t handle);
void StopAllSounds();
// Places the sound at position x scale; the game passes the emitter's offset from the
// listener and a scale of 0.01, so 100 world units are the distance where fading begins.
void SetSoundPosition(int32_t handle, const TVector& position, float scale);
void FreeSound(int32_t handle);  // the slot is marked "empty" and the next LoadSound takes it
void FreeAllAudio();             // stops everything and empties both tables

int32_t MusicCount();  // music slots in use, 0..20
int32_t SoundCount();  // sound slots up to the last one ever taken since FreeAllAudio, 0..200
const std::array<std::string, MaxMusic>& MusicNames();
const std::array<std::string, MaxSounds>& SoundNames();  // "empty" for a free slot

float VolumeToGain(int32_t hundredthsOfDecibel);

// Reads and decodes a wave file; throws TFileError naming it when it is missing or unusable.
TWaveData ReadWaveFile(const std::string& path);

// State for tests and diagnostics.
int32_t PlayingMusic();               // the handle whose piece plays, or -1
float MusicGain(int32_t handle);      // 0 for an invalid handle
float SoundGain(int32_t handle);
bool SoundLooping(int32_t handle);
int SoundInstancesPlaying(int32_t handle);  // 0 with audio off
bool SoundPlaying(int32_t handle);
// The position the audio library holds for the sound, after scaling; false with audio off or
// before the sound has first played.
bool SoundSourcePosition(int32_t handle, TVector& position);
// Loopback output only: mixes frames of interleaved stereo 16-bit at AudioRate.
bool RenderAudio(int16_t* out, int frames);
