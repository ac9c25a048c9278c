// ShootUnit.cpp — the gun-shot pool: the terrain cast at creation, flight with the actor hit
// search, damage and sparks, tracers, and the light marks and smoke a shot leaves on the ground.
#include "actors/ShootUnit.h"

#include "actors/ActorUnit.h"
#include "actors/ActorWorld.h"
#include "core/Globals.h"
#include "core/Quaternion.h"
#include "core/Random.h"
#include "core/SrfFile.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/ParticleUnit.h"
#include "render/Surface.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float TracerStartAlpha = 0.4f;
constexpr float TracerFade = 0.0051f;     // of TracerAlpha per ms
constexpr float TracerTailWidth = 0.05f;  // offsets of the quad corners from the segment
constexpr float TracerHeadWidth = 0.2f;

constexpr float MarkStartAlpha = 0.2f;
constexpr float MarkFade = 0.0005f;  // per ms: the mark is gone after 0.4 s
constexpr float MarkSize = 8.0f;     // side of the square mark, centred on the impact
constexpr float PuffStartAlpha = 0.6f;
constexpr float PuffFade = 0.0009f;  // per ms: the puffs are gone after about 0.7 s
constexpr float PuffRise = 0.01f;    // units per ms
constexpr float PuffScale = 0.7f;

constexpr int32_t HitSparkCount = 5;
constexpr float HitSparkSpread = 0.05f;

// A hit exactly on a cell border or on a cell's diagonal may fall, by rounding, just outside
// the cell or triangle being tested; this much slack (world units) keeps it from being lost.
constexpr float CastSlack = 0.01f;
// Longer ranges are cut to this: no map is nearly as wide, and the distance stays finite.
constexpr float LongestRange = 100000.0f;
constexpr float FastestShot = 1000.0f;  // units per ms; faster ones are cut to it
constexpr float Infinity = std::numeric_limits<float>::infinity();

bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Narrows [t0, t1] to the part of the ray p + d t (one grid coordinate) inside 0..size.
bool ClipSlab(float p, float d, float size, float& t0, float& t1) {
  if (d == 0) return p >= 0 && p <= size;
  float a = -p / d, b = (size - p) / d;
  if (a > b) std::swap(a, b);
  t0 = std::max(t0, a);
  t1 = std::min(t1, b);
  return t0 <= t1;
}

// The nearer of the ray's crossings with the two triangles of cell (row, column) whose ray
// parameter lies in [tMin, tMax].
bool HitInCell(const TSurf& surface, int32_t row, int32_t column, const TVector& start, const TVector& direction,
               float tMin, float tMax, TVector& hit) {
  const TSurfVertex& v = surface.Vertices[static_cast<size_t>(surface.Index(row, column))];
  float best = Infinity;
  for (const bool upper : {true, false}) {
    const TPlane& plane = upper ? v.PlaneA : v.PlaneB;
    const float denominator = plane.a * direction.x + plane.b * direction.y + plane.c * direction.z;
    if (denominator == 0) continue;
    const float t = -PlaneValue(plane, start) / denominator;
    if (!(t >= tMin && t <= tMax && t < best)) continue;
    const TVector p = start + direction * t;
    // The same rule as the ground point: the first triangle holds dy >= dx from the corner.
    const float dx = p.x - v.Position.x, dy = p.y - v.Position.y;
    if (upper ? dy < dx - CastSlack : dy > dx + CastSlack) continue;
    best = t;
    hit = p;
  }
  return best != Infinity;
}

}  // namespace

