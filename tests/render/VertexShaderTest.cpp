// VertexShaderTest.cpp — the vertex-program object against recording entry points: the
// EXT operation lists, what each Bind call hands the driver on both paths, and the lights
// chosen for an object.
#include "core/Globals.h"
#include "platform/GLTable.h"
#include "render/LightUnit.h"
#include "render/MeshUnit.h"
#include "render/VSUnit.h"

#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Everything the recording entry points saw, in order.
struct TRecord {
  std::string Name;
  std::vector<GLuint> Ids;     // result and operand handles
  std::vector<float> Values;   // constants, invariant and parameter values
  GLenum Op = 0;
};
std::vector<TRecord> Records;
std::map<GLuint, std::string> Bound;    // handles of bound parameters, named
std::map<GLuint, GLenum> SymbolType;    // scalar, vector or matrix of each generated symbol
std::map<GLuint, GLenum> SymbolStorage;
std::map<GLuint, std::string> Constants;  // local constant handle -> its value as text
GLuint NextSymbol = 100;
bool ProgramsDeleted = false;
const char* MissingName = nullptr;  // an entry point the fake driver lacks

void Record(const std::string& name, std::vector<GLuint> ids = {}, std::vector<float> values = {},
            GLenum op = 0) {
  Records.push_back({name, std::move(ids), std::move(values), op});
}

size_t Components(GLenum type) { return type == GL_SCALAR_EXT ? 1 : (type == GL_VECTOR_EXT ? 4 : 16); }

// ARB.
void GLAPIENTRY ProgramString(GLenum, GLenum, GLsizei length, const void*) {
  Record("ProgramString", {static_cast<GLuint>(length)});
}
void GLAPIENTRY GenPrograms(GLsizei n, GLuint* ids) {
  for (GLsizei i = 0; i < n; ++i) ids[i] = 11 + static_cast<GLuint>(i);
}
void GLAPIENTRY DeletePrograms(GLsizei n, const GLuint* ids) {
  Record("DeletePrograms", std::vector<GLuint>(ids, ids + n));
}
void GLAPIENTRY BindProgram(GLenum, GLuint id) { Record("BindProgram", {id}); }
void GLAPIENTRY Env4f(GLenum, GLuint i, GLfloat a, GLfloat b, GLfloat c, GLfloat d) {
  Record("Env", {i}, {a, b, c, d});
}
void GLAPIENTRY Env4fv(GLenum, GLuint i, const GLfloat* v) { Record("Env", {i}, {v[0], v[1], v[2], v[3]}); }
void GLAPIENTRY Local4f(GLenum, GLuint i, GLfloat a, GLfloat b, GLfloat c, GLfloat d) {
  Record("Local", {i}, {a, b, c, d});
}
void GLAPIENTRY Local4fv(GLenum, GLuint i, const GLfloat* v) { Record("Local", {i}, {v[0], v[1], v[2], v[3]}); }

