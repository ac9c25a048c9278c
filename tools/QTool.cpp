// QTool.cpp — qtool: inspect, convert and forge the game's data files, lay out pictures, render music.
#include "content/ContactSheet.h"
#include "content/Forge.h"
#include "core/CapFile.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/ImageConvert.h"
#include "core/MidiFile.h"
#include "core/SrfFile.h"
#include "core/WavFile.h"
#include "platform/MidiSynth.h"
#include "sound/SoundInfo.h"
#include "tools/HeightmapTool.h"
#include "tools/ModelTool.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

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
  TVector low = first.Position, high = first.Position;
  for (const TMotionSample& s : samples) {
    low = {std::min(low.x, s.Position.x), std::min(low.y, s.Position.y), std::min(low.z, s.Position.z)};
    high = {std::max(high.x, s.Position.x), std::max(high.y, s.Position.y), std::max(high.z, s.Position.z)};
  }
  char text[640];
  std::snprintf(text, sizeof text,
                "recorded path: %zu samples, %.1f s at %d ms a sample, guns fire in %d\n"
                "from (%.1f, %.1f, %.1f) to (%.1f, %.1f, %.1f)\n"
                "bounds (%.1f, %.1f, %.1f) .. (%.1f, %.1f, %.1f), relative to where it is played\n",
                samples.size(), (samples.size() - 1) * MissionStep / 1000.0, MissionStep, fired,
                first.Position.x, first.Position.y, first.Position.z, last.Position.x,
                last.Position.y, last.Position.z, low.x, low.y, low.z, high.x, high.y, high.z);
  return text;
}

// Grid, extents, heights and the texture table of a terrain file.
std::string DescribeSrf(const std::string& path) {
  const TSrf t = ReadSrfFile(path);
  int low = 255, high = 0;
  std::vector<int> uses(t.TextureNames.size(), 0);
  for (const TSrfCell& c : t.Cells) {
    low = std::min<int>(low, c.HeightStep);
    high = std::max<int>(high, c.HeightStep);
    ++uses[c.Texture];
  }
  char text[512];
  std::snprintf(text, sizeof text,
                "SRF %d x %d cells of %.1f x %.1f, map 0..%.1f x 0..%.1f, height scale %.3f\n"
                "heights: steps %d..%d, %.1f..%.1f units\n",
                t.Width, t.Height, t.CellSizeX, t.CellSizeY, t.Width * t.CellSizeX, t.Height * t.CellSizeY,
                t.HeightScale, low, high, low * t.HeightScale, high * t.HeightScale);
  std::string out = text;
  for (size_t i = 0; i < t.TextureNames.size(); ++i)
    out += "  texture " + std::to_string(i) + ": " + t.TextureNames[i] + (t.BlendFlags[i] ? ", blends" : "") + ", " +
           std::to_string(uses[i]) + " cells\n";
  return out;
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
  else if (ext == "msh")
    text = DescribeMshFile(path);
  else if (ext == "int")
    text = DescribeIntFile(path);
  else if (ext == "srf")
    text = DescribeSrf(path);
  else
    throw TFileError(path, "unknown file type \"" + ext + "\"");
  std::printf("%s: %s", path.c_str(), text.c_str());
  if (!text.empty() && text.back() != '\n') std::printf("\n");
  return 0;
}

// render-model NAME OUT.png [--alone] [--dir GAMEDIR]: the game directory is the working
// directory when it holds the mesh, else the one qtool sits in.
int RenderModelCommand(int argc, char** argv) {
  std::string dir, name, out;
  bool alone = false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--alone")
      alone = true;
    else if (arg == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else if (name.empty())
      name = arg;
    else if (out.empty())
      out = arg;
    else
      return 2;
  }
  if (name.empty() || out.empty()) return 2;
  if (dir.empty()) {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    dir = FileExists("Data/" + name + ".msh") || ec ? "." : exe.parent_path().string();
  }
  RenderModel(dir, name, out, alone);
  std::printf("%s: %s drawn from %s\n", out.c_str(), name.c_str(), dir.c_str());
  return 0;
}

int Convert(const std::string& in, const std::string& out) {
  TRgbaImage image = ReadAnyImage(in);
  WriteAnyImage(out, image);
  std::printf("%s -> %s (%d x %d)\n", in.c_str(), out.c_str(), image.Width, image.Height);
  return 0;
}

int Forge(const std::string& outDir) {
  const int written = RunForge(DefaultManifestPath(), outDir);
  std::printf("%d files written to %s\n", written, outDir.c_str());
  return 0;
}

