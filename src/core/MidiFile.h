// MidiFile.h — Standard MIDI Files (.mid): a validating reader, a writer and the tempo map.
//
// Conventions:
//   - Every event carries its absolute tick from the start of its track, not the delta the
//     file stores; the writer turns ticks back into deltas, so events must be in tick order.
//   - Channels are 0..15 as they travel in the status byte; General MIDI's drum channel
//     "channel 10" is index 9 here.
//   - A parsed track keeps its end-of-track meta event; the writer adds one when missing.
//   - Format 1 reads the tempo map from all tracks together, format 2 gives every track its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class TMidiEventKind : uint8_t { Channel, Meta, SysEx };

struct TMidiEvent {
  uint32_t Tick = 0;
  TMidiEventKind Kind = TMidiEventKind::Channel;
  // Channel: the full status byte 0x80..0xEF. Meta: the meta type. SysEx: 0xF0 or 0xF7.
  uint8_t Status = 0;
  uint8_t Data1 = 0;  // channel messages only; Data2 is unused by program and pressure changes
  uint8_t Data2 = 0;
  std::vector<uint8_t> Data;  // meta and sysex payload

  uint8_t Channel() const { return Status & 0x0F; }
  uint8_t Command() const { return Status & 0xF0; }
  friend bool operator==(const TMidiEvent&, const TMidiEvent&) = default;
};

struct TMidiTrack {
  std::vector<TMidiEvent> Events;
  friend bool operator==(const TMidiTrack&, const TMidiTrack&) = default;
};

struct TMidiFile {
  uint16_t Format = 1;  // 0 single track, 1 simultaneous tracks, 2 independent sequences
  // Bit 15 clear: ticks per quarter note. Set: SMPTE, high byte = -frames per second
  // (24, 25, 29 for 29.97 drop-frame, 30), low byte = ticks per frame.
  uint16_t Division = 480;
  std::vector<TMidiTrack> Tracks;
  friend bool operator==(const TMidiFile&, const TMidiFile&) = default;
};

// Meta event types the game reads or writes.
constexpr uint8_t MidiMetaTrackName = 0x03;
constexpr uint8_t MidiMetaEndOfTrack = 0x2F;
constexpr uint8_t MidiMetaTempo = 0x51;
constexpr uint8_t MidiDrumChannel = 9;
constexpr uint32_t MidiDefaultTempo = 500000;  // microseconds per quarter note (120 bpm)
// Game music is a few tens of kilobytes; a megabyte bounds the event lists a file can produce.
constexpr size_t MidiMaxFileSize = 1u << 20;

// Validates and decodes a whole file image; throws TFileError naming nameForErrors. Every
// chunk and event length is checked against the bytes that remain; chunks of unknown type are
// skipped; running status, sysex (including 0xF7 escapes) and meta events are understood.
TMidiFile ParseMidi(const uint8_t* data, size_t size, const std::string& nameForErrors);
TMidiFile ReadMidiFile(const std::string& path);

// Encodes with a full status byte on every channel event. Throws TFileError naming
// nameForErrors for what a reader would refuse: format 0 with other than one track, no
// tracks, division 0, events out of tick order, a channel event with a bad status or a data
// byte above 127, or a payload too long for a 28-bit length.
std::vector<uint8_t> EncodeMidi(const TMidiFile& midi, const std::string& nameForErrors);
void WriteMidiFile(const std::string& path, const TMidiFile& midi);  // atomic

// Event builders, for the forge and tests.
TMidiEvent MidiNoteOn(uint32_t tick, uint8_t channel, uint8_t note, uint8_t velocity);
TMidiEvent MidiNoteOff(uint32_t tick, uint8_t channel, uint8_t note);
TMidiEvent MidiProgram(uint32_t tick, uint8_t channel, uint8_t program);
TMidiEvent MidiController(uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value);
TMidiEvent MidiTempo(uint32_t tick, uint32_t microsecondsPerQuarter);
TMidiEvent MidiTrackName(uint32_t tick, const std::string& name);
TMidiEvent MidiEndOfTrack(uint32_t tick);

// The first track-name meta event's text, or "" when there is none.
std::string MidiTrackTitle(const TMidiTrack& track);
// The tick of the track's last event (its end of track).
uint32_t MidiTrackLength(const TMidiTrack& track);
// Playing time in seconds: up to the last event of the longest track for formats 0 and 1,
// the longest single sequence for format 2; tempo changes are honoured, SMPTE divisions are
// fixed-rate.
double MidiDurationSeconds(const TMidiFile& midi);
