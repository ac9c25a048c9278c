// Surface.h — the terrain: the bordered height grid with normals, sun shading and seam textures,
// the quadtree of drawable pieces culled against the frustum, the ground-height query and decals.
//
// Grid conventions: the file's grid is enlarged by TerrainBorder cells on every side; grid point
// (row r, column c) sits at ((c - 50) * CellSizeX, (r - 50) * CellSizeY, step * HeightScale), so
// the file's first cell starts at the world origin. Cell (r, c) spans points r..r+1, c..c+1 and
// its data (texture, the two triangle planes) lives in the vertex of its first point (r, c).
#pragma once

#include "core/Frustum.h"
#include "core/SrfFile.h"
#include "core/Texture.h"
#include "core/VectMath.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The file's content with the border added; every byte-sized side already includes it.
class TSurfIO {
public:
  TSurfIO() = default;
  explicit TSurfIO(const TSrf& file);  // the data is validated, so the border always fits
  static TSurfIO ReadFromFile(const std::string& path);

  uint8_t Width = 0, Height = 0;
  float CellSizeX = 1, CellSizeY = 1, HeightScale = 1;
  int32_t TextureCount = 0;
  std::vector<std::string> TextureNames;
  std::vector<uint8_t> BlendFlags;
  std::vector<TSrfCell> Cells;  // Height x Width, row-major

  const TSrfCell& Cell(int32_t row, int32_t column) const { return Cells[static_cast<size_t>(row) * Width + column]; }
};

// One grid point; the layout is handed to OpenGL with a stride of 112 bytes.
struct TSurfVertex {
  TVector Position{};
  TVector Normal{};
  TVector Color{};      // per-frame colour of the scattering and bump paths
  TVector Inscatter{};  // per-frame additive colour of the scattering path
  TVector Shade{};      // s, s, s: the sun's diffuse term, never below the ambient floor
  float One = 1.0f;
  float TexCoord[2] = {0, 0};
  int32_t TextureIndex = 0;  // of the cell whose first corner this point is
  int32_t BumpIndex = 0;
  TPlane PlaneA{};  // first triangle of that cell: (r, c), (r+1, c+1), (r+1, c)
  TPlane PlaneB{};  // second triangle: (r, c), (r, c+1), (r+1, c+1)
};
static_assert(sizeof(TSurfVertex) == 112);
static_assert(offsetof(TSurfVertex, Normal) == 12);
static_assert(offsetof(TSurfVertex, Color) == 24);
static_assert(offsetof(TSurfVertex, Inscatter) == 36);
static_assert(offsetof(TSurfVertex, Shade) == 48);
static_assert(offsetof(TSurfVertex, TexCoord) == 64);
static_assert(offsetof(TSurfVertex, TextureIndex) == 72);
static_assert(offsetof(TSurfVertex, PlaneA) == 80);
static_assert(offsetof(TSurfVertex, PlaneB) == 96);

// One texture's triangles in a leaf: six vertex copies per cell.
struct TSurfMeshPart {
  int32_t TextureIndex = 0;
  int32_t BumpIndex = 0;
  std::vector<TSurfVertex> Vertices;
};

class TSurf;

// Leaves hold at most this many triangles; larger nodes split in four.
constexpr int32_t SurfLeafTriangles = 256;

class TSurfTree {
public:
  // Builds the node over grid points X0..X1 by Y0..Y1 (inclusive) and everything below it.
  TSurfTree(const TSurf& surface, int32_t x0, int32_t x1, int32_t y0, int32_t y1);

  std::array<std::unique_ptr<TSurfTree>, 4> Children;  // all empty for a leaf
  bool IsLeaf = false;
  int32_t TriangleCount = 0;
  int32_t X0 = 0, X1 = 0, Y0 = 0, Y1 = 0;
  TVector Corners[8]{};  // bounding box: four corners at the top, then the same at the bottom
  std::vector<TSurfMeshPart> Parts;

private:
  void ReserveParts(const TSurf& surface);
};

// A decal corner: position, colour, texture coordinate; stride 36 for OpenGL.
struct TDecalVertex {
  TVector Position{};
  float Color[4] = {1, 1, 1, 1};
  float TexCoord[2] = {0, 0};
};
static_assert(sizeof(TDecalVertex) == 36);

// The decal buffer; whole cells only, so a larger decal is cut at 41 cells.
constexpr int32_t DecalCapacity = 251;
constexpr int32_t DecalMaxCells = DecalCapacity / 6;

// The atmosphere's per-vertex scattering, supplied by its owner: from a point and the eye, the
// light added on the way to the eye and the fraction of the ground's own colour that arrives.
using TSurfScatter = std::function<void(const TVector& point, const TVector& eye, TVector& inscatter, TVector& extinction)>;

