// FuzzMidi.cpp — libFuzzer target for the .mid reader: any input is refused or decoded, never a crash.
#include "core/Error.h"
#include "core/MidiFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMidiFile midi;
  try {
    midi = ParseMidi(data, size, "fuzz.mid");
  } catch (const TFileError&) {
    return 0;
  }
  if (midi.Tracks.empty()) __builtin_trap();  // the reader promised at least one track
  if (!(MidiDurationSeconds(midi) >= 0)) __builtin_trap();

  // Whatever the reader accepts the writer must write (a refusal escapes as a crash), and it
  // must read back the same, each track closed by an end of track.
  const auto bytes = EncodeMidi(midi, "fuzz.mid");
  const TMidiFile again = ParseMidi(bytes.data(), bytes.size(), "fuzz.mid");
  for (TMidiTrack& track : midi.Tracks)
    if (track.Events.empty() || track.Events.back().Kind != TMidiEventKind::Meta ||
        track.Events.back().Status != MidiMetaEndOfTrack)
      track.Events.push_back(MidiEndOfTrack(MidiTrackLength(track)));
  if (!(again == midi)) __builtin_trap();
  return 0;
}
