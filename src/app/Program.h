// Program.h — program start: options, directories, the launcher or a direct start, the game.
#pragma once

int RunProgram(int argc, const char* const* argv);
