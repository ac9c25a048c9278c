// UserFiles.h — the user's own files (settings, last player, profiles, key bindings, display,
// screenshots): written to UserDir, read from it first and from the game's own copy after.
//
// One installed, read-only game tree serves every user: ChooseUserDir moves the user's files
// to the XDG data directory when AppDir cannot be written. The user directory mirrors the
// game tree's layout (Data/config.cfg, Data/player.cfg, Data/controls.cfg, Player/), so when
// the two are the same directory every path is the one the game has always used.
#pragma once

#include <string>

// Reading takes the user's copy when there is one, else the game's own (which may not exist
// either). Writing always names the user's copy and creates the folder it goes in; a folder
// that cannot be made is left for the write itself to report, naming the file.
enum class TFileUse { Read, Write };

std::string ConfigPath(TFileUse use);      // Data/config.cfg: the settings record
std::string LastPlayerPath(TFileUse use);  // Data/player.cfg: the last player's name
std::string BindingsPath(TFileUse use);    // Data/controls.cfg: the control bindings
std::string DisplayPath(TFileUse use);     // Data/display.cfg: full screen or a window's size
// Player/: the folder of profiles (the one the launcher lists and new profiles go in).
std::string PlayerDirPath(TFileUse use);
// Player/<name>: one profile; `name` is the profile's file name.
std::string ProfilePath(const std::string& name, TFileUse use);

// UserDir + "screenshots/".
std::string ScreenshotDir();
// ScreenshotDir() + "quintara-NNNN.png", numbered one past the highest shot already there (at
// least four digits, from 0001), so shots sort in the order they were taken even after some
// are deleted. Creates the folder.
std::string NextScreenshotPath();

// True when a file can be created in `dir` (tried with a temporary file, since permission bits
// do not tell about read-only mounts or another owner's tree).
bool CanWriteDirectory(const std::string& dir);

// Sets UserDir to appDir when the game's user files can be written there (appDir, and its
// Data/, Player/ and screenshots/ folders where they exist), else to userDataDir (created).
// An empty userDataDir keeps appDir: writes then fail with a message. Returns UserDir.
std::string ChooseUserDir(const std::string& appDir, const std::string& userDataDir);
// The same with the user's XDG data directory.
std::string ChooseUserDir(const std::string& appDir);
