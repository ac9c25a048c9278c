// ShadowUnit.cpp — making, rendering and drawing actors' shadows.
#include "render/ShadowUnit.h"

#include "core/ConfigUnit.h"
#include "core/Frustum.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "render/MeshUnit.h"
#include "render/ShadowAtlas.h"
#include "render/Surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace {

// The shadow camera: a square view, the silhouette ShadowDistance in front of it.
constexpr float ShadowFieldOfView = 45.0f;  // vertical, degrees
constexpr float ShadowNear = 0.1f;
constexpr float ShadowFar = 1000.0f;
// Per unit of ShadowScale and of height below ShadowFadeHeight.
constexpr float ShadowSizeFactor = 0.005f;

// How each kind turns its mesh in front of the shadow camera, degrees about X: a static shadow
// and a lamp look straight down, a turret and a trooper from a slant.
constexpr float TopDownTilt = 90.0f;
constexpr float TurretTilt = 50.0f;
constexpr float TurretDrop = 6.0f;  // the turret sits this far below the view's centre
constexpr float TrooperTilt = 45.0f;
constexpr float TrooperDrop = 4.0f;
constexpr float TrooperDistance = 30.0f;  // a trooper is shot from this close, whatever its ShadowDistance
// A lamp's shadow does not follow its heading: the light falls across it at a fixed angle.
constexpr float LampShadowTurn = 45.0f;

// Names the dynamic shadow textures; only grows, so no two actors ever share one.
int32_t ShadowCounter = 0;

// Every shadow clears with the same list, so the living shadows share one: the driver gives
// each list a buffer of its own, and a mission has dozens of shadows.
GLuint SharedClearList = 0;
int32_t ClearListUsers = 0;

// The living shadows also share the atlas their silhouettes are rendered into.
TShadowAtlas SharedAtlas;
// Within a shadow render setup; the atlas becomes the target at the pass's first silhouette,
// so a frame that renders none never switches targets.
bool PassOpen = false;
bool AtlasOpen = false;

// Only inside a render setup: a silhouette rendered outside one is copied from the screen.
bool OpenAtlas() {
  if (!PassOpen) return false;
  if (!AtlasOpen) AtlasOpen = SharedAtlas.Begin(ShadowMapSide());
  return AtlasOpen;
}

GLuint BuildClearList() {
  const GLuint list = GL.GenLists(1);
  GL.NewList(list, GL_COMPILE);
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_DEPTH_TEST);
  GL.Disable(GL_TEXTURE_2D);
  GL.Color3f(1, 1, 1);
  // One unit in front of a 45° eye, two units wide: past every edge of the view.
  GL.Begin(GL_QUADS);
  GL.Vertex3f(-1, -1, -1);
  GL.Vertex3f(1, -1, -1);
  GL.Vertex3f(1, 1, -1);
  GL.Vertex3f(-1, 1, -1);
  GL.End();
  GL.Enable(GL_TEXTURE_2D);
  // A dynamic shadow's first fill is this list alone, and the scene drawn after it needs both.
  GL.Enable(GL_LIGHTING);
  GL.Enable(GL_DEPTH_TEST);
  GL.EndList();
  return list;
}

const TMatrix& ShadowProjection() {
  static const TMatrix projection = [] {
    TMatrix m;
    MatrixPerspective(ShadowFieldOfView, 1.0f, ShadowNear, ShadowFar, m);
    return m;
  }();
  return projection;
}

}  // namespace

bool ShadowsOn() { return Config.Shadows != 0 && Config.ShadowMapSize > 0; }

int32_t ShadowMapSide() {
  int32_t side = Config.ShadowMapSize;
  // Before a window is sized there is no screen to fit into.
  while (ScreenWidth > 0 && side > 1 && (side > ScreenWidth || side > ScreenHeight)) side /= 2;
  return side;
}

float ShadowDecalSize(int32_t shadowScale, float height, float maxSize) {
  return std::clamp(ShadowSizeFactor * static_cast<float>(shadowScale) * (ShadowFadeHeight - height), 0.0f, maxSize);
}

float ShadowHeading(const TMatrix& matrix) {
  TVector axis;
  MatrixRotateVector({0, 0, 1}, matrix, axis);
  // Only the direction along the ground counts: a tilted actor's axis is flattened and made
  // unit length again, or its shadow would turn by its tilt as well as by its heading.
  axis.z = 0;
  VectorNormalize(axis, axis);
  if (axis.x == 0 && axis.y == 0) axis.y = 1;  // standing straight up: no heading to follow
  const float degrees = std::acos(std::clamp(axis.y, -1.0f, 1.0f)) * 180.0f / std::numbers::pi_v<float> + 180.0f;
  return axis.x <= 0 ? 360.0f - degrees : degrees;
}

