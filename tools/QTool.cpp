// QTool.cpp — qtool: inspect and convert the game's data files.
#include "core/CapFile.h"
#include "core/Error.h"
#include "core/ImageConvert.h"
#include "sound/SoundInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

namespace {

std::string Extension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

std::string DescribeCap(const std::string& path) {
  constexpr int MissionStep = 33;  // milliseconds per sample in every mission
  std::vector<TMotionSample> samples = ReadCapFile(path);
  int fired = 0;
  for (const TMotionSample& s : samples) fired += s.Fire ? 1 : 0;
  const TMotionSample& first = samples.front();
  const TMotionSample& last = samples.back();
  char text[512];
  std::snprintf(text, sizeof text,
                "recorded path: %zu samples, %.1f s at %d ms a sample, guns fire in %d\n"
                "from (%.1f, %.1f, %.1f) to (%.1f, %.1f, %.1f)\n",
                samples.size(), (samples.size() - 1) * MissionStep / 1000.0, MissionStep, fired,
                first.Position.x, first.Position.y, first.Position.z, last.Position.x,
                last.Position.y, last.Position.z);
  return text;
}

int Info(const std::string& path) {
  const std::string ext = Extension(path);
  std::string text;
  if (ext == "cna" || ext == "bmp" || ext == "jpg" || ext == "jpeg" || ext == "str" || ext == "png")
    text = DescribeImageFile(path);
  else if (ext == "wav" || ext == "mid")
    text = DescribeSoundFile(path);
  else if (ext == "cap")
    text = DescribeCap(path);
  else
    throw TFileError(path, "unknown file type \"" + ext + "\"");
  std::printf("%s: %s", path.c_str(), text.c_str());
  if (!text.empty() && text.back() != '\n') std::printf("\n");
  return 0;
}

int Convert(const std::string& in, const std::string& out) {
  TRgbaImage image = ReadAnyImage(in);
  WriteAnyImage(out, image);
  std::printf("%s -> %s (%d x %d)\n", in.c_str(), out.c_str(), image.Width, image.Height);
  return 0;
}

const char* Usage() {
  return "Usage: qtool COMMAND ...\n"
         "  info FILE          summary of a .cna, .bmp, .jpg, .png, .str, .wav, .mid or .cap file\n"
         "  convert IN OUT     convert an image between PNG, CNA, BMP (24-bit) and JPEG\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) {
    std::fputs(Usage(), argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  try {
    if (command == "info" && argc == 3) return Info(argv[2]);
    if (command == "convert" && argc == 4) return Convert(argv[2], argv[3]);
  } catch (const TFileError& e) {
    std::fprintf(stderr, "qtool: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "qtool: bad command line\n%s", Usage());
  return 2;
}
