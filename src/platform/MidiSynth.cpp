// MidiSynth.cpp — FluidSynth with a General-MIDI soundfont, rendering one looping piece on demand.
#include "platform/MidiSynth.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

namespace {

constexpr const char* DebianSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr const char* FallbackSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";
// FluidSynth's own default of 0.2 leaves General-MIDI pieces far quieter than the effects.
constexpr double SynthGain = 0.5;

struct TSynth {
  std::mutex Lock;  // the renderer and the main thread both drive the synth and its player
  fluid_settings_t* Settings = nullptr;
  fluid_synth_t* Synth = nullptr;
  fluid_player_t* Player = nullptr;
  std::string SoundFont;
};

TSynth Midi;

bool IsFile(const char* path) {
  struct stat info;
  return path != nullptr && *path != '\0' && ::stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// Only errors reach stderr; FluidSynth otherwise reports every loaded preset and setting.
void QuietLogs() {
  fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
  fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
  fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
}

void DropPlayer() {
  if (Midi.Player != nullptr) delete_fluid_player(Midi.Player);
  Midi.Player = nullptr;
  fluid_synth_all_sounds_off(Midi.Synth, -1);
  fluid_synth_system_reset(Midi.Synth);
}

void CloseLocked() {
  if (Midi.Player != nullptr) delete_fluid_player(Midi.Player);
  if (Midi.Synth != nullptr) delete_fluid_synth(Midi.Synth);
  if (Midi.Settings != nullptr) delete_fluid_settings(Midi.Settings);
  Midi.Player = nullptr;
  Midi.Synth = nullptr;
  Midi.Settings = nullptr;
  Midi.SoundFont.clear();
}

}  // namespace

std::string FindSoundFont() {
  const char* chosen = std::getenv("QUINTARA_SOUNDFONT");
  if (IsFile(chosen)) return chosen;
  if (IsFile(DebianSoundFont)) return DebianSoundFont;
  if (IsFile(FallbackSoundFont)) return FallbackSoundFont;
  return "";
}

bool OpenMidiSynth() {
  std::lock_guard lock(Midi.Lock);
  if (Midi.Synth != nullptr) return true;
  const std::string soundFont = FindSoundFont();
  if (soundFont.empty()) return false;

  QuietLogs();
  Midi.Settings = new_fluid_settings();
  if (Midi.Settings == nullptr) return false;
  fluid_settings_setnum(Midi.Settings, "synth.sample-rate", MidiRate);
  fluid_settings_setnum(Midi.Settings, "synth.gain", SynthGain);
  // The player's clock is the samples rendered, so a stalled main thread or a slow machine
  // delays the music as a whole instead of tearing its rhythm, and tests are repeatable.
  fluid_settings_setstr(Midi.Settings, "player.timing-source", "sample");
  fluid_settings_setint(Midi.Settings, "player.reset-synth", 1);
  Midi.Synth = new_fluid_synth(Midi.Settings);
  if (Midi.Synth == nullptr || fluid_synth_sfload(Midi.Synth, soundFont.c_str(), 1) == FLUID_FAILED) {
    CloseLocked();
    return false;
  }
  Midi.SoundFont = soundFont;
  return true;
}

void CloseMidiSynth() {
  std::lock_guard lock(Midi.Lock);
  CloseLocked();
}

bool MidiSynthOpen() {
  std::lock_guard lock(Midi.Lock);
  return Midi.Synth != nullptr;
}

std::string MidiSoundFont() {
  std::lock_guard lock(Midi.Lock);
  return Midi.SoundFont;
}

bool PlayMidiPiece(const std::vector<uint8_t>& piece) {
  std::lock_guard lock(Midi.Lock);
  if (Midi.Synth == nullptr || piece.empty()) return false;
  DropPlayer();
  Midi.Player = new_fluid_player(Midi.Synth);
  if (Midi.Player == nullptr) return false;
  if (fluid_player_add_mem(Midi.Player, piece.data(), piece.size()) != FLUID_OK ||
      fluid_player_set_loop(Midi.Player, -1) != FLUID_OK || fluid_player_play(Midi.Player) != FLUID_OK) {
    DropPlayer();
    return false;
  }
  return true;
}

void StopMidiPiece() {
  std::lock_guard lock(Midi.Lock);
  if (Midi.Synth != nullptr) DropPlayer();
}

bool MidiPiecePlaying() {
  std::lock_guard lock(Midi.Lock);
  return Midi.Player != nullptr && fluid_player_get_status(Midi.Player) == FLUID_PLAYER_PLAYING;
}

void RenderMidi(int16_t* out, int frames) {
  std::lock_guard lock(Midi.Lock);
  if (Midi.Synth == nullptr) {
    std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
    return;
  }
  fluid_synth_write_s16(Midi.Synth, frames, out, 0, 2, out, 1, 2);
}
