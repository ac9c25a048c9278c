// MeshDraw.cpp — TMesh drawing: rest pose with glow and point-light passes, key frames, bump mapping, debris, shadow silhouette.
#include "render/MeshUnit.h"

#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/GLTable.h"

#include <GL/glext.h>

#include <cstddef>

namespace {

constexpr GLsizei Stride = sizeof(TMeshVertex);
// Glow pass material: the lit colour, scaled by the texture's alpha, is added on top.
constexpr GLfloat GlowAmbient[4] = {0.0f, 0.0f, 0.0f, 0.7f};
constexpr GLfloat GlowDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat GlowShininess = 10.0f;
// The material every other draw of the game expects.
constexpr GLfloat RestAmbient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat RestDiffuse[4] = {0.0f, 0.0f, 0.0f, 0.0f};
constexpr GLfloat RestShininess = 0.0f;
// Key-frame models (troopers) are lit brighter than the rest of the scene.
constexpr GLfloat FrameAmbient[4] = {2.0f, 2.0f, 2.0f, 1.0f};
// CPU bump colours: the light vector mapped into the combiner's 0..1 range.
constexpr float BumpScale = 1.0f / 3.0f;
constexpr float BumpBias = 0.8f;

// Which arrays a pass reads from the interleaved vertices; an offset of -1 switches one off.
struct TArrays {
  int NormalOffset = -1;
  int ColorSize = 0;
  int ColorOffset = -1;
  bool TexCoords = false;
};

const GLvoid* At(const TVertexGroup& group, size_t offset) {
  return reinterpret_cast<const char*>(group.Vertices.data()) + offset;
}

void Switch(GLenum array, bool on) {
  if (on)
    GL.EnableClientState(array);
  else
    GL.DisableClientState(array);
}

void SetArrays(const TVertexGroup& group, const TArrays& arrays) {
  GL.EnableClientState(GL_VERTEX_ARRAY);
  GL.VertexPointer(3, GL_FLOAT, Stride, At(group, offsetof(TMeshVertex, Position)));
  Switch(GL_NORMAL_ARRAY, arrays.NormalOffset >= 0);
  if (arrays.NormalOffset >= 0)
    GL.NormalPointer(GL_FLOAT, Stride, At(group, static_cast<size_t>(arrays.NormalOffset)));
  Switch(GL_COLOR_ARRAY, arrays.ColorOffset >= 0);
  if (arrays.ColorOffset >= 0)
    GL.ColorPointer(arrays.ColorSize, GL_FLOAT, Stride, At(group, static_cast<size_t>(arrays.ColorOffset)));
  Switch(GL_TEXTURE_COORD_ARRAY, arrays.TexCoords);
  if (arrays.TexCoords) GL.TexCoordPointer(2, GL_FLOAT, Stride, At(group, offsetof(TMeshVertex, TexCoord)));
}

// Arrays left on would point into this mesh after it is gone; the next array draw elsewhere
// must not read them.
void ClearArrays() {
  GL.DisableClientState(GL_VERTEX_ARRAY);
  GL.DisableClientState(GL_NORMAL_ARRAY);
  GL.DisableClientState(GL_COLOR_ARRAY);
  GL.DisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void BindTextureIndex(int32_t index) {
  if (index >= 0 && static_cast<size_t>(index) < Textures.size()) GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(index)]);
}

void DrawGroup(const TVertexGroup& group) {
  if (group.IndexCount > 0) GL.DrawArrays(GL_TRIANGLES, 0, group.IndexCount);
}

bool Named(const TVertexGroup& group) { return !group.Name.empty(); }

void SetCombine(GLenum function, GLenum source0, GLenum source1) {
  GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, static_cast<GLint>(function));
  GL.TexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, static_cast<GLint>(source0));
  GL.TexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, static_cast<GLint>(source1));
}

void SetMaterial(const GLfloat* ambient, const GLfloat* diffuse, GLfloat shininess) {
  GL.Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  GL.Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  GL.Materialfv(GL_FRONT_AND_BACK, GL_SHININESS, &shininess);
}

using TClientActiveTexture = void(GLAPIENTRY*)(GLenum texture);

}  // namespace

void TMesh::BeginFog(const TMeshScene& scene) const {
  GL.Enable(GL_FOG);
  if (!Config.BumpMapping) return;
  // With bump mapping the terrain fogs by its own per-vertex coordinate; a mesh has none, so
  // it fogs by depth over the mission's distances for the length of its draw.
  GL.Fogf(GL_FOG_START, scene.FogStart);
  GL.Fogf(GL_FOG_END, scene.FogEnd);
  GL.Fogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FRAGMENT_DEPTH_EXT);
}

