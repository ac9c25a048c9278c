// WorldHash.cpp — the end-of-run state hash.
#include "levels/WorldHash.h"

#include "actors/ActorUnit.h"
#include "actors/MissileUnit.h"
#include "actors/ShootUnit.h"
#include "core/Random.h"
#include "levels/LevelUnit.h"

#include <bit>
#include <cstring>

namespace {

constexpr int32_t FirstSlot = 6, LastSlot = 15;  // the behaviour slots of a roster

class TFnv {
public:
  void Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
      H ^= p[i];
      H *= 1099511628211ull;
    }
  }
  void Int(int64_t v) { Bytes(&v, sizeof v); }
  void Float(float v) {
    const uint32_t bits = std::bit_cast<uint32_t>(v);
    Bytes(&bits, sizeof bits);
  }
  void Vector(const TVector& v) {
    Float(v.x);
    Float(v.y);
    Float(v.z);
  }
  void Quaternion(const TQuaternion& q) {
    Float(q.w);
    Float(q.x);
    Float(q.y);
    Float(q.z);
  }
  uint64_t Value() const { return H; }

private:
  uint64_t H = 14695981039346656037ull;
};

// The roster number of the behaviour installed, 0 for none (member pointers have no portable
// bits of their own).
int32_t SlotOf(const TActor& actor) {
  if (!actor.Behaviour) return 0;
  for (int32_t slot = FirstSlot; slot <= LastSlot; ++slot)
    if (actor.Behaviour == BehaviourSlot(slot)) return slot;
  return -1;
}

void HashActors(const TLevel& level, TFnv& h) {
  h.Int(level.ActorCount());
  for (int32_t i = 0; i < level.ActorCount(); ++i) {
    const TActor* a = level.Actors[static_cast<size_t>(i)].get();
    if (!a) {
      h.Int(-1);
      continue;
    }
    h.Vector(a->Position);
    h.Quaternion(a->Orientation);
    h.Float(a->Speed);
    h.Float(a->Life);
    h.Int(a->State);
    h.Int(SlotOf(*a));
  }
}

void HashPools(const TLevel& level, TFnv& h) {
  if (level.Shots) {
    h.Int(level.Shots->Count());
    for (const TShot* s = level.Shots->First; s; s = s->Next) {
      h.Vector(s->Head);
      h.Int(s->State);
    }
  }
  if (level.Missiles) {
    h.Int(level.Missiles->Count());
    for (const TMissile* m = level.Missiles->First; m; m = m->Next) {
      h.Vector(m->Position);
      h.Int(m->Target);
      h.Int(m->State);
    }
  }
}

void HashMission(const TLevel& level, TFnv& h) {
  h.Int(level.Phase);
  h.Int(static_cast<int64_t>(level.Outcome));
  h.Int(level.Lives);
  h.Int(level.MissileCount);
  h.Float(level.Fade);
  h.Int(level.Letterbox);
  h.Vector(level.ObjectivePoint);
  h.Int(level.ShotsFired);
  h.Int(level.ShotsHit);
  h.Int(level.ShotsMade);
  h.Int(level.MissilesMade);
  h.Int(level.Frames);
  for (int32_t count : level.TypeCounters) h.Int(count);
  h.Int(RandSeed);
}

}  // namespace

uint64_t WorldHash(const TLevel& level) {
  TFnv h;
  HashActors(level, h);
  HashPools(level, h);
  HashMission(level, h);
  return h.Value();
}
