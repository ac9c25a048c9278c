// MusicForge.cpp — the table of pieces and the forge generator that writes them.
#include "content/MusicForge.h"

#include "core/Error.h"
#include "core/MidiFile.h"

#include <filesystem>
#include <map>

const std::vector<std::string>& MusicFileNames() {
  static const std::vector<std::string> names = {"intro.mid",  "level1.mid", "level2.mid",
                                                 "level3.mid", "level4.mid", "level5.mid"};
  return names;
}

Music::TScore ComposePiece(const std::string& fileName) {
  static const std::map<std::string, Music::TScore (*)()> pieces = {
      {"intro.mid", ComposeIntro},   {"level1.mid", ComposeLevel1}, {"level2.mid", ComposeLevel2},
      {"level3.mid", ComposeLevel3}, {"level4.mid", ComposeLevel4}, {"level5.mid", ComposeLevel5},
  };
  const auto piece = pieces.find(fileName);
  if (piece == pieces.end()) throw TFileError(fileName, "no piece of music of that name");
  return piece->second();
}

void ForgeMusic(const std::string& outPath, const std::string& relative) {
  const std::string name = std::filesystem::path(relative).filename().string();
  WriteMidiFile(outPath, Music::ScoreToMidi(ComposePiece(name)));
}