// Every model of the data tree, drawn from its four angles, joins the pictures on the sheet.
std::vector<TSheetPicture> RenderedModels(const std::string& gameDir, const std::string& outPng) {
  std::vector<TSheetPicture> models;
  const std::string scratch = outPng + ".model.png";
  for (const TManifestEntry& entry : ReadManifest(DefaultManifestPath())) {
    const std::string& path = entry.Path;
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".msh") != 0) continue;
    const std::string name = path.substr(path.find_last_of('/') + 1, path.size() - path.find_last_of('/') - 5);
    RenderModel(gameDir, name, scratch, false);
    models.push_back({name + ".msh", ReadPng(scratch)});
  }
  std::remove(scratch.c_str());
  return models;
}

int Sheet(const std::string& gameDir, const std::string& outPng) {
  MakeContactSheet(gameDir, outPng, RenderedModels(gameDir, outPng));
  std::printf("%s: contact sheet of %s\n", outPng.c_str(), gameDir.c_str());
  return 0;
}

// Rendering runs a little past the piece's end so the listener hears the loop join.
constexpr double LoopPreviewSeconds = 6.0;
constexpr int RenderBlockFrames = 1024;

// A piece named on the command line: a path as given, else Sound/NAME in the working
// directory, else Sound/NAME beside qtool (the game directory).
std::string FindPiece(const std::string& name) {
  if (FileExists(name)) return name;
  if (FileExists("Sound/" + name)) return "Sound/" + name;
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::string beside = (exe.parent_path() / "Sound" / name).string();
  if (!ec && FileExists(beside)) return beside;
  throw TFileError(name, "no such piece, here or under Sound/");
}

int RenderMusic(const std::string& name, const std::string& outWav, double seconds) {
  const std::string path = FindPiece(name);
  const std::vector<uint8_t> bytes = ReadFileBytes(path, MidiMaxFileSize);
  const TMidiFile midi = ParseMidi(bytes.data(), bytes.size(), path);
  if (seconds <= 0) seconds = MidiDurationSeconds(midi) + LoopPreviewSeconds;
  if (!OpenMidiSynth()) throw TFileError(path, "no General-MIDI soundfont to render with");
  if (!PlayMidiPiece(bytes)) throw TFileError(path, "the synth refused the piece");
  const size_t frames = static_cast<size_t>(seconds * MidiRate);
  std::vector<int16_t> samples(frames * 2);
  for (size_t done = 0; done < frames; done += RenderBlockFrames)
    RenderMidi(samples.data() + 2 * done, static_cast<int>(std::min<size_t>(RenderBlockFrames, frames - done)));
  CloseMidiSynth();
  WriteWavFile(outWav, samples.data(), frames, 2, MidiRate);
  std::printf("%s -> %s (%.1f s, stereo, %d Hz, %s)\n", path.c_str(), outWav.c_str(), seconds, MidiRate,
              FindSoundFont().c_str());
  return 0;
}

const char* Usage() {
  return "Usage: qtool COMMAND ...\n"
         "  info FILE          summary of a .cna, .bmp, .jpg, .png, .str, .wav, .mid, .cap, .msh,\n"
         "                     .int or .srf file\n"
         "  convert IN OUT     convert an image between PNG, CNA, BMP (24-bit) and JPEG\n"
         "  forge OUTDIR       write the game's whole data tree under OUTDIR\n"
         "  sheet DIR OUT.png  every picture of the data tree in DIR on one contact sheet\n"
         "  render-music NAME OUT.wav [SECONDS]\n"
         "                     play a .mid (a path, or a name under Sound/) through the synth\n"
         "                     into a stereo wave; by default the whole piece and its loop join\n"
         "  heightmap LEVN.srf OUT.png [SIZE]\n"
         "                     the terrain as a shaded relief with the mission's placements\n"
         "                     (red enemy, blue allied, yellow neutral; squares stand on the\n"
         "                     ground, rings are dormant) and its recorded flights dotted over it\n"
         "  render-model NAME OUT.png [--alone] [--dir GAMEDIR]\n"
         "                     draw Data/NAME.msh from four angles (with the parts the game hangs\n"
         "                     on it unless --alone) and its key frames, on an offscreen context\n";
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
    if (command == "forge" && argc == 3) return Forge(argv[2]);
    if (command == "render-model" && argc >= 4) {
      if (RenderModelCommand(argc, argv) == 0) return 0;
    }
    if (command == "sheet" && argc == 4) return Sheet(argv[2], argv[3]);
    if (command == "heightmap" && (argc == 4 || argc == 5)) {
      const int size = argc == 5 ? std::atoi(argv[4]) : 1024;
      if (size < 64 || size > 8192) throw TFileError(argv[3], "picture size must be 64..8192");
      WriteHeightmap(argv[2], argv[3], size);
      std::printf("%s -> %s\n", argv[2], argv[3]);
      return 0;
    }
    if (command == "render-music" && (argc == 4 || argc == 5))
      return RenderMusic(argv[2], argv[3], argc == 5 ? std::atof(argv[4]) : 0.0);
  } catch (const TFileError& e) {
    std::fprintf(stderr, "qtool: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "qtool: bad command line\n%s", Usage());
  return 2;
}
