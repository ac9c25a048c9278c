// ZeppelinUnit.cpp — the allied airship: cruise and path flight, propeller, contacts, explosion.
#include "actors/ZeppelinUnit.h"

#include "core/Globals.h"
#include "core/IntFile.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/ParticleUnit.h"
#include "render/SceneGlobals.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <cmath>

namespace {

constexpr float DefaultSpeed = 0.02f;           // units per ms until the .int file says otherwise
constexpr int32_t PropellerStartAngles = 180;   // the propeller starts at a whole 0..179 degrees
constexpr float PropellerTurn = 25.0f;          // degrees per ms per unit of CruiseSpeed
constexpr float EngineSoundScale = 0.02f;       // the big engine carries farther than explosions
constexpr float ShakeRadii = 3.0f;              // the eye within this many Radius shakes

// Scraping the terrain.
constexpr float ScrapeDamage = 10.0f;  // times HitDamage, every frame of contact
constexpr float ScrapeLift = 5.0f;     // units the airship is pushed up while it survives
constexpr float ScrapeKick = -0.05f;
constexpr TVector SmokeVelocity{0, 0, 0.05f};
constexpr float SmokeAlpha = 0.6f;
constexpr float SmokeRotation = 90.0f;
constexpr float SmokeScale = 5.0f;
constexpr float SmokeFade = 0.001f;  // alpha per ms
constexpr float SmokeGrowth = 0.03f;

constexpr float RamKick = -0.1f;

// One actor-against-actor test, from the point of view of `self`. The one with the smaller
// CollisionRadius (self on a tie) is the mover: its frame's movement, swept with its collision
// sphere, is tested against the other's mesh.
void Ram(TActor& self, TActor& other) {
  const bool selfMoves = self.CollisionRadius <= other.CollisionRadius;
  TActor& a = selfMoves ? self : other;
  TActor& b = selfMoves ? other : self;
  if (VectorLength(a.Position - b.Position) > a.Radius + b.Radius) return;
  if (!SweptSphereHits(a.PrevPosition, a.Position, a.CollisionRadius, b)) return;
  a.Collidable = 0;
  b.Collidable = 0;
  // Each party's own damage factor times the size of what hit it.
  a.Life -= a.HitDamage * b.Size;
  b.Life -= b.HitDamage * a.Size;
  if (a.Life > 0) a.Kick.y = RamKick;
  if (b.Life > 0) b.Kick.y = RamKick;
}

}  // namespace

TZeppelin::TZeppelin(TWorld& level) : TActor(level, ShadowClass::Zeppelin) {
  Targetable = 1;
  Speed = DefaultSpeed;
  LoadBlast();
  SmokeTexture = LoadTexture("smoke.cna");
  PropellerAngle = static_cast<float>(Random(PropellerStartAngles));
  EngineSound = LoadSound("eng1.wav", true);
}

TZeppelin::~TZeppelin() = default;

void TZeppelin::LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                          int32_t typeIndex) {
  // Parameters first: a bad file then leaves the type counters untouched.
  const TAirshipParams params = ReadAirshipIntFile(name + ".int");
  TMesh propeller;
  propeller.LoadFromFile(DataDir + "ally2a.msh", LightSpaceMatrix);
  TActor::LoadTyped(name, position, ax, ay, az, typeIndex);
  PropellerMesh = std::move(propeller);
  Speed = params.Speed;
  Radius = params.Radius;
  CollisionRadius = params.CollisionRadius;
  Size = params.Size;
  Life = params.Life;
  MaxLife = params.Life;
  HitDamage = params.HitDamage;
  CollisionDamage = params.CollisionDamage;
  // An airship cruising on Live turns its propeller at its own speed; path following
  // overwrites this every frame and hovering sets it to 0.
  CruiseSpeed = Speed;
}

