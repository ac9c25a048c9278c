// IntFile.cpp — the .int parameter files: a line-by-line number reader, range checks, writers.
#include "core/IntFile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Hands out the values of one line after another, naming the file and line in every refusal.
class TIntReader {
public:
  TIntReader(const std::string& text, const std::string& file) : File(file) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      Lines.push_back(std::move(line));
      start = end + 1;
    }
  }

  // The next line's first `count` numbers; `what` names them in errors.
  void Floats(float* out, int count, const char* what) {
    const std::string& line = NextLine(what);
    size_t pos = 0;
    for (int i = 0; i < count; ++i) {
      while (pos < line.size() && IsBlank(line[pos])) ++pos;
      if (pos == line.size()) Fail(what, "expected " + std::to_string(count) + " values, found " + std::to_string(i));
      float value = 0;
      const auto [end, ec] = std::from_chars(line.data() + pos, line.data() + line.size(), value);
      const size_t next = static_cast<size_t>(end - line.data());
      if (ec != std::errc() || (next < line.size() && !IsBlank(line[next])))
        Fail(what, "\"" + Token(line, pos) + "\" is not a number");
      if (!std::isfinite(value)) Fail(what, "\"" + Token(line, pos) + "\" is not a finite number");
      out[i] = value;
      pos = next;
    }
  }

  int32_t Integer(const char* what) {
    const std::string& line = NextLine(what);
    size_t pos = 0;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size()) Fail(what, "expected a whole number, the line is empty");
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(line.data() + pos, line.data() + line.size(), value);
    const size_t next = static_cast<size_t>(end - line.data());
    if (ec != std::errc() || (next < line.size() && !IsBlank(line[next])))
      Fail(what, "\"" + Token(line, pos) + "\" is not a whole number");
    return value;
  }

  // Range checks report against the line just read.
  void Require(bool ok, const char* what, const std::string& rule) {
    if (!ok) Fail(what, rule);
  }

private:
  const std::string& NextLine(const char* what) {
    if (Next >= Lines.size())
      throw TFileError(File, "line " + std::to_string(Next + 1) + " (" + what + ") is missing");
    return Lines[Next++];
  }
  [[noreturn]] void Fail(const char* what, const std::string& reason) const {
    throw TFileError(File, "line " + std::to_string(Next) + " (" + what + "): " + reason);
  }
  static std::string Token(const std::string& line, size_t pos) {
    size_t end = pos;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    return line.substr(pos, end - pos);
  }

  std::string File;
  std::vector<std::string> Lines;
  size_t Next = 0;
};

float ReadOne(TIntReader& in, const char* what) {
  float v = 0;
  in.Floats(&v, 1, what);
  return v;
}

TVector ReadPoint(TIntReader& in, const char* what) {
  float v[3];
  in.Floats(v, 3, what);
  return {v[0], v[1], v[2]};
}

// The ranges every layout shares. A reader checks each line as it goes; a writer checks a
// whole record through the same rules, so it never writes a file its reader refuses.
void CheckSpeed(TIntReader& in, float v) { in.Require(v >= 0, "speed", "a speed cannot be negative"); }
void CheckRadii(TIntReader& in, float r, float c) {
  in.Require(r > 0 && c > 0, "radius, collision radius", "radii must be above 0");
}
void CheckSize(TIntReader& in, float v) { in.Require(v >= 0, "size", "a size cannot be negative"); }
void CheckLife(TIntReader& in, float v) { in.Require(v > 0, "life", "life must be above 0"); }
void CheckDamage(TIntReader& in, float v, const char* what) {
  in.Require(v >= 0, what, "a damage cannot be negative");
}

// Every layout holds the body's radii, size, life and hit damage in this order.
template <typename T>
void ReadBodyLines(TIntReader& in, T& p) {
  float radii[2];
  in.Floats(radii, 2, "radius, collision radius");
  CheckRadii(in, radii[0], radii[1]);
  p.Radius = radii[0];
  p.CollisionRadius = radii[1];
  p.Size = ReadOne(in, "size");
  CheckSize(in, p.Size);
  p.Life = ReadOne(in, "life");
  CheckLife(in, p.Life);
  p.HitDamage = ReadOne(in, "hit damage");
  CheckDamage(in, p.HitDamage, "hit damage");
}

// Aircraft and airships open with the same six lines: speed, the body, collision damage.
template <typename T>
void ReadFlyerLines(TIntReader& in, T& p) {
  p.Speed = ReadOne(in, "speed");
  CheckSpeed(in, p.Speed);
  ReadBodyLines(in, p);
  p.CollisionDamage = ReadOne(in, "collision damage");
  CheckDamage(in, p.CollisionDamage, "collision damage");
}

TAircraftParams ReadAircraft(TIntReader& in) {
  TAircraftParams p;
  ReadFlyerLines(in, p);
  p.Gun1 = ReadPoint(in, "gun 1");
  p.Gun2 = ReadPoint(in, "gun 2");
  p.Exhaust1 = ReadPoint(in, "exhaust 1");
  p.Exhaust2 = ReadPoint(in, "exhaust 2");
  return p;
}

