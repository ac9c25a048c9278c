// ViewerActors.cpp — loading, placing and drawing the roster's actors as their classes do.
#include "app/ViewerActors.h"

#include "core/Frustum.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The lamp's bulb (where its glow shines) and the point its light comes from, along its own
// X and Y axes; the light's colour is the lamp's, its falloff and range those of every lamp.
constexpr float GlowAlongX = 23.0f, GlowAlongY = 95.0f;
constexpr float LightAlongX = 35.0f, LightAlongY = 90.0f;
constexpr float GlowScale = 26.0f;
constexpr float LampFalloff = 0.03f;
constexpr float LampRange = 350.0f;

bool Bumped(TActorClass cls) {
  // Airships and balloons take the plain (lit) draw; troopers are key-framed.
  return cls != TActorClass::Zeppelin && cls != TActorClass::Baloon && cls != TActorClass::Trooper;
}

TVector Along(const TViewerActor& actor, float x, float y) {
  TVector axisX, axisY;
  MatrixRotateVector({1, 0, 0}, actor.Matrix, axisX);
  MatrixRotateVector({0, 1, 0}, actor.Matrix, axisY);
  return actor.Place.Position + axisX * x + axisY * y;
}

}  // namespace

TViewerActor::TViewerActor(const TRosterEntry& entry)
    : Class(entry.Class), LampColor(entry.LampColor), Shadow(ShadowClassOf(entry)),
      Path(entry.Class == TActorClass::Camera ? nullptr : entry.Path), PathOffset(entry.PathOffset) {}

TShadowClass ShadowClassOf(const TRosterEntry& entry) {
  switch (entry.Class) {
    case TActorClass::Camera:
    case TActorClass::AirCraft: {
      TShadowClass aircraft = ShadowClass::AirCraft;
      if (!entry.EngineOn) aircraft.ShadowMode = ShadowStatic;
      return aircraft;
    }
    case TActorClass::Zeppelin: return ShadowClass::Zeppelin;
    case TActorClass::Baloon: return ShadowClass::Baloon;
    case TActorClass::Turret: return ShadowClass::Turret;
    case TActorClass::Building: return ShadowClass::Building;
    case TActorClass::Lamp: return ShadowClass::Lamp;
    case TActorClass::Vehicle: return ShadowClass::Vehicle;
    case TActorClass::Trooper: return ShadowClass::Trooper;
  }
  return ShadowClass::Building;
}

TViewerActors::TViewerActors(std::span<const TRosterEntry> roster, TSurf& surface, const std::string& dataDir,
                             const TMatrix& lightSpace)
    : Surface(surface) {
  GlowTexture = LoadTexture("star.cna");
  Propeller.LoadFromFile(dataDir + "ally2a.msh", lightSpace);
  Wheel.LoadFromFile(dataDir + "bad5a.msh", lightSpace);
  Actors.reserve(roster.size());
  for (const TRosterEntry& entry : roster) {
    TViewerActor& actor = Actors.emplace_back(entry);
    actor.MeshName = dataDir + entry.Mesh;
    actor.Mesh.LoadFromFile(actor.MeshName + ".msh", lightSpace);
    // The player's recorded path moves only the camera; the aircraft waits where it was placed.
    const std::optional<TMotionSample> start = actor.Path ? PathStart(dataDir + actor.Path) : std::nullopt;
    actor.Place = start ? PlaceOnPath(entry, *start) : PlaceOnGround(entry, surface);
    QuatToMatrix(actor.Place.Orientation, actor.Matrix);
    // Only static shadows render here, and they test no frustum.
    actor.Shadow.CreateShadow(actor.Caster(), {Surface, TFrustum{}});
  }
}

void TViewerActors::StartPaths() {
  constexpr int32_t SampleStep = 33;  // ms a sample, as every mission plays them
  for (TViewerActor& actor : Actors) {
    if (!actor.Path) continue;
    actor.Motion.emplace();
    actor.Motion->Load(actor.Path);
    actor.Motion->Start(SampleStep, actor.PathOffset);
  }
}