void TZeppelin::Live() {
  const float ms = static_cast<float>(Counter.Elapsed);
  LiveBase();
  // After a pause every looping sound was stopped: start the engine again.
  if (!EnginePlaying || Level.Resumed) {
    PlaySound(EngineSound);
    EnginePlaying = 1;
  }
  // Destroyed: this frame still moves and draws; the explosion starts with the next.
  if (Life <= 0 && State == StateAlive) {
    State = StateDying;
    Behaviour = &TActor::Die;
  }
  UpdateMatrix();
  Cruise(ms);
  SetSoundPosition(EngineSound, EyeSpace(Position), EngineSoundScale);
  const float turn = ms * PropellerTurn * CruiseSpeed;
  if (std::isfinite(turn)) PropellerAngle = std::fmod(PropellerAngle + turn, 360.0f);
  Draw();
  DrawShadow();
  if (CollideTerrain) TouchTerrain();
  if (CollideActors) CollideWithActors();
}

void TZeppelin::Cruise(float ms) {
  TVector forward;
  MatrixRotateVector({0, 0, 1}, Matrix, forward);
  VectorNormalize(forward, forward);
  const TVector step = forward * (-Speed * ms);
  if (std::isfinite(step.x) && std::isfinite(step.y) && std::isfinite(step.z)) Position += step;
}

void TZeppelin::Draw() {
  if (!Visible(Position, Radius)) return;
  GL.PushMatrix();
  GL.Translatef(Position.x, Position.y, Position.z);
  GL.MultMatrixf(Matrix.data());
  if (Level.BumpMapping)
    Mesh.DrawBump(Position, Orientation, Level.Scene);
  else
    Mesh.Draw(Position, Level.Scene);
  GL.Translatef(PropellerOffset.x, PropellerOffset.y, PropellerOffset.z);
  GL.Rotatef(PropellerAngle, 0, 0, 1);
  PropellerMesh.Draw(Position, Level.Scene);
  GL.PopMatrix();
}

void TZeppelin::TouchTerrain() {
  if (!Level.Surface) return;
  if (Position.z - GroundPointUnder(Position).z > Radius) return;
  if (!MeshBelowGround(Mesh, Position, Matrix, *Level.Surface)) return;
  if (Level.Particles)
    Level.Particles->Emit(Position, SmokeVelocity, {1, 1, 1}, SmokeAlpha, 0, SmokeRotation, SmokeScale, SmokeFade, 0,
                          SmokeGrowth, SmokeTexture, 0);
  Life -= ScrapeDamage * HitDamage;
  if (Life <= 0) return;
  Position.z += ScrapeLift;
  Kick.y = ScrapeKick;
}

void TZeppelin::CollideWithActors() {
  const int32_t count = Level.ActorCount();
  for (int32_t i = 0; i < count && Collidable; ++i) {
    TActor* other = Level.Actors[static_cast<size_t>(i)].get();
    // Wrecks that are exploding are no longer solid.
    if (!other || other == this || other->State != StateAlive) continue;
    if (!other->Collidable || !other->CollideActors) continue;
    Ram(*this, *other);
  }
}

void TZeppelin::Behaviour7() {
  if (!Motion) {
    Live();
    return;
  }
  MotionDone = !Motion->Update();
  Position = Motion->Position;
  // The path records the view's rotation; the airship's attitude is its conjugate.
  QuatConjugate(Motion->Rotation, Orientation);
  UpdateMatrix();
  // The path moves the airship: its own cruise is held at 0 for this Live only.
  CruiseSpeed = Speed;
  Speed = 0;
  Live();
  Speed = CruiseSpeed;
}

void TZeppelin::Die() {
  if (FirstDeathFrame()) {
    StopSound(EngineSound);
    EnginePlaying = 0;
  }
  TDeathStyle style;
  style.ShakeDistance = ShakeRadii * Radius;
  DeathSequence(style);
}

void TZeppelin::Crash() {
  // Not a target any more while it explodes.
  if (State == StateAlive) State = StateDying;
  Behaviour = &TActor::Die;
}
