// WeaponSounds.cpp — gunfire, the heavy and the small explosion, and the missile's flight.
#include "content/SoundForge.h"

#include <cmath>

using namespace Synth;

namespace {

// The second gun of the pair fires a moment after the first: the flam makes it sound twin.
constexpr double TwinGunLagSeconds = 0.021;

TBuffer NoiseBurst(TRng& rng, double seconds, TFilterMode mode, double hz, double q,
                   double attack, double tau) {
  TBuffer out = WhiteNoise(Frames(seconds), rng);
  Filter(out, mode, hz, q);
  Shape(out, [=](double t) { return AttackDecay(t, attack, tau); });
  Normalise(out, 0);
  return out;
}

// One report of a gun: the muzzle crack, the blast body, a low punch, the air's short
// answer and the bolt clacking back. `pitch` scales the resonances so shots differ.
TBuffer GunReport(TRng& rng, double pitch) {
  constexpr double Seconds = 0.16;
  TBuffer out(static_cast<size_t>(Frames(Seconds)));
  Add(out, NoiseBurst(rng, Seconds, TFilterMode::High, 2200 * pitch, 0.7, 0.0002, 0.0025), 0, 0.55);
  Add(out, NoiseBurst(rng, Seconds, TFilterMode::Band, 1100 * pitch, 1.1, 0.0004, 0.014), 0, 1.0);
  TBuffer punch = Sweep(Seconds, [pitch](double t) { return pitch * (70 + 160 * std::exp(-t / 0.009)); });
  Shape(punch, [](double t) { return AttackDecay(t, 0.0006, 0.022); });
  Add(out, punch, 0, 0.75);
  Add(out, NoiseBurst(rng, Seconds, TFilterMode::Low, 650, 0.7, 0.002, 0.03), 0, 0.45);
  Add(out, NoiseBurst(rng, 0.03, TFilterMode::Band, 3400 * pitch, 5, 0.0003, 0.004), Frames(0.013), 0.22);
  Saturate(out, 1.8);
  return out;
}

// A ball of burning gas: noise whose brightness falls as it expands.
TBuffer Blast(TRng& rng, double seconds, double startHz, double endHz, double sweepTau, double tau) {
  TBuffer out = WhiteNoise(Frames(seconds), rng);
  Filter(out, TFilterMode::Low, [=](double t) { return endHz + (startHz - endHz) * std::exp(-t / sweepTau); }, 0.8);
  Shape(out, [=](double t) { return AttackDecay(t, 0.002, tau); });
  Normalise(out, 0);
  return out;
}

// A low sine falling in pitch, saturated so its harmonics carry on small speakers.
TBuffer Punch(double seconds, double startHz, double endHz, double sweepTau, double tau, double drive) {
  TBuffer out = Sweep(seconds, [=](double t) { return endHz + (startHz - endHz) * std::exp(-t / sweepTau); });
  Shape(out, [=](double t) { return AttackDecay(t, 0.003, tau); });
  Saturate(out, drive);
  return out;
}

}  // namespace

TBuffer MakeGunLoop() {
  TRng rng(0x5400701);
  TBuffer loop(static_cast<size_t>(Frames(GunPairSeconds * GunPairsPerLoop)));
  for (int pair = 0; pair < GunPairsPerLoop; ++pair) {
    // Slightly uneven timing and level: a real gun's rate and a real ear's view are never exact.
    const double start = pair * GunPairSeconds + rng.Range(-0.0015, 0.0015);
    Add(loop, GunReport(rng, rng.Vary(1.0, 0.05)), Frames(start), rng.Vary(1.0, 0.08), true);
    Add(loop, GunReport(rng, rng.Vary(0.9, 0.05)), Frames(start + TwinGunLagSeconds), rng.Vary(0.85, 0.08), true);
  }
  Filter(loop, TFilterMode::High, 45, 0.707, true);
  Filter(loop, TFilterMode::Low, 9000, 0.707, true);
  Normalise(loop, GunPeakDb);
  RotateToQuietStart(loop);
  return loop;
}

