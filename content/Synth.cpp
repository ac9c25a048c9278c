// Synth.cpp — the forge's sound toolkit: generator, oscillators, filters, envelopes, buffers.
#include "content/Synth.h"

#include "core/WavFile.h"

#include <algorithm>
#include <cmath>

namespace Synth {

namespace {

// Cutoffs are kept below Nyquist so tan() in the filter stays finite.
constexpr double MaxCutoffFraction = 0.45;
constexpr double MinCutoff = 5.0;

// The quiet-start search looks at this much signal either side of a candidate start.
constexpr double QuietWindowSeconds = 0.002;

double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

TRng::TRng(uint64_t seed) {
  uint64_t z = seed + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  State = (z ^ (z >> 31)) | 1;  // xorshift must never hold zero
}

uint32_t TRng::Next() {
  State ^= State >> 12;
  State ^= State << 25;
  State ^= State >> 27;
  return static_cast<uint32_t>((State * 0x2545F4914F6CDD1Dull) >> 32);
}

double TRng::Unit() { return Next() * (1.0 / 4294967296.0); }
double TRng::Bipolar() { return Unit() * 2.0 - 1.0; }
double TRng::Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
double TRng::Vary(double value, double spread) { return value * (1.0 + spread * Bipolar()); }

TBuffer WhiteNoise(int frames, TRng& rng) {
  TBuffer out(static_cast<size_t>(frames));
  for (float& s : out) s = static_cast<float>(rng.Bipolar());
  return out;
}

TBuffer SmoothNoise(int frames, double perSecond, TRng& rng, bool circular) {
  TBuffer out(static_cast<size_t>(frames));
  if (frames == 0) return out;
  const int spans = std::max(1, static_cast<int>(std::lround(TimeOf(frames) * perSecond)));
  std::vector<double> points(static_cast<size_t>(spans + 1));
  for (double& p : points) p = rng.Bipolar();
  if (circular) points[spans] = points[0];
  const double framesPerSpan = static_cast<double>(frames) / spans;
  for (int i = 0; i < frames; ++i) {
    const double position = i / framesPerSpan;
    const int span = std::min(spans - 1, static_cast<int>(position));
    const double f = position - span;
    const double w = 0.5 - 0.5 * std::cos(Pi * f);
    out[i] = static_cast<float>(points[span] * (1 - w) + points[span + 1] * w);
  }
  return out;
}

float TSvf::Process(float in, double hz, double q, TFilterMode mode) {
  hz = std::clamp(hz, MinCutoff, MaxCutoffFraction * Rate);
  const double g = std::tan(Pi * hz / Rate);
  const double k = 1.0 / q;
  const double a1 = 1.0 / (1.0 + g * (g + k));
  const double a2 = g * a1;
  const double a3 = g * a2;
  const double v3 = in - Ic2;
  const double v1 = a1 * Ic1 + a2 * v3;
  const double v2 = Ic2 + a2 * Ic1 + a3 * v3;
  Ic1 = 2 * v1 - Ic1;
  Ic2 = 2 * v2 - Ic2;
  switch (mode) {
    case TFilterMode::Low: return static_cast<float>(v2);
    case TFilterMode::Band: return static_cast<float>(k * v1);
    case TFilterMode::High: return static_cast<float>(in - k * v1 - v2);
  }
  return 0.0f;
}

void Filter(TBuffer& buffer, TFilterMode mode, const TCurve& hz, double q, bool circular) {
  TSvf filter;
  if (circular)
    for (size_t i = 0; i < buffer.size(); ++i) filter.Process(buffer[i], hz(TimeOf(int(i))), q, mode);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = filter.Process(buffer[i], hz(TimeOf(int(i))), q, mode);
}

void Filter(TBuffer& buffer, TFilterMode mode, double hz, double q, bool circular) {
  Filter(buffer, mode, [hz](double) { return hz; }, q, circular);
}

double TOscillator::Advance(double hz) {
  const double before = Phase;
  Phase += hz / Rate;
  Phase -= std::floor(Phase);
  return before;
}

double TOscillator::Sine(double hz) { return std::sin(TwoPi * Advance(hz)); }

double TOscillator::Saw(double hz) {
  const double dt = hz / Rate;
  const double t = Advance(hz);
  return 2.0 * t - 1.0 - PolyBlep(t, dt);
}

double TOscillator::Square(double hz) {
  const double dt = hz / Rate;
  const double t = Advance(hz);
  double value = t < 0.5 ? 1.0 : -1.0;
  value += PolyBlep(t, dt);
  double t2 = t + 0.5;
  t2 -= std::floor(t2);
  return value - PolyBlep(t2, dt);
}

TBuffer Sweep(double seconds, const TCurve& hz) {
  TBuffer out(static_cast<size_t>(Frames(seconds)));
  TOscillator osc;
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<float>(osc.Sine(hz(TimeOf(int(i)))));
  return out;
}

double AttackDecay(double t, double attack, double tau) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / tau);
}