// EXT.
void GLAPIENTRY BeginShader() { Record("Begin"); }
void GLAPIENTRY EndShader() { Record("End"); }
void GLAPIENTRY BindShader(GLuint id) { Record("BindShader", {id}); }
GLuint GLAPIENTRY GenShaders(GLuint) { return 21; }
void GLAPIENTRY DeleteShader(GLuint id) {
  ProgramsDeleted = true;
  Record("DeleteShader", {id});
}
GLuint GLAPIENTRY GenSymbols(GLenum type, GLenum storage, GLenum, GLuint) {
  SymbolType[NextSymbol] = type;
  SymbolStorage[NextSymbol] = storage;
  return NextSymbol++;
}
void GLAPIENTRY SetLocalConstant(GLuint id, GLenum, const void* addr) {
  const float* v = static_cast<const float*>(addr);
  std::ostringstream text;
  for (size_t i = 0; i < Components(SymbolType[id]); ++i) text << (i ? "," : "") << v[i];
  Constants[id] = text.str();
}
void GLAPIENTRY SetInvariant(GLuint id, GLenum, const void* addr) {
  const float* v = static_cast<const float*>(addr);
  Record("Invariant", {id}, std::vector<float>(v, v + Components(SymbolType[id])));
}
GLuint GLAPIENTRY BindParameter(GLenum value) {
  const GLuint id = NextSymbol++;
  switch (value) {
    case GL_CURRENT_VERTEX_EXT: Bound[id] = "vertex"; break;
    case GL_CURRENT_COLOR: Bound[id] = "colour"; break;
    case GL_CURRENT_NORMAL: Bound[id] = "normal"; break;
    case GL_MVP_MATRIX_EXT: Bound[id] = "mvp"; break;
    case GL_MODELVIEW_MATRIX: Bound[id] = "modelview"; break;
    default: Bound[id] = "?";
  }
  return id;
}
GLuint GLAPIENTRY BindTextureUnitParameter(GLenum unit, GLenum value) {
  const GLuint id = NextSymbol++;
  Bound[id] = unit == GL_TEXTURE0 && value == GL_CURRENT_TEXTURE_COORDS ? "texcoord0" : "?";
  return id;
}
void GLAPIENTRY Op1(GLenum op, GLuint res, GLuint a) { Record("Op", {res, a}, {}, op); }
void GLAPIENTRY Op2(GLenum op, GLuint res, GLuint a, GLuint b) { Record("Op", {res, a, b}, {}, op); }
void GLAPIENTRY Op3(GLenum op, GLuint res, GLuint a, GLuint b, GLuint c) { Record("Op", {res, a, b, c}, {}, op); }
void GLAPIENTRY Insert(GLuint res, GLuint src, GLuint num) { Record("INSERT", {res, src, num}); }
void GLAPIENTRY Extract(GLuint res, GLuint src, GLuint num) { Record("EXTRACT", {res, src, num}); }
void GLAPIENTRY Swizzle(GLuint res, GLuint in, GLenum x, GLenum y, GLenum z, GLenum w) {
  Record("SWIZZLE", {res, in, x, y, z, w});
}

// GL table functions seen by the Bind calls.
void GLAPIENTRY RecordEnable(GLenum cap) { Record("Enable", {cap}); }
void GLAPIENTRY RecordDisable(GLenum cap) { Record("Disable", {cap}); }
// A model-view with a rotation and a translation, as a mesh would have it while drawn.
void GLAPIENTRY ModelView(GLenum pname, GLfloat* out) {
  if (pname != GL_MODELVIEW_MATRIX) return;
  const float m[16] = {0, 1, 0, 0.5f, -1, 0, 0, 0.5f, 0, 0, 1, 0.5f, 7, 8, 9, 2};
  std::memcpy(out, m, sizeof(m));
}

void* Lookup(const char* name) {
  if (MissingName && std::strcmp(name, MissingName) == 0) return nullptr;
  static const std::map<std::string, void*> entries = {
      {"glProgramStringARB", reinterpret_cast<void*>(&ProgramString)},
      {"glGenProgramsARB", reinterpret_cast<void*>(&GenPrograms)},
      {"glDeleteProgramsARB", reinterpret_cast<void*>(&DeletePrograms)},
      {"glBindProgramARB", reinterpret_cast<void*>(&BindProgram)},
      {"glProgramEnvParameter4fARB", reinterpret_cast<void*>(&Env4f)},
      {"glProgramEnvParameter4fvARB", reinterpret_cast<void*>(&Env4fv)},
      {"glProgramLocalParameter4fARB", reinterpret_cast<void*>(&Local4f)},
      {"glProgramLocalParameter4fvARB", reinterpret_cast<void*>(&Local4fv)},
      {"glBeginVertexShaderEXT", reinterpret_cast<void*>(&BeginShader)},
      {"glEndVertexShaderEXT", reinterpret_cast<void*>(&EndShader)},
      {"glBindVertexShaderEXT", reinterpret_cast<void*>(&BindShader)},
      {"glGenVertexShadersEXT", reinterpret_cast<void*>(&GenShaders)},
      {"glDeleteVertexShaderEXT", reinterpret_cast<void*>(&DeleteShader)},
      {"glGenSymbolsEXT", reinterpret_cast<void*>(&GenSymbols)},
      {"glSetLocalConstantEXT", reinterpret_cast<void*>(&SetLocalConstant)},
      {"glSetInvariantEXT", reinterpret_cast<void*>(&SetInvariant)},
      {"glBindParameterEXT", reinterpret_cast<void*>(&BindParameter)},
      {"glBindTextureUnitParameterEXT", reinterpret_cast<void*>(&BindTextureUnitParameter)},
      {"glShaderOp1EXT", reinterpret_cast<void*>(&Op1)},
      {"glShaderOp2EXT", reinterpret_cast<void*>(&Op2)},
      {"glShaderOp3EXT", reinterpret_cast<void*>(&Op3)},
      {"glInsertComponentEXT", reinterpret_cast<void*>(&Insert)},
      {"glExtractComponentEXT", reinterpret_cast<void*>(&Extract)},
      {"glSwizzleEXT", reinterpret_cast<void*>(&Swizzle)},
  };
  const auto found = entries.find(name);
  return found == entries.end() ? nullptr : found->second;
}

