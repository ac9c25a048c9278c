// ModelTool.cpp — qtool's model commands: .msh and .int summaries and the offscreen model picture.
#include "tools/ModelTool.h"

#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/IntFile.h"
#include "core/MshFile.h"
#include "core/PngFile.h"
#include "core/Texture.h"
#include "core/VectMath.h"
#include "platform/GLTable.h"
#include "platform/Window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <tuple>
#include <vector>

namespace {

std::string Format(const char* format, double a = 0, double b = 0, double c = 0, double d = 0) {
  char text[256];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

TVector Cross(const TVector& a, const TVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const TVector& a, const TVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
TVector Unit(const TVector& v) {
  const float l = std::sqrt(Dot(v, v));
  return l > 0 ? v * (1 / l) : v;
}

float FarthestVertex(const TMsh& mesh) {
  float r = 0;
  for (const TMshAnim& a : mesh.Anims)
    for (const TMshFrame& f : a.Frames)
      for (const TVector& v : f) r = std::max(r, std::sqrt(Dot(v, v)));
  return r;
}

}  // namespace

std::string DescribeMshFile(const std::string& path) {
  const TMsh mesh = ReadMshFile(path);
  TVector lo = mesh.RestPose()[0], hi = lo;
  for (const TVector& v : mesh.RestPose()) {
    lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
    hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
  }
  std::string text = "mesh \"" + mesh.Header + "\": " + std::to_string(mesh.VertexCount()) + " vertices, " +
                     std::to_string(mesh.TriangleCount()) + " triangles, " + std::to_string(mesh.TexCoords.size()) +
                     " texture coordinates\n";
  text += Format("  rest pose from (%.2f, %.2f, %.2f)", lo.x, lo.y, lo.z) +
          Format(" to (%.2f, %.2f, %.2f)", hi.x, hi.y, hi.z) +
          Format(", farthest vertex %.2f from the origin\n", FarthestVertex(mesh));
  for (const TMshGroup& g : mesh.Groups)
    text += "  group \"" + g.Name + "\": " + std::to_string(g.VertexIndices.size() / 3) + " triangles\n";
  for (size_t a = 0; a < mesh.Anims.size(); ++a)
    text += "  animation " + std::to_string(a) + ": " + std::to_string(mesh.Anims[a].Frames.size()) + " key frames\n";
  if (!mesh.ColorGroups.empty()) text += "  " + std::to_string(mesh.ColorGroups.size()) + " colour groups\n";
  return text;
}

std::string DescribeIntFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, IntMaxFileSize);
  const std::string text(bytes.begin(), bytes.end());
  const std::string first = text.substr(0, text.find('\n'));
  float a = 0, b = 0;
  char rest = 0;
  const bool twoValues = std::sscanf(first.c_str(), "%f %f%c", &a, &b, &rest) >= 2 &&
                         (rest == 0 || rest == ' ' || rest == '\t' || rest == '\r');
  const size_t lines = std::count(text.begin(), text.end(), '\n') + (text.empty() || text.back() == '\n' ? 0 : 1);
  if (twoValues) {
    const TBuildingParams p = ParseBuildingInt(text, path);
    return Format("building: radius %g, collision radius %g, size %g", p.Radius, p.CollisionRadius, p.Size) +
           Format(", life %g, hit damage %g, side %g\n", p.Life, p.HitDamage, p.Side);
  }
  if (lines >= 10) {
    const TAircraftParams p = ParseAircraftInt(text, path);
    auto point = [](const TVector& v) { return Format("(%g, %g, %g)", v.x, v.y, v.z); };
    return Format("aircraft: speed %g, radius %g, collision radius %g, size %g", p.Speed, p.Radius,
                  p.CollisionRadius, p.Size) +
           Format(", life %g, hit damage %g, collision damage %g\n", p.Life, p.HitDamage, p.CollisionDamage) +
           "  guns " + point(p.Gun1) + " " + point(p.Gun2) + ", exhausts " + point(p.Exhaust1) + " " +
           point(p.Exhaust2) + "\n";
  }
  const TAirshipParams p = ParseAirshipInt(text, path);
  return Format("airship: speed %g, radius %g, collision radius %g, size %g", p.Speed, p.Radius, p.CollisionRadius,
                p.Size) +
         Format(", life %g, hit damage %g, collision damage %g\n", p.Life, p.HitDamage, p.CollisionDamage);
}

