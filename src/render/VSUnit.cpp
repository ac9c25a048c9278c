// VSUnit.cpp — loading, building and binding the diffuse-bump and point-light vertex programs.
#include "render/VSUnit.h"

#include "core/FileIO.h"
#include "core/Globals.h"
#include "platform/GLTable.h"

#include <string>
#include <vector>

namespace {

constexpr size_t MaxProgramFileSize = 1 << 16;

template <typename T>
bool Find(TVertexShader::TProcLookup lookup, const char* name, T& entry) {
  entry = reinterpret_cast<T>(lookup(name));
  return entry != nullptr;
}

}  // namespace

TVertexShader::TVertexShader(uint8_t kind, TProcLookup lookup) : Kind(kind) {
  if (!lookup) lookup = &GetGLProcAddress;
  Loaded = Kind == VertexProgramArb ? LoadArb(lookup) : LoadExt(lookup);
  if (!Loaded) return;
  if (Kind == VertexProgramArb)
    BuildArb();
  else
    BuildExt();
}

TVertexShader::~TVertexShader() {
  if (!Loaded) return;
  if (Kind == VertexProgramArb) {
    const GLuint programs[2] = {BumpProgram, LightProgram};
    Arb.DeletePrograms(2, programs);
    return;
  }
  Ext.DeleteVertexShader(BumpProgram);
  Ext.DeleteVertexShader(LightProgram);
}

bool TVertexShader::LoadArb(TProcLookup lookup) {
  bool ok = Find(lookup, "glProgramStringARB", Arb.ProgramString);
  ok &= Find(lookup, "glGenProgramsARB", Arb.GenPrograms);
  ok &= Find(lookup, "glDeleteProgramsARB", Arb.DeletePrograms);
  ok &= Find(lookup, "glBindProgramARB", Arb.BindProgram);
  ok &= Find(lookup, "glProgramEnvParameter4fARB", Arb.ProgramEnvParameter4f);
  ok &= Find(lookup, "glProgramEnvParameter4fvARB", Arb.ProgramEnvParameter4fv);
  ok &= Find(lookup, "glProgramLocalParameter4fARB", Arb.ProgramLocalParameter4f);
  ok &= Find(lookup, "glProgramLocalParameter4fvARB", Arb.ProgramLocalParameter4fv);
  return ok;
}

bool TVertexShader::LoadExt(TProcLookup lookup) {
  bool ok = Find(lookup, "glBeginVertexShaderEXT", Ext.BeginVertexShader);
  ok &= Find(lookup, "glEndVertexShaderEXT", Ext.EndVertexShader);
  ok &= Find(lookup, "glBindVertexShaderEXT", Ext.BindVertexShader);
  ok &= Find(lookup, "glGenVertexShadersEXT", Ext.GenVertexShaders);
  ok &= Find(lookup, "glDeleteVertexShaderEXT", Ext.DeleteVertexShader);
  ok &= Find(lookup, "glGenSymbolsEXT", Ext.GenSymbols);
  ok &= Find(lookup, "glSetLocalConstantEXT", Ext.SetLocalConstant);
  ok &= Find(lookup, "glSetInvariantEXT", Ext.SetInvariant);
  ok &= Find(lookup, "glBindParameterEXT", Ext.BindParameter);
  ok &= Find(lookup, "glBindTextureUnitParameterEXT", Ext.BindTextureUnitParameter);
  ok &= Find(lookup, "glShaderOp1EXT", Ext.ShaderOp1);
  ok &= Find(lookup, "glShaderOp2EXT", Ext.ShaderOp2);
  ok &= Find(lookup, "glShaderOp3EXT", Ext.ShaderOp3);
  ok &= Find(lookup, "glInsertComponentEXT", Ext.InsertComponent);
  ok &= Find(lookup, "glExtractComponentEXT", Ext.ExtractComponent);
  ok &= Find(lookup, "glSwizzleEXT", Ext.Swizzle);
  return ok;
}

void TVertexShader::BuildArb() {
  // The files are handed to the driver unchanged; one it rejects simply draws wrongly. The
  // length is passed, yet Mesa still runs strlen over the text, so it gets a terminator too.
  const auto load = [this](GLuint program, const char* file) {
    std::vector<uint8_t> text = ReadFileBytes(ShaderDir + file, MaxProgramFileSize);
    text.push_back(0);
    Arb.BindProgram(GL_VERTEX_PROGRAM_ARB, program);
    Arb.ProgramString(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB,
                      static_cast<GLsizei>(text.size() - 1), text.data());
  };
  GLuint programs[2] = {};
  Arb.GenPrograms(2, programs);
  BumpProgram = programs[0];
  LightProgram = programs[1];
  load(BumpProgram, "DiffuseBump.vs");
  load(LightProgram, "PointLights.vs");
}

