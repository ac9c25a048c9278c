// Globals.h — process-wide state shared by every screen: paths, window size, mouse buttons,
// the frame counter and the far clipping distance.
#pragma once

#include "core/Counter.h"
#include "core/VectMath.h"

#include <cstdint>
#include <string>

// Directories, each ending in "/". AppDir is the game's data tree: beside the executable, in the
// install's share directory, or the working directory (or --dir).
extern std::string AppDir;
extern std::string DataDir;     // AppDir + "Data/"
extern std::string PlayerDir;   // UserDir + "Player/": where profiles are written
extern std::string TextureDir;  // AppDir + "textures/"
extern std::string ShaderDir;   // AppDir + "shader/"
extern std::string SoundDir;    // AppDir + "Sound/"

// Where the user's own files are written (settings, profiles, bindings, screenshots): AppDir
// when it can be written, else the user's XDG data directory (core/UserFiles.h chooses).
extern std::string UserDir;

// Sets AppDir and every directory derived from it; a missing trailing "/" is added. UserDir
// becomes AppDir again, so a game tree set up by a test keeps its own files.
void SetAppDir(const std::string& dir);
// Sets UserDir and PlayerDir; a missing trailing "/" is added.
void SetUserDir(const std::string& dir);

extern int32_t ScreenWidth;
extern int32_t ScreenHeight;

// Bit 3 (value 8): left button down; bit 4 (value 16): right button down.
constexpr uint8_t MouseLeftBit = 8;
constexpr uint8_t MouseRightBit = 16;
extern uint8_t MouseButtons;

extern float FarPlane;  // far clipping distance of the perspective projection

// The projection the window set up, kept on the CPU: the frustum and overlay hit tests use it
// instead of reading it back from OpenGL.
extern TMatrix ProjectionMatrix;

// The model-view matrix last loaded with LoadModelView, kept on the CPU for the same reason:
// overlay sprites remember it for hit testing.
extern TMatrix ModelViewMatrix;
void LoadModelView(const TMatrix& matrix);

// The frame timer. Menus and level loading replace it with a fresh one so that loading time
// is not reported as a frame.
extern TCounter Counter;
void RestartCounter();