TAirshipParams ReadAirship(TIntReader& in) {
  TAirshipParams p;
  ReadFlyerLines(in, p);
  return p;
}

TBuildingParams ReadBuilding(TIntReader& in) {
  TBuildingParams p;
  ReadBodyLines(in, p);
  p.Side = in.Integer("side");
  in.Require(p.Side >= 0 && p.Side <= 2, "side", "the side must be 0 (neutral), 1 or 2");
  return p;
}

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, IntMaxFileSize);
  return std::string(bytes.begin(), bytes.end());
}

// ---- Writing -------------------------------------------------------------------------------

std::string Number(float v) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, ec == std::errc() ? end : buffer);
}

// The values, then the comment in a column of its own so the file reads as a table.
void Line(std::string& out, const std::vector<std::string>& values, const char* comment) {
  constexpr size_t CommentColumn = 28;
  std::string line;
  for (size_t i = 0; i < values.size(); ++i) line += (i ? " " : "") + values[i];
  line.resize(std::max(line.size() + 2, CommentColumn), ' ');
  out += line + comment + "\n";
}

std::vector<std::string> Point(const TVector& v) { return {Number(v.x), Number(v.y), Number(v.z)}; }

template <class TParams>
void WriteChecked(const std::string& path, const std::string& text, TParams (*parse)(const std::string&, const std::string&)) {
  parse(text, path);
  WriteFileAtomic(path, text.data(), text.size());
}

}  // namespace

TAircraftParams ParseAircraftInt(const std::string& text, const std::string& nameForErrors) {
  TIntReader in(text, nameForErrors);
  return ReadAircraft(in);
}

TAirshipParams ParseAirshipInt(const std::string& text, const std::string& nameForErrors) {
  TIntReader in(text, nameForErrors);
  return ReadAirship(in);
}

TBuildingParams ParseBuildingInt(const std::string& text, const std::string& nameForErrors) {
  TIntReader in(text, nameForErrors);
  return ReadBuilding(in);
}

TAircraftParams ReadAircraftIntFile(const std::string& path) { return ParseAircraftInt(ReadText(path), path); }
TAirshipParams ReadAirshipIntFile(const std::string& path) { return ParseAirshipInt(ReadText(path), path); }
TBuildingParams ReadBuildingIntFile(const std::string& path) { return ParseBuildingInt(ReadText(path), path); }

std::string EncodeAircraftInt(const TAircraftParams& p) {
  std::string out;
  Line(out, {Number(p.Speed)}, "speed, units per ms");
  Line(out, {Number(p.Radius), Number(p.CollisionRadius)}, "radius, collision radius");
  Line(out, {Number(p.Size)}, "size: explosion scale and impact dealt");
  Line(out, {Number(p.Life)}, "life");
  Line(out, {Number(p.HitDamage)}, "life lost per gun hit (x20 per missile)");
  Line(out, {Number(p.CollisionDamage)}, "life lost per unit of impact");
  Line(out, Point(p.Gun1), "gun 1 muzzle, model space");
  Line(out, Point(p.Gun2), "gun 2 muzzle, model space");
  Line(out, Point(p.Exhaust1), "exhaust 1, model space");
  Line(out, Point(p.Exhaust2), "exhaust 2, model space");
  return out;
}

std::string EncodeAirshipInt(const TAirshipParams& p) {
  std::string out;
  Line(out, {Number(p.Speed)}, "speed, units per ms");
  Line(out, {Number(p.Radius), Number(p.CollisionRadius)}, "radius, collision radius");
  Line(out, {Number(p.Size)}, "size: explosion scale and impact dealt");
  Line(out, {Number(p.Life)}, "life");
  Line(out, {Number(p.HitDamage)}, "life lost per gun hit (x20 per missile) and per collision");
  Line(out, {Number(p.CollisionDamage)}, "collision damage");
  return out;
}

std::string EncodeBuildingInt(const TBuildingParams& p) {
  std::string out;
  Line(out, {Number(p.Radius), Number(p.CollisionRadius)}, "radius, collision radius");
  Line(out, {Number(p.Size)}, "size: explosion scale and impact dealt");
  Line(out, {Number(p.Life)}, "life");
  Line(out, {Number(p.HitDamage)}, "life lost per gun hit (x20 per missile)");
  Line(out, {std::to_string(p.Side)}, "side: 0 neutral, 1 allied, 2 enemy");
  return out;
}

void WriteAircraftIntFile(const std::string& path, const TAircraftParams& p) {
  WriteChecked(path, EncodeAircraftInt(p), ParseAircraftInt);
}
void WriteAirshipIntFile(const std::string& path, const TAirshipParams& p) {
  WriteChecked(path, EncodeAirshipInt(p), ParseAirshipInt);
}
void WriteBuildingIntFile(const std::string& path, const TBuildingParams& p) {
  WriteChecked(path, EncodeBuildingInt(p), ParseBuildingInt);
}