void TViewerActors::FollowPaths() {
  for (TViewerActor& actor : Actors) {
    if (!actor.Motion) continue;
    actor.Motion->Update();
    // A zeppelin's propeller turns at 25 degrees per unit of cruising speed each millisecond.
    constexpr float PropellerTurn = 25 * 0.02f;
    actor.PropellerAngle = std::fmod(actor.PropellerAngle + PropellerTurn * static_cast<float>(Counter.Elapsed), 360.0f);
    actor.Place.Position = actor.Motion->Position;
    QuatConjugate(actor.Motion->Rotation, actor.Place.Orientation);
    QuatToMatrix(actor.Place.Orientation, actor.Matrix);
  }
}

void TViewerActors::RenderShadows(const TVector& eye, const TFrustum& frustum) {
  ShadowsRendered = 0;
  if (!ShadowsOn()) return;
  const TShadowRenderSetup setup;
  for (TViewerActor& actor : Actors) {
    if (actor.Shadow.ShadowMode != ShadowDynamic) continue;
    if (VectorLength(actor.Place.Position - eye) >= DynamicShadowRange) continue;
    if (actor.Shadow.RenderShadow(actor.Caster(), {Surface, frustum})) ++ShadowsRendered;
  }
}

void TViewerActors::Draw(const TViewerActorFrame& frame) {
  Drawn = 0;
  for (TViewerActor& actor : Actors) {
    if (VectorLength(actor.Place.Position - frame.Eye) >= frame.ViewRange) continue;
    DrawActor(actor, frame);
  }
}

void TViewerActors::DrawActor(TViewerActor& actor, const TViewerActorFrame& frame) {
  if (actor.Class == TActorClass::Lamp)
    frame.Particles.Emit(Along(actor, GlowAlongX, GlowAlongY), {0, 0, 0}, actor.LampColor, 1.0f, 0, 0, GlowScale, 1.0f,
                         0, 0, GlowTexture, 1);
  if (frame.Frustum.SphereInFrustum(actor.Place.Position, actor.Mesh.BoundingRadius)) {
    ++Drawn;
    const TVector& p = actor.Place.Position;
    GL.PushMatrix();
    GL.Translatef(p.x, p.y, p.z);
    GL.MultMatrixf(actor.Matrix.data());
    DrawBody(actor, frame);
    DrawParts(actor, frame);
    GL.PopMatrix();
  }
  // As the classes' Live: the shadow is laid whether or not the body was in view.
  actor.Shadow.DrawShadow(actor.Caster(), Surface);
  if (actor.Class == TActorClass::Lamp) LightLamp(actor, frame);
}

void TViewerActors::DrawBody(TViewerActor& actor, const TViewerActorFrame& frame) {
  const TPlacement& place = actor.Place;
  if (actor.Class == TActorClass::Trooper) {
    actor.Mesh.DrawFrame(0, 0, 0.0f, place.Position, frame.Scene);
    return;
  }
  if (frame.BumpMapping && Bumped(actor.Class)) {
    actor.Mesh.DrawBump(place.Position, place.Orientation, frame.Scene);
    return;
  }
  actor.Mesh.Draw(place.Position, frame.Scene);
}

// The wheels stand still; a propeller turns only while its zeppelin flies its path.
void TViewerActors::DrawParts(const TViewerActor& actor, const TViewerActorFrame& frame) {
  if (actor.Class == TActorClass::Zeppelin) {
    GL.Translatef(PropellerOffset.x, PropellerOffset.y, PropellerOffset.z);
    GL.Rotatef(actor.PropellerAngle, 0, 0, 1);
    Propeller.Draw(actor.Place.Position, frame.Scene);
    return;
  }
  if (actor.Class != TActorClass::Vehicle) return;
  for (const TVector& offset : WheelOffsets) {
    GL.PushMatrix();
    GL.Translatef(offset.x, offset.y, offset.z);
    Wheel.Draw(actor.Place.Position, frame.Scene);
    GL.PopMatrix();
  }
}

void TViewerActors::LightLamp(const TViewerActor& actor, const TViewerActorFrame& frame) const {
  const TVector at = Along(actor, LightAlongX, LightAlongY);
  if (frame.Frustum.SphereInFrustum(at, LampRange)) frame.Lights.AddLight(at, actor.LampColor, LampFalloff, LampRange);
}
