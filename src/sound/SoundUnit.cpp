// SoundUnit.cpp — sound effects and music by slot handle.
#include "sound/SoundUnit.h"

#include "core/ConfigUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/MidiFile.h"
#include "platform/MidiSynth.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

struct TSoundSlot {
  bool Used = false;
  bool Loop = false;
  int Voice = -1;  // -1 with audio off
  float Gain = 1.0f;
};

struct TMusicSlot {
  std::shared_ptr<const std::vector<uint8_t>> Piece;  // the .mid image, shared by clones
  float Gain = 1.0f;
};

bool Running = false;
int32_t Musics = 0;
int32_t Sounds = 0;
int32_t Playing = -1;
std::array<TMusicSlot, MaxMusic> MusicSlots;
std::array<TSoundSlot, MaxSounds> SoundSlots;

std::array<std::string, MaxSounds> MakeSoundNames() {
  std::array<std::string, MaxSounds> names;
  names.fill(EmptySlotName);
  return names;
}
std::array<std::string, MaxMusic> MusicNameTable;
std::array<std::string, MaxSounds> SoundNameTable = MakeSoundNames();

bool ValidMusic(int32_t handle) { return handle >= 0 && handle < Musics; }
bool ValidSound(int32_t handle) { return handle >= 0 && handle < Sounds && SoundSlots[handle].Used; }

void ReleaseSoundSlot(int32_t handle) {
  DestroyVoice(SoundSlots[handle].Voice);
  SoundSlots[handle] = TSoundSlot{};
  SoundNameTable[handle] = EmptySlotName;
}

// The voice for a freshly read file; -1 with audio off or when the library refuses it.
int VoiceForFile(const TWaveData& wave, bool loop) {
  const int buffer = CreateSampleBuffer(wave);
  const int voice = CreateVoice(buffer, loop);
  ReleaseSampleBuffer(buffer);  // the voice holds its own reference
  return voice;
}

}  // namespace

float VolumeToGain(int32_t hundredthsOfDecibel) {
  return std::clamp(static_cast<float>(std::pow(10.0, hundredthsOfDecibel / 2000.0)), 0.0f, 1.0f);
}

TWaveData ReadWaveFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, WaveMaxFileSize);
  TWaveData wave;
  std::string error;
  if (!DecodeWave(bytes.data(), bytes.size(), wave, error)) throw TFileError(path, error);
  return wave;
}

bool InitAudio(TAudioOutput output) {
  FreeAllAudio();
  if (Running) return true;
  if (!OpenAudioOutput(output)) return false;
  OpenMidiSynth();  // without a soundfont the music is silent; effects are unaffected
  Running = true;
  return true;
}

void DoneAudio() {
  FreeAllAudio();
  if (!Running) return;
  CloseMidiSynth();
  CloseAudioOutput();
  Running = false;
}

bool AudioRunning() { return Running; }

// ---------------------------------------------------------------------------------------------
// Music

int32_t LoadMusic(const std::string& fileName, int32_t volumeOffset) {
  if (Musics >= MaxMusic) return -1;
  std::shared_ptr<const std::vector<uint8_t>> piece;
  for (int32_t i = 0; i < Musics && !piece; ++i)
    if (MusicNameTable[i] == fileName) piece = MusicSlots[i].Piece;
  if (!piece) {
    const std::string path = SoundDir + fileName;
    auto bytes = std::make_shared<std::vector<uint8_t>>(ReadFileBytes(path, MidiMaxFileSize));
    ParseMidi(bytes->data(), bytes->size(), path);  // refuse it here rather than play silence
    piece = std::move(bytes);
  }
  const int32_t handle = Musics++;
  MusicSlots[handle] = {std::move(piece), VolumeToGain(Config.MusicVolume + volumeOffset)};
  MusicNameTable[handle] = fileName;
  return handle;
}

void PlayMusic(int32_t handle) {
  if (!ValidMusic(handle)) return;
  Playing = handle;
  if (!Running) return;
  SetMusicStreamGain(MusicSlots[handle].Gain);
  if (!PlayMidiPiece(*MusicSlots[handle].Piece)) return;
  if (MusicStreamActive())
    RestartMusicStream();  // the old piece's queued half second must not play first
  else
    StartMusicStream(RenderMidi);
}

