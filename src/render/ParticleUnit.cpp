// ParticleUnit.cpp — the particle pool: emission, ballistic update, fading and billboards.
#include "render/ParticleUnit.h"

#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/GLTable.h"

namespace {

constexpr int32_t QuadVertices = 6;
constexpr GLsizei QuadStride = 9 * sizeof(float);

// Corner x, y and texture s, t of the two triangles.
constexpr float QuadCorners[QuadVertices][4] = {
    {-1, -1, 0, 0}, {1, -1, 1, 0}, {1, 1, 1, 1}, {-1, -1, 0, 0}, {1, 1, 1, 1}, {-1, 1, 0, 1},
};

}  // namespace

TParticleSystem::TParticleSystem(const TParticleView& level, int32_t capacity, const TVector& gravity)
    : Level(level), Pool(static_cast<size_t>(capacity > 0 ? capacity : 0)),
      Capacity(capacity > 0 ? capacity : 0), GravityVector(gravity) {
  // Each new particle goes to the head, so the free list runs from the last one back.
  for (TParticle& p : Pool) {
    p.Next = FreeList;
    FreeList = &p;
  }
  for (int32_t v = 0; v < QuadVertices; ++v) {
    float* q = Quad[v];
    q[0] = QuadCorners[v][0];
    q[1] = QuadCorners[v][1];
    q[2] = 0.0f;
    q[3] = q[4] = q[5] = q[6] = 1.0f;
    q[7] = QuadCorners[v][2];
    q[8] = QuadCorners[v][3];
  }
}

bool TParticleSystem::Emit(const TVector& position, const TVector& velocity, const TVector& colour,
                           float alpha, float gravity, float rotation, float scale, float alphaDecay,
                           float rotationSpeed, float scaleSpeed, int32_t texture, uint8_t additive) {
  if (!FreeList) {
    ++Dropped;
    return false;
  }
  TParticle* p = FreeList;
  FreeList = p->Next;
  p->Next = ActiveList;
  ActiveList = p;

  p->Position = position;
  p->Velocity = velocity;
  p->Color[0] = colour.x;
  p->Color[1] = colour.y;
  p->Color[2] = colour.z;
  p->Alpha = alpha;
  p->Gravity = gravity;
  p->Rotation = rotation;
  p->Scale = scale;
  p->AlphaDecay = alphaDecay;
  p->RotationSpeed = rotationSpeed;
  p->ScaleSpeed = scaleSpeed;
  p->Texture = texture < 0 ? 0 : texture;
  p->Additive = additive;
  return true;
}

void TParticleSystem::UpdateAndDraw() {
  const TMatrix camera = Level.CameraMatrix ? *Level.CameraMatrix : TMatrix{1, 0, 0, 0, 0, 1, 0, 0,
                                                                             0, 0, 1, 0, 0, 0, 0, 1};
  GL.EnableClientState(GL_VERTEX_ARRAY);
  GL.EnableClientState(GL_COLOR_ARRAY);
  GL.EnableClientState(GL_TEXTURE_COORD_ARRAY);
  GL.DisableClientState(GL_NORMAL_ARRAY);
  GL.VertexPointer(3, GL_FLOAT, QuadStride, &Quad[0][0]);
  GL.ColorPointer(4, GL_FLOAT, QuadStride, &Quad[0][3]);
  GL.TexCoordPointer(2, GL_FLOAT, QuadStride, &Quad[0][7]);

  const float ms = static_cast<float>(Counter.Elapsed);
  FogAdditive = -1;
  TParticle* previous = nullptr;
  TParticle* p = ActiveList;
  while (p) {
    TParticle* next = p->Next;
    if (!Level.Frustum || Level.Frustum->PointInFrustum(p->Position)) Draw(*p, camera);
    Advance(*p, ms);
    if (p->Alpha > 0.0f) {
      previous = p;
    } else {
      // Unlinked here and nowhere else, so the walk stays valid.
      (previous ? previous->Next : ActiveList) = next;
      p->Next = FreeList;
      FreeList = p;
    }
    p = next;
  }
  if (Level.FogColor && FogAdditive == 1) GL.Fogfv(GL_FOG_COLOR, Level.FogColor);
}

void TParticleSystem::FogFor(bool additive) {
  if (!Level.FogColor || FogAdditive == (additive ? 1 : 0)) return;
  static constexpr float Black[4] = {0, 0, 0, 0};
  GL.Fogfv(GL_FOG_COLOR, additive ? Black : Level.FogColor);
  FogAdditive = additive ? 1 : 0;
}

void TParticleSystem::Draw(const TParticle& p, const TMatrix& camera) {
  // The quad is drawn in eye space, so it always faces the viewer.
  TVector eye;
  MatrixTransformPoint(p.Position, camera, eye);
  GL.LoadIdentity();
  GL.Translatef(eye.x, eye.y, eye.z);
  if (p.Rotation != 0.0f) GL.Rotatef(p.Rotation, 0.0f, 0.0f, 1.0f);
  if (p.Scale != 1.0f) GL.Scalef(p.Scale, p.Scale, 0.0f);

  GL.DepthMask(GL_FALSE);
  GL.Disable(GL_CULL_FACE);
  FogFor(p.Additive != 0);
  GL.BlendFunc(GL_SRC_ALPHA, p.Additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
  GL.Enable(GL_BLEND);
  GL.Disable(GL_LIGHTING);
  for (float* v : Quad) {
    v[3] = p.Color[0];
    v[4] = p.Color[1];
    v[5] = p.Color[2];
    v[6] = p.Alpha;
  }
  if (static_cast<size_t>(p.Texture) < Textures.size())
    GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(p.Texture)]);
  GL.DrawArrays(GL_TRIANGLES, 0, QuadVertices);
  GL.DepthMask(GL_TRUE);
  GL.Enable(GL_CULL_FACE);
  GL.Disable(GL_BLEND);
  GL.Enable(GL_LIGHTING);
}

void TParticleSystem::Advance(TParticle& p, float ms) const {
  if (p.AlphaDecay != 0.0f) p.Alpha -= ms * p.AlphaDecay;
  if (p.RotationSpeed != 0.0f) p.Rotation += ms * p.RotationSpeed;
  if (p.ScaleSpeed != 0.0f) p.Scale += ms * p.ScaleSpeed;
  if (p.Gravity != 0.0f) p.Velocity += GravityVector * (ms * p.Gravity);
  p.Position += p.Velocity * ms;
}

int32_t TParticleSystem::ActiveCount() const {
  int32_t count = 0;
  for (const TParticle* p = ActiveList; p; p = p->Next) ++count;
  return count;
}
