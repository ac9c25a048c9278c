// Sky.cpp — building and drawing the sky dome, the sun disc and the lens flare.
#include "render/Sky.h"

#include "core/ConfigUnit.h"
#include "core/Frustum.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/Atmosphere.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
constexpr int32_t ListCount = 2;
// The eye the dome's colours are baked for: a typical flying height above the dome's base.
constexpr TVector DomeEye{0.0f, 0.0f, 250.0f};
constexpr float SkyNear = 0.1f;
constexpr float SkyFarMargin = 500.0f;  // beyond FarPlane, so the dome is never clipped
constexpr float SunScale = 150.0f;
constexpr float FlareHalfSize = 5.0f;
constexpr float ChunkMargin = 2.0f;  // dome units, far above the test's rounding on a dome 1400 across

struct TFlareElement {
  float Along;  // fraction of the way from the sun through the screen centre
  float Size;   // in hundredths of the viewport width
};
constexpr TFlareElement FlareElements[] = {
    {0.2f, 0.6f}, {0.5f, 0.4f}, {0.8f, 0.3f}, {1.2f, 0.2f}, {1.5f, 0.5f}, {1.9f, 0.2f},
};

void BindTexture(int32_t index) {
  if (index >= 0 && static_cast<size_t>(index) < Textures.size())
    GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(index)]);
}

// The dome and the sun fill only what the scene left empty: the pixels whose sky bit in the
// stencil is still clear. Drawn after the terrain (which sets the bit), the sky then costs a
// stencil compare wherever the ground covers it; drawn first, it covers everything as before.
// They never test or write depth, as when they were drawn first of all.
void BeginBehindScene() {
  GL.PushAttrib(GL_STENCIL_BUFFER_BIT);
  GL.Disable(GL_DEPTH_TEST);
  GL.Enable(GL_STENCIL_TEST);
  GL.StencilFunc(GL_EQUAL, 0, SkyStencilBit);
  GL.StencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
}

void EndBehindScene() { GL.PopAttrib(); }

// States shared by the sun disc and the flare elements: alpha-blended; the flare over
// everything, the sun behind the scene.
void BeginGlow(int32_t texture, bool behindScene) {
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_DEPTH_TEST);
  if (behindScene) BeginBehindScene();
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.Enable(GL_BLEND);
  BindTexture(texture);
  GL.Color4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// The frustum's planes scaled to unit normals, so that a plane's value is a true distance.
std::array<TPlane, 6> UnitPlanes(const TFrustum& frustum) {
  std::array<TPlane, 6> planes = frustum.planes;
  for (TPlane& p : planes) {
    const float length = VectorLength({p.a, p.b, p.c});
    if (length > 0) p = {p.a / length, p.b / length, p.c / length, p.d / length};
  }
  return planes;
}

// A chunk is left out only when its sphere lies beyond one plane by more than the margin, which
// covers the rounding of the test and of the rasteriser's snapping: what it drops cannot reach
// a pixel's centre.
bool ChunkInView(const std::array<TPlane, 6>& planes, const TDomeChunk& chunk) {
  for (const TPlane& p : planes)
    if (PlaneValue(p, chunk.Centre) < -(chunk.Radius + ChunkMargin)) return false;
  return true;
}

void EndGlow(bool behindScene) {
  if (behindScene) EndBehindScene();
  GL.Enable(GL_LIGHTING);
  GL.Disable(GL_BLEND);
  GL.Enable(GL_DEPTH_TEST);
}

}  // namespace

TVector SunOffset() { return {35.0f, FarPlane / 2.0f, 480.0f}; }

TMatrix SkyProjection(const TMatrix& sceneProjection) {
  TMatrix m = sceneProjection;
  // The depth terms of a perspective projection, computed as MatrixPerspective does.
  const float far = FarPlane + SkyFarMargin;
  const double zNear = SkyNear, zFar = far;
  m[10] = static_cast<float>(-(zFar + zNear) / (zFar - zNear));
  m[14] = static_cast<float>(-2.0 * zNear * zFar / (zFar - zNear));
  return m;
}