const std::map<GLenum, std::string> OpNames = {
    {GL_OP_MULTIPLY_MATRIX_EXT, "MULTIPLY_MATRIX"}, {GL_OP_MOV_EXT, "MOV"},
    {GL_OP_MADD_EXT, "MADD"}, {GL_OP_DOT3_EXT, "DOT3"}, {GL_OP_RECIP_SQRT_EXT, "RSQ"},
    {GL_OP_RECIP_EXT, "RCP"}, {GL_OP_CLAMP_EXT, "CLAMP"}, {GL_OP_SUB_EXT, "SUB"},
    {GL_OP_MUL_EXT, "MUL"}, {GL_OP_MAX_EXT, "MAX"}, {GL_OP_MIN_EXT, "MIN"},
};
const std::map<GLuint, std::string> Outputs = {
    {GL_OUTPUT_VERTEX_EXT, "out.vertex"}, {GL_OUTPUT_COLOR0_EXT, "out.colour0"},
    {GL_OUTPUT_TEXTURE_COORD0_EXT, "out.tex0"}, {GL_OUTPUT_TEXTURE_COORD1_EXT, "out.tex1"},
    {GL_OUTPUT_FOG_EXT, "out.fog"}, {GL_X_EXT, "X"}, {GL_Y_EXT, "Y"}, {GL_Z_EXT, "Z"},
    {GL_ONE_EXT, "ONE"},
};

