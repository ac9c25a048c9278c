// EngineSounds.cpp — the fighter's radial engine and the airship's diesels, as seamless loops.
//
// Every frequency in a loop makes a whole number of cycles over the loop's length and every
// filter runs circularly, so the end flows into the start with no seam.
#include "content/SoundForge.h"

#include <cmath>
#include <vector>

using namespace Synth;

namespace {

// A piston engine as the ear knows it: one exhaust pulse per cylinder firing, each cylinder a
// little different, with a propeller chopping the air at its blade rate.
struct TEngineDesign {
  double CycleHz;       // whole four-stroke cycles per second (half the crankshaft speed)
  int Cylinders;        // firings per cycle
  double PipeHz;        // exhaust pipe resonance that each pulse rings at
  double RingSeconds;   // how long that ring lasts
  double NoiseSeconds;  // the rasp of gas in each pulse
  double PropellerHz;   // blade passes per second
  double PropellerBandHz;
  double ExhaustCutoffHz;
  double CylinderSpread;  // how unequal the cylinders are: the source of the engine's throb
  double FiringSpread;    // how much one firing differs from the next
};

// One exhaust pulse: a decaying ring of the pipe and a burst of gas noise.
TBuffer ExhaustPulse(TRng& rng, const TEngineDesign& e, double pipeHz) {
  TBuffer out(static_cast<size_t>(Frames(4 * e.RingSeconds)));
  TOscillator ring;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = TimeOf(int(i));
    const double attack = std::min(1.0, t / 0.0005);
    out[i] = static_cast<float>(attack * (0.8 * ring.Sine(pipeHz) * std::exp(-t / e.RingSeconds) +
                                          0.5 * rng.Bipolar() * std::exp(-t / e.NoiseSeconds)));
  }
  return out;
}

// The exhaust over the whole loop: cylinders keep their own strength and pipe pitch, each
// firing varies a little, and the pulse train is filtered round the loop.
TBuffer Exhaust(TRng& rng, const TEngineDesign& e, int frames) {
  TBuffer out(static_cast<size_t>(frames));
  std::vector<double> strength, pipe;
  for (int c = 0; c < e.Cylinders; ++c) {
    strength.push_back(rng.Vary(1.0, e.CylinderSpread));
    pipe.push_back(rng.Vary(e.PipeHz, 0.04));
  }
  const double firingHz = e.CycleHz * e.Cylinders;
  const int firings = static_cast<int>(std::lround(TimeOf(frames) * firingHz));
  for (int k = 0; k < firings; ++k) {
    const int c = k % e.Cylinders;
    const double when = k / firingHz + rng.Range(-0.00012, 0.00012);
    Add(out, ExhaustPulse(rng, e, pipe[c]), Frames(when), strength[c] * rng.Vary(1.0, e.FiringSpread), true);
  }
  Filter(out, TFilterMode::Low, e.ExhaustCutoffHz, 0.6, true);
  Normalise(out, 0);
  return out;
}

// Air noise chopped by the blades: each pass is a soft swell rather than a sine, so the
// propeller throbs.
TBuffer Propeller(TRng& rng, const TEngineDesign& e, int frames) {
  TBuffer out = WhiteNoise(frames, rng);
  Filter(out, TFilterMode::Band, e.PropellerBandHz, 0.6, true);
  for (int i = 0; i < frames; ++i) {
    const double swell = 0.5 + 0.5 * std::cos(TwoPi * e.PropellerHz * TimeOf(i));
    out[i] *= static_cast<float>(0.25 + swell * swell * swell);
  }
  Normalise(out, 0);
  return out;
}

}  // namespace

TBuffer MakeFighterEngine() {
  TRng rng(0xE9610E1);
  constexpr double Seconds = 2.0;
  // 2640 rpm, nine cylinders (198 firings a second), a three-blade propeller on the crank.
  const TEngineDesign radial{22.0, 9, 340.0, 0.0035, 0.002, 132.0, 750.0, 2600.0, 0.3, 0.12};
  const int n = Frames(Seconds);
  TBuffer out = Exhaust(rng, radial, n);
  Saturate(out, 1.8);
  Add(out, Propeller(rng, radial, n), 0, 0.35);
  // The crankshaft's own hum, and a slow swell as the airflow changes: one cycle per loop.
  for (int i = 0; i < n; ++i) {
    const double t = TimeOf(i);
    out[i] += static_cast<float>(0.18 * std::sin(TwoPi * 44 * t) + 0.1 * std::sin(TwoPi * 88 * t + 1.0));
    out[i] *= static_cast<float>(1 + 0.07 * std::sin(TwoPi * t / Seconds));
  }
  Filter(out, TFilterMode::High, 35, 0.707, true);
  Normalise(out, EnginePeakDb);
  RotateToQuietStart(out);
  return out;
}

TBuffer MakeAirshipEngine() {
  TRng rng(0xE9610E2);
  constexpr double Seconds = 4.0;
  // Two six-cylinder diesels a little out of step (840 and 870 rpm), so their beat throbs
  // 1.5 times a second; each turns a four-blade propeller through a reduction gear.
  const TEngineDesign port{7.0, 6, 115.0, 0.011, 0.003, 14.0, 320.0, 900.0, 0.2, 0.08};
  const TEngineDesign starboard{7.25, 6, 123.0, 0.011, 0.003, 14.5, 300.0, 900.0, 0.2, 0.08};
  const int n = Frames(Seconds);
  TBuffer out = Exhaust(rng, port, n);
  Add(out, Exhaust(rng, starboard, n), 0, 0.85);
  Saturate(out, 1.5);
  Add(out, Propeller(rng, port, n), 0, 0.45);
  Add(out, Propeller(rng, starboard, n), 0, 0.4);
  // Reduction-gear whine, faint, on a whole number of cycles per loop.
  for (int i = 0; i < n; ++i) {
    const double t = TimeOf(i);
    out[i] += static_cast<float>(0.04 * std::sin(TwoPi * 336 * t) * (1 + 0.5 * std::sin(TwoPi * 1.5 * t)));
  }
  Filter(out, TFilterMode::Low, 1800, 0.707, true);
  Filter(out, TFilterMode::High, 30, 0.707, true);
  Normalise(out, EnginePeakDb);
  RotateToQuietStart(out);
  return out;
}