TMatrix SkyTransform(const TMatrix& cameraRotation, float skyBase, float eyeZ) {
  TMatrix m = cameraRotation;
  MatrixTranslate(m, 0.0f, 0.0f, skyBase - eyeZ);
  return m;
}

bool FlareVisible(const TVector& window, float storedDepth, int32_t width, int32_t height) {
  return window.x >= 0.0f && window.x <= static_cast<float>(width) && window.y >= 0.0f &&
         window.y <= static_cast<float>(height) && window.z >= 0.0f && window.z <= 1.0f &&
         storedDepth >= 1.0f;
}

TSky::TSky(TAtmosphere& atmosphere, const std::string& skyPicture, GLenum texEnvMode)
    : SkyTexEnvMode(texEnvMode) {
  BuildDome(atmosphere);
  LoadTextures(skyPicture);
  FirstList = GL.GenLists(ListCount);
  SunList = FirstList;
  FlareList = FirstList + 1;
  RecordSunList();
  RecordFlareList();
}

TSky::~TSky() {
  if (FirstList) GL.DeleteLists(FirstList, ListCount);
}

void TSky::BuildDome(TAtmosphere& atmosphere) {
  const float radius = FarPlane;
  // rings[i] holds ring i's vertices: 2 at the zenith for ring 0, 4i + 1 for the others (the
  // last repeats the first so the texture coordinate can run to 4 without wrapping back).
  std::vector<std::vector<TSkyVertex>> rings(SkyRings + 1);
  for (int32_t i = 0; i <= SkyRings; ++i) {
    const float elevation = static_cast<float>(2 * SkyRings - i) * Pi / (2 * SkyRings) - Pi / 2;
    const int32_t segments = 4 * i;
    const int32_t count = i == 0 ? 2 : segments + 1;
    for (int32_t j = 0; j < count; ++j) {
      const float azimuth = segments ? 2.0f * Pi * static_cast<float>(j) / static_cast<float>(segments) : 0.0f;
      TSkyVertex v{};
      v.x = radius * std::sin(azimuth) * std::cos(elevation);
      v.y = radius * std::cos(azimuth) * std::cos(elevation);
      v.z = (radius + SkyDomeLift) * std::sin(elevation);
      TVector colour;
      atmosphere.InScatter({v.x, v.y, v.z}, DomeEye, DomeEye, colour);
      v.r = colour.x;
      v.g = colour.y;
      v.b = colour.z;
      // The picture repeats four times around the dome.
      v.u = i == 0 ? 0.5f : static_cast<float>(j) / static_cast<float>(i);
      v.v = 1.0f - static_cast<float>(i) / SkyRings;
      rings[static_cast<size_t>(i)].push_back(v);
    }
  }
  // Each band between ring i - 1 and ring i: i segments below, i - 1 above in each quadrant,
  // wound counter-clockwise as seen from inside the dome. Laid out sector by sector, a
  // segment going to the sector its start lies in.
  DomeVertices.clear();
  DomeVertices.reserve(static_cast<size_t>(3 * 4 * SkyRings * SkyRings));
  DomeChunks.clear();
  constexpr int32_t sectorsPerQuadrant = SkySectors / 4;
  for (int32_t sector = 0; sector < SkySectors; ++sector) {
    const int32_t q = sector / sectorsPerQuadrant;
    for (int32_t i = 1; i <= SkyRings; ++i) {
      const auto& upper = rings[static_cast<size_t>(i - 1)];
      const auto& lower = rings[static_cast<size_t>(i)];
      const size_t up = static_cast<size_t>(q * (i - 1));
      const size_t low = static_cast<size_t>(q * i);
      const size_t first = DomeVertices.size();
      for (int32_t t = 0; t < i; ++t) {
        if (q * sectorsPerQuadrant + t * sectorsPerQuadrant / i != sector) continue;
        const size_t k = static_cast<size_t>(t);
        DomeVertices.push_back(lower[low + k]);
        DomeVertices.push_back(lower[low + k + 1]);
        DomeVertices.push_back(upper[up + k]);
        if (t + 1 < i) {
          DomeVertices.push_back(upper[up + k]);
          DomeVertices.push_back(lower[low + k + 1]);
          DomeVertices.push_back(upper[up + k + 1]);
        }
      }
      if (DomeVertices.size() > first) AddDomeChunk(first);
    }
  }
}

