// GamePaths.h — where the game's data tree and the user's own files live, found from the
// running executable and the XDG environment rather than the working directory.
//
// Conventions: every directory returned ends in "/"; an empty string means "none found".
#pragma once

#include <string>

// The directory holding the running executable, from /proc/self/exe (SDL's base path when
// that link cannot be read).
std::string ExecutableDir();

// The game directory for an executable in exeDir: exeDir itself when it holds Data/ and
// textures/ (a build tree), else exeDir/../share/quintara when that does (an install), else
// workingDir (a game started from inside its data tree).
std::string FindGameDir(const std::string& exeDir, const std::string& workingDir);
// The same for this process.
std::string FindGameDir();

// The user's own data directory: xdgDataHome/quintara when xdgDataHome is an absolute path,
// else home/.local/share/quintara; empty when neither is usable.
std::string UserDataDir(const char* xdgDataHome, const char* home);
// The same from $XDG_DATA_HOME and $HOME.
std::string UserDataDir();