bool CastShotToTerrain(const TSurf& surface, const TVector& start, const TVector& direction, float range,
                       TVector& hit) {
  const int32_t columns = surface.Width - 1, rows = surface.Height - 1;  // cells each way
  if (columns < 1 || rows < 1 || !(range > 0) || !Finite(start) || !Finite(direction)) return false;
  if (surface.Vertices.size() < static_cast<size_t>(surface.Width) * surface.Height) return false;
  // Grid coordinates: cell (r, c) spans c..c+1 by r..r+1; t stays in world units.
  const float gx = start.x / surface.CellSizeX + static_cast<float>(TerrainBorder);
  const float gy = start.y / surface.CellSizeY + static_cast<float>(TerrainBorder);
  const float dx = direction.x / surface.CellSizeX, dy = direction.y / surface.CellSizeY;
  float t0 = 0, t1 = range;
  if (!ClipSlab(gx, dx, static_cast<float>(columns), t0, t1) || !ClipSlab(gy, dy, static_cast<float>(rows), t0, t1))
    return false;

  int32_t column = std::clamp(static_cast<int32_t>(std::floor(gx + dx * t0)), 0, columns - 1);
  int32_t row = std::clamp(static_cast<int32_t>(std::floor(gy + dy * t0)), 0, rows - 1);
  const int32_t stepColumn = dx > 0 ? 1 : -1, stepRow = dy > 0 ? 1 : -1;
  // Ray parameters of the next column and row borders, and between borders.
  float nextColumn = dx > 0 ? (column + 1 - gx) / dx : dx < 0 ? (column - gx) / dx : Infinity;
  float nextRow = dy > 0 ? (row + 1 - gy) / dy : dy < 0 ? (row - gy) / dy : Infinity;
  const float columnStep = dx != 0 ? 1 / std::fabs(dx) : Infinity;
  const float rowStep = dy != 0 ? 1 / std::fabs(dy) : Infinity;

  // Every step moves one cell on in one direction only, so the walk ends within this many.
  float enter = t0;
  for (int32_t cells = columns + rows + 1; cells > 0; --cells) {
    const float exit = std::min({nextColumn, nextRow, t1});
    const float from = std::max(enter - CastSlack, 0.0f), to = std::min(exit + CastSlack, range);
    if (HitInCell(surface, row, column, start, direction, from, to, hit)) return true;
    if (exit >= t1) return false;
    if (nextColumn < nextRow) {
      column += stepColumn;
      enter = nextColumn;
      nextColumn += columnStep;
    } else {
      row += stepRow;
      enter = nextRow;
      nextRow += rowStep;
    }
    if (column < 0 || column >= columns || row < 0 || row >= rows) return false;
  }
  return false;
}

TShootBuffer::TShootBuffer(TWorld& level) : Level(level) {
  LightMapTexture = LoadTexture("sLightMap.cna");
  SmokeTexture = LoadTexture("smoke.cna");
  SparkTexture = LoadTexture("sparkle.cna");
  BuildPuffList();
}

TShootBuffer::~TShootBuffer() {
  for (TShot* list : {First, Spare})
    while (list) {
      TShot* next = list->Next;
      delete list;
      list = next;
    }
  if (PuffList) GL.DeleteLists(PuffList, 1);
}

// A textured square (-1,-1)..(1,1) facing +z: blended, depth-tested but not written, unlit.
void TShootBuffer::BuildPuffList() {
  PuffList = GL.GenLists(1);
  GL.NewList(PuffList, GL_COMPILE);
  GL.PushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
  GL.Enable(GL_BLEND);
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.Enable(GL_DEPTH_TEST);
  GL.DepthMask(GL_FALSE);
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_CULL_FACE);
  GL.Enable(GL_TEXTURE_2D);
  GL.Begin(GL_QUADS);
  GL.TexCoord2f(0, 0);
  GL.Vertex3f(-1, -1, 0);
  GL.TexCoord2f(1, 0);
  GL.Vertex3f(1, -1, 0);
  GL.TexCoord2f(1, 1);
  GL.Vertex3f(1, 1, 0);
  GL.TexCoord2f(0, 1);
  GL.Vertex3f(-1, 1, 0);
  GL.End();
  GL.PopAttrib();
  GL.EndList();
}

void TShootBuffer::AddShot(const TVector& start, const TVector& direction, bool fromPlayer, float speed, float range) {
  if (!Finite(start) || !Finite(direction) || !std::isfinite(speed) || !(speed > 0) || std::isnan(range)) return;
  range = std::clamp(range, 0.0f, LongestRange);
  TShot* shot = Spare;
  if (shot)
    Spare = shot->Next;
  else
    shot = new TShot;
  *shot = TShot{};
  VectorNormalize(direction, shot->Direction);
  shot->Start = shot->Head = shot->Tail = start;
  shot->End = start + shot->Direction * range;
  shot->Speed = std::min(speed, FastestShot);
  shot->FromPlayer = fromPlayer ? 1 : 0;
  shot->TracerAlpha = TracerStartAlpha;
  shot->MarkAlpha = MarkStartAlpha;
  for (float& alpha : shot->PuffAlpha) alpha = PuffStartAlpha;
  if (Level.Surface && CastShotToTerrain(*Level.Surface, start, shot->Direction, range, shot->End))
    shot->HitsTerrain = 1;
  shot->Remaining = VectorLength(shot->End - shot->Start);
  shot->Next = First;
  First = shot;
  ++Level.ShotsMade;
}

