// PlayerProfile.cpp — profile and last-player files.
#include "core/PlayerProfile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <algorithm>
#include <cstring>

TPlayerRecord PlayerRecord{};
int32_t CurrentLevel = 1;

std::string GetShortString(const uint8_t* field, size_t available) {
  if (available == 0) return {};
  size_t length = std::min<size_t>(field[0], available - 1);
  return std::string(reinterpret_cast<const char*>(field + 1), length);
}

void SetShortString(uint8_t (&field)[256], const std::string& text) {
  std::memset(field, 0, sizeof field);
  size_t length = std::min<size_t>(text.size(), 255);
  field[0] = static_cast<uint8_t>(length);
  std::memcpy(field + 1, text.data(), length);
}

TPlayerRecord ReadProfile(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFilePrefix(path, sizeof(TPlayerRecord));
  return ParseProfile(bytes.data(), bytes.size(), path);
}

TPlayerRecord ParseProfile(const uint8_t* data, size_t size, const std::string& path) {
  if (size < sizeof(TPlayerRecord))
    throw TFileError(path, "profile is " + std::to_string(size) + " bytes long, not " +
                               std::to_string(sizeof(TPlayerRecord)));
  TPlayerRecord record;
  std::memcpy(&record, data, sizeof record);
  // A damaged progress byte would offer missions that do not exist (or none at all).
  record.Progress = static_cast<uint8_t>(std::clamp<int>(record.Progress, FirstMission, LastMission));
  return record;
}

void WriteProfile(const std::string& path, const TPlayerRecord& record) {
  WriteFileAtomic(path, &record, sizeof record);
}

std::string ReadLastPlayer(const std::string& path) {
  if (!FileExists(path)) return {};
  std::vector<uint8_t> bytes = ReadFilePrefix(path, 256);
  return GetShortString(bytes.data(), bytes.size());
}

void WriteLastPlayer(const std::string& path, const std::string& name) {
  uint8_t field[256];
  SetShortString(field, name);
  WriteFileAtomic(path, field, sizeof field);
}

std::string PlayerNameProblem(const std::string& name) {
  if (name.empty()) return "The player's name is empty.";
  if (name.size() > 255) return "The player's name is longer than 255 characters.";
  if (name == "." || name == "..") return "\"" + name + "\" cannot be a player's name.";
  for (unsigned char c : name) {
    if (c == '/' || c == '\\') return "The player's name must not contain \"/\" or \"\\\".";
    if (c < 32 || c == 127) return "The player's name must not contain control characters.";
  }
  return {};
}

std::string BarePlayerName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
