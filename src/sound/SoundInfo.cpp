// SoundInfo.cpp — a readable summary of a .wav or .mid file, for qtool info.
#include "sound/SoundInfo.h"

#include "core/Error.h"
#include "core/MidiFile.h"
#include "sound/SoundUnit.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <set>
#include <utility>

namespace {

constexpr std::array<const char*, 128> GeneralMidiNames = {
    "Acoustic Grand Piano", "Bright Acoustic Piano", "Electric Grand Piano", "Honky-tonk Piano",
    "Electric Piano 1", "Electric Piano 2", "Harpsichord", "Clavinet",
    "Celesta", "Glockenspiel", "Music Box", "Vibraphone",
    "Marimba", "Xylophone", "Tubular Bells", "Dulcimer",
    "Drawbar Organ", "Percussive Organ", "Rock Organ", "Church Organ",
    "Reed Organ", "Accordion", "Harmonica", "Tango Accordion",
    "Acoustic Guitar (nylon)", "Acoustic Guitar (steel)", "Electric Guitar (jazz)", "Electric Guitar (clean)",
    "Electric Guitar (muted)", "Overdriven Guitar", "Distortion Guitar", "Guitar Harmonics",
    "Acoustic Bass", "Electric Bass (finger)", "Electric Bass (pick)", "Fretless Bass",
    "Slap Bass 1", "Slap Bass 2", "Synth Bass 1", "Synth Bass 2",
    "Violin", "Viola", "Cello", "Contrabass",
    "Tremolo Strings", "Pizzicato Strings", "Orchestral Harp", "Timpani",
    "String Ensemble 1", "String Ensemble 2", "Synth Strings 1", "Synth Strings 2",
    "Choir Aahs", "Voice Oohs", "Synth Choir", "Orchestra Hit",
    "Trumpet", "Trombone", "Tuba", "Muted Trumpet",
    "French Horn", "Brass Section", "Synth Brass 1", "Synth Brass 2",
    "Soprano Sax", "Alto Sax", "Tenor Sax", "Baritone Sax",
    "Oboe", "English Horn", "Bassoon", "Clarinet",
    "Piccolo", "Flute", "Recorder", "Pan Flute",
    "Blown Bottle", "Shakuhachi", "Whistle", "Ocarina",
    "Lead 1 (square)", "Lead 2 (sawtooth)", "Lead 3 (calliope)", "Lead 4 (chiff)",
    "Lead 5 (charang)", "Lead 6 (voice)", "Lead 7 (fifths)", "Lead 8 (bass + lead)",
    "Pad 1 (new age)", "Pad 2 (warm)", "Pad 3 (polysynth)", "Pad 4 (choir)",
    "Pad 5 (bowed)", "Pad 6 (metallic)", "Pad 7 (halo)", "Pad 8 (sweep)",
    "FX 1 (rain)", "FX 2 (soundtrack)", "FX 3 (crystal)", "FX 4 (atmosphere)",
    "FX 5 (brightness)", "FX 6 (goblins)", "FX 7 (echoes)", "FX 8 (sci-fi)",
    "Sitar", "Banjo", "Shamisen", "Koto",
    "Kalimba", "Bagpipe", "Fiddle", "Shanai",
    "Tinkle Bell", "Agogo", "Steel Drums", "Woodblock",
    "Taiko Drum", "Melodic Tom", "Synth Drum", "Reverse Cymbal",
    "Guitar Fret Noise", "Breath Noise", "Seashore", "Bird Tweet",
    "Telephone Ring", "Helicopter", "Applause", "Gunshot",
};

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Extension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

std::string DescribeWave(const std::string& path) {
  const TWaveData wave = ReadWaveFile(path);
  std::string text = path + ": WAVE, " + std::to_string(wave.FileChannels) +
                     (wave.FileChannels == 1 ? " channel, " : " channels, ") + std::to_string(wave.Rate) + " Hz, " +
                     std::to_string(wave.FileBits) + " bit, " + std::to_string(wave.Frames()) + " frames, " +
                     Format("%.3f s", wave.Seconds());
  return text + "\n";
}

std::string DivisionText(uint16_t division) {
  if ((division & 0x8000) == 0) return std::to_string(division) + " ticks per quarter note";
  return "SMPTE " + std::to_string(-static_cast<int8_t>(division >> 8)) + " fps x " +
         std::to_string(division & 0xFF) + " ticks per frame";
}

// The programs a track selects, plus the channels it plays on without a program change anywhere
// in the file (those sound as program 0, or as the standard kit on the drum channel).
std::string DescribePrograms(const TMidiTrack& track, const std::set<uint8_t>& programmedChannels) {
  std::vector<std::pair<uint8_t, uint8_t>> used;  // channel, program, in order of appearance
  std::set<uint8_t> defaultChannels;
  for (const TMidiEvent& e : track.Events) {
    if (e.Kind != TMidiEventKind::Channel) continue;
    if (e.Command() == 0xC0) {
      const std::pair<uint8_t, uint8_t> entry{e.Channel(), e.Data1};
      if (std::find(used.begin(), used.end(), entry) == used.end()) used.push_back(entry);
    } else if (e.Command() == 0x90 && e.Data2 > 0 && !programmedChannels.contains(e.Channel())) {
      defaultChannels.insert(e.Channel());
    }
  }
  for (uint8_t channel : defaultChannels) used.push_back({channel, 0});

  std::string text;
  for (const auto& [channel, program] : used) {
    text += "    channel " + std::to_string(channel + 1) + ": ";
    if (channel == MidiDrumChannel)
      text += "drums, kit " + std::to_string(program);
    else
      text += "program " + std::to_string(program) + " " + GeneralMidiNames[program];
    if (defaultChannels.contains(channel) && !programmedChannels.contains(channel)) text += " (no program change)";
    text += "\n";
  }
  return text.empty() ? "    no notes or programs\n" : text;
}

std::string DescribeMidi(const std::string& path) {
  const TMidiFile midi = ReadMidiFile(path);
  std::set<uint8_t> programmedChannels;
  for (const TMidiTrack& track : midi.Tracks)
    for (const TMidiEvent& e : track.Events)
      if (e.Kind == TMidiEventKind::Channel && e.Command() == 0xC0) programmedChannels.insert(e.Channel());

  std::string text = path + ": Standard MIDI File, format " + std::to_string(midi.Format) + ", " +
                     std::to_string(midi.Tracks.size()) + (midi.Tracks.size() == 1 ? " track, " : " tracks, ") +
                     DivisionText(midi.Division) + ", " + Format("%.3f s", MidiDurationSeconds(midi)) + "\n";
  for (size_t i = 0; i < midi.Tracks.size(); ++i) {
    const TMidiTrack& track = midi.Tracks[i];
    const std::string title = MidiTrackTitle(track);
    text += "  track " + std::to_string(i) + (title.empty() ? "" : " \"" + title + "\"") + ": " +
            std::to_string(track.Events.size()) + " events, " + std::to_string(MidiTrackLength(track)) + " ticks\n";
    text += DescribePrograms(track, programmedChannels);
  }
  return text;
}

}  // namespace

std::string DescribeSoundFile(const std::string& path) {
  const std::string ext = Extension(path);
  if (ext == "wav") return DescribeWave(path);
  if (ext == "mid" || ext == "midi") return DescribeMidi(path);
  throw TFileError(path, "not a .wav or .mid file");
}