TShadowRenderSetup::TShadowRenderSetup() {
  GL.MatrixMode(GL_PROJECTION);
  GL.PushMatrix();
  GL.LoadMatrixf(ShadowProjection().data());
  GL.MatrixMode(GL_MODELVIEW);
  GL.PushMatrix();
  const int32_t side = ShadowMapSide();
  GL.Viewport(0, 0, side, side);
  PassOpen = true;
}

TShadowRenderSetup::~TShadowRenderSetup() {
  if (AtlasOpen) SharedAtlas.End();
  PassOpen = AtlasOpen = false;
  GL.Viewport(0, 0, ScreenWidth, ScreenHeight);
  GL.PopMatrix();
  GL.MatrixMode(GL_PROJECTION);
  GL.PopMatrix();
  GL.MatrixMode(GL_MODELVIEW);
}

TShadow::TShadow(const TShadowClass& settings)
    : Kind(settings.Kind),
      ShadowMode(settings.ShadowMode),
      ShadowDistance(settings.ShadowDistance),
      ShadowScale(settings.ShadowScale) {
  // Without shadows nothing is ever rendered, so nothing is made to render with.
  if (!ShadowsOn()) return;
  if (ClearListUsers++ == 0) SharedClearList = BuildClearList();
  ClearList = SharedClearList;
}

TShadow::~TShadow() { ReleaseList(); }

TShadow::TShadow(TShadow&& other) noexcept
    : Kind(other.Kind),
      ShadowMode(other.ShadowMode),
      ShadowTexture(other.ShadowTexture),
      TextureSide(other.TextureSide),
      ShadowDistance(other.ShadowDistance),
      ShadowScale(other.ShadowScale),
      ClearList(std::exchange(other.ClearList, 0)) {}

TShadow& TShadow::operator=(TShadow&& other) noexcept {
  if (this == &other) return *this;
  ReleaseList();
  Kind = other.Kind;
  ShadowMode = other.ShadowMode;
  ShadowTexture = other.ShadowTexture;
  TextureSide = other.TextureSide;
  ShadowDistance = other.ShadowDistance;
  ShadowScale = other.ShadowScale;
  ClearList = std::exchange(other.ClearList, 0);
  return *this;
}

void TShadow::ReleaseList() {
  if (ClearList == 0) return;
  ClearList = 0;
  if (--ClearListUsers > 0) return;
  if (GL.DeleteLists) GL.DeleteLists(SharedClearList, 1);
  SharedClearList = 0;
  SharedAtlas.Release();
}

void TShadow::CreateShadow(const TShadowCaster& caster, const TShadowWorld& world) {
  if (!ShadowsOn() || (ShadowMode != ShadowStatic && ShadowMode != ShadowDynamic)) return;
  const int32_t side = ShadowMapSide();
  const bool shared = ShadowMode == ShadowStatic;
  const std::string name = shared ? caster.MeshName : std::to_string(ShadowCounter++) + "shdw" + caster.MeshName;
  ShadowTexture = CreateTexture(name, side, side);
  TextureSide = side;
  if (shared) {
    TShadowRenderSetup setup;
    RenderShadow(caster, world);
    return;
  }
  // The clear list would draw the same white; written directly, the renderer need not finish
  // drawing and read it back for every shadow of the mission.
  static std::vector<uint8_t> white;
  white.assign(static_cast<size_t>(side) * side * 3, 255);
  GL.BindTexture(GL_TEXTURE_2D, Textures[ShadowTexture]);
  GL.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GL.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, side, side, GL_RGB, GL_UNSIGNED_BYTE, white.data());
}