void TMesh::EndFog() const {
  if (Config.BumpMapping) {
    GL.Fogf(GL_FOG_START, 1.0f);
    GL.Fogf(GL_FOG_END, 0.0f);
    GL.Fogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FOG_COORDINATE_EXT);
  }
  GL.Disable(GL_FOG);
  ClearArrays();
}

void TMesh::GlowPass(const TVertexGroup& group) const {
  SetArrays(group, {offsetof(TMeshVertex, Normal), 3, offsetof(TMeshVertex, Color), true});
  GL.Enable(GL_BLEND);
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE);
  GL.Enable(GL_TEXTURE_2D);
  GL.Disable(GL_FOG);
  SetCombine(GL_MODULATE, GL_PRIMARY_COLOR_ARB, GL_TEXTURE);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_ALPHA);
  SetMaterial(GlowAmbient, GlowDiffuse, GlowShininess);
  DrawGroup(group);
  SetMaterial(RestAmbient, RestDiffuse, RestShininess);
  GL.TexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
}

// With no light in reach every slot of the program is empty and the pass would add black to
// every pixel of the mesh: it is left out, with the states it would have left. On the software
// renderer that is a second fill and vertex pass over most meshes of most frames.
void TMesh::PointLightPass(const TVertexGroup& group, const TVector& position, const TMeshScene& scene) const {
  if (!VertexProgramSupported || !scene.Programs) return;
  GL.EnableClientState(GL_NORMAL_ARRAY);
  GL.NormalPointer(GL_FLOAT, Stride, At(group, offsetof(TMeshVertex, Normal)));
  if (scene.Programs->BindLights(position)) {
    GL.Enable(GL_BLEND);
    GL.BlendFunc(GL_ONE, GL_ONE);
    GL.Disable(GL_TEXTURE_2D);
    GL.Disable(GL_FOG);
    DrawGroup(group);
    scene.Programs->Unbind();
  }
  GL.Disable(GL_BLEND);
  GL.Enable(GL_TEXTURE_2D);
  GL.Enable(GL_FOG);
}

void TMesh::Draw(const TVector& position, const TMeshScene& scene) {
  BeginFog(scene);
  for (const TVertexGroup& group : Groups) {
    SetArrays(group, {offsetof(TMeshVertex, Normal), 0, -1, Named(group)});
    if (Named(group)) BindTextureIndex(group.TextureIndex);
    DrawGroup(group);
    if (HasGlow) GlowPass(group);
    PointLightPass(group, position, scene);
    GL.Disable(GL_BLEND);
    GL.Enable(GL_TEXTURE_2D);
    GL.Enable(GL_FOG);
  }
  EndFog();
}

void TMesh::DrawFrame(int32_t anim, int32_t frame, float t, const TVector& position, const TMeshScene& scene) {
  if (anim < 0 || anim >= AnimCount) return;
  const TMeshAnim& a = Anims[static_cast<size_t>(anim)];
  if (frame < 0 || frame >= a.FrameCount) return;
  const int32_t next = frame + 1 > a.FrameCount - 1 ? 0 : frame + 1;  // the animation loops
  const TMshFrame& from = a.Frames[static_cast<size_t>(frame)];
  const TMshFrame& to = a.Frames[static_cast<size_t>(next)];
  for (TVertexGroup& group : Groups)
    for (size_t i = 0; i < group.Vertices.size(); ++i) {
      const size_t k = static_cast<size_t>(group.VertexIndices[i]);
      group.Vertices[i].Position = from[k] + (to[k] - from[k]) * t;
      group.Vertices[i].Color = Colors[k];
    }

  BeginFog(scene);
  for (const TVertexGroup& group : Groups) {
    SetArrays(group, {offsetof(TMeshVertex, Normal), 4, offsetof(TMeshVertex, Color), Named(group)});
    GL.Lightfv(GL_LIGHT0, GL_AMBIENT, FrameAmbient);
    if (Named(group))
      BindTextureIndex(group.TextureIndex);
    else
      GL.Disable(GL_TEXTURE_2D);
    DrawGroup(group);
    GL.Enable(GL_TEXTURE_2D);
    GL.Lightfv(GL_LIGHT0, GL_AMBIENT, scene.Light0Ambient.data());
    PointLightPass(group, position, scene);
  }
  EndFog();
}