// ---- Rendering -------------------------------------------------------------------------------

namespace {

constexpr int ViewCell = 400;
constexpr int FrameCellW = 150, FrameCellH = 200;

// A mesh ready to draw: per-corner smoothed normals as the game's loader makes them, and the
// texture of each group found by the game's lookup rules.
struct TPrepared {
  TMsh Mesh;
  std::vector<TVector> Normals;  // per vertex, from the rest pose
  std::vector<GLuint> Textures;  // per group; 0 untextured
};

GLuint GroupTexture(const std::string& name) {
  if (name.empty()) return 0;
  const std::string base = name.substr(0, name.find('.'));
  std::string file = base + ".jpg";
  if (FileExists(TextureDir + base + ".cna"))
    file = base + ".cna";
  else if (FileExists(TextureDir + base + ".bmp"))
    file = base + ".bmp";
  return ::Textures[LoadTexture(file)];
}

TPrepared Prepare(const std::string& path) {
  TPrepared p;
  p.Mesh = ReadMshFile(path);
  const TMshFrame& rest = p.Mesh.RestPose();
  std::vector<TVector> acc(rest.size(), TVector{0, 0, 0});
  for (const TMshGroup& g : p.Mesh.Groups)
    for (size_t i = 0; i + 2 < g.VertexIndices.size(); i += 3) {
      const TVector& a = rest[g.VertexIndices[i]];
      const TVector n = Unit(Cross(rest[g.VertexIndices[i + 1]] - a, rest[g.VertexIndices[i + 2]] - a));
      for (int k = 0; k < 3; ++k) acc[g.VertexIndices[i + k]] += n;
    }
  // Vertices at exactly one place share their normal, as in the game.
  std::map<std::tuple<float, float, float>, TVector> byPlace;
  for (size_t v = 0; v < rest.size(); ++v) byPlace[{rest[v].x, rest[v].y, rest[v].z}] += acc[v];
  for (size_t v = 0; v < rest.size(); ++v) p.Normals.push_back(Unit(byPlace[{rest[v].x, rest[v].y, rest[v].z}]));
  for (const TMshGroup& g : p.Mesh.Groups) p.Textures.push_back(GroupTexture(g.Name));
  return p;
}

void DrawMesh(const TPrepared& p, size_t anim, size_t frame, bool glow) {
  const TMshFrame& positions = p.Mesh.Anims[anim].Frames[frame];
  for (size_t gi = 0; gi < p.Mesh.Groups.size(); ++gi) {
    const TMshGroup& g = p.Mesh.Groups[gi];
    if (p.Textures[gi]) {
      GL.Enable(GL_TEXTURE_2D);
      GL.BindTexture(GL_TEXTURE_2D, p.Textures[gi]);
    } else {
      GL.Disable(GL_TEXTURE_2D);
      if (glow) continue;
    }
    GL.Begin(GL_TRIANGLES);
    for (size_t i = 0; i < g.VertexIndices.size(); ++i) {
      const TVector& n = p.Normals[g.VertexIndices[i]];
      const TMshTexCoord& t = p.Mesh.TexCoords[g.TexCoordIndices[i]];
      const TVector& v = positions[g.VertexIndices[i]];
      GL.Normal3f(n.x, n.y, n.z);
      GL.TexCoord2f(t.u, t.v);
      GL.Vertex3f(v.x, v.y, v.z);
    }
    GL.End();
  }
}

struct TPart {
  TPrepared Mesh;
  TVector Offset;
};

// The meshes the game draws together with a model, at the places it puts them.
std::vector<std::pair<std::string, TVector>> Attachments(const std::string& name) {
  if (name == "ally2") return {{"ally2a", {0, -41, 35}}};
  if (name == "bad4") return {{"bad4a", {0, 0, 0}}};
  if (name == "turret") return {{"turreta", {0, 0, 0}}};
  if (name == "bad5")
    return {{"bad5a", {-7.7f, -3.5f, -9.9f}}, {"bad5a", {7.7f, -3.5f, -9.9f}}, {"bad5a", {7.7f, -3.5f, 9.9f}},
            {"bad5a", {-7.7f, -3.5f, 9.9f}}};
  return {};
}

TMatrix LookFrom(const TVector& direction, float distance) {
  const TVector f = Unit(direction * -1.0f);
  const TVector up = std::fabs(f.y) > 0.99f ? TVector{0, 0, -1} : TVector{0, 1, 0};
  const TVector r = Unit(Cross(f, up)), u = Cross(r, f);
  const TVector eye = Unit(direction) * distance;
  TMatrix m{};
  m[0] = r.x, m[4] = r.y, m[8] = r.z;
  m[1] = u.x, m[5] = u.y, m[9] = u.z;
  m[2] = -f.x, m[6] = -f.y, m[10] = -f.z;
  m[12] = -Dot(r, eye), m[13] = -Dot(u, eye), m[14] = Dot(f, eye);
  m[15] = 1;
  return m;
}

void SetupLight() {
  // Light from the upper left of the picture, a little toward the viewer: the game's one light.
  GL.MatrixMode(GL_MODELVIEW);
  GL.LoadIdentity();
  const GLfloat position[4] = {-0.55f, 0.65f, 0.52f, 0};
  const GLfloat ambient[4] = {0.42f, 0.42f, 0.46f, 1};
  const GLfloat diffuse[4] = {0.85f, 0.83f, 0.78f, 1};
  GL.Lightfv(GL_LIGHT0, GL_POSITION, position);
  GL.Lightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  GL.Lightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  const GLfloat white[4] = {1, 1, 1, 1};
  GL.Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, white);
  GL.Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
  GL.Enable(GL_LIGHT0);
}