TBuffer MakeHeavyExplosion() {
  TRng rng(0xE0B1A57);
  constexpr double Seconds = 3.5;
  const int n = Frames(Seconds);
  TBuffer out(static_cast<size_t>(n));

  Add(out, NoiseBurst(rng, 0.05, TFilterMode::High, 1500, 0.7, 0.0003, 0.006), 0, 0.5);
  Add(out, Blast(rng, 2.0, 8000, 280, 0.15, 0.45), 0, 1.0);
  Add(out, NoiseBurst(rng, 1.5, TFilterMode::Band, 520, 0.7, 0.004, 0.3), 0, 0.45);
  Add(out, Punch(0.6, 95, 40, 0.05, 0.12, 3.0), 0, 0.55);
  // Secondary bursts: fuel and ammunition going up a moment after the first blast.
  Add(out, Blast(rng, 1.0, 3200, 180, 0.08, 0.2), Frames(0.17), 0.45);
  Add(out, Blast(rng, 0.8, 2400, 160, 0.08, 0.16), Frames(0.41), 0.3);

  // The rolling tail: deep noise swelling and ebbing at random, dying away over seconds.
  TBuffer rumble = WhiteNoise(n, rng);
  Filter(rumble, TFilterMode::Low, 180, 0.7);
  Filter(rumble, TFilterMode::Low, 260, 0.7);
  const TBuffer roll = SmoothNoise(n, 6, rng, false);
  const TBuffer swell = SmoothNoise(n, 1.5, rng, false);
  for (int i = 0; i < n; ++i) {
    const double t = TimeOf(i);
    const double motion = (0.6 + 0.4 * roll[i]) * (0.75 + 0.25 * swell[i]);
    rumble[i] *= static_cast<float>(motion * Smooth(t, 0.0, 0.15) * std::exp(-t / 1.2));
  }
  Normalise(rumble, 0);
  Add(out, rumble, 0, 0.75);

  // Debris: small sharp crackles, dense at first and thinning out.
  for (int k = 0; k < 60; ++k) {
    const double u = rng.Unit();
    const double when = 0.06 + 1.7 * u * u;
    TBuffer grain = NoiseBurst(rng, 0.02, TFilterMode::Band, rng.Range(1400, 4200), 3, 0.0003, 0.003);
    Add(out, grain, Frames(when), rng.Range(0.05, 0.14) * std::exp(-when / 0.8));
  }

  Saturate(out, 1.4);
  Filter(out, TFilterMode::High, 28, 0.707);
  Normalise(out, EffectPeakDb);
  FadeEdges(out, 0.001, 0.3);
  return out;
}

TBuffer MakeHitExplosion() {
  TRng rng(0xE0B1A58);
  constexpr double Seconds = 0.7;
  TBuffer out(static_cast<size_t>(Frames(Seconds)));
  Add(out, NoiseBurst(rng, 0.1, TFilterMode::Band, 2600, 0.8, 0.0003, 0.012), 0, 1.0);
  Add(out, NoiseBurst(rng, 0.03, TFilterMode::High, 4500, 0.7, 0.0002, 0.003), 0, 0.4);
  Add(out, Punch(0.3, 190, 80, 0.01, 0.03, 2.5), 0, 0.25);
  Add(out, Blast(rng, Seconds, 3500, 300, 0.06, 0.12), 0, 0.8);
  // The struck hull rings for a moment: inharmonic partials like a sheet of metal.
  const double partials[][3] = {{1130, 0.10, 0.09}, {1790, 0.08, 0.07}, {2870, 0.06, 0.05}, {4230, 0.04, 0.035}};
  for (const auto& p : partials) {
    TOscillator ring(rng.Unit());
    TBuffer tone(out.size());
    for (size_t i = 0; i < tone.size(); ++i)
      tone[i] = static_cast<float>(ring.Sine(p[0]) * AttackDecay(TimeOf(int(i)), 0.001, p[2]));
    Add(out, tone, 0, p[1]);
  }
  Saturate(out, 1.6);
  Filter(out, TFilterMode::High, 40, 0.707);
  Normalise(out, EffectPeakDb);
  FadeEdges(out, 0.0005, 0.08);
  return out;
}

TBuffer MakeMissileFlight() {
  TRng rng(0x3155113);
  constexpr double Seconds = 4.0;
  constexpr double Ignition = 0.04;  // the motor lights just after the launch thump
  const int n = Frames(Seconds);
  TBuffer out(static_cast<size_t>(n));

  Add(out, Punch(0.4, 130, 45, 0.03, 0.07, 2.0), 0, 0.7);
  Add(out, NoiseBurst(rng, 0.2, TFilterMode::Band, 900, 1.0, 0.001, 0.04), 0, 0.6);

  // The motor: a low roar and a high hiss, both darkening as the missile draws away, with
  // the flutter and crackle of burning propellant.
  TBuffer roar = WhiteNoise(n, rng);
  Filter(roar, TFilterMode::Low, [](double t) { return 1200 - 550 * Smooth(t, 0.2, Seconds); }, 0.7);
  TBuffer hiss = WhiteNoise(n, rng);
  Filter(hiss, TFilterMode::Band, [](double t) { return 3200 - 1400 * Smooth(t, 0.2, Seconds); }, 0.8);
  TBuffer crackle(static_cast<size_t>(n));
  for (double t = Ignition; t < Seconds; t += rng.Range(0.004, 0.018))
    Add(crackle, NoiseBurst(rng, 0.006, TFilterMode::High, 2500, 0.7, 0.0002, 0.0012), Frames(t), rng.Range(0.3, 1.0));
  const TBuffer flutter = SmoothNoise(n, 30, rng, false);
  TBuffer motor(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double t = TimeOf(i);
    // A surge as the motor catches, a slow fall as the distance grows, then burn-out.
    const double level = Smooth(t, Ignition, Ignition + 0.1) * (1 + 0.4 * std::exp(-(t - Ignition) / 0.15)) *
                         (1 - 0.45 * Smooth(t, 0.3, Seconds)) * (1 - Smooth(t, 2.7, Seconds));
    motor[i] = static_cast<float>(level * (roar[i] * 2.2 * (1 + 0.35 * flutter[i]) + hiss[i] * 0.3 + crackle[i] * 0.1));
  }
  Normalise(motor, 0);
  Add(out, motor, 0, 0.85);

  Saturate(out, 1.3);
  Filter(out, TFilterMode::High, 40, 0.707);
  Normalise(out, EffectPeakDb);
  FadeEdges(out, 0.001, 0.05);
  return out;
}
