// ParticleTest.cpp — the particle pool's two lists, fading, motion and what is drawn, on the
// null GL table with draw calls counted.
#include "core/Frustum.h"
#include "core/Globals.h"
#include "platform/GLTable.h"
#include "render/ParticleUnit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Counts the draw, rotate and scale calls that reach the GL table.
int Draws = 0, Rotations = 0, Scalings = 0;
std::vector<float> DrawnAlphas;
const float* ColourArray = nullptr;

void GLAPIENTRY CountDraw(GLenum, GLint, GLsizei) {
  ++Draws;
  if (ColourArray) DrawnAlphas.push_back(ColourArray[3]);
}
void GLAPIENTRY CountRotate(GLfloat, GLfloat, GLfloat, GLfloat) { ++Rotations; }
void GLAPIENTRY CountScale(GLfloat, GLfloat, GLfloat) { ++Scalings; }
void GLAPIENTRY KeepColours(GLint, GLenum, GLsizei, const GLvoid* p) {
  ColourArray = static_cast<const float*>(p);
}

const TVector Origin{0, 0, 0};
const TVector White{1, 1, 1};

class Particles : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    GL.DrawArrays = CountDraw;
    GL.Rotatef = CountRotate;
    GL.Scalef = CountScale;
    GL.ColorPointer = KeepColours;
    Draws = Rotations = Scalings = 0;
    DrawnAlphas.clear();
    ColourArray = nullptr;
    MatrixIdentity(Camera);
    // A view down -z from the origin: the frustum the particles are tested against.
    TMatrix projection;
    MatrixPerspective(45.0f, 1.0f, 0.1f, 700.0f, projection);
    Frustum.CalculateFrustum(projection, Camera);
    Counter.Elapsed = 10;
  }

  // A particle in view that fades by `decay` per ms.
  bool EmitFading(TParticleSystem& system, float alpha, float decay, float x = 0) {
    return system.Emit({x, 0, -10}, Origin, White, alpha, 0, 0, 1, decay, 0, 0, 0, 0);
  }

  TMatrix Camera{};
  TFrustum Frustum;
  TParticleView View{&Camera, &Frustum};
};

TEST_F(Particles, CreationChainsEveryParticleIntoTheFreeList) {
  TParticleSystem system(View, 5, {0, 0, -0.01f});
  EXPECT_EQ(system.Capacity, 5);
  EXPECT_EQ(system.ActiveList, nullptr);
  // Each new particle went to the head: the list runs from the last one back to the first.
  const TParticle* p = system.FreeList;
  for (int i = 4; i >= 0; --i, p = p->Next) ASSERT_EQ(p, &system.Pool[static_cast<size_t>(i)]);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(system.GravityVector, (TVector{0, 0, -0.01f}));
}

TEST_F(Particles, QuadIsTwoTrianglesOfTheUnitSquareInWhite) {
  TParticleSystem system(View, 1, Origin);
  const float expected[6][9] = {
      {-1, -1, 0, 1, 1, 1, 1, 0, 0}, {1, -1, 0, 1, 1, 1, 1, 1, 0}, {1, 1, 0, 1, 1, 1, 1, 1, 1},
      {-1, -1, 0, 1, 1, 1, 1, 0, 0}, {1, 1, 0, 1, 1, 1, 1, 1, 1},  {-1, 1, 0, 1, 1, 1, 1, 0, 1},
  };
  for (int v = 0; v < 6; ++v)
    for (int k = 0; k < 9; ++k) EXPECT_EQ(system.Quad[v][k], expected[v][k]) << v << ", " << k;
}