class VertexShaderRecording : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    GL.Enable = RecordEnable;
    GL.Disable = RecordDisable;
    GL.GetFloatv = ModelView;
    Records.clear();
    Bound.clear();
    SymbolType.clear();
    SymbolStorage.clear();
    Constants.clear();
    NextSymbol = 100;
    ProgramsDeleted = false;
    MissingName = nullptr;
    SetAppDir(QUINTARA_GAME_DIR);
  }

  // One light of range 20 at `at`, swapped in and seen through an identity view.
  void GiveOneLight(TVertexShader& shader, const TVector& at) {
    OneLight.AddLight(at, {1, 1, 1}, 0.25f, 20);
    OneLight.SwapBuffers();
    MatrixIdentity(IdentityView);
    shader.SetOwner({&OneLight, &IdentityView});
  }
  TLightBuffer OneLight{nullptr, 0};
  TMatrix IdentityView{};

  // Operand names: outputs and bound parameters by meaning, invariants by the object's field,
  // constants by value, and temporaries t1, t2, ... in order of first use.
  std::vector<std::string> Program(const TVertexShader& shader, size_t begin, size_t end) {
    std::map<GLuint, std::string> names = Bound;
    names[shader.BumpMatrix] = "BumpMatrix";
    names[shader.NormalMatrix] = "NormalMatrix";
    names[shader.FogScale] = "FogScale";
    names[shader.FogOffset] = "FogOffset";
    for (int k = 0; k < MaxLightsPerObject; ++k) {
      names[shader.LightPositions[k]] = "LightPositions[" + std::to_string(k) + "]";
      names[shader.LightColors[k]] = "LightColors[" + std::to_string(k) + "]";
    }
    for (const auto& [id, value] : Constants) names[id] = value;
    int temporaries = 0;
    const auto name = [&](GLuint id) {
      if (Outputs.count(id)) return Outputs.at(id);
      if (!names.count(id)) {
        EXPECT_EQ(SymbolStorage[id], static_cast<GLenum>(GL_LOCAL_EXT)) << id;
        names[id] = "t" + std::to_string(++temporaries);
      }
      return names[id];
    };
    std::vector<std::string> lines;
    for (size_t i = begin; i < end; ++i) {
      const TRecord& r = Records[i];
      if (r.Name != "Op" && r.Name != "EXTRACT" && r.Name != "SWIZZLE" && r.Name != "INSERT") continue;
      std::string line = r.Name == "Op" ? OpNames.at(r.Op) : r.Name;
      for (size_t k = 0; k < r.Ids.size(); ++k)
        line += " " + (r.Name == "EXTRACT" && k == 2 ? std::to_string(r.Ids[k]) : name(r.Ids[k]));
      lines.push_back(line);
    }
    return lines;
  }

  // The records between the n-th Begin and its End.
  std::pair<size_t, size_t> Shader(int n) {
    size_t begin = 0;
    for (size_t i = 0; i < Records.size(); ++i) {
      if (Records[i].Name == "Begin" && n-- == 0) begin = i;
      if (Records[i].Name == "End" && n < 0) return {begin, i};
    }
    ADD_FAILURE() << "no shader";
    return {0, 0};
  }

  std::vector<const TRecord*> Named(const std::string& name) {
    std::vector<const TRecord*> found;
    for (const TRecord& r : Records)
      if (r.Name == name) found.push_back(&r);
    return found;
  }
};

TEST_F(VertexShaderRecording, ExtDiffuseBumpOperations) {
  TVertexShader shader(VertexShaderExt, &Lookup);
  ASSERT_TRUE(shader.Ready());
  EXPECT_EQ(shader.BumpProgram, 21u);
  EXPECT_EQ(shader.LightProgram, 22u);
  const auto [begin, end] = Shader(0);
  const std::vector<std::string> expected = {
      "MULTIPLY_MATRIX out.vertex mvp vertex",
      "MOV out.tex0 texcoord0",
      "MOV out.tex1 texcoord0",
      "MULTIPLY_MATRIX t1 BumpMatrix normal",
      "MADD out.colour0 t1 0.333333 0.8",
      "MULTIPLY_MATRIX t1 modelview vertex",
      "DOT3 t2 t1 t1",
      "RSQ t2 t2",
      "RCP t2 t2",
      "MADD t2 t2 FogScale FogOffset",
      "CLAMP t2 t2 0 1",
      "MOV out.fog t2",
  };
  EXPECT_EQ(Program(shader, begin, end), expected);
  // The program is bound before it is built.
  ASSERT_GT(begin, 0u);
  EXPECT_EQ(Records[begin - 1].Name, "BindShader");
  EXPECT_EQ(Records[begin - 1].Ids[0], shader.BumpProgram);
}

