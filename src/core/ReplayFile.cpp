// ReplayFile.cpp — encoding, checking and atomic writing of input recordings.
#include "core/ReplayFile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <cstring>

namespace {

constexpr char Magic[8] = {'Q', 'N', 'T', 'R', 'P', 'L', 'A', 'Y'};
constexpr int32_t FirstMission = 1, LastMission = 5;
// Magic, format version, version length; then mission, seed, step, frame count, end hash.
constexpr size_t HeadBytes = 8 + 4 + 1;
constexpr size_t FieldBytes = 4 + 4 + 4 + 4 + 8;
constexpr size_t ChecksumBytes = 4;
constexpr size_t MaxReplayBytes =
    HeadBytes + ReplayMaxVersionLength + FieldBytes + size_t{MaxReplayFrames} * ReplayFrameBytes + ChecksumBytes;

uint32_t Fnv1a32(const uint8_t* data, size_t size) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < size; ++i) {
    h ^= data[i];
    h *= 16777619u;
  }
  return h;
}

bool PrintableVersion(const std::string& v) {
  if (v.empty() || v.size() > ReplayMaxVersionLength) return false;
  for (char c : v)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

// Reads fields in order, refusing to step past the end.
class TReader {
public:
  TReader(const uint8_t* data, size_t size, const std::string& name) : Data(data), Size(size), Name(name) {}
  template <typename T>
  T Take(const char* what) {
    Need(sizeof(T), what);
    const T value = LoadLE<T>(Data + At);
    At += sizeof(T);
    return value;
  }
  void Need(size_t bytes, const char* what) const {
    if (Size - At < bytes) throw TFileError(Name, std::string("truncated in the ") + what);
  }
  const uint8_t* Here() const { return Data + At; }
  void Skip(size_t bytes) { At += bytes; }
  size_t Offset() const { return At; }

private:
  const uint8_t* Data;
  size_t Size;
  size_t At = 0;
  const std::string& Name;
};

template <typename T>
void Put(std::vector<uint8_t>& out, T value) {
  const size_t at = out.size();
  out.resize(at + sizeof(T));
  StoreLE(out.data() + at, value);
}

void PutBytes(std::vector<uint8_t>& out, const void* bytes, size_t size) {
  const size_t at = out.size();
  out.resize(at + size);
  std::memcpy(out.data() + at, bytes, size);
}

bool Deflection(float v) { return v >= -1.0f && v <= 1.0f; }  // false for not-a-number too

}  // namespace

std::vector<uint8_t> EncodeReplay(const TReplay& replay, const std::string& name) {
  if (!PrintableVersion(replay.Version)) throw TFileError(name, "the game version string is empty, too long or not printable");
  if (replay.Mission < FirstMission || replay.Mission > LastMission) throw TFileError(name, "mission out of range");
  if (replay.Step < 0 || replay.Step > MaxReplayStep) throw TFileError(name, "frame step out of range");
  if (replay.Frames.size() > MaxReplayFrames) throw TFileError(name, "too many frames");
  std::vector<uint8_t> out;
  out.reserve(HeadBytes + replay.Version.size() + FieldBytes + replay.Frames.size() * ReplayFrameBytes + ChecksumBytes);
  PutBytes(out, Magic, sizeof Magic);
  Put<uint32_t>(out, ReplayFormatVersion);
  Put<uint8_t>(out, static_cast<uint8_t>(replay.Version.size()));
  PutBytes(out, replay.Version.data(), replay.Version.size());
  Put<int32_t>(out, replay.Mission);
  Put<uint32_t>(out, replay.Seed);
  Put<int32_t>(out, replay.Step);
  Put<uint32_t>(out, static_cast<uint32_t>(replay.Frames.size()));
  Put<uint64_t>(out, replay.EndHash);
  for (const TReplayFrame& f : replay.Frames) {
    if (f.Ms > MaxReplayFrameMs) throw TFileError(name, "a frame time is out of range");
    if (f.Bits & ~ReplayKnownBits) throw TFileError(name, "a frame has unknown control bits");
    Put<uint32_t>(out, f.Ms);
    if (!Deflection(f.Turn) || !Deflection(f.Pitch)) throw TFileError(name, "a stick deflection is out of range");
    Put<uint16_t>(out, f.Bits);
    Put<float>(out, f.Turn);
    Put<float>(out, f.Pitch);
  }
  Put<uint32_t>(out, Fnv1a32(out.data(), out.size()));
  return out;
}

