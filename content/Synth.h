// Synth.h — the forge's sound toolkit: a seeded generator, oscillators, filters, envelopes and
// loop-safe processing over float sample buffers.
//
// Conventions:
//   - A buffer holds mono samples at Synth::Rate as floats, 1.0 being full scale. Times are
//     seconds, frequencies hertz, levels linear unless a name says dB.
//   - "Circular" processing treats a buffer as one period of a loop: a filter runs over it
//     twice and keeps only the second pass, so the state the end leaves is the state the
//     start sees; a sound added past the end wraps round to the start. A loop built only from
//     circular steps and functions periodic over its length has no seam.
//   - Everything is a pure function of its arguments and seeds (no clock, no std
//     distributions), so the forge writes the same bytes on every run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Synth {

constexpr int Rate = 44100;
constexpr double Pi = 3.14159265358979323846;
constexpr double TwoPi = 2 * Pi;

using TBuffer = std::vector<float>;
// A value that changes over time: cutoffs, pitches and gains as functions of seconds.
using TCurve = std::function<double(double seconds)>;

inline int Frames(double seconds) { return static_cast<int>(seconds * Rate + 0.5); }
inline double TimeOf(int frame) { return static_cast<double>(frame) / Rate; }

// xorshift64* seeded through splitmix64: small, fast and the same on every platform.
class TRng {
public:
  explicit TRng(uint64_t seed);
  uint32_t Next();
  double Unit();                           // [0, 1)
  double Bipolar();                        // [-1, 1)
  double Range(double lo, double hi);      // [lo, hi)
  double Vary(double value, double spread);  // value x (1 +- spread)

private:
  uint64_t State;
};

TBuffer WhiteNoise(int frames, TRng& rng);
// Random points `perSecond` apart joined by cosine curves, in [-1, 1]: a slow, smooth wander
// for flutter and rumble. Circular: the last stretch bends back to the first point.
TBuffer SmoothNoise(int frames, double perSecond, TRng& rng, bool circular);

// ---- Filters ------------------------------------------------------------------------------

enum class TFilterMode { Low, Band, High };

// A topology-preserving state-variable filter (12 dB/octave): stays stable while its cutoff
// moves every sample, which the sweeps of explosions and engines need. The band output has
// unity gain at the centre frequency.
class TSvf {
public:
  float Process(float in, double hz, double q, TFilterMode mode);

private:
  double Ic1 = 0, Ic2 = 0;
};

void Filter(TBuffer& buffer, TFilterMode mode, const TCurve& hz, double q, bool circular = false);
void Filter(TBuffer& buffer, TFilterMode mode, double hz, double q, bool circular = false);

// ---- Oscillators --------------------------------------------------------------------------

// A phase accumulator with band-limited (polyBLEP) edges, so bright waves do not alias.
class TOscillator {
public:
  explicit TOscillator(double phase = 0) : Phase(phase) {}
  double Sine(double hz);
  double Saw(double hz);
  double Square(double hz);

private:
  double Advance(double hz);  // returns the phase before the step, in [0, 1)
  double Phase;
};

// A sine whose frequency follows `hz` over `seconds`, e.g. the falling thump of a blast.
TBuffer Sweep(double seconds, const TCurve& hz);

// ---- Envelopes ----------------------------------------------------------------------------

// Linear rise over `attack`, then exponential fall with time constant `tau`; 0 before t = 0.
double AttackDecay(double t, double attack, double tau);
// 0 before t0, 1 after t1, a smooth S-curve between.
double Smooth(double t, double t0, double t1);

// ---- Buffers ------------------------------------------------------------------------------

// Multiplies every sample by gain(t).
void Shape(TBuffer& buffer, const TCurve& gain);
// Adds `sound` x gain starting at frame `at`; with wrap, what passes the end continues at
// the start (a loop), otherwise it is cut.
void Add(TBuffer& into, const TBuffer& sound, int at, double gain, bool wrap = false);
// Soft saturation tanh(drive x) / tanh(drive): rounds peaks, adds the grit of overload.
void Saturate(TBuffer& buffer, double drive);
// Short raised-cosine ramps so a one-shot starts and ends exactly at silence.
void FadeEdges(TBuffer& buffer, double inSeconds, double outSeconds);
// Scales so the largest magnitude sits at peakDb below full scale.
void Normalise(TBuffer& buffer, double peakDb);
// Rotates a loop so it starts at its quietest zero crossing; the loop itself is unchanged, but
// the first play starts without a click.
void RotateToQuietStart(TBuffer& loop);

double Peak(const TBuffer& buffer);
double Rms(const TBuffer& buffer, int first, int count);

// Rounds to 16-bit, clamping at full scale.
std::vector<int16_t> ToPcm16(const TBuffer& buffer);
// A mono 16-bit PCM wave at Rate.
void WriteMonoWave(const std::string& path, const TBuffer& buffer);

}  // namespace Synth