void DrawScene(const std::vector<TPart>& parts, size_t anim, size_t frame, const TVector& from, const TVector& centre,
               float distance, int x, int y, int w, int h) {
  GL.Viewport(x, y, w, h);
  GL.Scissor(x, y, w, h);
  GL.Enable(GL_SCISSOR_TEST);
  GL.ClearColor(0.46f, 0.5f, 0.62f, 1);
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  TMatrix projection;
  MatrixPerspective(30.0f, float(w) / h, distance * 0.05f, distance * 3, projection);
  GL.MatrixMode(GL_PROJECTION);
  GL.LoadMatrixf(projection.data());
  SetupLight();
  GL.MatrixMode(GL_MODELVIEW);
  GL.LoadMatrixf(LookFrom(from, distance).data());
  GL.Translatef(-centre.x, -centre.y, -centre.z);
  for (int pass = 0; pass < 2; ++pass) {
    const bool glow = pass == 1;
    if (glow) {
      // The glow pass: texture alpha adds light, as the game's windows and exhausts do.
      GL.Disable(GL_LIGHTING);
      GL.Enable(GL_BLEND);
      GL.BlendFunc(GL_SRC_ALPHA, GL_ONE);
      GL.DepthFunc(GL_LEQUAL);
      GL.Color4f(1, 1, 1, 1);
    } else {
      GL.Enable(GL_LIGHTING);
      GL.Disable(GL_BLEND);
      GL.DepthFunc(GL_LESS);
    }
    for (size_t i = 0; i < parts.size(); ++i) {
      GL.PushMatrix();
      GL.Translatef(parts[i].Offset.x, parts[i].Offset.y, parts[i].Offset.z);
      const TMsh& m = parts[i].Mesh.Mesh;
      const size_t a = i == 0 ? anim : 0, f = i == 0 ? frame : 0;
      DrawMesh(parts[i].Mesh, std::min(a, m.Anims.size() - 1), std::min(f, m.Anims[std::min(a, m.Anims.size() - 1)].Frames.size() - 1), glow);
      GL.PopMatrix();
    }
  }
  GL.Disable(GL_BLEND);
  GL.Disable(GL_SCISSOR_TEST);
}

}  // namespace

