// SoundForge.h — the game's sound effects, synthesised from oscillators, filtered noise and
// envelopes with fixed seeds.
//
// Every effect is mono at Synth::Rate, normalised below full scale so that many can sound at
// once. The loops (guns, both engines) are exactly periodic over their length and start at a
// quiet zero crossing; the one-shots start and end at silence.
#pragma once

#include "content/Synth.h"

#include <string>

// Peak levels in dB below full scale: the engines drone under everything else and the
// warning beep is a pure tone that carries without being loud.
constexpr double EffectPeakDb = -3.0;
constexpr double GunPeakDb = -4.0;
constexpr double EnginePeakDb = -10.0;
constexpr double BeepPeakDb = -8.0;

// The game fires one pair of shots every 120 ms while the trigger is held; the gun loop
// repeats eight pairs so that the ear does not catch the loop.
constexpr double GunPairSeconds = 0.12;
constexpr int GunPairsPerLoop = 8;

Synth::TBuffer MakeGunLoop();           // shoot.wav: twin guns firing
Synth::TBuffer MakeFighterEngine();     // eng.wav: a radial engine and propeller, looping
Synth::TBuffer MakeAirshipEngine();     // eng1.wav: two slow diesels and big propellers, looping
Synth::TBuffer MakeHeavyExplosion();    // explode.wav: blast, thump, debris and rolling rumble
Synth::TBuffer MakeHitExplosion();      // explode1.wav: a short crack on a metal hull
Synth::TBuffer MakeMissileFlight();     // missile.wav: launch thump and rocket motor, ~4 s
Synth::TBuffer MakeLockWarning();       // buzz.wav: two short beeps
Synth::TBuffer MakeTrooperDeath();      // die.wav: a cry, then the body hitting the ground

// The effect a file name under Sound/ stands for ("shoot.wav" ...); throws TFileError for a
// name it does not know.
Synth::TBuffer MakeSoundEffect(const std::string& fileName);

// Forge generator: writes the effect named by the relative path's file name.
void ForgeSound(const std::string& outPath, const std::string& relative);