TEST_F(VertexShaderRecording, ExtPointLightOperations) {
  TVertexShader shader(VertexShaderExt, &Lookup);
  const auto [begin, end] = Shader(1);
  EXPECT_EQ(Records[begin - 1].Ids[0], shader.LightProgram);
  // t1 eye-space position, t2 eye-space normal, t3 the sum, then per slot t4 the light vector,
  // t5 one over the distance, t6 the strength, t7 the facing term, t8 the light's share.
  std::vector<std::string> expected = {
      "MULTIPLY_MATRIX out.vertex mvp vertex",
      "MULTIPLY_MATRIX t1 modelview vertex",
      "MULTIPLY_MATRIX t2 NormalMatrix normal",
      "MOV t3 0,0,0,0",
  };
  for (int k = 0; k < 4; ++k) {
    const std::string position = "LightPositions[" + std::to_string(k) + "]";
    const std::string colour = "LightColors[" + std::to_string(k) + "]";
    const std::vector<std::string> slot = {
        "SUB t4 " + position + " t1", "DOT3 t5 t4 t4", "RSQ t5 t5", "MUL t4 t4 t5",
        "EXTRACT t6 " + position + " 3", "MUL t6 t6 t5", "DOT3 t7 t2 t4", "MAX t7 t7 0",
        "MUL t8 " + colour + " t7", "MADD t3 t8 t6 t3",
    };
    expected.insert(expected.end(), slot.begin(), slot.end());
  }
  expected.push_back("MIN t3 t3 1");
  expected.push_back("SWIZZLE out.colour0 t3 X Y Z ONE");
  EXPECT_EQ(Program(shader, begin, end), expected);
}

TEST_F(VertexShaderRecording, ExtInvariantsAreSharedSymbolsOfTheRightShape) {
  TVertexShader shader(VertexShaderExt, &Lookup);
  EXPECT_EQ(SymbolType[shader.BumpMatrix], static_cast<GLenum>(GL_MATRIX_EXT));
  EXPECT_EQ(SymbolType[shader.NormalMatrix], static_cast<GLenum>(GL_MATRIX_EXT));
  EXPECT_EQ(SymbolType[shader.FogScale], static_cast<GLenum>(GL_SCALAR_EXT));
  EXPECT_EQ(SymbolType[shader.FogOffset], static_cast<GLenum>(GL_SCALAR_EXT));
  for (int k = 0; k < MaxLightsPerObject; ++k) {
    EXPECT_EQ(SymbolType[shader.LightPositions[k]], static_cast<GLenum>(GL_VECTOR_EXT));
    EXPECT_EQ(SymbolStorage[shader.LightColors[k]], static_cast<GLenum>(GL_INVARIANT_EXT));
  }
  EXPECT_EQ(SymbolStorage[shader.BumpMatrix], static_cast<GLenum>(GL_INVARIANT_EXT));
}

TEST_F(VertexShaderRecording, ExtBindCallsSetTheInvariants) {
  TVertexShader shader(VertexShaderExt, &Lookup);
  Records.clear();
  shader.SetFog(-0.01f, 7.0f);
  const auto fog = Named("Invariant");
  ASSERT_EQ(fog.size(), 2u);
  EXPECT_EQ(fog[0]->Ids[0], shader.FogScale);
  EXPECT_EQ(fog[0]->Values, std::vector<float>{-0.01f});
  EXPECT_EQ(fog[1]->Ids[0], shader.FogOffset);
  EXPECT_EQ(fog[1]->Values, std::vector<float>{7.0f});

  Records.clear();
  TMatrix m;
  for (int i = 0; i < 16; ++i) m[static_cast<size_t>(i)] = static_cast<float>(i);
  shader.BindBump(m);
  ASSERT_EQ(Records.size(), 3u);
  EXPECT_EQ(Records[0].Name, "Enable");
  EXPECT_EQ(Records[0].Ids[0], static_cast<GLuint>(GL_VERTEX_SHADER_EXT));
  EXPECT_EQ(Records[1].Name, "BindShader");
  EXPECT_EQ(Records[1].Ids[0], shader.BumpProgram);
  EXPECT_EQ(Records[2].Ids[0], shader.BumpMatrix);
  EXPECT_EQ(Records[2].Values, std::vector<float>(m.begin(), m.end()));

  Records.clear();
  shader.Unbind();
  ASSERT_EQ(Records.size(), 1u);
  EXPECT_EQ(Records[0].Name, "Disable");
  EXPECT_EQ(Records[0].Ids[0], static_cast<GLuint>(GL_VERTEX_SHADER_EXT));
}

