// Model.cpp — the forge's mesh builder: primitives, vertex sharing per surface, debris order.
#include "content/Model.h"

#include "core/Error.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

namespace {

constexpr float Tau = 6.28318530718f;

TVector Cross(const TVector& a, const TVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const TVector& a, const TVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Len(const TVector& a) { return std::sqrt(Dot(a, a)); }

TVector Centroid(const std::vector<TVector>& ring) {
  TVector c{0, 0, 0};
  for (const TVector& p : ring) c += p;
  return ring.empty() ? c : c * (1.0f / ring.size());
}

// Positive zero for -0, so mirrored points on the plane of symmetry compare equal as keys.
float Key(float v) { return v == 0 ? 0.0f : v; }

float SignedPow(float v, float e) { return std::copysign(std::pow(std::fabs(v), e), v); }

// A triangle with (nearly) no area has no normal for the game to light or collide with.
bool Degenerate(const TVector& a, const TVector& b, const TVector& c) {
  if (a == b || b == c || a == c) return true;
  const float area2 = Len(Cross(b - a, c - a));
  const float edge = std::max({Dot(b - a, b - a), Dot(c - b, c - b), Dot(a - c, a - c)});
  return area2 <= 1e-5f * edge;
}

}  // namespace

// ---- Transforms ------------------------------------------------------------------------------

float TXform::Determinant() const { return Dot(X, Cross(Y, Z)); }

TXform TXform::operator*(const TXform& inner) const {
  return {Direction(inner.X), Direction(inner.Y), Direction(inner.Z), Point(inner.T)};
}

TXform TXform::Translation(const TVector& t) { return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, t}; }
TXform TXform::RotationX(float a) {
  const float c = std::cos(a), s = std::sin(a);
  return {{1, 0, 0}, {0, c, s}, {0, -s, c}, {0, 0, 0}};
}
TXform TXform::RotationY(float a) {
  const float c = std::cos(a), s = std::sin(a);
  return {{c, 0, -s}, {0, 1, 0}, {s, 0, c}, {0, 0, 0}};
}
TXform TXform::RotationZ(float a) {
  const float c = std::cos(a), s = std::sin(a);
  return {{c, s, 0}, {-s, c, 0}, {0, 0, 1}, {0, 0, 0}};
}
TXform TXform::Scaling(const TVector& s) { return {{s.x, 0, 0}, {0, s.y, 0}, {0, 0, s.z}, {0, 0, 0}}; }

TXform TXform::Along(const TVector& from, const TVector& to) {
  const TVector d = to - from;
  const float length = Len(d);
  const TVector y = length > 0 ? d * (1 / length) : TVector{0, 1, 0};
  const TVector reference = std::fabs(y.y) < 0.9f ? TVector{0, 1, 0} : TVector{1, 0, 0};
  TVector x = Cross(y, reference);
  x = x * (1 / Len(x));
  return {x, y, Cross(x, y), from};
}

// ---- Rings -----------------------------------------------------------------------------------

std::vector<TVector> EllipseRing(int n, const TVector& centre, float halfWidth, float top, float bottom,
                                 float power) {
  std::vector<TVector> ring;
  const float e = 2.0f / power;
  for (int i = 0; i < n; ++i) {
    const float a = -Tau / 4 + Tau * i / n;
    const float c = std::cos(a), s = std::sin(a);
    ring.push_back({centre.x + halfWidth * SignedPow(c, e), centre.y + (s >= 0 ? top : bottom) * SignedPow(s, e),
                    centre.z});
  }
  return ring;
}

std::vector<TVector> AirfoilRing(int n, const TVector& leading, const TVector& chordAxis, float chord,
                                 const TVector& thickAxis, float thickness) {
  const int half = n / 2;
  auto halfThickness = [&](float x) {
    // A symmetric four-digit section, scaled so its thickest point is `thickness` through.
    const float y = 0.2969f * std::sqrt(x) - 0.1260f * x - 0.3516f * x * x + 0.2843f * x * x * x -
                    0.1036f * x * x * x * x;
    return y / 0.1002f * thickness * 0.5f;
  };
  std::vector<TVector> ring;
  for (int i = 0; i <= half; ++i) {  // over the top, leading edge to trailing edge
    const float x = 0.5f * (1 - std::cos(Tau / 2 * i / half));
    ring.push_back(leading + chordAxis * (x * chord) + thickAxis * halfThickness(x));
  }
  for (int i = half - 1; i >= 1; --i) {  // and back underneath
    const float x = 0.5f * (1 - std::cos(Tau / 2 * i / half));
    ring.push_back(leading + chordAxis * (x * chord) - thickAxis * halfThickness(x));
  }
  return ring;
}

