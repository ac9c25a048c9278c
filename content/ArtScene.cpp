// ArtScene.cpp — ray-marched mountains, haze and a supersampled mesh rasteriser.
#include "content/ArtScene.h"

#include <algorithm>
#include <stdexcept>

// ---- Camera ------------------------------------------------------------------------------

TCamera::TCamera(TVec3 eye, TVec3 target, float fovYDegrees, int width, int height)
    : Eye(eye), Width(width), Height(height) {
  Forward = Normalize(target - eye);
  Right = Normalize(Cross(Forward, TVec3{0, 0, 1}));
  Up = Cross(Right, Forward);
  TanHalf = std::tan(fovYDegrees * Pi / 360);
  Aspect = static_cast<float>(width) / height;
}

TVec3 TCamera::Ray(float px, float py) const {
  const float x = (2 * px / Width - 1) * TanHalf * Aspect;
  const float y = (1 - 2 * py / Height) * TanHalf;
  return Normalize(Forward + Right * x + Up * y);
}

bool TCamera::Project(TVec3 p, float& sx, float& sy, float& depth) const {
  const TVec3 v = p - Eye;
  depth = Dot(v, Forward);
  if (depth <= 1e-3f) return false;
  sx = (Dot(v, Right) / depth / (TanHalf * Aspect) + 1) * Width / 2;
  sy = (1 - Dot(v, Up) / depth / TanHalf) * Height / 2;
  return true;
}

// ---- Height field ------------------------------------------------------------------------

float THeightField::HeightAt(float x, float y) const {
  const float gx = x * Scale, gy = y * Scale;
  const float fx = std::floor(gx), fy = std::floor(gy);
  const float tx = gx - fx, ty = gy - fy;
  // The size is a power of two, so wrapping is a mask (negative indices included).
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const int x0 = ix & Mask, x1 = (ix + 1) & Mask, y0 = iy & Mask, y1 = (iy + 1) & Mask;
  return Lerp(Lerp(At(x0, y0), At(x1, y0), tx), Lerp(At(x0, y1), At(x1, y1), tx), ty);
}

TVec3 THeightField::NormalAt(float x, float y) const {
  const float e = Extent / Size;
  const float dx = HeightAt(x + e, y) - HeightAt(x - e, y);
  const float dy = HeightAt(x, y + e) - HeightAt(x, y - e);
  return Normalize({-dx, -dy, 2 * e});
}

THeightField::THeightField(int size, float extent)
    : Size(size), Extent(extent), Scale(size / extent), Mask(size - 1), Heights(static_cast<size_t>(size) * size) {
  if (size <= 0 || (size & (size - 1)) != 0) throw std::invalid_argument("height field size must be a power of two");
}

THeightField MakeMountains(int size, float extent, float peak, uint32_t seed) {
  constexpr int Cells = 3;  // ridges across one repeat of the field
  THeightField field(size, extent);
  for (int j = 0; j < size; ++j)
    for (int i = 0; i < size; ++i) {
      const float u = static_cast<float>(i) / size * Cells, v = static_cast<float>(j) / size * Cells;
      const float ridges = Ridged2(u, v, seed, 7, 0.45f, Cells, Cells);
      // Broad swells decide where ranges stand and where wide valleys open between them.
      const float swell = 0.5f + 0.5f * Fbm2(u * 0.5f, v * 0.5f, seed + 1, 3, 0.5f, 2, 2);
      // Raising the crests to a power sharpens the peaks and flattens the valley floors.
      field.At(i, j) = peak * std::pow(ridges, 1.7f) * (0.3f + 0.7f * Smoothstep(0.1f, 0.8f, swell));
    }
  return field;
}

// ---- Landscape ---------------------------------------------------------------------------

TColor ApplyHaze(const TLandscapeLook& look, TVec3 eye, TVec3 dir, float distance, TColor color) {
  // Haze thins with height: the integral of density0 * exp(-z / falloff) along the ray.
  const float k = dir.Z / look.FogFalloff;
  float amount = look.FogDensity * std::exp(-eye.Z / look.FogFalloff);
  amount *= std::fabs(k * distance) < 1e-4f ? distance : (1 - std::exp(-k * distance)) / k;
  const float fog = 1 - std::exp(-amount);
  TColor c = Mix(color, look.Haze(dir), Clamp01(fog));
  c.A = 1;
  return c;
}

