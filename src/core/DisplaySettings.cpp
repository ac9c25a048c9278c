// DisplaySettings.cpp — display.cfg: reading, writing and the window sizes offered.
#include "core/DisplaySettings.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace {

constexpr size_t MaxDisplayFileSize = 4096;  // a line or two; anything larger is not ours
constexpr const char* WindowKey = "window";
constexpr const char* FullScreenValue = "fullscreen";

constexpr TWindowSize CommonSizes[] = {
    {640, 480},   {800, 600},   {1024, 768},  {1280, 720},  {1280, 800},  {1366, 768},
    {1440, 900},  {1600, 900},  {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1080},
    {2560, 1440}, {3440, 1440}, {3840, 2160},
};

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

bool ParseSide(const std::string& text, int& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  return ParseSide(text.substr(0, x), width) && ParseSide(text.substr(x + 1), height);
}

}  // namespace

TDisplaySettings ParseDisplaySettings(const std::string& text) {
  TDisplaySettings settings;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    line = Trim(line.substr(0, line.find('#')));
    const size_t equals = line.find('=');
    if (equals == std::string::npos || Trim(line.substr(0, equals)) != WindowKey) continue;
    const std::string value = Trim(line.substr(equals + 1));
    int width = 0, height = 0;
    if (value == FullScreenValue) {
      settings.FullScreen = true;
    } else if (ParseSize(value, width, height)) {
      settings.FullScreen = false;
      settings.WindowWidth = std::clamp(width, MinWindowWidth, MaxWindowSide);
      settings.WindowHeight = std::clamp(height, MinWindowHeight, MaxWindowSide);
    }
  }
  return settings;
}

std::string FormatDisplaySettings(const TDisplaySettings& s) {
  std::string text = "# Quintara display: window = fullscreen, or window = WIDTHxHEIGHT\n";
  text += std::string(WindowKey) + " = ";
  text += s.FullScreen || s.WindowWidth <= 0 || s.WindowHeight <= 0
              ? std::string(FullScreenValue)
              : WindowSizeText(s.WindowWidth, s.WindowHeight);
  return text + "\n";
}

TDisplaySettings LoadDisplaySettings(const std::string& path) {
  if (!FileExists(path)) return {};
  try {
    const std::vector<uint8_t> bytes = ReadFileBytes(path, MaxDisplayFileSize);
    return ParseDisplaySettings(std::string(bytes.begin(), bytes.end()));
  } catch (const TFileError&) {
    return {};
  }
}

void SaveDisplaySettings(const std::string& path, const TDisplaySettings& settings) {
  const std::string text = FormatDisplaySettings(settings);
  WriteFileAtomic(path, text.data(), text.size());
}

std::string WindowSizeText(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

std::vector<TWindowSize> WindowSizeChoices(int desktopWidth, int desktopHeight) {
  std::vector<TWindowSize> sizes;
  const bool known = desktopWidth > 0 && desktopHeight > 0;
  for (const TWindowSize& size : CommonSizes) {
    if (known && (size.Width > desktopWidth || size.Height > desktopHeight)) continue;
    if (known && size.Width == desktopWidth && size.Height == desktopHeight) continue;
    sizes.push_back(size);
  }
  if (known) sizes.push_back({desktopWidth, desktopHeight});
  return sizes;
}
