// SoundForge.cpp — the effect table, the lock-on warning and the trooper's fall.
#include "content/SoundForge.h"

#include "core/Error.h"

#include <cmath>
#include <filesystem>
#include <map>

using namespace Synth;

namespace {

// Lock-on warning: two square-wave beeps, short enough to repeat every 800 ms with a gap.
constexpr double BeepHz = 1480.0;
constexpr double BeepSeconds = 0.075;
constexpr double BeepGapSeconds = 0.045;
constexpr double BeepEdgeSeconds = 0.004;  // ramps long enough to keep the tone from clicking

TBuffer Beep(double seconds) {
  TBuffer out(static_cast<size_t>(Frames(seconds)));
  TOscillator square, sine;
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<float>(0.6 * square.Square(BeepHz) + 0.4 * sine.Sine(2 * BeepHz));
  // Rounding off the square's upper harmonics leaves a firm but not shrill tone.
  Filter(out, TFilterMode::Low, 4200, 0.707);
  FadeEdges(out, BeepEdgeSeconds, BeepEdgeSeconds);
  return out;
}

// A vowel cry: a sawtooth voice through three formant resonances gliding from "ah" to "uh",
// its pitch jumping up in pain and falling away.
TBuffer Cry(TRng& rng) {
  constexpr double Seconds = 0.46;
  const int n = Frames(Seconds);
  const TBuffer wobble = SmoothNoise(n, 45, rng, false);
  const TBuffer rasp = SmoothNoise(n, 90, rng, false);
  TOscillator voice;
  TSvf tilt, breathFilter, f1, f2, f3;
  TBuffer out(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double t = TimeOf(i);
    const double pitch = (190 + 80 * Smooth(t, 0.0, 0.06) - 125 * Smooth(t, 0.08, Seconds)) * (1 + 0.03 * wobble[i]);
    const double source = tilt.Process(static_cast<float>(voice.Saw(pitch)), 2600, 0.6, TFilterMode::Low);
    const double breath = breathFilter.Process(static_cast<float>(rng.Bipolar()), 1800, 0.5, TFilterMode::High);
    const double excitation = source * (1 + 0.35 * rasp[i]) + 0.22 * breath;
    const double vowel = Smooth(t, 0.12, Seconds);  // 0 = "ah", 1 = "uh"
    const double a = f1.Process(static_cast<float>(excitation), 780 - 300 * vowel, 7, TFilterMode::Band);
    const double b = f2.Process(static_cast<float>(excitation), 1240 - 320 * vowel, 9, TFilterMode::Band);
    const double c = f3.Process(static_cast<float>(excitation), 2600 - 180 * vowel, 12, TFilterMode::Band);
    const double envelope = Smooth(t, 0.0, 0.03) * (1 - Smooth(t, 0.24, Seconds));
    out[i] = static_cast<float>((a + 0.6 * b + 0.35 * c) * envelope);
  }
  return out;
}

// A body landing on earth: a low falling thump and a short dull burst of noise.
TBuffer Thud(TRng& rng, double weight) {
  constexpr double Seconds = 0.3;
  TBuffer thump = Sweep(Seconds, [weight](double t) { return (55 + 90 * std::exp(-t / 0.015)) / weight; });
  Shape(thump, [](double t) { return AttackDecay(t, 0.002, 0.05); });
  TBuffer dirt = WhiteNoise(Frames(Seconds), rng);
  Filter(dirt, TFilterMode::Low, 380 / weight, 0.8);
  Shape(dirt, [](double t) { return AttackDecay(t, 0.001, 0.045); });
  Normalise(dirt, 0);
  Add(thump, dirt, 0, 0.9);
  return thump;
}

// Equipment rattling as the body lands: a handful of tiny resonant clicks.
TBuffer Rattle(TRng& rng) {
  TBuffer out(static_cast<size_t>(Frames(0.15)));
  for (int k = 0; k < 7; ++k) {
    TBuffer click = WhiteNoise(Frames(0.012), rng);
    Filter(click, TFilterMode::Band, rng.Range(2200, 3600), 5);
    Shape(click, [](double t) { return AttackDecay(t, 0.0003, 0.0025); });
    Add(out, click, Frames(rng.Range(0.0, 0.12)), rng.Range(0.4, 1.0));
  }
  return out;
}

}  // namespace

TBuffer MakeLockWarning() {
  TBuffer out(static_cast<size_t>(Frames(2 * BeepSeconds + BeepGapSeconds + 0.02)));
  const TBuffer beep = Beep(BeepSeconds);
  Add(out, beep, 0, 1.0);
  Add(out, beep, Frames(BeepSeconds + BeepGapSeconds), 1.0);
  Normalise(out, BeepPeakDb);
  return out;
}

TBuffer MakeTrooperDeath() {
  TRng rng(0xD1E0001);
  TBuffer out(static_cast<size_t>(Frames(1.2)));
  TBuffer cry = Cry(rng);
  Normalise(cry, 0);
  Add(out, cry, 0, 1.0);
  // The fall takes about a quarter of a second after the cry breaks off.
  TBuffer landing = Thud(rng, 1.0);
  Normalise(landing, 0);
  Add(out, landing, Frames(0.66), 0.95);
  TBuffer settle = Thud(rng, 0.8);
  Normalise(settle, 0);
  Add(out, settle, Frames(0.78), 0.4);
  TBuffer rattle = Rattle(rng);
  Normalise(rattle, 0);
  Add(out, rattle, Frames(0.67), 0.18);
  Filter(out, TFilterMode::High, 35, 0.707);
  Normalise(out, EffectPeakDb);
  FadeEdges(out, 0.002, 0.05);
  return out;
}

TBuffer MakeSoundEffect(const std::string& fileName) {
  static const std::map<std::string, TBuffer (*)()> effects = {
      {"shoot.wav", MakeGunLoop},          {"eng.wav", MakeFighterEngine},
      {"eng1.wav", MakeAirshipEngine},     {"explode.wav", MakeHeavyExplosion},
      {"explode1.wav", MakeHitExplosion},  {"missile.wav", MakeMissileFlight},
      {"buzz.wav", MakeLockWarning},       {"die.wav", MakeTrooperDeath},
  };
  const auto effect = effects.find(fileName);
  if (effect == effects.end()) throw TFileError(fileName, "no sound effect of that name");
  return effect->second();
}

void ForgeSound(const std::string& outPath, const std::string& relative) {
  WriteMonoWave(outPath, MakeSoundEffect(std::filesystem::path(relative).filename().string()));
}