void TShootBuffer::UpdateAndDraw() {
  const float ms = static_cast<float>(Counter.Elapsed);
  FreeFinished();
  bool tracing = false;
  for (TShot* shot = First; shot; shot = shot->Next) {
    if (shot->State != ShotFlying) continue;
    // One state change for all the frame's tracers.
    if (!tracing) {
      GL.PushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT | GL_HINT_BIT | GL_CURRENT_BIT);
      GL.Disable(GL_LIGHTING);
      GL.DepthMask(GL_FALSE);
      GL.Disable(GL_TEXTURE_2D);
      GL.Disable(GL_CULL_FACE);
      GL.Enable(GL_LINE_SMOOTH);
      GL.Hint(GL_LINE_SMOOTH_HINT, GL_NICEST);
      GL.Enable(GL_BLEND);
      GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      tracing = true;
    }
    Fly(*shot, ms);
  }
  if (tracing) GL.PopAttrib();
  DrawImpacts(ms);
}

int32_t TShootBuffer::Count() const {
  int32_t count = 0;
  for (const TShot* shot = First; shot; shot = shot->Next) ++count;
  return count;
}

void TShootBuffer::FreeFinished() {
  TShot** link = &First;
  while (TShot* shot = *link) {
    if (shot->State != ShotFinished) {
      link = &shot->Next;
      continue;
    }
    *link = shot->Next;
    shot->Next = Spare;
    Spare = shot;
  }
}

void TShootBuffer::Fly(TShot& shot, float ms) {
  if (shot.Remaining <= 0) {
    shot.State = shot.HitsTerrain ? ShotGroundImpact : ShotFinished;
    return;
  }
  // The last step stops at End, so neither the hit search nor the tracer reaches past the
  // ground the shot is about to strike.
  const float step = ms * shot.Speed;
  shot.Head += shot.Direction * std::min(step, shot.Remaining);
  float best = 1.0f;
  if (TActor* target = FindTarget(shot.Tail, shot.Head, best))
    Strike(shot, *target, shot.Tail + (shot.Head - shot.Tail) * best);
  shot.Tail = shot.Head - shot.Direction * (step / 2);
  DrawTracer(shot);
  shot.TracerAlpha = std::max(shot.TracerAlpha - TracerFade * ms, 0.0f);
  shot.Remaining -= step;
}

TActor* TShootBuffer::FindTarget(const TVector& tail, const TVector& head, float& best) const {
  const TVector v = head - tail;
  const float vv = VectorDot(v, v);
  TActor* target = nullptr;
  best = 1.0f;
  for (int32_t i = 0; i < Level.ActorCount(); ++i) {
    TActor* actor = Level.Actors[static_cast<size_t>(i)].get();
    if (!actor || actor->State == StateGone) continue;
    const TVector& p = actor->Position;
    const float t = vv > 0 ? VectorDot(p - tail, v) / vv : 0.0f;
    const bool endsOutside = VectorLength(tail - p) >= actor->Radius && VectorLength(head - p) >= actor->Radius;
    if (endsOutside && (t < 0 || t > 1)) continue;
    if (VectorLength(tail + v * t - p) >= actor->Radius) continue;
    // Into mesh space: relative to the actor, turned back by its orientation.
    TQuaternion inverse;
    QuatConjugate(actor->Orientation, inverse);
    TMatrix toModel;
    QuatToMatrix(inverse, toModel);
    TVector s0, s1;
    MatrixRotateVector(tail - p, toModel, s0);
    MatrixRotateVector(head - p, toModel, s1);
    float hit = 1.0f;
    if (actor->Mesh.SegmentHit(s0, s1, hit) && hit < best) {
      best = hit;
      target = actor;
    }
  }
  return target;
}