void RenderModel(const std::string& gameDir, const std::string& name, const std::string& outPng, bool alone) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  SetAppDir(gameDir);
  std::vector<std::pair<std::string, TVector>> wanted{{name, {0, 0, 0}}};
  if (!alone)
    for (const auto& a : Attachments(name)) wanted.push_back(a);

  // Size the picture before the context exists: an offscreen surface keeps its first size.
  const TMsh first = ReadMshFile(DataDir + name + ".msh");
  const bool animated = first.Anims.size() > 1 || first.Anims[0].Frames.size() > 1;
  size_t mostFrames = 0;
  for (const TMshAnim& a : first.Anims) mostFrames = std::max(mostFrames, a.Frames.size());
  const int width = std::max(4 * ViewCell, animated ? int(mostFrames) * FrameCellW : 0);
  const int height = ViewCell + (animated ? int(first.Anims.size()) * FrameCellH : 0);

  std::string error;
  if (!StartVideo(error)) throw TFileError(outPng, "no video: " + error);
  TWindow window;
  if (!window.Create("qtool render-model", width, height, error)) throw TFileError(outPng, "no OpenGL context: " + error);
  if (!LoadGLTable(&TWindow::GetProcAddress, error)) throw TFileError(outPng, "OpenGL lacks " + error);

  // Frame the bounds of everything drawn, in every key frame.
  std::vector<TPart> parts;
  TVector lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
  for (const auto& [partName, offset] : wanted) {
    parts.push_back({Prepare(DataDir + partName + ".msh"), offset});
    for (const TMshAnim& a : parts.back().Mesh.Mesh.Anims)
      for (const TMshFrame& f : a.Frames)
        for (const TVector& v : f) {
          const TVector p = v + offset;
          lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
          hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
  }
  const TVector centre = (lo + hi) * 0.5f;
  const float radius = std::max(0.5f * std::sqrt(Dot(hi - lo, hi - lo)), 0.01f);
  GL.Enable(GL_DEPTH_TEST);
  GL.Enable(GL_CULL_FACE);
  GL.Enable(GL_NORMALIZE);
  GL.ShadeModel(GL_SMOOTH);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  GL.ClearColor(0.3f, 0.3f, 0.34f, 1);
  GL.Viewport(0, 0, width, height);
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  // Three-quarter front, side, top and three-quarter rear: "front" is -z, where aircraft point.
  const float distance = radius / std::sin(15.0f * 3.14159f / 180) * 1.02f;
  const TVector views[4] = {{-0.62f, 0.42f, -0.66f}, {1, 0.02f, 0}, {0.001f, 1, 0.35f}, {0.62f, 0.45f, 0.64f}};
  for (int v = 0; v < 4; ++v)
    DrawScene(parts, 0, 0, views[v], centre, distance, v * ViewCell, height - ViewCell, ViewCell, ViewCell);
  if (animated)
    for (size_t a = 0; a < first.Anims.size(); ++a)
      for (size_t f = 0; f < first.Anims[a].Frames.size(); ++f)
        DrawScene(parts, a, f, {1, 0.3f, 0.45f}, centre, distance, int(f) * FrameCellW,
                  height - ViewCell - int(a + 1) * FrameCellH, FrameCellW, FrameCellH);

  TRgbaImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
  GL.PixelStorei(GL_PACK_ALIGNMENT, 1);
  GL.ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.Pixels.data());
  FlipRows(image);
  for (size_t i = 3; i < image.Pixels.size(); i += 4) image.Pixels[i] = 255;
  WritePng(outPng, image);
  ClearTextureCache();
  window.Destroy();
}