TReplay ParseReplay(const uint8_t* data, size_t size, const std::string& name) {
  if (!data && size > 0) throw TFileError(name, "no data");
  TReader r(data, size, name);
  r.Need(sizeof Magic, "header");
  if (std::memcmp(r.Here(), Magic, sizeof Magic) != 0) throw TFileError(name, "not a replay file");
  r.Skip(sizeof Magic);
  const auto format = r.Take<uint32_t>("header");
  if (format != ReplayFormatVersion)
    throw TFileError(name, "replay format " + std::to_string(format) + ", this game reads format " +
                               std::to_string(ReplayFormatVersion));
  const auto versionLength = r.Take<uint8_t>("header");
  if (versionLength == 0 || versionLength > ReplayMaxVersionLength) throw TFileError(name, "bad game version length");
  r.Need(versionLength, "game version");
  TReplay replay;
  replay.Version.assign(reinterpret_cast<const char*>(r.Here()), versionLength);
  r.Skip(versionLength);
  if (!PrintableVersion(replay.Version)) throw TFileError(name, "the game version string is not printable");
  replay.Mission = r.Take<int32_t>("header");
  replay.Seed = r.Take<uint32_t>("header");
  replay.Step = r.Take<int32_t>("header");
  const auto frames = r.Take<uint32_t>("header");
  replay.EndHash = r.Take<uint64_t>("header");
  if (replay.Mission < FirstMission || replay.Mission > LastMission)
    throw TFileError(name, "mission " + std::to_string(replay.Mission) + " does not exist");
  if (replay.Step < 0 || replay.Step > MaxReplayStep) throw TFileError(name, "frame step out of range");
  if (frames > MaxReplayFrames) throw TFileError(name, "frame count out of range");
  // The exact size is known now: a file of any other length is damaged, and the frames are not
  // allocated for a count the bytes cannot hold.
  const size_t expected = r.Offset() + size_t{frames} * ReplayFrameBytes + ChecksumBytes;
  if (size < expected) throw TFileError(name, "truncated: " + std::to_string(frames) + " frames announced");
  if (size > expected) throw TFileError(name, "unexpected bytes after the last frame");
  const uint32_t stored = LoadLE<uint32_t>(data + expected - ChecksumBytes);
  if (stored != Fnv1a32(data, expected - ChecksumBytes)) throw TFileError(name, "damaged (checksum mismatch)");
  replay.Frames.resize(frames);
  for (TReplayFrame& f : replay.Frames) {
    f.Ms = r.Take<uint32_t>("frames");
    f.Bits = r.Take<uint16_t>("frames");
    f.Turn = r.Take<float>("frames");
    f.Pitch = r.Take<float>("frames");
    if (f.Ms > MaxReplayFrameMs) throw TFileError(name, "a frame time is out of range");
    if (f.Bits & ~ReplayKnownBits) throw TFileError(name, "a frame has unknown control bits");
    if (!Deflection(f.Turn) || !Deflection(f.Pitch)) throw TFileError(name, "a stick deflection is out of range");
  }
  return replay;
}

TReplay ReadReplay(const std::string& path, int32_t expectedMission) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, MaxReplayBytes);
  TReplay replay = ParseReplay(bytes.data(), bytes.size(), path);
  if (replay.Version != GameVersion)
    throw TFileError(path, "recorded by \"" + replay.Version + "\", this is \"" + GameVersion + "\"");
  if (expectedMission >= FirstMission && expectedMission <= LastMission && replay.Mission != expectedMission)
    throw TFileError(path, "a replay of mission " + std::to_string(replay.Mission) + ", not of mission " +
                               std::to_string(expectedMission));
  return replay;
}

void WriteReplay(const std::string& path, const TReplay& replay) {
  const std::vector<uint8_t> bytes = EncodeReplay(replay, path);
  WriteFileAtomic(path, bytes.data(), bytes.size());
}
