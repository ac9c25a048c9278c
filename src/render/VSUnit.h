// VSUnit.h — the two vertex programs (diffuse bump with fog, and four point lights), built from
// text files through GL_ARB_vertex_program or from an operation list through
// GL_EXT_vertex_shader, whichever the driver offers.
//
// Parameter contract of both paths: the diffuse-bump program takes the bump matrix rows and the
// fog scale and offset (fog coordinate = clamp(eye distance * scale + offset, 0, 1)); the
// point-light program takes four light positions in eye space (w = 1 / falloff) and colours.
// ARB layout: env[0] = (fog scale, fog offset, 0, 0); bump rows in local[0..3]; light k in
// local[2k] (position) and local[2k + 1] (colour).
#pragma once

#include "core/VectMath.h"
#include "render/LightUnit.h"
#include "render/MeshUnit.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

constexpr uint8_t VertexShaderExt = 0;   // GL_EXT_vertex_shader
constexpr uint8_t VertexProgramArb = 1;  // GL_ARB_vertex_program

// What BindLights needs from the level: its light buffer and the camera's view matrix.
struct TVertexShaderOwner {
  const TLightBuffer* Lights = nullptr;
  const TMatrix* ViewMatrix = nullptr;
};

// The meshes reach it through TMeshPrograms, so a level's TMeshScene can point at it.
class TVertexShader final : public TMeshPrograms {
public:
  using TProcLookup = void* (*)(const char* name);

  // Loads the entry points of `kind` by name through lookup and builds both programs; the ARB
  // path reads DiffuseBump.vs and PointLights.vs from ShaderDir (TFileError when missing).
  // Without every entry point nothing is built and every operation does nothing (Ready false).
  explicit TVertexShader(uint8_t kind, TProcLookup lookup = nullptr);
  ~TVertexShader();  // deletes the two programs
  TVertexShader(const TVertexShader&) = delete;
  TVertexShader& operator=(const TVertexShader&) = delete;

  bool Ready() const { return Loaded; }

  void SetOwner(const TVertexShaderOwner& owner) { Owner = owner; }
  // scale = -1 / (FogEnd - FogStart), offset = FogEnd / (FogEnd - FogStart).
  void SetFog(float scale, float offset);
  void BindBump(const TMatrix& m) override;
  // Binds the point-light program with the first four of the previous frame's lights whose
  // range reaches position (the object's world position). Binds nothing and answers false
  // when no light reaches it.
  bool BindLights(const TVector& position) override;
  void Unbind() override;

  TVertexShaderOwner Owner;

  // GL_EXT_vertex_shader handles: bound attributes and matrices, then the invariants.
  GLuint Vertex = 0, Colour = 0, Normal = 0, TexCoord0 = 0, MvpHandle = 0, ModelViewHandle = 0;
  GLuint BumpMatrix = 0, NormalMatrix = 0, FogScale = 0, FogOffset = 0;
  GLuint LightPositions[MaxLightsPerObject]{};
  GLuint LightColors[MaxLightsPerObject]{};

  uint8_t Kind = VertexProgramArb;
  GLuint BumpProgram = 0;
  GLuint LightProgram = 0;

private:
  struct TArbEntries {
    PFNGLPROGRAMSTRINGARBPROC ProgramString = nullptr;
    PFNGLGENPROGRAMSARBPROC GenPrograms = nullptr;
    PFNGLDELETEPROGRAMSARBPROC DeletePrograms = nullptr;
    PFNGLBINDPROGRAMARBPROC BindProgram = nullptr;
    PFNGLPROGRAMENVPARAMETER4FARBPROC ProgramEnvParameter4f = nullptr;
    PFNGLPROGRAMENVPARAMETER4FVARBPROC ProgramEnvParameter4fv = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FARBPROC ProgramLocalParameter4f = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FVARBPROC ProgramLocalParameter4fv = nullptr;
  };
  struct TExtEntries {
    PFNGLBEGINVERTEXSHADEREXTPROC BeginVertexShader = nullptr;
    PFNGLENDVERTEXSHADEREXTPROC EndVertexShader = nullptr;
    PFNGLBINDVERTEXSHADEREXTPROC BindVertexShader = nullptr;
    PFNGLGENVERTEXSHADERSEXTPROC GenVertexShaders = nullptr;
    PFNGLDELETEVERTEXSHADEREXTPROC DeleteVertexShader = nullptr;
    PFNGLGENSYMBOLSEXTPROC GenSymbols = nullptr;
    PFNGLSETLOCALCONSTANTEXTPROC SetLocalConstant = nullptr;
    PFNGLSETINVARIANTEXTPROC SetInvariant = nullptr;
    PFNGLBINDPARAMETEREXTPROC BindParameter = nullptr;
    PFNGLBINDTEXTUREUNITPARAMETEREXTPROC BindTextureUnitParameter = nullptr;
    PFNGLSHADEROP1EXTPROC ShaderOp1 = nullptr;
    PFNGLSHADEROP2EXTPROC ShaderOp2 = nullptr;
    PFNGLSHADEROP3EXTPROC ShaderOp3 = nullptr;
    PFNGLINSERTCOMPONENTEXTPROC InsertComponent = nullptr;
    PFNGLEXTRACTCOMPONENTEXTPROC ExtractComponent = nullptr;
    PFNGLSWIZZLEEXTPROC Swizzle = nullptr;
  };
  bool LoadArb(TProcLookup lookup);
  bool LoadExt(TProcLookup lookup);
  void BuildArb();
  void BuildExt();
  void BuildExtBump();
  void BuildExtLights();
  void SetSlot(int32_t k, const float position[4], const float colour[4]);

  bool Loaded = false;
  TArbEntries Arb;
  TExtEntries Ext;
};