namespace {

constexpr float NoHit = 1e9f;

struct TSample {
  TColor Color;
  float Depth;
};

float SoftShadow(const THeightField& field, TVec3 p, TVec3 sun) {
  float light = 1, t = 4;
  for (int i = 0; i < 32 && t < field.Extent; ++i) {
    const TVec3 q = p + sun * t;
    const float dz = q.Z - field.HeightAt(q.X, q.Y);
    if (dz < 0) return 0;
    light = std::min(light, 12 * dz / t);
    t += std::clamp(dz * 0.7f, 6.0f, 160.0f);
  }
  return Clamp01(light);
}

TColor ShadeGround(const THeightField& field, const TLandscapeLook& look, TVec3 p) {
  // Rock detail finer than the field's cells, so near slopes stay crisp.
  TVec3 n = field.NormalAt(p.X, p.Y);
  n = Normalize(n + TVec3{0.3f * Noise2(p.X / 22, p.Y / 22, 0xB0B), 0.3f * Noise2(p.X / 22 + 9, p.Y / 22, 0xB0C), 0});
  // Rock in bands of strata, grass in low gentle places, snow on high gentle ones.
  const float strata = 0.82f + 0.3f * Noise2(p.Z / 40, p.X / 900 + p.Y / 1100, 0x57A7);
  TColor albedo = Scale(look.Rock, strata);
  const float green = Smoothstep(look.TreeLine, look.TreeLine - 120, p.Z) * Smoothstep(0.55f, 0.8f, n.Z);
  albedo = Mix(albedo, look.Grass, green);
  const float patch = 90 * Noise2(p.X / 140, p.Y / 140, 0x5A0);
  const float snow = Smoothstep(look.SnowLine - 120, look.SnowLine + 60, p.Z + patch) * Smoothstep(0.42f, 0.62f, n.Z);
  albedo = Mix(albedo, look.Snow, snow);
  const float direct = std::max(Dot(n, look.Sun), 0.0f) * SoftShadow(field, p + n * 2, look.Sun);
  const float sky = 0.55f + 0.45f * n.Z;
  TColor c{albedo.R * (look.SunLight.R * direct + look.SkyLight.R * sky),
           albedo.G * (look.SunLight.G * direct + look.SkyLight.G * sky),
           albedo.B * (look.SunLight.B * direct + look.SkyLight.B * sky), 1};
  return c;
}

TSample Trace(const THeightField& field, float highest, const TCamera& camera,
              const TLandscapeLook& look, float px, float py) {
  const TVec3 dir = camera.Ray(px, py);
  const float far = field.Extent * 2.5f;
  float t = 1, previous = 1;
  for (int i = 0; i < 300 && t < far; ++i) {
    const TVec3 p = camera.Eye + dir * t;
    if (p.Z > highest && dir.Z >= 0) break;
    const float dz = p.Z - field.HeightAt(p.X, p.Y);
    if (dz < 0.0015f * t) {
      // Bisect between the last point above and this one for a clean silhouette.
      float lo = previous, hi = t;
      for (int k = 0; k < 6; ++k) {
        const float mid = (lo + hi) / 2;
        const TVec3 q = camera.Eye + dir * mid;
        (q.Z > field.HeightAt(q.X, q.Y) ? lo : hi) = mid;
      }
      const TVec3 hit = camera.Eye + dir * hi;
      return {ApplyHaze(look, camera.Eye, dir, hi, ShadeGround(field, look, hit)), hi};
    }
    previous = t;
    t += std::max(0.55f * dz, 0.005f * t);
  }
  TColor sky = look.Sky(dir);
  sky.A = 1;
  return {sky, NoHit};
}

}  // namespace

