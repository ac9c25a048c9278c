// PlayerProfile.h — the player's profile record (Player/<name>, 257 bytes) and the name of the
// last player (Data/player.cfg, 256 bytes). Names are length-prefixed cp1250 strings.
#pragma once

#include <cstdint>
#include <string>

struct TPlayerRecord {
  uint8_t Name[256];  // byte 0 = length, then the name in cp1250
  uint8_t Progress;   // highest mission the player may choose, 1..5
};
static_assert(sizeof(TPlayerRecord) == 257);

constexpr int FirstMission = 1;
constexpr int LastMission = 5;

extern TPlayerRecord PlayerRecord;
// The mission the menu shows and starts (1..5; 6 for a moment after the last one).
extern int32_t CurrentLevel;

std::string GetShortString(const uint8_t* field, size_t available);  // at most 255 bytes
void SetShortString(uint8_t (&field)[256], const std::string& text);  // cut at 255 bytes

// Throws TFileError naming the file when it is missing, unreadable or shorter than 257 bytes.
// A Progress outside 1..5 is read as the nearest of them.
TPlayerRecord ReadProfile(const std::string& path);
TPlayerRecord ParseProfile(const uint8_t* data, size_t size, const std::string& path);
void WriteProfile(const std::string& path, const TPlayerRecord& record);  // atomic

// The name in player.cfg; empty when the file is missing or empty.
std::string ReadLastPlayer(const std::string& path);
void WriteLastPlayer(const std::string& path, const std::string& name);  // atomic, 256 bytes

// Why a cp1250 name cannot be a profile file's name, or empty when it can.
std::string PlayerNameProblem(const std::string& name);

// The part of a path after its last "/" (a chosen file's bare name).
std::string BarePlayerName(const std::string& path);