TEST_F(Particles, EmitCopiesEveryArgumentAndPutsTheNewestFirst) {
  TParticleSystem system(View, 3, Origin);
  const TVector position{1, 2, 3}, velocity{0.1f, 0.2f, 0.3f}, colour{0.5f, 0.6f, 0.7f};
  ASSERT_TRUE(system.Emit(position, velocity, colour, 0.9f, 2.0f, 30.0f, 4.0f, 0.001f, 0.5f, 0.02f, 7, 1));
  ASSERT_TRUE(EmitFading(system, 1, 0));
  const TParticle* newest = system.ActiveList;
  const TParticle* first = newest->Next;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Next, nullptr);
  EXPECT_EQ(first->Position, position);
  EXPECT_EQ(first->Velocity, velocity);
  EXPECT_EQ(first->Color[0], 0.5f);
  EXPECT_EQ(first->Color[2], 0.7f);
  EXPECT_EQ(first->Alpha, 0.9f);
  EXPECT_EQ(first->Gravity, 2.0f);
  EXPECT_EQ(first->Rotation, 30.0f);
  EXPECT_EQ(first->Scale, 4.0f);
  EXPECT_EQ(first->AlphaDecay, 0.001f);
  EXPECT_EQ(first->RotationSpeed, 0.5f);
  EXPECT_EQ(first->ScaleSpeed, 0.02f);
  EXPECT_EQ(first->Texture, 7);
  EXPECT_EQ(first->Additive, 1);
  EXPECT_EQ(system.ActiveCount(), 2);
}

TEST_F(Particles, NewerParticlesAreDrawnFirst) {
  TParticleSystem system(View, 3, Origin);
  EmitFading(system, 0.25f, 0);
  EmitFading(system, 0.5f, 0);
  EmitFading(system, 0.75f, 0);
  system.UpdateAndDraw();
  EXPECT_EQ(DrawnAlphas, (std::vector<float>{0.75f, 0.5f, 0.25f}));
}

TEST_F(Particles, FullPoolDropsTheNewParticleAndKeepsTheLiveOnes) {
  TParticleSystem system(View, 2, Origin);
  ASSERT_TRUE(EmitFading(system, 0.5f, 0, 1));
  ASSERT_TRUE(EmitFading(system, 0.5f, 0, 2));
  const TParticle* head = system.ActiveList;
  EXPECT_FALSE(EmitFading(system, 0.5f, 0, 3));
  EXPECT_FALSE(EmitFading(system, 0.5f, 0, 4));
  EXPECT_EQ(system.Dropped, 2);
  EXPECT_EQ(system.ActiveList, head);
  EXPECT_EQ(head->Position.x, 2);
  EXPECT_EQ(head->Next->Position.x, 1);
  EXPECT_EQ(system.ActiveCount(), 2);
  EXPECT_EQ(system.FreeList, nullptr);
}

TEST_F(Particles, ZeroCapacityNeverEmits) {
  TParticleSystem system(View, 0, Origin);
  EXPECT_FALSE(EmitFading(system, 1, 0));
  system.UpdateAndDraw();
  EXPECT_EQ(Draws, 0);
}

TEST_F(Particles, AlphaAtOrBelowZeroReturnsToTheFreeListInTheSameFrame) {
  struct TCase {
    float Alpha, Decay;
    int Elapsed;
    bool Survives;
  };
  const TCase cases[] = {
      {1.0f, 0.25f, 4, false},   // exactly 0
      {1.0f, 0.25f, 3, true},    // 0.25 left
      {1.0f, 0.5f, 10, false},   // well below 0
      {0.5f, 0.0f, 100000, true},  // no decay: never dies
      {1.0f, 1.0f, 1, false},    // drawn once, then gone
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(testing::Message() << test.Alpha << " - " << test.Decay << " x " << test.Elapsed);
    TParticleSystem system(View, 1, Origin);
    Counter.Elapsed = test.Elapsed;
    EmitFading(system, test.Alpha, test.Decay);
    TParticle* particle = system.ActiveList;
    system.UpdateAndDraw();
    EXPECT_EQ(system.ActiveCount(), test.Survives ? 1 : 0);
    EXPECT_EQ(system.FreeList, test.Survives ? nullptr : particle);
  }
}

TEST_F(Particles, ParticleThatFadesInOneFrameIsDrawnExactlyOnce) {
  TParticleSystem system(View, 4, Origin);
  Counter.Elapsed = 1;
  EmitFading(system, 1.0f, 1.0f);
  for (int frame = 0; frame < 3; ++frame) system.UpdateAndDraw();
  EXPECT_EQ(Draws, 1);
}

