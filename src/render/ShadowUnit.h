// ShadowUnit.h — actors' shadows: a flat silhouette rendered from above into a texture (once per
// mesh for a static shadow, every frame near the camera for a dynamic one) and laid on the
// terrain under the actor as a decal that darkens the ground.
//
// Conventions: world Z is up; sizes and distances are world units; angles handed to OpenGL are
// degrees. Inside a shadow render setup the silhouettes go into squares of the shared shadow
// atlas and reach their textures when the setup ends; without render to texture (or outside a
// setup) each is rendered into the lower left square of the frame buffer, which the frame
// clears and draws over afterwards, and copied at once. Nothing here reads GL state back: the
// viewport put back after a shadow render is the screen's (ScreenWidth x ScreenHeight) and the
// matrices are pushed and popped on OpenGL's own stacks.
#pragma once

#include "core/VectMath.h"
#include "platform/GLTable.h"

#include <cstdint>
#include <string>

class TFrustum;
class TMesh;
class TSurf;

// ShadowMode values.
constexpr int32_t ShadowNone = 0;
constexpr int32_t ShadowStatic = 1;   // rendered once, shared by every actor with the same mesh
constexpr int32_t ShadowDynamic = 2;  // each actor its own, rendered again every frame near the eye

// Dynamic shadows farther than this from the eye keep their last picture.
constexpr float DynamicShadowRange = 700.0f;
// The shadow shrinks with height and is gone at this height above the ground.
constexpr float ShadowFadeHeight = 300.0f;
constexpr float ShadowMaxSize = 128.0f;      // edge of the largest shadow on the ground
constexpr float LampShadowMaxSize = 150.0f;  // a lamp's long shadow may grow larger

// Whose RenderShadow and DrawShadow a shadow runs: the actor base's, or a ground unit's own.
enum class TShadowKind : uint8_t { Base, Lamp, Turret, Trooper };

// ShadowMode, ShadowDistance and ShadowScale as an actor class's constructor sets them.
struct TShadowClass {
  TShadowKind Kind = TShadowKind::Base;
  int32_t ShadowMode = ShadowNone;
  float ShadowDistance = 60.0f;  // how far in front of the shadow camera the mesh is put
  int32_t ShadowScale = 32;      // size of the decal on the ground
};

namespace ShadowClass {
constexpr TShadowClass AirCraft{TShadowKind::Base, ShadowDynamic, 60.0f, 32};  // also the player's
constexpr TShadowClass Turret{TShadowKind::Turret, ShadowDynamic, 75.0f, 37};
constexpr TShadowClass Trooper{TShadowKind::Trooper, ShadowDynamic, 240.0f, 25};
constexpr TShadowClass Vehicle{TShadowKind::Base, ShadowStatic, 50.0f, 32};
constexpr TShadowClass Lamp{TShadowKind::Lamp, ShadowStatic, 270.0f, 150};
constexpr TShadowClass Zeppelin{TShadowKind::Base, ShadowStatic, 240.0f, 128};
constexpr TShadowClass Baloon{TShadowKind::Base, ShadowStatic, 180.0f, 40};
constexpr TShadowClass Building{};  // no shadow
}  // namespace ShadowClass

// Config.Shadows, with a shadow map to render into.
bool ShadowsOn();
// The side of the square shadow textures: Config.ShadowMapSize, halved while it is larger than
// the screen, whose frame buffer the silhouettes are copied from.
int32_t ShadowMapSide();

// Edge length of the square shadow on the ground of an actor `height` above the ground point
// under it: 0 from ShadowFadeHeight up, at most maxSize however deep below the ground.
float ShadowDecalSize(int32_t shadowScale, float height, float maxSize = ShadowMaxSize);
// The turn of a static shadow's texture, degrees about the decal's centre, from the actor's
// rotation matrix: 0 when its +Z axis points along world -Y (the way the static shadow was
// rendered), growing as that axis turns through +X.
float ShadowHeading(const TMatrix& matrix);

// The actor a shadow belongs to, as it stands when the shadow is made, rendered or drawn.
struct TShadowCaster {
  TMesh& Mesh;
  const std::string& MeshName;  // the name the mesh was loaded under: path and base name
  const TVector& Position;
  const TMatrix& Matrix;        // rotation of the actor's orientation, as glMultMatrixf takes it
};

// The world shadows fall into.
struct TShadowWorld {
  TSurf& Surface;
  const TFrustum& Frustum;  // the camera's: a dynamic shadow off screen is not rendered
};

// The shadow render setup: while it lives, a square 45° view of ShadowMapSide() pixels, aspect 1,
// near 0.1, far 1000, with the projection and model-view matrices saved; both and the screen's
// viewport come back when it ends, model-view left current, and the silhouettes rendered
// meanwhile are in their textures.
class TShadowRenderSetup {
public:
  TShadowRenderSetup();
  ~TShadowRenderSetup();
  TShadowRenderSetup(const TShadowRenderSetup&) = delete;
  TShadowRenderSetup& operator=(const TShadowRenderSetup&) = delete;
};

class TShadow {
public:
  // With shadows on, takes ClearList (built for the first living shadow, freed with the last):
  // lighting, depth test and texturing off, a white quad that fills the whole shadow view
  // under an identity model-view, then all three back on.
  explicit TShadow(const TShadowClass& settings);
  ~TShadow();
  TShadow(TShadow&& other) noexcept;
  TShadow& operator=(TShadow&& other) noexcept;
  TShadow(const TShadow&) = delete;
  TShadow& operator=(const TShadow&) = delete;

  // Once after loading, with shadows on and a static or dynamic mode: takes the shadow texture
  // (a static shadow's named after the mesh, a dynamic one's after a counter and the mesh) and
  // fills it inside its own render setup: a static shadow with its silhouette, a dynamic one
  // white until its first render.
  void CreateShadow(const TShadowCaster& caster, const TShadowWorld& world);
  // Inside the shadow render setup: the silhouette from above, copied into ShadowTexture. False
  // when nothing was rendered (shadows off, no texture, or a dynamic shadow's ground off screen).
  bool RenderShadow(const TShadowCaster& caster, const TShadowWorld& world);
  // With the camera's view loaded: the shadow texture laid on the ground under the actor.
  void DrawShadow(const TShadowCaster& caster, TSurf& surface) const;

  TShadowKind Kind;
  int32_t ShadowMode;
  int32_t ShadowTexture = -1;  // index into Textures; -1 until CreateShadow made it
  int32_t TextureSide = 0;     // the side ShadowTexture was made with
  float ShadowDistance;
  int32_t ShadowScale;
  GLuint ClearList = 0;

private:
  float MaxSize() const;
  bool SquareVisible(const TVector& ground, float size, const TFrustum& frustum) const;
  void PlaceSilhouette(const TMatrix& matrix) const;
  // Makes ShadowTexture anew when the map's side changed since it was made (the window shrank).
  void FitTexture();
  void CopyToTexture();
  void ReleaseList();
};
