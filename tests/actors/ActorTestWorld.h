// ActorTestWorld.h — a small world for actor tests: the null GL table, a forged mission terrain,
// every pool, an eye that sees everything, a fixed frame time and seed. Actors are added in
// code; Step runs frames in the level's order (pairing, behaviours, shots, missiles, particles).
#pragma once

#include "actors/ActorUnit.h"
#include "actors/ActorWorld.h"
#include "actors/MissileUnit.h"
#include "actors/ShootUnit.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"
#include "render/SceneGlobals.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

class TTestEye final : public TEye {
public:
  TVector EyePoint() const override { return Point; }
  const TMatrix& CameraMatrix() const override { return View; }
  const TMatrix& ViewMatrix() const override { return View; }
  void SetShake(const TVector& offset) override { Shake = offset; ++Shakes; }

  TVector Point{0, 0, 10000};
  TMatrix View{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  TVector Shake{};
  int32_t Shakes = 0;
};

class TTestWorld final : public TWorld {
public:
  // terrain: a forged terrain file in Data/ ("lev1.srf").
  explicit TTestWorld(const std::string& terrain = "lev1.srf") {
    Surface = std::make_unique<TSurf>(DataDir + terrain, TSurfSettings{});
    Lights = std::make_unique<TLightBuffer>(nullptr, 0);
    Particles = std::make_unique<TParticleSystem>(TParticleView{&CameraMatrix, &Frustum}, 10000,
                                                  TVector{0, 0, -0.01f});
    Shots = std::make_unique<TShootBuffer>(*this);
    Missiles = std::make_unique<TMissileBuffer>(*this, DataDir + "rocket");
    // Planes every point is inside of: every sphere counts as visible.
    for (TPlane& plane : Frustum.planes) plane = {0, 0, 0, 1};
    Eye = &TestEye;
    TakeEye();
  }

  template <typename T>
  T& Add(std::unique_ptr<T> actor) {
    T& ref = *actor;
    Actors.push_back(std::move(actor));
    return ref;
  }

  // One frame in the level's order, every actor within view.
  void Step() {
    Counter.Elapsed = FrameMs;
    TakeEye();
    PairNearest();
    for (auto& actor : Actors)
      if (actor->Behaviour && actor->State != StateGone) actor->RunBehaviour();
    Lights->SwapBuffers();
    Shots->UpdateAndDraw();
    Missiles->UpdateAndDraw();
    Particles->UpdateAndDraw();
  }
  // Frames until done() or the frame limit; returns the frames run.
  template <typename F>
  int32_t StepUntil(F done, int32_t limit) {
    for (int32_t frame = 1; frame <= limit; ++frame) {
      Step();
      if (done()) return frame;
    }
    return limit;
  }

  TTestEye TestEye;
  int32_t FrameMs = 16;  // every frame's length
};

// Fixture: null table, the forged game tree, a 16 ms fixed frame, seed 1, shadows off.
class ActorTest : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    if (!std::filesystem::exists(DataDir + "lev1.srf")) GTEST_SKIP() << "no data forged";
    SavedConfig = Config;
    Config.Shadows = 0;
    Config.BumpMapping = 0;
    SetRandomSeed(1);
    Counter.Elapsed = 16;
  }
  void TearDown() override {
    World.reset();
    FreeAllAudio();
    ClearMeshCache();
    ClearTextureCache();
    ClearMotionCache();
    Config = SavedConfig;
  }
  TTestWorld& MakeWorld(const std::string& terrain = "lev1.srf") {
    World = std::make_unique<TTestWorld>(terrain);
    return *World;
  }

  TConfig SavedConfig{};
  std::unique_ptr<TTestWorld> World;
};