TEST_F(Particles, RemovalFromTheMiddleKeepsTheOthersLinked) {
  TParticleSystem system(View, 5, Origin);
  Counter.Elapsed = 10;
  EmitFading(system, 1.0f, 0.0f, 1);   // stays
  EmitFading(system, 0.5f, 0.1f, 2);   // dies
  EmitFading(system, 1.0f, 0.0f, 3);   // stays
  EmitFading(system, 0.5f, 0.1f, 4);   // dies (the head)
  system.UpdateAndDraw();
  ASSERT_EQ(system.ActiveCount(), 2);
  EXPECT_EQ(system.ActiveList->Position.x, 3);
  EXPECT_EQ(system.ActiveList->Next->Position.x, 1);
  // The dead went to the free list head in walk order: the last one removed is reused first.
  ASSERT_TRUE(EmitFading(system, 1.0f, 0.0f, 5));
  EXPECT_EQ(system.ActiveList->Position.x, 5);
  EXPECT_EQ(system.ActiveCount(), 3);
  int free = 0;
  for (const TParticle* p = system.FreeList; p; p = p->Next) ++free;
  EXPECT_EQ(free, 2);
}

TEST_F(Particles, MotionFollowsGravityVelocitySpinAndGrowth) {
  TParticleSystem system(View, 1, {0, 0, -0.01f});
  Counter.Elapsed = 10;
  system.Emit({0, 0, -10}, {1, 0, 0}, White, 1.0f, 2.0f, 5.0f, 1.0f, 0.01f, 3.0f, 0.5f, 0, 0);
  system.UpdateAndDraw();
  const TParticle& p = *system.ActiveList;
  EXPECT_FLOAT_EQ(p.Alpha, 0.9f);
  EXPECT_FLOAT_EQ(p.Rotation, 35.0f);
  EXPECT_FLOAT_EQ(p.Scale, 6.0f);
  // The velocity changes first: -0.01 per ms² x gravity 2 x 10 ms, then the move uses it.
  EXPECT_FLOAT_EQ(p.Velocity.z, -0.2f);
  EXPECT_FLOAT_EQ(p.Position.x, 10.0f);
  EXPECT_FLOAT_EQ(p.Position.z, -12.0f);
}

TEST_F(Particles, NoGravityFactorMeansNoAcceleration) {
  TParticleSystem system(View, 1, {0, 0, -0.01f});
  system.Emit({0, 0, -10}, {0, 0, 0}, White, 1.0f, 0.0f, 0, 1, 0, 0, 0, 0, 0);
  for (int frame = 0; frame < 5; ++frame) system.UpdateAndDraw();
  EXPECT_EQ(system.ActiveList->Position, (TVector{0, 0, -10}));
}

TEST_F(Particles, ParticlesOutsideTheFrustumMoveButAreNotDrawn) {
  TParticleSystem system(View, 2, Origin);
  system.Emit({0, 0, 10}, {0, 0, 1}, White, 1.0f, 0, 0, 1, 0, 0, 0, 0, 0);  // behind the eye
  system.UpdateAndDraw();
  EXPECT_EQ(Draws, 0);
  EXPECT_FLOAT_EQ(system.ActiveList->Position.z, 20.0f);
}

TEST_F(Particles, UnitScaleAndNoRotationSkipThoseCalls) {
  TParticleSystem system(View, 4, Origin);
  system.Emit({0, 0, -10}, Origin, White, 1, 0, 0, 1, 0, 0, 0, 0, 0);    // neither
  system.Emit({0, 0, -10}, Origin, White, 1, 0, 45, 1, 0, 0, 0, 0, 0);   // rotation only
  system.Emit({0, 0, -10}, Origin, White, 1, 0, 0, 2, 0, 0, 0, 0, 0);    // scale only
  system.UpdateAndDraw();
  EXPECT_EQ(Draws, 3);
  EXPECT_EQ(Rotations, 1);
  EXPECT_EQ(Scalings, 1);
}

}  // namespace