void TVertexShader::BuildExt() {
  const GLuint first = Ext.GenVertexShaders(2);
  BumpProgram = first;
  LightProgram = first + 1;
  // Invariants live outside any one shader: both programs and the Bind calls share them.
  BumpMatrix = Ext.GenSymbols(GL_MATRIX_EXT, GL_INVARIANT_EXT, GL_FULL_RANGE_EXT, 1);
  NormalMatrix = Ext.GenSymbols(GL_MATRIX_EXT, GL_INVARIANT_EXT, GL_FULL_RANGE_EXT, 1);
  FogScale = Ext.GenSymbols(GL_SCALAR_EXT, GL_INVARIANT_EXT, GL_FULL_RANGE_EXT, 1);
  FogOffset = Ext.GenSymbols(GL_SCALAR_EXT, GL_INVARIANT_EXT, GL_FULL_RANGE_EXT, 1);
  for (int32_t k = 0; k < MaxLightsPerObject; ++k) {
    LightPositions[k] = Ext.GenSymbols(GL_VECTOR_EXT, GL_INVARIANT_EXT, GL_FULL_RANGE_EXT, 1);
    LightColors[k] = Ext.GenSymbols(GL_VECTOR_EXT, GL_INVARIANT_EXT, GL_FULL_RANGE_EXT, 1);
  }
  BuildExtBump();
  BuildExtLights();
}

// Both programs start by fetching the handles of the bound vertex attributes and matrices.
#define QUINTARA_BIND_PARAMETERS()                                                       \
  Vertex = Ext.BindParameter(GL_CURRENT_VERTEX_EXT);                                     \
  Colour = Ext.BindParameter(GL_CURRENT_COLOR);                                          \
  Normal = Ext.BindParameter(GL_CURRENT_NORMAL);                                         \
  TexCoord0 = Ext.BindTextureUnitParameter(GL_TEXTURE0, GL_CURRENT_TEXTURE_COORDS);      \
  MvpHandle = Ext.BindParameter(GL_MVP_MATRIX_EXT);                                      \
  ModelViewHandle = Ext.BindParameter(GL_MODELVIEW_MATRIX)

void TVertexShader::BuildExtBump() {
  const auto constant = [this](GLenum type, const float* value) {
    const GLuint id = Ext.GenSymbols(type, GL_LOCAL_CONSTANT_EXT, GL_FULL_RANGE_EXT, 1);
    Ext.SetLocalConstant(id, GL_FLOAT, value);
    return id;
  };
  Ext.BindVertexShader(BumpProgram);
  Ext.BeginVertexShader();
  QUINTARA_BIND_PARAMETERS();
  const float third = 1.0f / 3.0f, bias = 0.8f, zero = 0.0f, one = 1.0f;
  const GLuint cThird = constant(GL_SCALAR_EXT, &third);
  const GLuint cBias = constant(GL_SCALAR_EXT, &bias);
  const GLuint cZero = constant(GL_SCALAR_EXT, &zero);
  const GLuint cOne = constant(GL_SCALAR_EXT, &one);
  const GLuint temp = Ext.GenSymbols(GL_VECTOR_EXT, GL_LOCAL_EXT, GL_FULL_RANGE_EXT, 1);
  const GLuint s = Ext.GenSymbols(GL_SCALAR_EXT, GL_LOCAL_EXT, GL_FULL_RANGE_EXT, 1);

  Ext.ShaderOp2(GL_OP_MULTIPLY_MATRIX_EXT, GL_OUTPUT_VERTEX_EXT, MvpHandle, Vertex);
  Ext.ShaderOp1(GL_OP_MOV_EXT, GL_OUTPUT_TEXTURE_COORD0_EXT, TexCoord0);
  Ext.ShaderOp1(GL_OP_MOV_EXT, GL_OUTPUT_TEXTURE_COORD1_EXT, TexCoord0);
  // The light vector in the surface's frame, packed into a colour for the DOT3 combiner.
  Ext.ShaderOp2(GL_OP_MULTIPLY_MATRIX_EXT, temp, BumpMatrix, Normal);
  Ext.ShaderOp3(GL_OP_MADD_EXT, GL_OUTPUT_COLOR0_EXT, temp, cThird, cBias);
  // Fog by the distance from the eye: sqrt(dot) as 1 / rsq.
  Ext.ShaderOp2(GL_OP_MULTIPLY_MATRIX_EXT, temp, ModelViewHandle, Vertex);
  Ext.ShaderOp2(GL_OP_DOT3_EXT, s, temp, temp);
  Ext.ShaderOp1(GL_OP_RECIP_SQRT_EXT, s, s);
  Ext.ShaderOp1(GL_OP_RECIP_EXT, s, s);
  Ext.ShaderOp3(GL_OP_MADD_EXT, s, s, FogScale, FogOffset);
  Ext.ShaderOp3(GL_OP_CLAMP_EXT, s, s, cZero, cOne);
  Ext.ShaderOp1(GL_OP_MOV_EXT, GL_OUTPUT_FOG_EXT, s);
  Ext.EndVertexShader();
}

