// GLTable.cpp — filling the entry-point table from the driver or with no-op functions.
#include "platform/GLTable.h"

#include <GL/glu.h>

#include <unordered_set>

TGLTable GL;

namespace {

TGetProcAddress ProcLoader = nullptr;
bool NullActive = false;

// Null-table bookkeeping: names are handed out in sequence and never reused, so a stale name
// is never mistaken for a live one.
GLuint NextTexture = 1;
GLuint NextList = 1;
std::unordered_set<GLuint> LiveTextures;
std::unordered_set<GLuint> LiveLists;

template <typename T>
T NullValue() {
  return T();
}

void GLAPIENTRY NullGenTextures(GLsizei n, GLuint* textures) {
  for (GLsizei i = 0; i < n; ++i) {
    textures[i] = NextTexture++;
    LiveTextures.insert(textures[i]);
  }
}

void GLAPIENTRY NullDeleteTextures(GLsizei n, const GLuint* textures) {
  for (GLsizei i = 0; i < n; ++i) LiveTextures.erase(textures[i]);
}

GLuint GLAPIENTRY NullGenLists(GLsizei range) {
  if (range <= 0) return 0;
  GLuint first = NextList;
  for (GLsizei i = 0; i < range; ++i) LiveLists.insert(NextList++);
  return first;
}

void GLAPIENTRY NullDeleteLists(GLuint list, GLsizei range) {
  for (GLsizei i = 0; i < range; ++i) LiveLists.erase(list + static_cast<GLuint>(i));
}

const GLubyte* GLAPIENTRY NullGetString(GLenum name) {
  static const GLubyte empty[] = "";
  static const GLubyte renderer[] = "null";
  static const GLubyte version[] = "1.1 null";
  switch (name) {
    case GL_RENDERER: return renderer;
    case GL_VERSION: return version;
    default: return empty;
  }
}

void GLAPIENTRY NullGetIntegerv(GLenum pname, GLint* params) {
  if (pname == GL_VIEWPORT) {
    params[0] = params[1] = params[2] = params[3] = 0;
    return;
  }
  params[0] = pname == GL_MAX_TEXTURE_SIZE ? 4096 : 0;
}

}  // namespace

bool LoadGLTable(TGetProcAddress getProc, std::string& missing) {
  ProcLoader = getProc;
  NullActive = false;
#define QGL(ret, name, params, args)                                            \
  GL.name = reinterpret_cast<ret(GLAPIENTRY*) params>(getProc("gl" #name));   \
  if (!GL.name) {                                                               \
    missing = "gl" #name;                                                       \
    return false;                                                               \
  }
#include "platform/GLFunctions.inc"
#undef QGL
  ClearOptionalGLEntries();
  GL.Build2DMipmaps = &gluBuild2DMipmaps;
  return true;
}

void ClearOptionalGLEntries() {
  GL.ActiveTexture = nullptr;
  GL.BlendColor = nullptr;
  GL.TexStorage2D = nullptr;
  GL.GenFramebuffers = nullptr;
  GL.DeleteFramebuffers = nullptr;
  GL.BindFramebuffer = nullptr;
  GL.FramebufferTexture2D = nullptr;
  GL.CheckFramebufferStatus = nullptr;
  GL.CopyImageSubData = nullptr;
}

void* GetGLProcAddress(const char* name) {
  if (NullActive || !ProcLoader) return nullptr;
  return ProcLoader(name);
}

void LoadNullGLTable() {
  NullActive = true;
  ProcLoader = nullptr;
#define QGL(ret, name, params, args) GL.name = [] params -> ret { return NullValue<ret>(); };
#include "platform/GLFunctions.inc"
#undef QGL
  GL.GenTextures = NullGenTextures;
  GL.DeleteTextures = NullDeleteTextures;
  GL.GenLists = NullGenLists;
  GL.DeleteLists = NullDeleteLists;
  GL.GetString = NullGetString;
  GL.GetIntegerv = NullGetIntegerv;
  ClearOptionalGLEntries();
  GL.Build2DMipmaps = [](GLenum, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) -> GLint {
    return 0;
  };
}

bool IsNullGL() { return NullActive; }

TNullGLCounts NullGLCounts() {
  return {static_cast<int64_t>(LiveTextures.size()), static_cast<int64_t>(LiveLists.size())};
}
