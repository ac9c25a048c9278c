// Globals.cpp — process-wide state shared by every screen.
#include "core/Globals.h"

#include "platform/GLTable.h"

std::string AppDir;
std::string DataDir;
std::string PlayerDir;
std::string TextureDir;
std::string ShaderDir;
std::string SoundDir;
std::string UserDir;

int32_t ScreenWidth = 0;
int32_t ScreenHeight = 0;
uint8_t MouseButtons = 0;
float FarPlane = 700.0f;
TMatrix ProjectionMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
TMatrix ModelViewMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void LoadModelView(const TMatrix& matrix) {
  ModelViewMatrix = matrix;
  GL.MatrixMode(GL_MODELVIEW);
  GL.LoadMatrixf(matrix.data());
}
TCounter Counter;

void SetAppDir(const std::string& dir) {
  AppDir = dir.empty() || dir.back() != '/' ? dir + "/" : dir;
  DataDir = AppDir + "Data/";
  TextureDir = AppDir + "textures/";
  ShaderDir = AppDir + "shader/";
  SoundDir = AppDir + "Sound/";
  SetUserDir(AppDir);
}

void SetUserDir(const std::string& dir) {
  UserDir = dir.empty() || dir.back() != '/' ? dir + "/" : dir;
  PlayerDir = UserDir + "Player/";
}

void RestartCounter() { Counter = TCounter(); }