void RenderLandscape(TCanvas& canvas, std::vector<float>& depth, const THeightField& field,
                     const TCamera& camera, const TLandscapeLook& look) {
  const int w = canvas.Width(), h = canvas.Height();
  float highest = 0;
  for (int j = 0; j < field.Size; ++j)
    for (int i = 0; i < field.Size; ++i) highest = std::max(highest, field.At(i, j));
  depth.assign(static_cast<size_t>(w) * h, NoHit);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TSample s = Trace(field, highest, camera, look, x + 0.5f, y + 0.5f);
      canvas.Set(x, y, s.Color);
      depth[static_cast<size_t>(y) * w + x] = s.Depth;
    }
  // Silhouettes and sharp shading changes get four rotated-grid samples instead of one.
  std::vector<uint8_t> edge(static_cast<size_t>(w) * h, 0);
  auto differs = [&](int x0, int y0, int x1, int y1) {
    const float d0 = depth[static_cast<size_t>(y0) * w + x0], d1 = depth[static_cast<size_t>(y1) * w + x1];
    const TColor a = canvas.At(x0, y0), b = canvas.At(x1, y1);
    const float dc = std::fabs(a.R - b.R) + std::fabs(a.G - b.G) + std::fabs(a.B - b.B);
    return dc > 0.3f || std::fabs(d0 - d1) > 0.15f * std::min(d0, d1);
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (x + 1 < w && differs(x, y, x + 1, y)) edge[static_cast<size_t>(y) * w + x] = edge[static_cast<size_t>(y) * w + x + 1] = 1;
      if (y + 1 < h && differs(x, y, x, y + 1)) edge[static_cast<size_t>(y) * w + x] = edge[static_cast<size_t>(y + 1) * w + x] = 1;
    }
  constexpr float Offsets[4][2] = {{0.375f, 0.125f}, {0.875f, 0.375f}, {0.625f, 0.875f}, {0.125f, 0.625f}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!edge[static_cast<size_t>(y) * w + x]) continue;
      TColor sum{0, 0, 0, 0};
      float nearest = NoHit;
      for (const auto& o : Offsets) {
        const TSample s = Trace(field, highest, camera, look, x + o[0], y + o[1]);
        sum = {sum.R + s.Color.R / 4, sum.G + s.Color.G / 4, sum.B + s.Color.B / 4, 1};
        nearest = std::min(nearest, s.Depth);
      }
      canvas.Set(x, y, sum);
      depth[static_cast<size_t>(y) * w + x] = nearest;
    }
}

// ---- Meshes ------------------------------------------------------------------------------

int TMesh::AddPoint(TVec3 p) {
  Points.push_back(p);
  return static_cast<int>(Points.size()) - 1;
}

void TMesh::AddTriangle(int a, int b, int c, TColor albedo) {
  Triangles.push_back({a, b, c});
  Albedo.push_back(albedo);
}

void TMesh::AddQuad(int a, int b, int c, int d, TColor albedo) {
  AddTriangle(a, b, c, albedo);
  AddTriangle(a, c, d, albedo);
}

void TMesh::AddPanel(const std::vector<TVec3>& outline, TColor albedo) {
  // Each side has points of its own, so the smoothed normals of one side never cancel the other's.
  for (int side = 0; side < 2; ++side) {
    std::vector<int> ids;
    for (const TVec3& p : outline) ids.push_back(AddPoint(p));
    for (size_t i = 1; i + 1 < ids.size(); ++i)
      side == 0 ? AddTriangle(ids[0], ids[i], ids[i + 1], albedo) : AddTriangle(ids[0], ids[i + 1], ids[i], albedo);
  }
}

void AddHull(TMesh& mesh, TVec3 nose, float length, int rings, int sides,
             const std::function<float(float)>& radius, TColor albedo) {
  const int tip = mesh.AddPoint(nose);
  std::vector<int> previous;
  for (int r = 1; r <= rings; ++r) {
    const float t = static_cast<float>(r) / rings;
    const float rad = radius(t);
    std::vector<int> ring;
    for (int s = 0; s < sides; ++s) {
      const float a = 2 * Pi * s / sides;
      ring.push_back(mesh.AddPoint({nose.X - length * t, nose.Y + rad * std::cos(a), nose.Z + rad * std::sin(a)}));
    }
    for (int s = 0; s < sides; ++s) {
      const int s1 = (s + 1) % sides;
      if (previous.empty())
        mesh.AddTriangle(tip, ring[s1], ring[s], albedo);
      else
        mesh.AddQuad(previous[s], previous[s1], ring[s1], ring[s], albedo);
    }
    previous = ring;
  }
  const int tail = mesh.AddPoint({nose.X - length, nose.Y, nose.Z});
  for (int s = 0; s < sides; ++s) mesh.AddTriangle(tail, previous[s], previous[(s + 1) % sides], albedo);
}