// ---- Faces -----------------------------------------------------------------------------------

void TModel::Group(const std::string& textureName) {
  auto it = std::find(GroupNames.begin(), GroupNames.end(), textureName);
  if (it == GroupNames.end()) {
    GroupNames.push_back(textureName);
    it = GroupNames.end() - 1;
  }
  CurrentGroup = static_cast<int>(it - GroupNames.begin());
}

void TModel::NewSurface() { CurrentSurface = SurfaceCount++; }

void TModel::Push() { Stack.push_back(Stack.back()); }
void TModel::Pop() {
  if (Stack.size() > 1) Stack.pop_back();
}
void TModel::Transform(const TXform& t) { Stack.back() = Stack.back() * t; }

void TModel::Mirrored(const std::function<void()>& body) {
  body();
  Push();
  Transform(TXform::Scaling({-1, 1, 1}));
  body();
  Pop();
}

void TModel::Emit(const TVector& a, const TVector& b, const TVector& c, TUv ta, TUv tb, TUv tc) {
  if (CurrentGroup < 0) Group("");
  const TXform& x = Stack.back();
  TTri t;
  t.P[0] = x.Point(a);
  t.P[1] = x.Point(b);
  t.P[2] = x.Point(c);
  t.Uv[0] = ta;
  t.Uv[1] = tb;
  t.Uv[2] = tc;
  // A mirroring transform turns the winding inside out; swap two corners to turn it back.
  if (x.Determinant() < 0) {
    std::swap(t.P[1], t.P[2]);
    std::swap(t.Uv[1], t.Uv[2]);
  }
  if (Degenerate(a, b, c)) return;  // judged before the transform, so every frame agrees
  t.Group = CurrentGroup;
  t.Surface = CurrentSurface;
  Tris.push_back(t);
}

void TModel::Triangle(TVector a, TVector b, TVector c, TUv ta, TUv tb, TUv tc) { Emit(a, b, c, ta, tb, tc); }

void TModel::Quad(TVector a, TVector b, TVector c, TVector d, TUv ta, TUv tb, TUv tc, TUv td) {
  Emit(a, b, c, ta, tb, tc);
  Emit(a, c, d, ta, tc, td);
}

void TModel::TriangleFacing(TVector a, TVector b, TVector c, TUv ta, TUv tb, TUv tc, const TVector& outward) {
  if (Dot(Cross(b - a, c - a), outward) < 0) {
    std::swap(b, c);
    std::swap(tb, tc);
  }
  Emit(a, b, c, ta, tb, tc);
}

void TModel::QuadFacing(TVector a, TVector b, TVector c, TVector d, TUv ta, TUv tb, TUv tc, TUv td,
                        const TVector& outward) {
  // Judge by the quad's diagonals, which stay meaningful when one corner collapses.
  if (Dot(Cross(c - a, d - b), outward) < 0) {
    std::swap(b, d);
    std::swap(tb, td);
  }
  Emit(a, b, c, ta, tb, tc);
  Emit(a, c, d, ta, tc, td);
}

// ---- Lofts and lathes ------------------------------------------------------------------------

namespace {

struct TLoftGrid {
  std::vector<float> S;  // per ring, 0..1 by the distance between ring centres
  std::vector<float> T;  // per ring point (and one past the last for a closed ring)
};

TLoftGrid LoftGrid(const std::vector<std::vector<TVector>>& rings, bool closed) {
  TLoftGrid g;
  g.S.push_back(0);
  for (size_t j = 1; j < rings.size(); ++j)
    g.S.push_back(g.S.back() + Len(Centroid(rings[j]) - Centroid(rings[j - 1])));
  const float total = g.S.back();
  for (size_t j = 0; j < g.S.size(); ++j)
    g.S[j] = total > 0 ? g.S[j] / total : (rings.size() > 1 ? float(j) / (rings.size() - 1) : 0);
  const size_t n = rings.front().size();
  const size_t steps = closed ? n : n - 1;
  for (size_t i = 0; i <= steps; ++i) g.T.push_back(steps ? float(i) / steps : 0);
  return g;
}

}  // namespace

