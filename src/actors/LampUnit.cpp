// LampUnit.cpp — loading a lamp, its glow and its light.
#include "actors/LampUnit.h"

#include "core/Texture.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"
#include "render/SceneGlobals.h"

namespace {

constexpr float LampRadius = 120.0f;
constexpr float LampCollisionRadius = 100.0f;
constexpr float LampLife = 1.0f;
constexpr float LampSize = 100.0f;

}  // namespace

TLamp::TLamp(TWorld& level) : TBuilding(level, ShadowClass::Lamp) {
  // Nothing ever took a lamp onto the type counters, so its end must not take one off.
  Counted = false;
}

void TLamp::LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                      int32_t /*typeIndex*/) {
  GlowTexture = LoadTexture("star.cna");
  GroundUnit = 0;
  Mesh.LoadFromFile(name + ".msh", LightSpaceMatrix);
  MeshName = name;
  Position = position;
  QuatFromEuler(ax, ay, az, Orientation);
  StartOrientation = Orientation;
  UpdateMatrix();
  StandOnGround();
  Targetable = 0;
  Radius = LampRadius;
  CollisionRadius = LampCollisionRadius;
  Life = MaxLife = LampLife;
  // Guns and missiles cost HitDamage (twenty times for a missile), collisions CollisionDamage:
  // both 0, so a lamp stands whatever hits it.
  HitDamage = 0;
  CollisionDamage = 0;
  Size = LampSize;
  CreateShadow();
}

void TLamp::TakeAxes() {
  MatrixRotateVector({1, 0, 0}, Matrix, AxisX);
  MatrixRotateVector({0, 1, 0}, Matrix, AxisY);
  MatrixRotateVector({0, 0, 1}, Matrix, AxisZ);
}

void TLamp::Glow() {
  GlowPoint = Along(GlowAlongX, GlowAlongY);
  Level.Particles->Emit(GlowPoint, {0, 0, 0}, LampColor, 1.0f, 0, 0, GlowScale, 1.0f, 0, 0, GlowTexture, 1);
}

void TLamp::Light() {
  GlowPoint = Along(LightAlongX, LightAlongY);
  if (Visible(GlowPoint, LightRange)) Level.Lights->AddLight(GlowPoint, LampColor, LightFalloff, LightRange);
}

void TLamp::Live() {
  LiveBase();
  CheckDestroyed();
  TakeAxes();
  Glow();
  DrawStanding();
  DrawShadow();
  Light();
}
