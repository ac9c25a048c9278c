// Sky.h — the sky dome coloured by the atmosphere, the sun disc and the lens flare that shows
// only while nothing covers the sun.
//
// Conventions: the dome is built around the origin with its base at z = 0 and is drawn under
// the sky transform (the camera's rotation, lifted to the mission's sky height), so it turns
// with the view and follows the eye. Dome vertices are eight floats: x, y, z, r, g, b, u, v.
// The triangles are laid out sector by sector around the dome, and in each sector band by band
// from the zenith down, so that the part in view is a few unbroken runs of the array.
#pragma once

#include "core/VectMath.h"

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

class TAtmosphere;

// One band's triangles within one sector: a run of DomeVertices and a sphere holding them.
struct TDomeChunk {
  int32_t First = 0;  // vertex index
  int32_t Count = 0;  // vertices, three a triangle
  TVector Centre{};
  float Radius = 0;
};

struct TSkyVertex {
  float x, y, z;
  float r, g, b;
  float u, v;
};
static_assert(sizeof(TSkyVertex) == 8 * sizeof(float));

constexpr int32_t SkyRings = 64;     // rings below the zenith; ring 64 is the horizon
constexpr int32_t SkySectors = 32;   // slices of the dome around its axis, eight a quadrant
constexpr float SkyDomeLift = 40.0f;  // the dome is this much taller than it is wide

// The stencil bit the opaque scene sets where it covers the sky; the HUD's mask uses bit 1.
constexpr GLuint SkyStencilBit = 2;

// Where the sun disc and the flare's origin sit in the sky transform's space.
TVector SunOffset();

// The transform the level loads before DrawSky, DrawSun and DrawFlare: the camera's rotation
// (no translation) followed by a lift of (skyBase - eyeZ), skyBase being the terrain's height
// scale times the mission's SkyHeight.
TMatrix SkyTransform(const TMatrix& cameraRotation, float skyBase, float eyeZ);

// The projection the dome is drawn with: the scene's, so that its clouds keep to the ground and
// the sun disc whatever the window's shape, with a depth range that holds the whole dome, which
// lies beyond the scene's far plane.
TMatrix SkyProjection(const TMatrix& sceneProjection);

// The flare is drawn only when the sun's window position is inside the viewport and the depth
// buffer there is still at the far plane (nothing drawn over the sun).
bool FlareVisible(const TVector& window, float storedDepth, int32_t width, int32_t height);

class TSky {
public:
  // Builds the dome with its colours from `atmosphere` (already computed), loads the sky picture
  // and sun.cna and flare.cna, and records the sun's and the flare's display lists. texEnvMode
  // is the mission's sky texture environment (GL_DECAL, GL_ADD or GL_REPLACE). Throws
  // TFileError from the texture loader when a picture is missing.
  TSky(TAtmosphere& atmosphere, const std::string& skyPicture, GLenum texEnvMode);
  ~TSky();  // deletes the display lists
  TSky(const TSky&) = delete;
  TSky& operator=(const TSky&) = delete;

  // The dome and the sun fill only pixels whose SkyStencilBit is clear, without depth: drawn
  // after an opaque scene that set the bit they show only where it left the view empty (the
  // picture of drawing them first, for less filling).
  // All three expect the sky transform in the model-view matrix and the scene's projection in
  // ProjectionMatrix; skyView is that same model-view matrix. The dome leaves out the chunks
  // wholly outside the view, which the driver would otherwise transform and clip away: the same
  // pixels for a fraction of the vertices. The flare finds the sun on screen with the viewport
  // 0, 0, ScreenWidth, ScreenHeight, then reads one depth value.
  void DrawSky(const TMatrix& skyView);
  void DrawSun();
  void DrawFlare(const TMatrix& skyView);

  std::vector<TSkyVertex> DomeVertices;  // a triangle list
  std::vector<TDomeChunk> DomeChunks;    // in the order of DomeVertices, covering it
  int32_t DomeTrianglesDrawn = 0;        // by the last DrawSky
  int32_t SkyTexture = 0;
  GLuint SunList = 0;
  int32_t SunTexture = 0;
  GLuint FlareList = 0;
  int32_t FlareTexture = 0;
  GLenum SkyTexEnvMode = GL_DECAL;

private:
  void BuildDome(TAtmosphere& atmosphere);
  void LoadTextures(const std::string& skyPicture);
  void RecordSunList();
  void RecordFlareList();
  void AddDomeChunk(size_t first);
  void BeginDome(const TMatrix& projection) const;
  void EndDome() const;
  void DrawDomeRun(int32_t first, int32_t count);

  GLuint FirstList = 0;  // the two lists: sun, flare element
};