void TModel::Loft(const std::vector<std::vector<TVector>>& rings, const TLoftOptions& o) {
  if (rings.size() < 2) return;
  const size_t n = rings.front().size();
  for (const auto& r : rings)
    if (r.size() != n) throw TFileError("loft", "rings of different lengths");
  const TLoftGrid g = LoftGrid(rings, o.Closed);
  auto t = [&](size_t i) { return o.SymmetricT ? 1 - std::fabs(1 - 2 * g.T[i]) : g.T[i]; };
  const size_t steps = o.Closed ? n : n - 1;

  NewSurface();
  for (size_t j = 0; j + 1 < rings.size(); ++j) {
    const TVector axis = (Centroid(rings[j]) + Centroid(rings[j + 1])) * 0.5f;
    for (size_t i = 0; i < steps; ++i) {
      const size_t k = (i + 1) % n;
      const TVector a = rings[j][i], b = rings[j][k], c = rings[j + 1][k], d = rings[j + 1][i];
      const TVector outward = (a + b + c + d) * 0.25f - axis;
      QuadFacing(a, b, c, d, o.Uv.At(g.S[j], t(i)), o.Uv.At(g.S[j], t(i + 1)), o.Uv.At(g.S[j + 1], t(i + 1)),
                 o.Uv.At(g.S[j + 1], t(i)), outward);
    }
  }
  auto cap = [&](size_t j, size_t neighbour) {
    NewSurface();
    const TVector centre = Centroid(rings[j]);
    const TVector outward = centre - Centroid(rings[neighbour]);
    const bool disc = o.CapUv.U1 != o.CapUv.U0;
    auto uv = [&](size_t i) {
      if (!disc) return o.Uv.At(g.S[j], t(i));
      const float a = Tau * i / n;
      return o.CapUv.At(0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a));
    };
    const TUv mid = disc ? o.CapUv.At(0.5f, 0.5f) : o.Uv.At(g.S[j], 0.5f);
    for (size_t i = 0; i < steps; ++i)
      TriangleFacing(centre, rings[j][i], rings[j][(i + 1) % n], mid, uv(i), uv(i + 1), outward);
  };
  if (o.CapStart) cap(0, 1);
  if (o.CapEnd) cap(rings.size() - 1, rings.size() - 2);
}

void TModel::Lathe(const std::vector<TProfilePoint>& profile, int segments, const TUvRect& uv, float startAngle) {
  if (profile.size() < 2 || segments < 3) return;
  float length = 0;
  std::vector<float> along{0};
  for (size_t j = 1; j < profile.size(); ++j) {
    length += std::hypot(profile[j].R - profile[j - 1].R, profile[j].H - profile[j - 1].H);
    along.push_back(length);
  }
  auto ringPoint = [&](size_t j, int i) {
    // The last step comes back to exactly the first point, so the seam closes.
    const float a = startAngle + Tau * (i % segments) / segments;
    return TVector{profile[j].R * std::sin(a), profile[j].H, profile[j].R * std::cos(a)};
  };
  NewSurface();
  for (size_t j = 0; j + 1 < profile.size(); ++j) {
    if (j > 0 && profile[j].Sharp) NewSurface();
    const float dr = profile[j + 1].R - profile[j].R, dh = profile[j + 1].H - profile[j].H;
    const float t0 = length > 0 ? along[j] / length : 0, t1 = length > 0 ? along[j + 1] / length : 1;
    for (int i = 0; i < segments; ++i) {
      const float a = startAngle + Tau * (i + 0.5f) / segments;
      const TVector outward{dh * std::sin(a), -dr, dh * std::cos(a)};
      const float s0 = float(i) / segments, s1 = float(i + 1) / segments;
      QuadFacing(ringPoint(j, i), ringPoint(j, i + 1), ringPoint(j + 1, i + 1), ringPoint(j + 1, i), uv.At(s0, t0),
                 uv.At(s1, t0), uv.At(s1, t1), uv.At(s0, t1), outward);
    }
  }
}

