// MidiFile.cpp — Standard MIDI Files (.mid): a validating reader, a writer and the tempo map.
#include "core/MidiFile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr uint32_t MaxVarLength = 0x0FFFFFFF;  // four 7-bit groups
constexpr size_t ChunkHeaderSize = 8;
constexpr size_t MinHeaderLength = 6;

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
  return text;
}

uint32_t LoadBE32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
uint16_t LoadBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

void StoreBE32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void StoreBE16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void StoreVar(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t groups[4];
  int n = 0;
  do {
    groups[n++] = v & 0x7F;
    v >>= 7;
  } while (v != 0);
  while (n > 1) out.push_back(groups[--n] | 0x80);
  out.push_back(groups[0]);
}

// Program and channel-pressure messages carry one data byte, the others two.
int ChannelDataBytes(uint8_t status) {
  const uint8_t command = status & 0xF0;
  return (command == 0xC0 || command == 0xD0) ? 1 : 2;
}

// SMPTE divisions name a frame rate the tempo map cannot change; only the four standard ones exist.
double SmpteTicksPerSecond(uint16_t division) {
  const int frames = -static_cast<int8_t>(division >> 8);
  const int ticksPerFrame = division & 0xFF;
  const double rate = frames == 29 ? 29.97 : frames;
  return rate * ticksPerFrame;
}

// Returns an empty string when the division is usable, else the reason.
std::string DivisionProblem(uint16_t division) {
  if (division == 0) return "division is 0";
  if ((division & 0x8000) == 0) return "";
  const int frames = -static_cast<int8_t>(division >> 8);
  if (frames != 24 && frames != 25 && frames != 29 && frames != 30)
    return "SMPTE division with " + std::to_string(frames) + " frames per second";
  if ((division & 0xFF) == 0) return "SMPTE division with 0 ticks per frame";
  return "";
}

class TReader {
public:
  TReader(const uint8_t* p, const uint8_t* end, const std::string& name, const std::string& where)
      : P(p), End(end), Name(name), Where(where) {}

  bool AtEnd() const { return P >= End; }
  size_t Left() const { return static_cast<size_t>(End - P); }

  uint8_t Byte() {
    if (P >= End) Fail("ends inside an event");
    return *P++;
  }
  uint8_t Peek() const { return *P; }

  uint32_t Var() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const uint8_t b = Byte();
      value = (value << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return value;
    }
    Fail("a variable-length number runs past 4 bytes");
  }

  std::vector<uint8_t> Bytes(uint32_t count) {
    if (count > Left())
      Fail("an event of " + std::to_string(count) + " bytes runs past the end (" + std::to_string(Left()) +
           " left)");
    std::vector<uint8_t> bytes(P, P + count);
    P += count;
    return bytes;
  }

  size_t Offset(const uint8_t* base) const { return static_cast<size_t>(P - base); }

  [[noreturn]] void Fail(const std::string& reason) const { throw TFileError(Name, Where + ": " + reason); }

private:
  const uint8_t* P;
  const uint8_t* End;
  const std::string& Name;
  std::string Where;
};

