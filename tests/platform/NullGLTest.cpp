// NullGLTest.cpp — the null GL table runs game code without a driver and exposes leaks.
#include "platform/GLTable.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(NullGL, CountsLiveTexturesAndDisplayLists) {
  LoadNullGLTable();
  ASSERT_TRUE(IsNullGL());
  const TNullGLCounts before = NullGLCounts();

  GLuint textures[3] = {};
  GL.GenTextures(3, textures);
  EXPECT_NE(textures[0], 0u);
  EXPECT_NE(textures[0], textures[1]);
  GLuint lists = GL.GenLists(256);
  EXPECT_NE(lists, 0u);
  EXPECT_EQ(NullGLCounts().LiveTextures, before.LiveTextures + 3);
  EXPECT_EQ(NullGLCounts().LiveLists, before.LiveLists + 256);

  GL.DeleteTextures(2, textures);
  GL.DeleteLists(lists, 256);
  EXPECT_EQ(NullGLCounts().LiveTextures, before.LiveTextures + 1);
  EXPECT_EQ(NullGLCounts().LiveLists, before.LiveLists);

  // Names are never reused, so deleting a stale name twice cannot hide a leak.
  GL.DeleteTextures(2, textures);
  GLuint again = 0;
  GL.GenTextures(1, &again);
  EXPECT_GT(again, textures[2]);
  GL.DeleteTextures(1, &again);
  GL.DeleteTextures(1, &textures[2]);
  EXPECT_EQ(NullGLCounts().LiveTextures, before.LiveTextures);
}

TEST(NullGL, EveryEntryPointIsCallableAndReportsNoExtensions) {
  LoadNullGLTable();
#define QGL(ret, name, params, args) EXPECT_NE(reinterpret_cast<void*>(GL.name), nullptr) << #name;
#include "platform/GLFunctions.inc"
#undef QGL
  EXPECT_STREQ(reinterpret_cast<const char*>(GL.GetString(GL_EXTENSIONS)), "");
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(GetGLProcAddress("glActiveTexture"), nullptr);
  GL.Clear(GL_COLOR_BUFFER_BIT);
  GL.Begin(GL_QUADS);
  GL.End();
}