void TModel::Cylinder(const TVector& a, const TVector& b, float ra, float rb, int segments, const TUvRect& uv,
                      bool caps) {
  const float length = Len(b - a);
  Push();
  Transform(TXform::Along(a, b));
  if (caps)
    Lathe({{0, 0}, {ra, 0, true}, {rb, length, true}, {0, length, true}}, segments, uv);
  else
    Lathe({{ra, 0}, {rb, length}}, segments, uv);
  Pop();
}

// ---- Boxes -----------------------------------------------------------------------------------

void TModel::Box(const TVector& lo, const TVector& hi, float bevel, const TUvRect& all) {
  const TUvRect faces[6] = {all, all, all, all, all, all};
  Box(lo, hi, bevel, faces);
}

void TModel::Box(const TVector& lo, const TVector& hi, float bevel, const TUvRect (&faces)[6]) {
  const TVector size = hi - lo;
  const float b = std::clamp(bevel, 0.0f, 0.45f * std::min({size.x, size.y, size.z}));
  const TVector centre = (lo + hi) * 0.5f;
  // Where a point of the box's surface falls on face f's rect.
  auto faceUv = [&](int f, const TVector& p) {
    const float sx = (p.x - lo.x) / size.x, sy = (p.y - lo.y) / size.y, sz = (p.z - lo.z) / size.z;
    switch (f) {
      case 0: return faces[0].At(1 - sz, sy);
      case 1: return faces[1].At(sz, sy);
      case 2: return faces[2].At(sx, 1 - sz);
      case 3: return faces[3].At(sx, 1 - sz);
      case 4: return faces[4].At(sx, sy);
      default: return faces[5].At(1 - sx, sy);
    }
  };
  // The eight corners pulled in by the bevel along the axes named by `in` (1 pulls in).
  auto corner = [&](int sx, int sy, int sz, int inX, int inY, int inZ) {
    return TVector{sx ? hi.x - b * inX : lo.x + b * inX, sy ? hi.y - b * inY : lo.y + b * inY,
                   sz ? hi.z - b * inZ : lo.z + b * inZ};
  };
  // Faces: axis a at side s; the face's corners are pulled in along the other two axes.
  for (int f = 0; f < 6; ++f) {
    const int axis = f / 2, side = f % 2 == 0 ? 1 : 0;
    NewSurface();
    TVector q[4];
    int k = 0;
    for (int u = 0; u < 2; ++u)
      for (int v = 0; v < 2; ++v) {
        const int w = u ? 1 - v : v;  // walk the four corners around
        int s[3], in[3];
        s[axis] = side;
        in[axis] = 0;
        s[(axis + 1) % 3] = u;
        s[(axis + 2) % 3] = w;
        in[(axis + 1) % 3] = in[(axis + 2) % 3] = 1;
        q[k++] = corner(s[0], s[1], s[2], in[0], in[1], in[2]);
      }
    TVector outward{0, 0, 0};
    (axis == 0 ? outward.x : axis == 1 ? outward.y : outward.z) = side ? 1.0f : -1.0f;
    QuadFacing(q[0], q[1], q[2], q[3], faceUv(f, q[0]), faceUv(f, q[1]), faceUv(f, q[2]), faceUv(f, q[3]), outward);
  }
  if (b <= 0) return;
  NewSurface();
  // Chamfer strips along the twelve edges, each mapped onto the first face it borders.
  for (int axis = 0; axis < 3; ++axis) {
    const int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
    for (int s1 = 0; s1 < 2; ++s1)
      for (int s2 = 0; s2 < 2; ++s2) {
        TVector q[4];
        for (int e = 0; e < 2; ++e)
          for (int which = 0; which < 2; ++which) {
            int s[3], in[3];
            s[axis] = e;
            in[axis] = 1;
            s[a1] = s1;
            s[a2] = s2;
            in[a1] = which == 0 ? 0 : 1;
            in[a2] = which == 0 ? 1 : 0;
            q[e == 0 ? which : 3 - which] = corner(s[0], s[1], s[2], in[0], in[1], in[2]);
          }
        const TVector mid = (q[0] + q[1] + q[2] + q[3]) * 0.25f;
        const int face = a1 * 2 + (s1 ? 0 : 1);
        QuadFacing(q[0], q[1], q[2], q[3], faceUv(face, q[0]), faceUv(face, q[1]), faceUv(face, q[2]),
                   faceUv(face, q[3]), mid - centre);
      }
  }
  // Corner triangles.
  for (int sx = 0; sx < 2; ++sx)
    for (int sy = 0; sy < 2; ++sy)
      for (int sz = 0; sz < 2; ++sz) {
        const TVector a = corner(sx, sy, sz, 0, 1, 1), c1 = corner(sx, sy, sz, 1, 0, 1),
                      c2 = corner(sx, sy, sz, 1, 1, 0);
        const int face = sx ? 0 : 1;
        TriangleFacing(a, c1, c2, faceUv(face, a), faceUv(face, c1), faceUv(face, c2), (a + c1 + c2) * (1.0f / 3) - centre);
      }
}