void TMesh::DrawBump(const TVector& position, const TQuaternion& orientation, const TMeshScene& scene) {
  // Without a second texture unit there is nothing to combine: the plain draw stands in.
  if (!GL.ActiveTexture) {
    Draw(position, scene);
    return;
  }
  TQuaternion inverse;
  QuatConjugate(orientation, inverse);
  TMatrix m;
  QuatToMatrix(inverse, m);
  const bool programs = VertexProgramSupported && scene.Programs;
  if (!programs)
    for (TVertexGroup& group : Groups)
      for (TMeshVertex& v : group.Vertices) {
        TVector l;
        MatrixRotateVector(v.SunNormal, m, l);
        v.Color[0] = BumpBias + l.x * BumpScale;
        v.Color[1] = BumpBias + l.y * BumpScale;
        v.Color[2] = BumpBias + l.z * BumpScale;
      }
  // Without the program, unit 1 needs its own texture coordinate array.
  const auto clientActive =
      programs ? nullptr : reinterpret_cast<TClientActiveTexture>(GetGLProcAddress("glClientActiveTextureARB"));

  BeginFog(scene);
  GL.Disable(GL_LIGHTING);
  for (const TVertexGroup& group : Groups) {
    if (programs) scene.Programs->BindBump(m);
    GL.ActiveTexture(GL_TEXTURE0_ARB);
    GL.Enable(GL_TEXTURE_2D);
    SetCombine(GL_DOT3_RGB_ARB, GL_PRIMARY_COLOR_ARB, GL_TEXTURE);
    BindTextureIndex(group.BumpIndex);
    GL.ActiveTexture(GL_TEXTURE1_ARB);
    GL.Enable(GL_TEXTURE_2D);
    SetCombine(GL_MODULATE, GL_PREVIOUS_ARB, GL_TEXTURE);
    BindTextureIndex(group.TextureIndex);
    GL.ActiveTexture(GL_TEXTURE0_ARB);
    SetArrays(group, {offsetof(TMeshVertex, SunNormal), 3, offsetof(TMeshVertex, Color), true});
    if (clientActive) {
      clientActive(GL_TEXTURE1_ARB);
      GL.EnableClientState(GL_TEXTURE_COORD_ARRAY);
      GL.TexCoordPointer(2, GL_FLOAT, Stride, At(group, offsetof(TMeshVertex, TexCoord)));
    }
    DrawGroup(group);
    if (clientActive) {
      GL.DisableClientState(GL_TEXTURE_COORD_ARRAY);
      clientActive(GL_TEXTURE0_ARB);
    }
    if (programs) scene.Programs->Unbind();

    GL.ActiveTexture(GL_TEXTURE1_ARB);
    GL.Disable(GL_TEXTURE_2D);
    GL.ActiveTexture(GL_TEXTURE0_ARB);
    SetCombine(GL_MODULATE, GL_PRIMARY_COLOR_ARB, GL_TEXTURE);
    BindTextureIndex(group.TextureIndex);  // the glow pass reads the colour texture's alpha
    PointLightPass(group, position, scene);
    GL.Enable(GL_LIGHTING);
    if (HasGlow) GlowPass(group);
    GL.Disable(GL_BLEND);
    GL.Enable(GL_TEXTURE_2D);
    GL.Enable(GL_FOG);
    GL.Disable(GL_LIGHTING);
  }
  GL.Enable(GL_LIGHTING);
  EndFog();
}

void TMesh::DrawDebris(const TVector& acceleration, const TMeshScene& scene) {
  const float dt = static_cast<float>(Counter.Elapsed);
  GL.DepthMask(GL_FALSE);
  GL.Disable(GL_CULL_FACE);
  BeginFog(scene);
  for (TVertexGroup& group : Groups) {
    for (TMeshVertex& v : group.Vertices) {
      v.Velocity += acceleration * dt;
      v.Position += v.Velocity * dt;
    }
    SetArrays(group, {offsetof(TMeshVertex, Normal), 0, -1, Named(group)});
    if (Named(group)) BindTextureIndex(group.TextureIndex);
    DrawGroup(group);
  }
  EndFog();
  GL.DepthMask(GL_TRUE);
  GL.Enable(GL_CULL_FACE);
}

void TMesh::DrawShadow() {
  GL.Disable(GL_TEXTURE_2D);
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_DEPTH_TEST);
  GL.ShadeModel(GL_FLAT);
  for (const TVertexGroup& group : Groups) {
    SetArrays(group, {-1, 3, offsetof(TMeshVertex, ShadowColor), false});
    DrawGroup(group);
  }
  ClearArrays();
  GL.Enable(GL_TEXTURE_2D);
  GL.Enable(GL_LIGHTING);
  GL.Enable(GL_DEPTH_TEST);
  GL.ShadeModel(GL_SMOOTH);
}
