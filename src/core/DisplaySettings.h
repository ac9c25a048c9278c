// DisplaySettings.h — full screen or a window of a chosen size, kept in its own small text
// file (display.cfg) beside the settings record, which has no room for it.
//
// The file is hand-editable, one line:
//   window = 1280x720     (a window of that size)
//   window = fullscreen   (full screen in the settings' display mode; the default)
#pragma once

#include <string>
#include <vector>

struct TDisplaySettings {
  bool FullScreen = true;
  int WindowWidth = 0;  // the window's size when not full screen
  int WindowHeight = 0;
  friend bool operator==(const TDisplaySettings&, const TDisplaySettings&) = default;
};

// Smallest and largest window the game opens; sizes outside are brought inside.
constexpr int MinWindowWidth = 640;
constexpr int MinWindowHeight = 480;
constexpr int MaxWindowSide = 16384;

// Reads the text; anything it cannot read leaves the default (full screen). Never throws.
TDisplaySettings ParseDisplaySettings(const std::string& text);
std::string FormatDisplaySettings(const TDisplaySettings& settings);
// A missing or unreadable file gives the default quietly.
TDisplaySettings LoadDisplaySettings(const std::string& path);
// Atomic; throws TFileError naming the file.
void SaveDisplaySettings(const std::string& path, const TDisplaySettings& settings);

// "1280x720".
std::string WindowSizeText(int width, int height);
struct TWindowSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TWindowSize&, const TWindowSize&) = default;
};
// Common window sizes (4:3, 16:10, 16:9, 21:9) that fit the desktop, smallest first, then the
// desktop's own size. Without a desktop size (0) every common size is offered.
std::vector<TWindowSize> WindowSizeChoices(int desktopWidth, int desktopHeight);