// ---- Extrusions ------------------------------------------------------------------------------

namespace {

float SignedArea(const std::vector<TPoint2>& p) {
  float a = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const TPoint2& u = p[i];
    const TPoint2& v = p[(i + 1) % p.size()];
    a += u.X * v.Y - v.X * u.Y;
  }
  return a * 0.5f;
}

float Cross2(const TPoint2& o, const TPoint2& a, const TPoint2& b) {
  return (a.X - o.X) * (b.Y - o.Y) - (a.Y - o.Y) * (b.X - o.X);
}

bool Inside(const TPoint2& p, const TPoint2& a, const TPoint2& b, const TPoint2& c) {
  return Cross2(a, b, p) >= 0 && Cross2(b, c, p) >= 0 && Cross2(c, a, p) >= 0;
}

// Ear clipping of a counter-clockwise simple polygon: index triples, counter-clockwise.
std::vector<std::array<int, 3>> Triangulate(const std::vector<TPoint2>& p) {
  std::vector<int> left(p.size());
  for (size_t i = 0; i < p.size(); ++i) left[i] = static_cast<int>(i);
  std::vector<std::array<int, 3>> out;
  size_t guard = 0;
  while (left.size() > 3 && guard++ < p.size() * p.size()) {
    bool clipped = false;
    for (size_t i = 0; i < left.size(); ++i) {
      const int a = left[(i + left.size() - 1) % left.size()], b = left[i], c = left[(i + 1) % left.size()];
      if (Cross2(p[a], p[b], p[c]) <= 0) continue;
      bool ear = true;
      for (int k : left)
        if (k != a && k != b && k != c && Inside(p[k], p[a], p[b], p[c])) {
          ear = false;
          break;
        }
      if (!ear) continue;
      out.push_back({a, b, c});
      left.erase(left.begin() + i);
      clipped = true;
      break;
    }
    if (!clipped) break;  // not simple: give up on the rest rather than loop
  }
  if (left.size() == 3) out.push_back({left[0], left[1], left[2]});
  return out;
}

}  // namespace

void TModel::Extrude(const std::vector<TPoint2>& polygon, float z0, float z1, const TUvRect& capUv,
                     const TUvRect& sideUv, bool smoothSides) {
  if (polygon.size() < 3) return;
  std::vector<TPoint2> p = polygon;
  if (SignedArea(p) < 0) std::reverse(p.begin(), p.end());
  float x0 = p[0].X, x1 = p[0].X, y0 = p[0].Y, y1 = p[0].Y;
  for (const TPoint2& q : p) {
    x0 = std::min(x0, q.X), x1 = std::max(x1, q.X), y0 = std::min(y0, q.Y), y1 = std::max(y1, q.Y);
  }
  auto capAt = [&](const TPoint2& q) {
    return capUv.At(x1 > x0 ? (q.X - x0) / (x1 - x0) : 0.5f, y1 > y0 ? (q.Y - y0) / (y1 - y0) : 0.5f);
  };
  const std::vector<std::array<int, 3>> tris = Triangulate(p);
  for (int side = 0; side < 2; ++side) {
    NewSurface();
    const float z = side ? z1 : z0;
    for (const auto& t : tris) {
      const TVector a{p[t[0]].X, p[t[0]].Y, z}, b{p[t[1]].X, p[t[1]].Y, z}, c{p[t[2]].X, p[t[2]].Y, z};
      TriangleFacing(a, b, c, capAt(p[t[0]]), capAt(p[t[1]]), capAt(p[t[2]]), {0, 0, side ? 1.0f : -1.0f});
    }
  }
  float perimeter = 0;
  std::vector<float> along{0};
  for (size_t i = 0; i < p.size(); ++i) {
    const TPoint2& u = p[i];
    const TPoint2& v = p[(i + 1) % p.size()];
    perimeter += std::hypot(v.X - u.X, v.Y - u.Y);
    along.push_back(perimeter);
  }
  if (smoothSides) NewSurface();
  for (size_t i = 0; i < p.size(); ++i) {
    if (!smoothSides) NewSurface();
    const TPoint2& u = p[i];
    const TPoint2& v = p[(i + 1) % p.size()];
    const float s0 = along[i] / perimeter, s1 = along[i + 1] / perimeter;
    QuadFacing({u.X, u.Y, z0}, {v.X, v.Y, z0}, {v.X, v.Y, z1}, {u.X, u.Y, z1}, sideUv.At(s0, 0), sideUv.At(s1, 0),
               sideUv.At(s1, 1), sideUv.At(s0, 1), {v.Y - u.Y, u.X - v.X, 0});
  }
}

