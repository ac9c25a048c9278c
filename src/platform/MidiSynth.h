// MidiSynth.h — FluidSynth with a General-MIDI soundfont, rendering one looping piece on demand.
//
// The synth has no audio driver of its own: whoever plays the music pulls samples with
// RenderMidi, and the piece advances by the samples rendered, never by the wall clock, so a
// render is the same however fast the machine is. RenderMidi may run on another thread than
// the other calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int MidiRate = 44100;  // frames per second of what RenderMidi writes

// The soundfont to use: $QUINTARA_SOUNDFONT when it names a file, then Debian's TimGM6mb,
// then whatever default-GM.sf2 points at; "" when none exists.
std::string FindSoundFont();

// Creates the synth and loads the soundfont; false (and the synth stays closed) when either
// fails. Calling it while open does nothing and returns true.
bool OpenMidiSynth();
void CloseMidiSynth();
bool MidiSynthOpen();
std::string MidiSoundFont();  // the soundfont loaded, or ""

// Makes `piece` (a whole Standard MIDI File image; the synth keeps its own copy) the one
// playing, from its start, looping for ever. Notes of the previous piece are cut. False when
// the synth is closed or refuses the piece.
bool PlayMidiPiece(const std::vector<uint8_t>& piece);
void StopMidiPiece();  // notes are cut at once
bool MidiPiecePlaying();

// Writes `frames` frames of interleaved stereo 16-bit at MidiRate; silence when the synth is
// closed or nothing plays.
void RenderMidi(int16_t* out, int frames);