TMidiTrack ParseTrack(const uint8_t* data, size_t size, const std::string& name, size_t index) {
  TReader in(data, data + size, name, "track " + std::to_string(index));
  TMidiTrack track;
  uint64_t tick = 0;
  uint8_t running = 0;
  while (!in.AtEnd()) {
    tick += in.Var();
    if (tick > std::numeric_limits<uint32_t>::max()) in.Fail("the track runs past 2^32 ticks");
    TMidiEvent event;
    event.Tick = static_cast<uint32_t>(tick);

    if (in.AtEnd()) in.Fail("ends after a delta time");
    uint8_t status = in.Peek();
    if (status >= 0x80) {
      in.Byte();
    } else {
      if (running == 0) in.Fail("data byte " + Hex(status) + " with no status to run on");
      status = running;
    }

    if (status < 0xF0) {
      running = status;
      event.Kind = TMidiEventKind::Channel;
      event.Status = status;
      const int count = ChannelDataBytes(status);
      uint8_t values[2] = {0, 0};
      for (int i = 0; i < count; ++i) {
        values[i] = in.Byte();
        if (values[i] >= 0x80) in.Fail("data byte " + Hex(values[i]) + " inside a channel message");
      }
      event.Data1 = values[0];
      event.Data2 = values[1];
    } else if (status == 0xF0 || status == 0xF7) {
      running = 0;  // sysex and meta events cancel running status
      event.Kind = TMidiEventKind::SysEx;
      event.Status = status;
      event.Data = in.Bytes(in.Var());
    } else if (status == 0xFF) {
      running = 0;
      event.Kind = TMidiEventKind::Meta;
      event.Status = in.Byte();
      event.Data = in.Bytes(in.Var());
      if (event.Status == MidiMetaTempo) {
        if (event.Data.size() != 3)
          in.Fail("tempo event of " + std::to_string(event.Data.size()) + " bytes, not 3");
        if (event.Data[0] == 0 && event.Data[1] == 0 && event.Data[2] == 0) in.Fail("tempo of 0");
      }
    } else {
      in.Fail("system message " + Hex(status) + " has no place in a file");
    }

    track.Events.push_back(std::move(event));
    // Whatever follows the end of track is padding some writers leave; it is not played.
    if (track.Events.back().Kind == TMidiEventKind::Meta && track.Events.back().Status == MidiMetaEndOfTrack)
      break;
  }
  return track;
}

void CheckEncodable(const TMidiEvent& e, const TMidiEvent* next, const std::string& name, size_t track) {
  const auto fail = [&](const std::string& reason) {
    throw TFileError(name, "track " + std::to_string(track) + ": " + reason);
  };
  switch (e.Kind) {
    case TMidiEventKind::Channel:
      if (e.Status < 0x80 || e.Status >= 0xF0) fail("channel event with status " + Hex(e.Status));
      if (e.Data1 >= 0x80 || (ChannelDataBytes(e.Status) == 2 && e.Data2 >= 0x80))
        fail("channel event with a data byte above 127");
      break;
    case TMidiEventKind::SysEx:
      if (e.Status != 0xF0 && e.Status != 0xF7) fail("sysex event with status " + Hex(e.Status));
      break;
    case TMidiEventKind::Meta:
      if (e.Status == MidiMetaTempo &&
          (e.Data.size() != 3 || (e.Data[0] == 0 && e.Data[1] == 0 && e.Data[2] == 0)))
        fail("tempo event that is not 3 bytes of a tempo above 0");
      if (e.Status == MidiMetaEndOfTrack && next != nullptr) fail("events after the end of track");
      break;
  }
  if (e.Data.size() > MaxVarLength) fail("payload too long");
}

struct TTempoChange {
  uint32_t Tick;
  uint32_t Tempo;  // microseconds per quarter note
};

void CollectTempos(const TMidiTrack& track, std::vector<TTempoChange>& out) {
  for (const TMidiEvent& e : track.Events)
    if (e.Kind == TMidiEventKind::Meta && e.Status == MidiMetaTempo && e.Data.size() == 3)
      out.push_back({e.Tick, (uint32_t(e.Data[0]) << 16) | (uint32_t(e.Data[1]) << 8) | e.Data[2]});
}

double TicksToSeconds(uint32_t endTick, std::vector<TTempoChange> tempos, uint16_t division) {
  if (division & 0x8000) return endTick / SmpteTicksPerSecond(division);
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TTempoChange& a, const TTempoChange& b) { return a.Tick < b.Tick; });
  double seconds = 0;
  uint32_t tick = 0;
  uint32_t tempo = MidiDefaultTempo;
  for (const TTempoChange& change : tempos) {
    if (change.Tick >= endTick) break;
    seconds += double(change.Tick - tick) * tempo / 1e6 / division;
    tick = change.Tick;
    tempo = change.Tempo;
  }
  return seconds + double(endTick - tick) * tempo / 1e6 / division;
}

TMidiEvent ChannelEvent(uint32_t tick, uint8_t command, uint8_t channel, uint8_t d1, uint8_t d2) {
  TMidiEvent e;
  e.Tick = tick;
  e.Kind = TMidiEventKind::Channel;
  e.Status = static_cast<uint8_t>(command | (channel & 0x0F));
  e.Data1 = d1 & 0x7F;
  e.Data2 = d2 & 0x7F;
  return e;
}