// ---- Building the mesh -----------------------------------------------------------------------

namespace {

using TTri = TModel::TTri;

// Each run of three triangles of a group bursts apart as one piece of debris: gather each
// triangle with the unused neighbours that share the most corners with the piece so far.
std::vector<int> DebrisOrder(const std::vector<TTri>& tris, const std::vector<int>& group) {
  using TKey = std::tuple<float, float, float>;
  auto key = [](const TVector& v) { return TKey{Key(v.x), Key(v.y), Key(v.z)}; };
  std::map<TKey, std::vector<int>> byCorner;  // positions within `group`
  for (size_t i = 0; i < group.size(); ++i)
    for (const TVector& p : tris[group[i]].P) byCorner[key(p)].push_back(static_cast<int>(i));
  auto centre = [&](int i) {
    const TTri& t = tris[group[i]];
    return (t.P[0] + t.P[1] + t.P[2]) * (1.0f / 3);
  };

  std::vector<bool> used(group.size(), false);
  std::vector<int> order;
  for (size_t seed = 0; seed < group.size(); ++seed) {
    if (used[seed]) continue;
    std::vector<int> piece{static_cast<int>(seed)};
    used[seed] = true;
    while (piece.size() < 3) {
      std::map<int, int> shared;  // candidate -> corners shared with the piece
      for (int m : piece)
        for (const TVector& p : tris[group[m]].P)
          for (int c : byCorner[key(p)])
            if (!used[c]) ++shared[c];
      int best = -1, bestShared = 0;
      for (const auto& [c, count] : shared)
        if (count > bestShared) best = c, bestShared = count;
      if (best < 0) {  // an island: take the nearest triangle left
        float bestDistance = 0;
        const TVector from = centre(piece.front());
        for (size_t c = 0; c < group.size(); ++c) {
          if (used[c]) continue;
          const TVector d = centre(static_cast<int>(c)) - from;
          if (best < 0 || Dot(d, d) < bestDistance) best = static_cast<int>(c), bestDistance = Dot(d, d);
        }
      }
      if (best < 0) break;
      used[best] = true;
      piece.push_back(best);
    }
    for (int m : piece) order.push_back(group[m]);
  }
  return order;
}

// Mapping may drift with a limb's length between poses; the file keeps the rest pose's.
bool SameLayout(const TTri& a, const TTri& b) { return a.Group == b.Group && a.Surface == b.Surface; }

}  // namespace