void TVertexShader::BuildExtLights() {
  const auto constant = [this](GLenum type, const float* value) {
    const GLuint id = Ext.GenSymbols(type, GL_LOCAL_CONSTANT_EXT, GL_FULL_RANGE_EXT, 1);
    Ext.SetLocalConstant(id, GL_FLOAT, value);
    return id;
  };
  const auto local = [this](GLenum type) {
    return Ext.GenSymbols(type, GL_LOCAL_EXT, GL_FULL_RANGE_EXT, 1);
  };
  Ext.BindVertexShader(LightProgram);
  Ext.BeginVertexShader();
  QUINTARA_BIND_PARAMETERS();
  const float zero = 0.0f, one = 1.0f, zeroVector[4] = {0, 0, 0, 0};
  const GLuint cZero = constant(GL_SCALAR_EXT, &zero);
  const GLuint cOne = constant(GL_SCALAR_EXT, &one);
  const GLuint cZeroVector = constant(GL_VECTOR_EXT, zeroVector);
  const GLuint eye = local(GL_VECTOR_EXT), normal = local(GL_VECTOR_EXT);
  const GLuint toLight = local(GL_VECTOR_EXT), lit = local(GL_VECTOR_EXT), sum = local(GL_VECTOR_EXT);
  const GLuint invDist = local(GL_SCALAR_EXT), strength = local(GL_SCALAR_EXT);
  const GLuint facing = local(GL_SCALAR_EXT);

  Ext.ShaderOp2(GL_OP_MULTIPLY_MATRIX_EXT, GL_OUTPUT_VERTEX_EXT, MvpHandle, Vertex);
  Ext.ShaderOp2(GL_OP_MULTIPLY_MATRIX_EXT, eye, ModelViewHandle, Vertex);
  Ext.ShaderOp2(GL_OP_MULTIPLY_MATRIX_EXT, normal, NormalMatrix, Normal);
  Ext.ShaderOp1(GL_OP_MOV_EXT, sum, cZeroVector);
  for (int32_t k = 0; k < MaxLightsPerObject; ++k) {
    Ext.ShaderOp2(GL_OP_SUB_EXT, toLight, LightPositions[k], eye);
    Ext.ShaderOp2(GL_OP_DOT3_EXT, invDist, toLight, toLight);
    Ext.ShaderOp1(GL_OP_RECIP_SQRT_EXT, invDist, invDist);
    Ext.ShaderOp2(GL_OP_MUL_EXT, toLight, toLight, invDist);
    // w of the light position is 1 / falloff: the light's strength over distance.
    Ext.ExtractComponent(strength, LightPositions[k], 3);
    Ext.ShaderOp2(GL_OP_MUL_EXT, strength, strength, invDist);
    Ext.ShaderOp2(GL_OP_DOT3_EXT, facing, normal, toLight);
    Ext.ShaderOp2(GL_OP_MAX_EXT, facing, facing, cZero);
    Ext.ShaderOp2(GL_OP_MUL_EXT, lit, LightColors[k], facing);
    Ext.ShaderOp3(GL_OP_MADD_EXT, sum, lit, strength, sum);
  }
  Ext.ShaderOp2(GL_OP_MIN_EXT, sum, sum, cOne);
  Ext.Swizzle(GL_OUTPUT_COLOR0_EXT, sum, GL_X_EXT, GL_Y_EXT, GL_Z_EXT, GL_ONE_EXT);
  Ext.EndVertexShader();
}