TMidiEvent MetaEvent(uint32_t tick, uint8_t type, std::vector<uint8_t> data) {
  TMidiEvent e;
  e.Tick = tick;
  e.Kind = TMidiEventKind::Meta;
  e.Status = type;
  e.Data = std::move(data);
  return e;
}

}  // namespace

TMidiFile ParseMidi(const uint8_t* data, size_t size, const std::string& nameForErrors) {
  const auto fail = [&](const std::string& reason) { throw TFileError(nameForErrors, reason); };
  if (size < ChunkHeaderSize + MinHeaderLength || std::memcmp(data, "MThd", 4) != 0)
    fail("not a MIDI file (no MThd header)");
  const uint32_t headerLength = LoadBE32(data + 4);
  if (headerLength < MinHeaderLength) fail("header chunk of " + std::to_string(headerLength) + " bytes");
  if (headerLength > size - ChunkHeaderSize)
    fail("header chunk of " + std::to_string(headerLength) + " bytes runs past the end of the file");

  TMidiFile midi;
  midi.Format = LoadBE16(data + 8);
  const uint16_t trackCount = LoadBE16(data + 10);
  midi.Division = LoadBE16(data + 12);
  if (midi.Format > 2) fail("unknown format " + std::to_string(midi.Format));
  if (trackCount == 0) fail("no tracks");
  if (midi.Format == 0 && trackCount != 1)
    fail("format 0 with " + std::to_string(trackCount) + " tracks");
  if (const std::string problem = DivisionProblem(midi.Division); !problem.empty()) fail(problem);

  size_t pos = ChunkHeaderSize + headerLength;
  while (midi.Tracks.size() < trackCount) {
    if (size - pos < ChunkHeaderSize)
      fail("the header promises " + std::to_string(trackCount) + " tracks but the file holds " +
           std::to_string(midi.Tracks.size()));
    const uint32_t length = LoadBE32(data + pos + 4);
    if (length > size - pos - ChunkHeaderSize)
      fail("chunk at byte " + std::to_string(pos) + " claims " + std::to_string(length) +
           " bytes, the file has " + std::to_string(size - pos - ChunkHeaderSize) + " left");
    const uint8_t* body = data + pos + ChunkHeaderSize;
    if (std::memcmp(data + pos, "MTrk", 4) == 0)
      midi.Tracks.push_back(ParseTrack(body, length, nameForErrors, midi.Tracks.size()));
    pos += ChunkHeaderSize + length;  // chunks of other types are skipped, as the format asks
  }
  return midi;
}

TMidiFile ReadMidiFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, MidiMaxFileSize);
  return ParseMidi(bytes.data(), bytes.size(), path);
}