void StopMusic(int32_t handle) {
  if (!ValidMusic(handle) || handle != Playing) return;
  Playing = -1;
  if (!Running) return;
  StopMusicStream();
  StopMidiPiece();
}

// ---------------------------------------------------------------------------------------------
// Sounds

int32_t LoadSound(const std::string& fileName, bool loop) {
  int32_t handle = -1;
  for (int32_t i = 0; i < Sounds && handle < 0; ++i)
    if (!SoundSlots[i].Used) handle = i;
  if (handle < 0) {
    if (Sounds >= MaxSounds) return -1;
    handle = Sounds;
  }

  int32_t original = -1;
  for (int32_t i = 0; i < Sounds && original < 0; ++i)
    if (i != handle && SoundSlots[i].Used && SoundNameTable[i] == fileName) original = i;

  TSoundSlot slot;
  slot.Used = true;
  slot.Gain = VolumeToGain(Config.SoundVolume);
  if (original >= 0) {
    slot.Loop = SoundSlots[original].Loop;
    slot.Voice = CloneVoice(SoundSlots[original].Voice);
  } else {
    const TWaveData wave = ReadWaveFile(SoundDir + fileName);  // may throw; nothing taken yet
    slot.Loop = loop;
    slot.Voice = VoiceForFile(wave, loop);
  }
  SetVoiceGain(slot.Voice, slot.Gain);

  SoundSlots[handle] = slot;
  SoundNameTable[handle] = fileName;
  Sounds = std::max(Sounds, handle + 1);
  return handle;
}

void PlaySound(int32_t handle) {
  if (ValidSound(handle)) PlayVoice(SoundSlots[handle].Voice);
}

void StopSound(int32_t handle) {
  if (ValidSound(handle)) StopVoice(SoundSlots[handle].Voice);
}

void StopAllSounds() {
  for (int32_t i = 0; i < Sounds; ++i)
    if (SoundSlots[i].Used) StopVoice(SoundSlots[i].Voice);
}

void SetSoundPosition(int32_t handle, const TVector& position, float scale) {
  if (ValidSound(handle))
    SetVoicePosition(SoundSlots[handle].Voice, position.x * scale, position.y * scale, position.z * scale);
}

void FreeSound(int32_t handle) {
  if (ValidSound(handle)) ReleaseSoundSlot(handle);
}

void FreeAllAudio() {
  if (Playing >= 0) StopMusic(Playing);
  for (int32_t i = 0; i < Sounds; ++i)
    if (SoundSlots[i].Used) ReleaseSoundSlot(i);
  MusicSlots.fill(TMusicSlot{});
  MusicNameTable.fill("");
  Musics = 0;
  Sounds = 0;
}

// ---------------------------------------------------------------------------------------------
// Queries

int32_t MusicCount() { return Musics; }
int32_t SoundCount() { return Sounds; }
const std::array<std::string, MaxMusic>& MusicNames() { return MusicNameTable; }
const std::array<std::string, MaxSounds>& SoundNames() { return SoundNameTable; }
int32_t PlayingMusic() { return Playing; }
float MusicGain(int32_t handle) { return ValidMusic(handle) ? MusicSlots[handle].Gain : 0.0f; }
float SoundGain(int32_t handle) { return ValidSound(handle) ? SoundSlots[handle].Gain : 0.0f; }
bool SoundLooping(int32_t handle) { return ValidSound(handle) && SoundSlots[handle].Loop; }

int SoundInstancesPlaying(int32_t handle) {
  return ValidSound(handle) ? VoiceInstancesPlaying(SoundSlots[handle].Voice) : 0;
}

bool SoundPlaying(int32_t handle) { return SoundInstancesPlaying(handle) > 0; }

bool SoundSourcePosition(int32_t handle, TVector& position) {
  return ValidSound(handle) && VoiceSourcePosition(SoundSlots[handle].Voice, position.x, position.y, position.z);
}

bool RenderAudio(int16_t* out, int frames) { return RenderAudioOutput(out, frames); }
