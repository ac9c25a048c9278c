// ConfigUnit.h — the settings record (config.cfg), the usable display modes and the
// graphics capabilities found in the driver's extension string.
#pragma once

#include "platform/Window.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The exact 28-byte little-endian content of config.cfg; the padding bytes are kept as read.
struct TConfig {
  uint8_t DisplayMode;      // index into DisplayModes
  uint8_t Language;         // 0 English, 1 Slovak
  uint8_t Shadows;          // 0 off, 1 on
  uint8_t Pad3;
  int32_t ShadowMapSize;    // 0, 64, 128 or 256
  uint8_t Trilinear;        // 0 bilinear, 1 trilinear
  uint8_t Pad9[3];
  int32_t MouseSensitivity; // -20..20
  uint8_t InvertY;
  uint8_t UseMouse;         // mouse steering and buttons honoured; no control in the dialog
  uint8_t BumpMapping;
  uint8_t Pad19;
  int32_t MusicVolume;      // hundredths of a decibel, -4700..-700 from the dialog
  int32_t SoundVolume;      // hundredths of a decibel, -4500..-500 from the dialog
};

static_assert(sizeof(TConfig) == 28);
static_assert(offsetof(TConfig, DisplayMode) == 0);
static_assert(offsetof(TConfig, Language) == 1);
static_assert(offsetof(TConfig, Shadows) == 2);
static_assert(offsetof(TConfig, ShadowMapSize) == 4);
static_assert(offsetof(TConfig, Trilinear) == 8);
static_assert(offsetof(TConfig, MouseSensitivity) == 12);
static_assert(offsetof(TConfig, InvertY) == 16);
static_assert(offsetof(TConfig, UseMouse) == 17);
static_assert(offsetof(TConfig, BumpMapping) == 18);
static_assert(offsetof(TConfig, MusicVolume) == 20);
static_assert(offsetof(TConfig, SoundVolume) == 24);

extern TConfig Config;

TConfig DefaultConfig();

// Reads config.cfg into `config`: a missing file gives the defaults (nothing is written), a
// short one is read as far as it goes and the rest of `config` keeps its content. Returns
// whether the file existed. Throws TFileError when it exists but cannot be read.
bool LoadConfig(const std::string& path, TConfig& config);
// The same from bytes already read: at most 28 of them are taken.
void ParseConfig(const uint8_t* data, size_t size, TConfig& config);
void SaveConfig(const std::string& path, const TConfig& config);  // atomic

// Display modes: only those with more than 8 bits per pixel and at least 640 pixels wide,
// in the system's order. DisplayMode indexes this list and the dialog's lines alike.
extern std::vector<TDisplayMode> DisplayModes;
std::vector<TDisplayMode> FilterDisplayModes(const std::vector<TDisplayMode>& modes);
std::string DisplayModeLine(const TDisplayMode& mode);  // "1024 x 768 x 32 bit 85 Hz"
void ClampDisplayMode(TConfig& config, size_t modeCount);

// Capability flags, all off until DetectCapabilities runs.
extern bool VertexProgramSupported;
extern uint8_t VertexProgramKind;  // 1 ARB vertex programs, 0 EXT vertex shaders
extern bool BumpSupported;
extern bool EdgeClampSupported;
extern bool BorderClampSupported;

// True when `name` occurs in the blank-separated list as a whole word.
bool HasExtension(const char* extensions, const char* name);

using TProcLookup = void* (*)(const char* name);
// Sets the flags from the extension string (null when there is no context) and stores the
// active-texture and blend-colour entry points in the GL table.
void DetectCapabilities(const char* extensions, TProcLookup lookup);