double Smooth(double t, double t0, double t1) {
  if (t <= t0) return 0;
  if (t >= t1) return 1;
  const double x = (t - t0) / (t1 - t0);
  return x * x * (3 - 2 * x);
}

void Shape(TBuffer& buffer, const TCurve& gain) {
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<float>(buffer[i] * gain(TimeOf(int(i))));
}

void Add(TBuffer& into, const TBuffer& sound, int at, double gain, bool wrap) {
  const int size = static_cast<int>(into.size());
  if (size == 0) return;
  for (size_t i = 0; i < sound.size(); ++i) {
    int index = at + static_cast<int>(i);
    if (wrap) index = ((index % size) + size) % size;
    else if (index < 0 || index >= size) continue;
    into[index] += static_cast<float>(sound[i] * gain);
  }
}

void Saturate(TBuffer& buffer, double drive) {
  const double norm = 1.0 / std::tanh(drive);
  for (float& s : buffer) s = static_cast<float>(std::tanh(drive * s) * norm);
}

void FadeEdges(TBuffer& buffer, double inSeconds, double outSeconds) {
  const int n = static_cast<int>(buffer.size());
  const int in = std::min(n, Frames(inSeconds));
  const int out = std::min(n, Frames(outSeconds));
  for (int i = 0; i < in; ++i) buffer[i] *= static_cast<float>(0.5 - 0.5 * std::cos(Pi * i / in));
  // The last sample lands exactly on zero.
  for (int i = 0; i < out; ++i)
    buffer[n - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(Pi * i / out));
}

void Normalise(TBuffer& buffer, double peakDb) {
  const double peak = Peak(buffer);
  if (peak <= 0) return;
  const double gain = std::pow(10.0, peakDb / 20.0) / peak;
  for (float& s : buffer) s = static_cast<float>(s * gain);
}

void RotateToQuietStart(TBuffer& loop) {
  const int n = static_cast<int>(loop.size());
  if (n < 2) return;
  const int w = std::max(1, Frames(QuietWindowSeconds));
  // Energy in a window centred on each frame, read round the loop.
  std::vector<double> prefix(static_cast<size_t>(n) * 3 + 1, 0.0);
  for (int i = 0; i < 3 * n; ++i) {
    const double s = loop[i % n];
    prefix[i + 1] = prefix[i] + s * s;
  }
  int best = 0;
  double bestScore = 1e300;
  for (int i = 0; i < n; ++i) {
    const float before = loop[(i + n - 1) % n];
    const float here = loop[i];
    const bool crossing = (before < 0 && here >= 0) || (before > 0 && here <= 0);
    if (!crossing || std::fabs(here) > std::fabs(before)) continue;
    const double energy = prefix[n + i + w + 1] - prefix[n + i - w];
    const double score = energy + std::fabs(here);
    if (score < bestScore) {
      bestScore = score;
      best = i;
    }
  }
  std::rotate(loop.begin(), loop.begin() + best, loop.end());
}

double Peak(const TBuffer& buffer) {
  double peak = 0;
  for (float s : buffer) peak = std::max(peak, static_cast<double>(std::fabs(s)));
  return peak;
}

double Rms(const TBuffer& buffer, int first, int count) {
  double sum = 0;
  int used = 0;
  for (int i = first; i < first + count && i < static_cast<int>(buffer.size()); ++i, ++used)
    sum += static_cast<double>(buffer[i]) * buffer[i];
  return used > 0 ? std::sqrt(sum / used) : 0.0;
}

std::vector<int16_t> ToPcm16(const TBuffer& buffer) {
  std::vector<int16_t> out(buffer.size());
  for (size_t i = 0; i < buffer.size(); ++i) {
    const long v = std::lround(static_cast<double>(buffer[i]) * 32767.0);
    out[i] = static_cast<int16_t>(std::clamp(v, -32767L, 32767L));
  }
  return out;
}

void WriteMonoWave(const std::string& path, const TBuffer& buffer) {
  const std::vector<int16_t> pcm = ToPcm16(buffer);
  WriteWavFile(path, pcm.data(), pcm.size(), 1, Rate);
}

}  // namespace Synth
