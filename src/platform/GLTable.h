// GLTable.h — the one table of OpenGL and GLU entry points the game calls through.
//
// Game code writes GL.Clear(...) instead of glClear(...). The table is filled either from the
// driver by name (LoadGLTable, after a context exists) or with no-op functions
// (LoadNullGLTable) so that the unchanged game runs with no window and no driver. The null
// functions hand out texture and display-list names in sequence and count the live ones, so
// a test can see a leak.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <string>

struct TGLTable {
#define QGL(ret, name, params, args) ret(GLAPIENTRY* name) params = nullptr;
#include "platform/GLFunctions.inc"
#undef QGL

  // Found by name when the driver has them; null otherwise (capability detection decides).
  void(GLAPIENTRY* ActiveTexture)(GLenum texture) = nullptr;
  void(GLAPIENTRY* BlendColor)(GLclampf r, GLclampf g, GLclampf b, GLclampf a) = nullptr;
  void(GLAPIENTRY* TexStorage2D)(GLenum target, GLsizei levels, GLenum internalFormat, GLsizei width,
                                 GLsizei height) = nullptr;
  // Rendering into a texture and copying between textures: all six or none.
  void(GLAPIENTRY* GenFramebuffers)(GLsizei n, GLuint* framebuffers) = nullptr;
  void(GLAPIENTRY* DeleteFramebuffers)(GLsizei n, const GLuint* framebuffers) = nullptr;
  void(GLAPIENTRY* BindFramebuffer)(GLenum target, GLuint framebuffer) = nullptr;
  void(GLAPIENTRY* FramebufferTexture2D)(GLenum target, GLenum attachment, GLenum textureTarget, GLuint texture,
                                         GLint level) = nullptr;
  GLenum(GLAPIENTRY* CheckFramebufferStatus)(GLenum target) = nullptr;
  void(GLAPIENTRY* CopyImageSubData)(GLuint source, GLenum sourceTarget, GLint sourceLevel, GLint sourceX,
                                     GLint sourceY, GLint sourceZ, GLuint target, GLenum targetTarget,
                                     GLint targetLevel, GLint targetX, GLint targetY, GLint targetZ,
                                     GLsizei width, GLsizei height, GLsizei depth) = nullptr;

  // GLU, linked from libGLU (it has no by-name loader) or the null stand-ins.
  GLint(GLAPIENTRY* Build2DMipmaps)(GLenum target, GLint internalFormat, GLsizei width,
                                    GLsizei height, GLenum format, GLenum type,
                                    const void* data) = nullptr;
};

extern TGLTable GL;

using TGetProcAddress = void* (*)(const char* name);

// Fills the table from the current context. Returns false and names the first missing
// OpenGL 1.1 entry point in `missing` when the driver lacks one.
bool LoadGLTable(TGetProcAddress getProc, std::string& missing);

// Empties every entry found by name (the optional block of the table), as before capability
// detection has run.
void ClearOptionalGLEntries();

// Looks up an optional entry point (an extension or a newer core function) by name.
void* GetGLProcAddress(const char* name);

// The no-op table. Its extension string is empty, so every optional capability stays off.
void LoadNullGLTable();
bool IsNullGL();

struct TNullGLCounts {
  int64_t LiveTextures = 0;
  int64_t LiveLists = 0;
};
TNullGLCounts NullGLCounts();