TMsh BuildAnimatedMesh(const std::vector<std::vector<TModel>>& frames, const std::string& header) {
  if (frames.empty() || frames[0].empty()) throw TFileError(header, "a model needs a rest pose");
  const TModel& rest = frames[0][0];
  const std::vector<TTri>& restTris = rest.Triangles();
  if (restTris.empty()) throw TFileError(header, "the model has no triangles");
  std::vector<const std::vector<TTri>*> all;
  for (const auto& anim : frames) {
    if (anim.empty()) throw TFileError(header, "an animation without frames");
    for (const TModel& m : anim) {
      if (m.Triangles().size() != restTris.size() || m.Groups() != rest.Groups())
        throw TFileError(header, "key frames built from different calls");
      for (size_t i = 0; i < restTris.size(); ++i)
        if (!SameLayout(m.Triangles()[i], restTris[i])) throw TFileError(header, "key frames differ in their surfaces");
      all.push_back(&m.Triangles());
    }
  }

  TMsh mesh;
  mesh.Header = header.substr(0, MshHeaderMax);
  // Groups in the order of first use, each in debris order.
  std::vector<int> order;
  std::vector<size_t> groupEnds;
  for (size_t g = 0; g < rest.Groups().size(); ++g) {
    std::vector<int> members;
    for (size_t i = 0; i < restTris.size(); ++i)
      if (restTris[i].Group == static_cast<int>(g)) members.push_back(static_cast<int>(i));
    if (members.empty()) continue;
    const std::vector<int> ordered = DebrisOrder(restTris, members);
    order.insert(order.end(), ordered.begin(), ordered.end());
    groupEnds.push_back(order.size());
    mesh.Groups.push_back({rest.Groups()[g], {}, {}});
  }

  // Vertices: one per surface and place (the place in every frame), in order of first use.
  std::map<std::vector<float>, int32_t> vertexIds;
  std::map<std::pair<float, float>, int32_t> uvIds;
  std::vector<int> firstTriangle;  // per vertex, the triangle (in `order`) that made it
  size_t group = 0;
  for (size_t n = 0; n < order.size(); ++n) {
    while (n >= groupEnds[group]) ++group;
    const int i = order[n];
    for (int k = 0; k < 3; ++k) {
      std::vector<float> key{static_cast<float>(restTris[i].Surface)};
      for (const auto* frame : all) {
        const TVector& p = (*frame)[i].P[k];
        key.insert(key.end(), {Key(p.x), Key(p.y), Key(p.z)});
      }
      auto [it, added] = vertexIds.emplace(key, static_cast<int32_t>(firstTriangle.size()));
      if (added) firstTriangle.push_back(i);
      const TUv uv = restTris[i].Uv[k];
      auto [uvIt, uvAdded] = uvIds.emplace(std::make_pair(Key(uv.U), Key(uv.V)), static_cast<int32_t>(mesh.TexCoords.size()));
      if (uvAdded) mesh.TexCoords.push_back({uv.U, uv.V});
      mesh.Groups[group].VertexIndices.push_back(it->second);
      mesh.Groups[group].TexCoordIndices.push_back(uvIt->second);
    }
  }
  const size_t vertexCount = firstTriangle.size();

  // Positions per frame, taken from the corners that use each vertex.
  std::vector<TMshFrame> positions(all.size(), TMshFrame(vertexCount));
  {
    size_t g = 0, inGroup = 0;
    for (size_t n = 0; n < order.size(); ++n) {
      while (n >= groupEnds[g]) ++g, inGroup = 0;
      for (int k = 0; k < 3; ++k) {
        const int32_t v = mesh.Groups[g].VertexIndices[inGroup * 3 + k];
        for (size_t f = 0; f < all.size(); ++f) positions[f][v] = (*all[f])[order[n]].P[k];
      }
      ++inGroup;
    }
  }

  // Vertices of different surfaces at one place would be smoothed together by the game's
  // loader; move each later one a hair toward the middle of its own triangle.
  std::map<std::tuple<float, float, float>, int> seen;
  for (size_t v = 0; v < vertexCount; ++v) {
    const TVector& p = positions[0][v];
    const int rank = seen[{Key(p.x), Key(p.y), Key(p.z)}]++;
    if (rank == 0) continue;
    for (size_t f = 0; f < all.size(); ++f) {
      const TTri& t = (*all[f])[firstTriangle[v]];
      const TVector towards = (t.P[0] + t.P[1] + t.P[2]) * (1.0f / 3) - positions[f][v];
      const float distance = Len(towards);
      if (distance <= 0) continue;
      const float step = std::min(ModelWeldGap * rank, 0.25f * distance);
      positions[f][v] += towards * (step / distance);
    }
  }

  size_t f = 0;
  for (const auto& anim : frames) {
    TMshAnim a;
    for (size_t k = 0; k < anim.size(); ++k) a.Frames.push_back(std::move(positions[f++]));
    mesh.Anims.push_back(std::move(a));
  }
  ValidateMsh(mesh, header);
  return mesh;
}

TMsh BuildMesh(const TModel& model, const std::string& header) { return BuildAnimatedMesh({{model}}, header); }