void RenderMesh(TCanvas& canvas, const TMesh& mesh, const TCamera& camera,
                const std::function<TColor(TVec3, TVec3, TColor)>& shade) {
  constexpr int Sub = 4;
  // Smoothed normals: the average of the faces meeting at each point.
  std::vector<TVec3> normals(mesh.Points.size());
  for (const auto& t : mesh.Triangles) {
    const TVec3 n = Cross(mesh.Points[t[1]] - mesh.Points[t[0]], mesh.Points[t[2]] - mesh.Points[t[0]]);
    for (int k = 0; k < 3; ++k) normals[t[k]] = normals[t[k]] + n;
  }
  for (TVec3& n : normals) n = Normalize(n);

  struct TProjected {
    float X, Y, InvDepth;
    bool Valid;
  };
  std::vector<TProjected> screen(mesh.Points.size());
  float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
  for (size_t i = 0; i < mesh.Points.size(); ++i) {
    float sx, sy, d;
    const bool ok = camera.Project(mesh.Points[i], sx, sy, d);
    screen[i] = {sx * Sub, sy * Sub, ok ? 1 / d : 0, ok};
    if (!ok) continue;
    minX = std::min(minX, sx), minY = std::min(minY, sy), maxX = std::max(maxX, sx), maxY = std::max(maxY, sy);
  }
  const int x0 = std::max(0, static_cast<int>(std::floor(minX))), y0 = std::max(0, static_cast<int>(std::floor(minY)));
  const int x1 = std::min(canvas.Width(), static_cast<int>(std::ceil(maxX)) + 1);
  const int y1 = std::min(canvas.Height(), static_cast<int>(std::ceil(maxY)) + 1);
  if (x0 >= x1 || y0 >= y1) return;
  const int bw = (x1 - x0) * Sub, bh = (y1 - y0) * Sub;
  std::vector<float> zbuf(static_cast<size_t>(bw) * bh, 0);  // 1 / depth; 0 is empty
  std::vector<TColor> color(static_cast<size_t>(bw) * bh, TColor{0, 0, 0, 0});

  for (size_t ti = 0; ti < mesh.Triangles.size(); ++ti) {
    const auto& t = mesh.Triangles[ti];
    const TProjected& a = screen[t[0]];
    const TProjected& b = screen[t[1]];
    const TProjected& c = screen[t[2]];
    if (!a.Valid || !b.Valid || !c.Valid) continue;
    const float area = (b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X);
    if (std::fabs(area) < 1e-6f) continue;
    const int sx0 = std::max(x0 * Sub, static_cast<int>(std::floor(std::min({a.X, b.X, c.X}))));
    const int sx1 = std::min(x1 * Sub - 1, static_cast<int>(std::ceil(std::max({a.X, b.X, c.X}))));
    const int sy0 = std::max(y0 * Sub, static_cast<int>(std::floor(std::min({a.Y, b.Y, c.Y}))));
    const int sy1 = std::min(y1 * Sub - 1, static_cast<int>(std::ceil(std::max({a.Y, b.Y, c.Y}))));
    for (int sy = sy0; sy <= sy1; ++sy)
      for (int sx = sx0; sx <= sx1; ++sx) {
        const float px = sx + 0.5f, py = sy + 0.5f;
        // Barycentric weights in screen space; perspective-correct through 1 / depth.
        const float wa = ((b.X - px) * (c.Y - py) - (b.Y - py) * (c.X - px)) / area;
        const float wb = ((c.X - px) * (a.Y - py) - (c.Y - py) * (a.X - px)) / area;
        const float wc = 1 - wa - wb;
        if (wa < 0 || wb < 0 || wc < 0) continue;
        const float inv = wa * a.InvDepth + wb * b.InvDepth + wc * c.InvDepth;
        const size_t i = static_cast<size_t>(sy - y0 * Sub) * bw + (sx - x0 * Sub);
        if (inv <= zbuf[i]) continue;
        zbuf[i] = inv;
        const float pa = wa * a.InvDepth / inv, pb = wb * b.InvDepth / inv, pc = wc * c.InvDepth / inv;
        const TVec3 point = mesh.Points[t[0]] * pa + mesh.Points[t[1]] * pb + mesh.Points[t[2]] * pc;
        TVec3 n = Normalize(normals[t[0]] * pa + normals[t[1]] * pb + normals[t[2]] * pc);
        if (Dot(n, camera.Eye - point) < 0) n = n * -1;  // the side we see
        TColor s = shade(point, n, mesh.Albedo[ti]);
        s.A = 1;
        color[i] = s;
      }
  }
  constexpr float Inv = 1.0f / (Sub * Sub);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      TColor sum{0, 0, 0, 0};
      for (int j = 0; j < Sub; ++j)
        for (int i = 0; i < Sub; ++i) {
          const TColor& s = color[static_cast<size_t>((y - y0) * Sub + j) * bw + (x - x0) * Sub + i];
          sum = {sum.R + s.R * s.A, sum.G + s.G * s.A, sum.B + s.B * s.A, sum.A + s.A};
        }
      if (sum.A <= 0) continue;
      canvas.Over(x, y, {sum.R / sum.A, sum.G / sum.A, sum.B / sum.A, 1}, sum.A * Inv);
    }
}