// Values handed to invariant `id` by the last BindLights.
std::vector<float> InvariantValue(GLuint id) {
  std::vector<float> last;
  for (const TRecord& r : Records)
    if (r.Name == "Invariant" && r.Ids[0] == id) last = r.Values;
  return last;
}

TEST_F(VertexShaderRecording, ExtBindLightsTakesTheRotationOfTheModelViewAndFourSlots) {
  TVertexShader shader(VertexShaderExt, &Lookup);
  TLightBuffer lights(nullptr, 0);
  lights.AddLight({10, 0, 0}, {0.1f, 0.2f, 0.3f}, 0.5f, 20);
  lights.SwapBuffers();
  TMatrix view;
  MatrixIdentity(view);
  MatrixTranslate(view, 0, 0, -5);
  shader.SetOwner({&lights, &view});
  Records.clear();
  shader.BindLights({0, 0, 0});
  EXPECT_EQ(Records[0].Name, "Enable");
  EXPECT_EQ(Records[0].Ids[0], static_cast<GLuint>(GL_VERTEX_SHADER_EXT));
  EXPECT_EQ(Records[1].Ids[0], shader.LightProgram);
  EXPECT_EQ(InvariantValue(shader.NormalMatrix),
            (std::vector<float>{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
  EXPECT_EQ(InvariantValue(shader.LightPositions[0]), (std::vector<float>{10, 0, -5, 2}));
  // Four floats from the colour on: the falloff rides along as the fourth.
  EXPECT_EQ(InvariantValue(shader.LightColors[0]), (std::vector<float>{0.1f, 0.2f, 0.3f, 0.5f}));
  for (int k = 1; k < MaxLightsPerObject; ++k) {
    EXPECT_EQ(InvariantValue(shader.LightPositions[k]), std::vector<float>(4, 0.0f));
    EXPECT_EQ(InvariantValue(shader.LightColors[k]), std::vector<float>(4, 0.0f));
  }
}

TEST_F(VertexShaderRecording, ArbLoadsBothFilesAndSetsTheParameters) {
  TVertexShader shader(VertexProgramArb, &Lookup);
  ASSERT_TRUE(shader.Ready());
  EXPECT_EQ(shader.BumpProgram, 11u);
  EXPECT_EQ(shader.LightProgram, 12u);
  const auto strings = Named("ProgramString");
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_GT(strings[0]->Ids[0], 100u);  // whole files, not empty strings

  Records.clear();
  shader.SetFog(-0.01f, 7.0f);
  ASSERT_EQ(Records.size(), 2u);
  EXPECT_EQ(Records[0].Name, "BindProgram");
  EXPECT_EQ(Records[0].Ids[0], shader.BumpProgram);
  EXPECT_EQ(Records[1].Name, "Env");
  EXPECT_EQ(Records[1].Ids[0], 0u);
  EXPECT_EQ(Records[1].Values, (std::vector<float>{-0.01f, 7.0f, 0, 0}));

  Records.clear();
  TMatrix m;
  for (int i = 0; i < 16; ++i) m[static_cast<size_t>(i)] = static_cast<float>(i);
  shader.BindBump(m);
  const auto rows = Named("Local");
  ASSERT_EQ(rows.size(), 4u);
  for (GLuint row = 0; row < 4; ++row) {
    EXPECT_EQ(rows[row]->Ids[0], row);
    const float r = static_cast<float>(row);
    EXPECT_EQ(rows[row]->Values, (std::vector<float>{r, r + 4, r + 8, r + 12}));
  }
  EXPECT_EQ(Records[0].Ids[0], static_cast<GLuint>(GL_VERTEX_PROGRAM_ARB));
}

TEST_F(VertexShaderRecording, ArbBindLightsFillsTheFirstFourInRangeInEyeSpace) {
  TVertexShader shader(VertexProgramArb, &Lookup);
  TLightBuffer lights(nullptr, 0);
  for (int i = 0; i < 6; ++i)
    lights.AddLight({static_cast<float>(i), 0, 0}, {0.5f, 0.5f, static_cast<float>(i) / 10}, 0.25f, 20);
  lights.AddLight({100, 0, 0}, {1, 1, 1}, 0.25f, 20);  // out of range
  lights.SwapBuffers();
  TMatrix view;
  MatrixIdentity(view);
  MatrixRotate(view, 90, 0, 0, 1);  // world x becomes eye y
  shader.SetOwner({&lights, &view});
  Records.clear();
  shader.BindLights({0, 0, 0});
  // Every slot is cleared first, then the chosen lights fill slots 0 to 3.
  std::map<GLuint, std::vector<float>> locals;
  int writes = 0;
  for (const TRecord& r : Records)
    if (r.Name == "Local") {
      locals[r.Ids[0]] = r.Values;
      ++writes;
    }
  EXPECT_EQ(writes, 8 + 8);
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const std::vector<float>& position = locals[static_cast<GLuint>(2 * k)];
    ASSERT_EQ(position.size(), 4u);
    EXPECT_NEAR(position[0], 0, 1e-6);
    EXPECT_NEAR(position[1], k, 1e-6);
    EXPECT_NEAR(position[2], 0, 1e-6);
    EXPECT_EQ(position[3], 4.0f);  // 1 / falloff
    EXPECT_EQ(locals[static_cast<GLuint>(2 * k + 1)],
              (std::vector<float>{0.5f, 0.5f, static_cast<float>(k) / 10, 1}));
  }
}

// Without an owner, or with no light in reach, the program would light nothing: it is not bound
// and the caller is told so.
TEST_F(VertexShaderRecording, BindLightsWithNoLightInReachBindsNothing) {
  TVertexShader shader(VertexProgramArb, &Lookup);
  Records.clear();
  EXPECT_FALSE(shader.BindLights({0, 0, 0}));
  GiveOneLight(shader, {100, 0, 0});
  EXPECT_FALSE(shader.BindLights({0, 0, 0}));
  EXPECT_TRUE(Records.empty());
  EXPECT_TRUE(shader.BindLights({90, 0, 0}));
  EXPECT_EQ(Named("BindProgram").size(), 1u);
}

TEST_F(VertexShaderRecording, AsTheMeshesProgramsItBindsAndUnbindsItsOwnPrograms) {
  TVertexShader shader(VertexProgramArb, &Lookup);
  GiveOneLight(shader, {1, 0, 0});
  TMeshScene scene;
  scene.Programs = &shader;
  Records.clear();
  ASSERT_TRUE(scene.Programs->BindLights({0, 0, 0}));
  scene.Programs->Unbind();
  scene.Programs->BindBump({});
  const auto binds = Named("BindProgram");
  ASSERT_EQ(binds.size(), 2u);
  EXPECT_EQ(binds[0]->Ids[0], shader.LightProgram);
  EXPECT_EQ(binds[1]->Ids[0], shader.BumpProgram);
  const auto disables = Named("Disable");
  ASSERT_EQ(disables.size(), 1u);
  EXPECT_EQ(disables[0]->Ids[0], static_cast<GLuint>(GL_VERTEX_PROGRAM_ARB));
}

TEST_F(VertexShaderRecording, MissingEntryPointBuildsNothingAndBindsNothing) {
  MissingName = "glSwizzleEXT";
  {
    TVertexShader shader(VertexShaderExt, &Lookup);
    EXPECT_FALSE(shader.Ready());
    shader.SetFog(1, 1);
    shader.BindBump({});
    shader.BindLights({0, 0, 0});
    shader.Unbind();
  }
  EXPECT_TRUE(Records.empty());
}

TEST_F(VertexShaderRecording, DestructionDeletesBothPrograms) {
  {
    TVertexShader shader(VertexProgramArb, &Lookup);
    Records.clear();
  }
  const auto deleted = Named("DeletePrograms");
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0]->Ids, (std::vector<GLuint>{11, 12}));
  {
    TVertexShader shader(VertexShaderExt, &Lookup);
  }
  EXPECT_TRUE(ProgramsDeleted);
  EXPECT_EQ(Named("DeleteShader").size(), 2u);
}

}  // namespace
