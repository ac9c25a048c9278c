// VectMath.h — 3-vectors, 4x4 matrices and planes, plus the CPU versions of the GL/GLU matrix calls.
//
// Conventions used by every module of the engine:
//   - The world is Z-up: x and y span the ground, terrain heights are z.
//   - Angles are radians everywhere except the few helpers named after their OpenGL
//     counterparts (MatrixPerspective, MatrixRotate), which take degrees as OpenGL does.
//   - TMatrix is column-major exactly as glLoadMatrixf/glMultMatrixf read it: m[c*4 + r] is
//     row r of column c, the translation sits in m[12], m[13], m[14]. Pass m.data() to GL.
//   - TQuaternion (Quaternion.h) is stored w, x, y, z, scalar first; identity is (1, 0, 0, 0).
//   - QuatToMatrix stores the *transpose* of the textbook rotation matrix of q, so handing it to
//     glMultMatrixf rotates by the conjugate of q: QuatFromAxisAngle(0, 1, 0, a) turns what is
//     drawn afterwards by -a about Y. Every actor orientation in the game relies on this.
//   - Planes: a point p is on the positive (inside) side when a*px + b*py + c*pz + d > 0.
//
// Operations write to an output reference and copy their inputs first, so out may alias an input.
// None allocates. Zero-length normalisation yields the zero vector rather than NaN.
#pragma once

#include <array>
#include <cstdint>

struct TVector {
  float x, y, z;

  friend bool operator==(const TVector&, const TVector&) = default;
};

using TMatrix = std::array<float, 16>;

struct TPlane {
  float a, b, c, d;

  friend bool operator==(const TPlane&, const TPlane&) = default;
};

// Value-returning shorthands for expressions; the hot paths use the out-parameter forms below.
inline TVector operator+(const TVector& a, const TVector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline TVector operator-(const TVector& a, const TVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline TVector operator-(const TVector& v) { return {-v.x, -v.y, -v.z}; }
inline TVector operator*(const TVector& v, float s) { return {v.x * s, v.y * s, v.z * s}; }
inline TVector operator*(float s, const TVector& v) { return v * s; }
inline TVector& operator+=(TVector& a, const TVector& b) { return a = a + b; }
inline TVector& operator-=(TVector& a, const TVector& b) { return a = a - b; }
inline TVector& operator*=(TVector& v, float s) { return v = v * s; }

inline TVector SetVector(float x, float y, float z) { return {x, y, z}; }

float VectorLength(const TVector& v);
void VectorNormalize(const TVector& v, TVector& out);
void VectorCross(const TVector& a, const TVector& b, TVector& out);
float VectorDot(const TVector& a, const TVector& b);
void VectorSub(const TVector& a, const TVector& b, TVector& out);
void VectorAdd(const TVector& a, const TVector& b, TVector& out);
void VectorScale(const TVector& v, float s, TVector& out);

// Full affine transform of a point (w = 1, no perspective divide).
void MatrixTransformPoint(const TVector& p, const TMatrix& m, TVector& out);
// Only the 3x3 part: directions and normals.
void MatrixRotateVector(const TVector& v, const TMatrix& m, TVector& out);

// The normal is (p1 - p0) x (p2 - p0), normalised.
void PlaneFromPoints(const TVector& p0, const TVector& p1, const TVector& p2, TPlane& out);
void PlaneFromPointNormal(const TVector& p, const TVector& n, TPlane& out);
// Raw signed value of p against the plane (a distance only when the normal is unit).
inline float PlaneValue(const TPlane& pl, const TVector& p) {
  return pl.a * p.x + pl.b * p.y + pl.c * p.z + pl.d;
}
// The line through p along dir is infinite both ways: the hit may lie behind p. False (and out
// untouched) only when dir is exactly parallel to the plane.
bool IntersectLinePlane(const TVector& p, const TVector& dir, const TPlane& plane, TVector& out);

// CPU matrix stack helpers, with the same meaning as the OpenGL/GLU calls they replace, so the
// game can know its matrices without reading them back from the driver.
void MatrixIdentity(TMatrix& out);
void MatrixMultiply(const TMatrix& a, const TMatrix& b, TMatrix& out);  // out = a * b
void MatrixPerspective(float fovyDeg, float aspect, float zNear, float zFar, TMatrix& out);
void MatrixOrtho2D(float left, float right, float bottom, float top, TMatrix& out);
void MatrixTranslate(TMatrix& m, float x, float y, float z);                // m = m * T
void MatrixRotate(TMatrix& m, float angleDeg, float x, float y, float z);   // m = m * R
void MatrixScale(TMatrix& m, float x, float y, float z);                    // m = m * S
// Object to window coordinates like gluProject; viewport is x, y, width, height. False when the
// point has clip w = 0 (it lies in the eye plane), winOut then untouched.
bool ProjectPoint(const TVector& obj, const TMatrix& model, const TMatrix& proj,
                  const int32_t viewport[4], TVector& winOut);