std::vector<uint8_t> EncodeMidi(const TMidiFile& midi, const std::string& nameForErrors) {
  const auto fail = [&](const std::string& reason) { throw TFileError(nameForErrors, reason); };
  if (midi.Format > 2) fail("unknown format " + std::to_string(midi.Format));
  if (midi.Tracks.empty()) fail("no tracks");
  if (midi.Tracks.size() > 0xFFFF) fail("more than 65535 tracks");
  if (midi.Format == 0 && midi.Tracks.size() != 1)
    fail("format 0 with " + std::to_string(midi.Tracks.size()) + " tracks");
  if (const std::string problem = DivisionProblem(midi.Division); !problem.empty()) fail(problem);

  std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
  StoreBE32(out, MinHeaderLength);
  StoreBE16(out, midi.Format);
  StoreBE16(out, static_cast<uint16_t>(midi.Tracks.size()));
  StoreBE16(out, midi.Division);

  for (size_t t = 0; t < midi.Tracks.size(); ++t) {
    const std::vector<TMidiEvent>& events = midi.Tracks[t].Events;
    out.insert(out.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
    const size_t bodyStart = out.size();
    uint32_t tick = 0;
    for (size_t i = 0; i < events.size(); ++i) {
      const TMidiEvent& e = events[i];
      CheckEncodable(e, i + 1 < events.size() ? &events[i + 1] : nullptr, nameForErrors, t);
      if (e.Tick < tick) fail("track " + std::to_string(t) + ": events out of tick order");
      StoreVar(out, e.Tick - tick);
      tick = e.Tick;
      switch (e.Kind) {
        case TMidiEventKind::Channel:
          out.push_back(e.Status);
          out.push_back(e.Data1);
          if (ChannelDataBytes(e.Status) == 2) out.push_back(e.Data2);
          break;
        case TMidiEventKind::Meta:
          out.push_back(0xFF);
          out.push_back(e.Status);
          StoreVar(out, static_cast<uint32_t>(e.Data.size()));
          out.insert(out.end(), e.Data.begin(), e.Data.end());
          break;
        case TMidiEventKind::SysEx:
          out.push_back(e.Status);
          StoreVar(out, static_cast<uint32_t>(e.Data.size()));
          out.insert(out.end(), e.Data.begin(), e.Data.end());
          break;
      }
    }
    const bool ended = !events.empty() && events.back().Kind == TMidiEventKind::Meta &&
                       events.back().Status == MidiMetaEndOfTrack;
    if (!ended) out.insert(out.end(), {0x00, 0xFF, MidiMetaEndOfTrack, 0x00});
    const size_t length = out.size() - bodyStart;
    if (length > std::numeric_limits<uint32_t>::max()) fail("track " + std::to_string(t) + " too long");
    for (int i = 0; i < 4; ++i) out[bodyStart - 4 + i] = static_cast<uint8_t>(length >> (24 - 8 * i));
  }
  return out;
}

void WriteMidiFile(const std::string& path, const TMidiFile& midi) {
  const std::vector<uint8_t> bytes = EncodeMidi(midi, path);
  if (bytes.size() > MidiMaxFileSize)
    throw TFileError(path, "larger than " + std::to_string(MidiMaxFileSize) + " bytes, the game would refuse it");
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

TMidiEvent MidiNoteOn(uint32_t tick, uint8_t channel, uint8_t note, uint8_t velocity) {
  return ChannelEvent(tick, 0x90, channel, note, velocity);
}
TMidiEvent MidiNoteOff(uint32_t tick, uint8_t channel, uint8_t note) {
  return ChannelEvent(tick, 0x80, channel, note, 64);
}
TMidiEvent MidiProgram(uint32_t tick, uint8_t channel, uint8_t program) {
  return ChannelEvent(tick, 0xC0, channel, program, 0);
}
TMidiEvent MidiController(uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value) {
  return ChannelEvent(tick, 0xB0, channel, controller, value);
}
TMidiEvent MidiTempo(uint32_t tick, uint32_t microsecondsPerQuarter) {
  return MetaEvent(tick, MidiMetaTempo,
                   {static_cast<uint8_t>(microsecondsPerQuarter >> 16), static_cast<uint8_t>(microsecondsPerQuarter >> 8),
                    static_cast<uint8_t>(microsecondsPerQuarter)});
}
TMidiEvent MidiTrackName(uint32_t tick, const std::string& name) {
  return MetaEvent(tick, MidiMetaTrackName, std::vector<uint8_t>(name.begin(), name.end()));
}
TMidiEvent MidiEndOfTrack(uint32_t tick) { return MetaEvent(tick, MidiMetaEndOfTrack, {}); }

std::string MidiTrackTitle(const TMidiTrack& track) {
  for (const TMidiEvent& e : track.Events)
    if (e.Kind == TMidiEventKind::Meta && e.Status == MidiMetaTrackName)
      return std::string(e.Data.begin(), e.Data.end());
  return "";
}

uint32_t MidiTrackLength(const TMidiTrack& track) {
  return track.Events.empty() ? 0 : track.Events.back().Tick;
}

double MidiDurationSeconds(const TMidiFile& midi) {
  if (midi.Format == 2) {
    double longest = 0;
    for (const TMidiTrack& track : midi.Tracks) {
      std::vector<TTempoChange> tempos;
      CollectTempos(track, tempos);
      longest = std::max(longest, TicksToSeconds(MidiTrackLength(track), std::move(tempos), midi.Division));
    }
    return longest;
  }
  std::vector<TTempoChange> tempos;
  uint32_t end = 0;
  for (const TMidiTrack& track : midi.Tracks) {
    CollectTempos(track, tempos);
    end = std::max(end, MidiTrackLength(track));
  }
  return TicksToSeconds(end, std::move(tempos), midi.Division);
}
