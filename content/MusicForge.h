// MusicForge.h — the game's music: six General-MIDI pieces composed in code, one per screen
// or mission, each looping from its last bar back to its first.
#pragma once

#include "content/Compose.h"

#include <string>
#include <vector>

Music::TScore ComposeIntro();   // intro.mid: title and menus, D minor, mysterious and wide
Music::TScore ComposeLevel1();  // level1.mid: convoy escort, B-flat major march
Music::TScore ComposeLevel2();  // level2.mid: airfield raid, driving E minor rock
Music::TScore ComposeLevel3();  // level3.mid: balloon barrier, floating C minor in 6/8
Music::TScore ComposeLevel4();  // level4.mid: trap and escape, urgent G minor
Music::TScore ComposeLevel5();  // level5.mid: hunting convoys, stalking A dorian groove

// The file names under Sound/, in menu-then-mission order.
const std::vector<std::string>& MusicFileNames();
// The piece a file name stands for; throws TFileError for a name it does not know.
Music::TScore ComposePiece(const std::string& fileName);

// Forge generator: writes the piece named by the relative path's file name.
void ForgeMusic(const std::string& outPath, const std::string& relative);