void TSky::AddDomeChunk(size_t first) {
  TVector low{DomeVertices[first].x, DomeVertices[first].y, DomeVertices[first].z};
  TVector high = low;
  for (size_t k = first; k < DomeVertices.size(); ++k) {
    const TSkyVertex& v = DomeVertices[k];
    low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
    high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
  }
  TDomeChunk chunk;
  chunk.First = static_cast<int32_t>(first);
  chunk.Count = static_cast<int32_t>(DomeVertices.size() - first);
  chunk.Centre = (low + high) * 0.5f;
  for (size_t k = first; k < DomeVertices.size(); ++k) {
    const TSkyVertex& v = DomeVertices[k];
    chunk.Radius = std::max(chunk.Radius, VectorLength(TVector{v.x, v.y, v.z} - chunk.Centre));
  }
  DomeChunks.push_back(chunk);
}

void TSky::LoadTextures(const std::string& skyPicture) {
  SkyTexture = LoadTexture(skyPicture);
  // The picture repeats around the dome but runs once from the horizon (v = 0) to the zenith
  // (v = 1): wrapping there would filter the zenith's rows into the horizon's and draw a thin
  // line of the wrong colour along the dome's rim.
  if (EdgeClampSupported) {
    BindTexture(SkyTexture);
    GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  SunTexture = LoadTexture("sun.cna");
  BindTexture(SunTexture);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  FlareTexture = LoadTexture("flare.cna");
  BindTexture(FlareTexture);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void TSky::RecordSunList() {
  GL.NewList(SunList, GL_COMPILE);
  BeginGlow(SunTexture, true);
  GL.Begin(GL_QUADS);
  GL.TexCoord2f(0, 0);
  GL.Vertex3f(-0.5f, 0.0f, -0.5f);
  GL.TexCoord2f(1, 0);
  GL.Vertex3f(0.5f, 0.0f, -0.5f);
  GL.TexCoord2f(1, 1);
  GL.Vertex3f(0.5f, -0.1f, 0.5f);
  GL.TexCoord2f(0, 1);
  GL.Vertex3f(-0.5f, -0.1f, 0.5f);
  GL.End();
  EndGlow(true);
  GL.EndList();
}

void TSky::RecordFlareList() {
  GL.NewList(FlareList, GL_COMPILE);
  BeginGlow(FlareTexture, false);
  GL.Begin(GL_QUADS);
  GL.TexCoord2f(0, 0);
  GL.Vertex2f(-FlareHalfSize, -FlareHalfSize);
  GL.TexCoord2f(1, 0);
  GL.Vertex2f(FlareHalfSize, -FlareHalfSize);
  GL.TexCoord2f(1, 1);
  GL.Vertex2f(FlareHalfSize, FlareHalfSize);
  GL.TexCoord2f(0, 1);
  GL.Vertex2f(-FlareHalfSize, FlareHalfSize);
  GL.End();
  EndGlow(false);
  GL.EndList();
}

void TSky::BeginDome(const TMatrix& projection) const {
  GL.MatrixMode(GL_PROJECTION);
  GL.PushMatrix();
  GL.LoadMatrixf(projection.data());
  GL.MatrixMode(GL_MODELVIEW);
  GL.Disable(GL_LIGHTING);
  BeginBehindScene();
  GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(SkyTexEnvMode));
  BindTexture(SkyTexture);
  constexpr GLsizei stride = sizeof(TSkyVertex);
  const TSkyVertex* first = DomeVertices.data();
  GL.EnableClientState(GL_VERTEX_ARRAY);
  GL.EnableClientState(GL_COLOR_ARRAY);
  GL.EnableClientState(GL_TEXTURE_COORD_ARRAY);
  GL.DisableClientState(GL_NORMAL_ARRAY);
  GL.VertexPointer(3, GL_FLOAT, stride, &first->x);
  GL.ColorPointer(3, GL_FLOAT, stride, &first->r);
  GL.TexCoordPointer(2, GL_FLOAT, stride, &first->u);
}

// The arrays go off again: left on, they would point into the dome after the level is gone.
void TSky::EndDome() const {
  GL.DisableClientState(GL_VERTEX_ARRAY);
  GL.DisableClientState(GL_COLOR_ARRAY);
  GL.DisableClientState(GL_TEXTURE_COORD_ARRAY);
  EndBehindScene();
  GL.Enable(GL_LIGHTING);
  GL.Enable(GL_DEPTH_TEST);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  GL.MatrixMode(GL_PROJECTION);
  GL.PopMatrix();
  GL.MatrixMode(GL_MODELVIEW);
}

void TSky::DrawDomeRun(int32_t first, int32_t count) {
  if (count == 0) return;
  GL.DrawArrays(GL_TRIANGLES, first, count);
  DomeTrianglesDrawn += count / 3;
}

// Most of the dome is behind or beside the view in any frame. A chunk wholly outside one plane
// of the dome's own frustum puts no pixel on screen; the others go in runs, neighbours in the
// array joined into one draw.
void TSky::DrawSky(const TMatrix& skyView) {
  DomeTrianglesDrawn = 0;
  const TMatrix projection = SkyProjection(ProjectionMatrix);
  TFrustum frustum;
  frustum.CalculateFrustum(projection, skyView);
  const std::array<TPlane, 6> planes = UnitPlanes(frustum);
  BeginDome(projection);
  int32_t runFirst = 0, runCount = 0;
  for (const TDomeChunk& chunk : DomeChunks) {
    if (!ChunkInView(planes, chunk)) continue;
    if (runFirst + runCount != chunk.First) {
      DrawDomeRun(runFirst, runCount);
      runFirst = chunk.First;
      runCount = 0;
    }
    runCount += chunk.Count;
  }
  DrawDomeRun(runFirst, runCount);
  EndDome();
}

void TSky::DrawSun() {
  const TVector at = SunOffset();
  GL.PushMatrix();
  GL.Translatef(at.x, at.y, at.z);
  GL.Scalef(SunScale, 0.0f, SunScale);
  GL.CallList(SunList);
  GL.PopMatrix();
}

void TSky::DrawFlare(const TMatrix& skyView) {
  const int32_t width = ScreenWidth, height = ScreenHeight;
  if (width <= 0 || height <= 0) return;
  TMatrix model = skyView;
  const TVector at = SunOffset();
  MatrixTranslate(model, at.x, at.y, at.z);
  const int32_t viewport[4] = {0, 0, width, height};
  TVector window;
  if (!ProjectPoint({0, 0, 0}, model, ProjectionMatrix, viewport, window)) return;
  // One depth read a frame: whatever was drawn over the sun's pixel hides the flare. Left at 0
  // (hidden) when the pixel is outside the buffer and nothing is read.
  float depth = 0.0f;
  GL.ReadPixels(static_cast<GLint>(std::lround(window.x)), static_cast<GLint>(std::lround(window.y)),
                1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  if (!FlareVisible(window, depth, width, height)) return;

  TMatrix ortho;
  MatrixOrtho2D(0.0f, static_cast<float>(width), 0.0f, static_cast<float>(height), ortho);
  GL.MatrixMode(GL_PROJECTION);
  GL.PushMatrix();
  GL.LoadMatrixf(ortho.data());
  GL.MatrixMode(GL_MODELVIEW);
  GL.PushMatrix();
  // The elements line up from the sun through the screen centre and beyond.
  const float offsetX = static_cast<float>(width) / 2.0f - window.x;
  const float offsetY = static_cast<float>(height) / 2.0f - window.y;
  const float unit = static_cast<float>(width) / 100.0f;
  for (const TFlareElement& e : FlareElements) {
    GL.LoadIdentity();
    GL.Translatef(window.x + e.Along * offsetX, window.y + e.Along * offsetY, 0.0f);
    GL.Scalef(e.Size * unit, e.Size * unit, 1.0f);
    BindTexture(FlareTexture);
    GL.CallList(FlareList);
  }
  GL.PopMatrix();
  GL.MatrixMode(GL_PROJECTION);
  GL.PopMatrix();
  GL.MatrixMode(GL_MODELVIEW);
}