#undef QUINTARA_BIND_PARAMETERS

void TVertexShader::SetFog(float scale, float offset) {
  if (!Loaded) return;
  if (Kind == VertexProgramArb) {
    // Environment parameters are shared by both programs; binding one selects the target.
    Arb.BindProgram(GL_VERTEX_PROGRAM_ARB, BumpProgram);
    Arb.ProgramEnvParameter4f(GL_VERTEX_PROGRAM_ARB, 0, scale, offset, 0.0f, 0.0f);
    return;
  }
  Ext.SetInvariant(FogScale, GL_FLOAT, &scale);
  Ext.SetInvariant(FogOffset, GL_FLOAT, &offset);
}

void TVertexShader::BindBump(const TMatrix& m) {
  if (!Loaded) return;
  if (Kind == VertexProgramArb) {
    GL.Enable(GL_VERTEX_PROGRAM_ARB);
    Arb.BindProgram(GL_VERTEX_PROGRAM_ARB, BumpProgram);
    for (GLuint row = 0; row < 4; ++row)
      Arb.ProgramLocalParameter4f(GL_VERTEX_PROGRAM_ARB, row, m[row], m[4 + row], m[8 + row], m[12 + row]);
    return;
  }
  GL.Enable(GL_VERTEX_SHADER_EXT);
  Ext.BindVertexShader(BumpProgram);
  Ext.SetInvariant(BumpMatrix, GL_FLOAT, m.data());
}

void TVertexShader::SetSlot(int32_t k, const float position[4], const float colour[4]) {
  if (Kind == VertexProgramArb) {
    // Light k's position sits in local parameter 2k, its colour in 2k + 1.
    Arb.ProgramLocalParameter4fv(GL_VERTEX_PROGRAM_ARB, static_cast<GLuint>(2 * k), position);
    Arb.ProgramLocalParameter4fv(GL_VERTEX_PROGRAM_ARB, static_cast<GLuint>(2 * k + 1), colour);
    return;
  }
  Ext.SetInvariant(LightPositions[k], GL_FLOAT, position);
  Ext.SetInvariant(LightColors[k], GL_FLOAT, colour);
}

bool TVertexShader::BindLights(const TVector& position) {
  if (!Loaded || !Owner.Lights || !Owner.ViewMatrix) return false;
  const TLight* chosen[MaxLightsPerObject];
  const int32_t count = Owner.Lights->SelectLights(position, chosen);
  if (count == 0) return false;
  const float empty[4] = {0, 0, 0, 0};
  if (Kind == VertexProgramArb) {
    GL.Enable(GL_VERTEX_PROGRAM_ARB);
    Arb.BindProgram(GL_VERTEX_PROGRAM_ARB, LightProgram);
  } else {
    GL.Enable(GL_VERTEX_SHADER_EXT);
    Ext.BindVertexShader(LightProgram);
  }
  for (int32_t k = 0; k < MaxLightsPerObject; ++k) SetSlot(k, empty, empty);
  if (Kind == VertexShaderExt) {
    // Drawing code may read GL state: the mesh's model-view is on the GL stack, not the CPU.
    TMatrix normal{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    GL.GetFloatv(GL_MODELVIEW_MATRIX, normal.data());
    for (int i : {3, 7, 11, 12, 13, 14}) normal[static_cast<size_t>(i)] = 0.0f;
    normal[15] = 1.0f;
    Ext.SetInvariant(NormalMatrix, GL_FLOAT, normal.data());
  }
  for (int32_t k = 0; k < count; ++k) {
    const TLight& light = *chosen[k];
    TVector eye;
    MatrixTransformPoint(light.Position, *Owner.ViewMatrix, eye);
    const float slotPosition[4] = {eye.x, eye.y, eye.z, 1.0f / light.Falloff};
    // The EXT path hands on the four floats from Color, so its fourth is the falloff, which
    // the program does not use; the ARB path passes an alpha of 1.
    const float slotColour[4] = {light.Color.x, light.Color.y, light.Color.z,
                                 Kind == VertexProgramArb ? 1.0f : light.Falloff};
    SetSlot(k, slotPosition, slotColour);
  }
  return true;
}

void TVertexShader::Unbind() {
  if (!Loaded) return;
  GL.Disable(Kind == VertexProgramArb ? GL_VERTEX_PROGRAM_ARB : GL_VERTEX_SHADER_EXT);
}