// What the level decides before the terrain is built.
struct TSurfSettings {
  float TextureScale = 1;         // cells one texture spans each way: 1 in mission 1, 2 otherwise
  bool BumpMapping = false;       // Config.BumpMapping with the combiners present
  bool TerrainFlag = false;       // per-vertex scattering instead of lighting and fog (mission 2)
  TVector LightDirection{0, 0, 1};  // unit vector towards the sun
  TMatrix LightSpaceMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::function<void(float)> Progress;  // loading progress 0..1; may be empty
  TSurfScatter Scatter;                 // the scattering path; empty: no haze, full colour
  // The diffuse-bump vertex program, bound (with the identity matrix) around each bump-path
  // draw when VertexProgramSupported; both empty: the colours are computed here instead.
  std::function<void()> BindBumpProgram, UnbindBumpProgram;
};

// The six blend masks, patterns 0 to 5, in the order they are loaded.
constexpr std::array<const char*, 6> AlphaMapNames = {"alphav.bmp",  "alphah.bmp",  "alphatl.bmp",
                                                      "alphatr.bmp", "alphabl.bmp", "alphabr.bmp"};
extern std::array<TAlphaMap, 6> AlphaMaps;
void LoadAlphaMaps();

// The ground images seams are mixed from, each read once while a terrain is built (a map's
// few ground textures meet in many seams).
class TSeamSources {
public:
  const TTex& Get(const std::string& name);

private:
  std::deque<std::pair<std::string, TTex>> Images;  // a deque: handed-out images never move
};

// The seam texture of image a fading into image b through mask `pattern`, made once and cached
// under the name a + b + pattern. Throws TFileError on images of other depths or sizes.
int32_t Blend(const std::string& a, const std::string& b, int pattern, TSeamSources& sources);
// The seam's pixels: each colour byte goes from a's (mask 0) to b's (mask 255). The images are
// 24-bit and of one size, the mask at least as large; both are read in the same row order.
std::vector<uint8_t> MixSeamPixels(const TTex& a, const TTex& b, const TAlphaMap& mask);

// Which seam a cell gets from its own texture and those left, up-left and above it.
struct TSeam {
  int Pattern;
  uint8_t First, Second;  // texture numbers: Blend(name(First), name(Second), Pattern)
};
std::optional<TSeam> SelectSeam(uint8_t c, uint8_t l, uint8_t ul, uint8_t u, const std::vector<uint8_t>& blendFlags);

class TSurf {
public:
  TSurf(const std::string& path, const TSurfSettings& settings);
  TSurf(const TSrf& file, const TSurfSettings& settings);

  int32_t Index(int32_t row, int32_t column) const { return column + Width * row; }

  // The ground under (x, y): a point of the cell triangle's plane on the vertical line there.
  TVector GroundPoint(float x, float y) const;
  float GroundHeight(float x, float y) const { return GroundPoint(x, y).z; }

  // Called once a frame after the frustum is extracted; eye is the camera position (used by the
  // scattering path).
  void Draw(const TFrustum& frustum, const TVector& eye = {});

  void DrawShadowDecal(int32_t texture, float x, float y, float sizeX, float sizeY, float r, float g, float b, float a);
  void DrawLightDecal(int32_t texture, bool additive, float x, float y, float sizeX, float sizeY, float r, float g,
                      float b, float a);
  // Fills Decal with the cells under the rectangle (cut to the grid and to the buffer); returns
  // the number of vertices written.
  int32_t FillDecal(float x, float y, float sizeX, float sizeY, float r, float g, float b, float a);

  TSurfSettings Settings;
  std::unique_ptr<TSurfTree> Tree;
  std::array<TDecalVertex, DecalCapacity> Decal{};
  int32_t DecalCount = 0;
  uint8_t Width = 0, Height = 0;
  float CellSizeX = 1, CellSizeY = 1, HeightScale = 1;
  int32_t TextureCount = 0;
  std::vector<TSurfVertex> Vertices;

  // Of the last Draw: what passed the culling.
  int32_t DrawnParts = 0;
  int32_t DrawnTriangles = 0;

private:
  void* ClientActiveTexture = nullptr;  // glClientActiveTexture of the current context, or null
  bool BumpProgram = false;             // the bump parts of this draw go through the program

  void Build(const TSurfIO& io);
  void FirstPass();
  void SecondPass(const TSurfIO& io);
  void Progress(float fraction) const;
  void DrawNode(TSurfTree& node, const TFrustum& frustum, const TVector& eye);
  void DrawPart(TSurfMeshPart& part, const TVector& eye);
  void BeginBumpParts();
  void EndBumpParts();
  void DrawDecal(int32_t texture, int colorSize, const float border[4]);
};