bool TShadow::RenderShadow(const TShadowCaster& caster, const TShadowWorld& world) {
  if (!ShadowsOn() || ShadowTexture < 0) return false;
  // Turrets and troopers render whatever their mode says.
  const bool own = Kind == TShadowKind::Turret || Kind == TShadowKind::Trooper;
  if (ShadowMode == ShadowNone && !own) return false;
  if (ShadowMode == ShadowDynamic) {
    const TVector& p = caster.Position;
    const TVector ground = world.Surface.GroundPoint(p.x, p.y);
    if (!SquareVisible(ground, ShadowDecalSize(ShadowScale, p.z - ground.z, MaxSize()), world.Frustum)) return false;
  }
  const bool atlas = OpenAtlas();
  if (atlas) {
    FitTexture();
    SharedAtlas.Place(Textures[ShadowTexture]);
  }
  GL.LoadIdentity();
  GL.CallList(ClearList);
  PlaceSilhouette(caster.Matrix);
  caster.Mesh.DrawShadow();
  if (!atlas) CopyToTexture();
  return true;
}

void TShadow::FitTexture() {
  const int32_t side = ShadowMapSide();
  if (side == TextureSide) return;
  GL.BindTexture(GL_TEXTURE_2D, Textures[ShadowTexture]);
  GL.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  TextureSide = side;
}

void TShadow::DrawShadow(const TShadowCaster& caster, TSurf& surface) const {
  if (!ShadowsOn() || ShadowTexture < 0) return;
  const TVector& p = caster.Position;
  const float size = ShadowDecalSize(ShadowScale, p.z - surface.GroundHeight(p.x, p.y), MaxSize());
  if (size <= 0) return;
  if (ShadowMode == ShadowDynamic) {
    surface.DrawShadowDecal(ShadowTexture, p.x, p.y, size, size, 1, 1, 1, 1);
    return;
  }
  // A static shadow was rendered facing one way; the texture turns to the actor's heading.
  const float turn = Kind == TShadowKind::Lamp ? LampShadowTurn : ShadowHeading(caster.Matrix);
  GL.MatrixMode(GL_TEXTURE);
  GL.PushMatrix();
  GL.LoadIdentity();
  GL.Translatef(0.5f, 0.5f, 0);
  GL.Rotatef(turn, 0, 0, 1);
  GL.Translatef(-0.5f, -0.5f, 0);
  surface.DrawShadowDecal(ShadowTexture, p.x, p.y, size, size, 1, 1, 1, 1);
  GL.PopMatrix();
  GL.MatrixMode(GL_MODELVIEW);
}

float TShadow::MaxSize() const { return Kind == TShadowKind::Lamp ? LampShadowMaxSize : ShadowMaxSize; }

// The test square reaches a whole size each way, twice the decal's: a shadow is rendered a
// little before its edge comes into view.
bool TShadow::SquareVisible(const TVector& ground, float size, const TFrustum& frustum) const {
  const float x0 = ground.x - size, x1 = ground.x + size, y0 = ground.y - size, y1 = ground.y + size;
  return frustum.QuadInFrustum({x0, y0, ground.z}, {x1, y0, ground.z}, {x1, y1, ground.z}, {x0, y1, ground.z});
}

void TShadow::PlaceSilhouette(const TMatrix& matrix) const {
  switch (Kind) {
    case TShadowKind::Base:
      GL.Translatef(0, 0, -ShadowDistance);
      if (ShadowMode == ShadowStatic) {
        GL.Rotatef(TopDownTilt, 1, 0, 0);
        return;
      }
      {
        // The actor's attitude with its height mirrored: x and y stay the world's, as the decal
        // lays the picture on the ground.
        TMatrix mirrored = matrix;
        mirrored[2] = -mirrored[2];
        mirrored[6] = -mirrored[6];
        mirrored[10] = -mirrored[10];
        GL.MultMatrixf(mirrored.data());
      }
      return;
    case TShadowKind::Lamp:
      GL.Translatef(0, 0, -ShadowDistance);
      GL.Rotatef(TopDownTilt, 1, 0, 0);
      break;
    case TShadowKind::Turret:
      GL.Translatef(0, -TurretDrop, -ShadowDistance);
      GL.Rotatef(TurretTilt, 1, 0, 0);
      break;
    case TShadowKind::Trooper:
      GL.Translatef(0, -TrooperDrop, -TrooperDistance);
      GL.Rotatef(TrooperTilt, 1, 0, 0);
      break;
  }
  GL.MultMatrixf(matrix.data());
}

// Into the texture's storage as it is; only a map of another side (the window shrank below
// it) makes the texture anew.
void TShadow::CopyToTexture() {
  const int32_t side = ShadowMapSide();
  GL.BindTexture(GL_TEXTURE_2D, Textures[ShadowTexture]);
  if (side == TextureSide) {
    GL.CopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, side, side);
    return;
  }
  GL.CopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 0, 0, side, side, 0);
  TextureSide = side;
}