void TShootBuffer::Strike(TShot& shot, TActor& target, const TVector& point) {
  target.Life -= target.HitDamage;
  shot.State = ShotFinished;
  if (shot.FromPlayer) ++Level.ShotsHit;
  shot.Head = point;
  if (!Level.Particles) return;
  for (int32_t i = 0; i < HitSparkCount; ++i) {
    const TVector velocity{RandomSpread() * HitSparkSpread, RandomSpread() * HitSparkSpread,
                           RandomSpread() * HitSparkSpread};
    Level.Particles->Emit(point, velocity, {1, 1, 0.7f}, 0.9f, 0.01f, 0, 0.3f, 0.001f, 0, 0, SparkTexture, 1);
  }
  const float spin = static_cast<float>(Random(180));
  Level.Particles->Emit(point, {0, 0, 0.02f}, {1, 1, 1}, 0.4f, 0, spin, 3.0f, 0.001f, 0, 0.002f, SmokeTexture, 0);
}

// Three crossed quads, one along each world axis, widening from tail to head.
void TShootBuffer::DrawTracer(const TShot& shot) const {
  static constexpr TVector Axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  GL.Color4f(1, 1, 1, shot.TracerAlpha);
  GL.Begin(GL_QUADS);
  for (const TVector& axis : Axes) {
    const TVector tail = axis * TracerTailWidth, head = axis * TracerHeadWidth;
    const TVector corners[4] = {shot.Tail - tail, shot.Tail + tail, shot.Head + head, shot.Head - head};
    for (const TVector& c : corners) GL.Vertex3f(c.x, c.y, c.z);
  }
  GL.End();
}

void TShootBuffer::DrawImpacts(float ms) {
  bool any = false;
  for (TShot* shot = First; shot && !any; shot = shot->Next) any = shot->State == ShotGroundImpact;
  if (!any) return;

  if (Level.Surface)
    for (TShot* shot = First; shot; shot = shot->Next)
      if (shot->State == ShotGroundImpact && shot->MarkAlpha > 0)
        Level.Surface->DrawLightDecal(LightMapTexture, true, shot->End.x, shot->End.y, MarkSize, MarkSize, 1, 1, 1,
                                      shot->MarkAlpha);

  // Upright billboards: the puff's x follows the camera's right vector laid flat, its y the
  // world's up, so the smoke turns toward the player only about the vertical.
  const TMatrix& view = Level.CameraMatrix;
  TVector right{view[0], view[4], 0};
  VectorNormalize(right, right);
  if (right == TVector{0, 0, 0}) right = {1, 0, 0};
  const TVector up{0, 0, 1};
  TVector facing;
  VectorCross(right, up, facing);
  TMatrix puff{right.x * PuffScale,  right.y * PuffScale,  right.z * PuffScale,  0,
               up.x * PuffScale,     up.y * PuffScale,     up.z * PuffScale,     0,
               facing.x * PuffScale, facing.y * PuffScale, facing.z * PuffScale, 0,
               0,                    0,                    0,                    1};
  GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(SmokeTexture)]);
  for (TShot* shot = First; shot; shot = shot->Next) {
    if (shot->State != ShotGroundImpact) continue;
    for (int32_t k = 0; k < 3; ++k) {
      if (shot->PuffAlpha[k] <= 0) continue;
      puff[12] = shot->End.x;
      puff[13] = shot->End.y;
      puff[14] = shot->End.z + shot->PuffHeight[k];
      GL.Color4f(1, 1, 1, shot->PuffAlpha[k]);
      GL.PushMatrix();
      GL.MultMatrixf(puff.data());
      GL.CallList(PuffList);
      GL.PopMatrix();
    }
  }
  GL.Color4f(1, 1, 1, 1);

  for (TShot* shot = First; shot; shot = shot->Next) {
    if (shot->State != ShotGroundImpact) continue;
    shot->MarkAlpha -= MarkFade * ms;
    bool faded = shot->MarkAlpha <= 0;
    for (int32_t k = 0; k < 3; ++k) {
      shot->PuffAlpha[k] -= PuffFade * ms;
      shot->PuffHeight[k] += PuffRise * ms;
      faded = faded && shot->PuffAlpha[k] <= 0;
    }
    if (faded) shot->State = ShotFinished;
  }
}
