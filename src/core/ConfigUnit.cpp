// ConfigUnit.cpp — settings record, display-mode list and capability detection.
#include "core/ConfigUnit.h"

#include "core/FileIO.h"
#include "platform/GLTable.h"

#include <algorithm>
#include <cstring>

TConfig Config{};
std::vector<TDisplayMode> DisplayModes;

bool VertexProgramSupported = false;
uint8_t VertexProgramKind = 0;
bool BumpSupported = false;
bool EdgeClampSupported = false;
bool BorderClampSupported = false;

TConfig DefaultConfig() {
  TConfig c{};
  c.DisplayMode = 0;
  c.Language = 1;
  c.Shadows = 1;
  c.ShadowMapSize = 256;
  c.Trilinear = 1;
  c.MouseSensitivity = 0;
  c.InvertY = 0;
  c.UseMouse = 1;
  c.BumpMapping = 1;
  c.MusicVolume = -700;
  c.SoundVolume = -500;
  return c;
}

bool LoadConfig(const std::string& path, TConfig& config) {
  if (!FileExists(path)) {
    config = DefaultConfig();
    return false;
  }
  std::vector<uint8_t> bytes = ReadFilePrefix(path, sizeof(TConfig));
  ParseConfig(bytes.data(), bytes.size(), config);
  return true;
}

void ParseConfig(const uint8_t* data, size_t size, TConfig& config) {
  std::memcpy(&config, data, std::min(size, sizeof config));
}

void SaveConfig(const std::string& path, const TConfig& config) {
  WriteFileAtomic(path, &config, sizeof config);
}

std::vector<TDisplayMode> FilterDisplayModes(const std::vector<TDisplayMode>& modes) {
  std::vector<TDisplayMode> kept;
  for (const TDisplayMode& m : modes)
    if (m.BitsPerPixel > 8 && m.Width >= 640) kept.push_back(m);
  return kept;
}

std::string DisplayModeLine(const TDisplayMode& m) {
  std::string line = std::to_string(m.Width) + " x " + std::to_string(m.Height) + " x " +
                     std::to_string(m.BitsPerPixel) + " bit";
  if (m.Frequency == 0 || m.Frequency == 1) return line;
  return line + " " + std::to_string(m.Frequency) + " Hz";
}

void ClampDisplayMode(TConfig& config, size_t modeCount) {
  if (config.DisplayMode >= modeCount) config.DisplayMode = 0;
}

bool HasExtension(const char* extensions, const char* name) {
  if (!extensions || !name || !*name || std::strchr(name, ' ')) return false;
  const size_t length = std::strlen(name);
  for (const char* p = extensions; (p = std::strstr(p, name)) != nullptr; p += length) {
    bool startsWord = p == extensions || p[-1] == ' ';
    bool endsWord = p[length] == ' ' || p[length] == '\0';
    if (startsWord && endsWord) return true;
  }
  return false;
}

namespace {

// All six entry points or none: a table with only some would half render into textures.
template <typename TFind>
void FindRenderToTexture(const TFind& find) {
  TGLTable found;
  found.GenFramebuffers = reinterpret_cast<decltype(GL.GenFramebuffers)>(find("glGenFramebuffers"));
  found.DeleteFramebuffers = reinterpret_cast<decltype(GL.DeleteFramebuffers)>(find("glDeleteFramebuffers"));
  found.BindFramebuffer = reinterpret_cast<decltype(GL.BindFramebuffer)>(find("glBindFramebuffer"));
  found.FramebufferTexture2D = reinterpret_cast<decltype(GL.FramebufferTexture2D)>(find("glFramebufferTexture2D"));
  found.CheckFramebufferStatus =
      reinterpret_cast<decltype(GL.CheckFramebufferStatus)>(find("glCheckFramebufferStatus"));
  found.CopyImageSubData = reinterpret_cast<decltype(GL.CopyImageSubData)>(find("glCopyImageSubData"));
  if (!found.GenFramebuffers || !found.DeleteFramebuffers || !found.BindFramebuffer || !found.FramebufferTexture2D ||
      !found.CheckFramebufferStatus || !found.CopyImageSubData)
    return;
  GL.GenFramebuffers = found.GenFramebuffers;
  GL.DeleteFramebuffers = found.DeleteFramebuffers;
  GL.BindFramebuffer = found.BindFramebuffer;
  GL.FramebufferTexture2D = found.FramebufferTexture2D;
  GL.CheckFramebufferStatus = found.CheckFramebufferStatus;
  GL.CopyImageSubData = found.CopyImageSubData;
}

}  // namespace

void DetectCapabilities(const char* extensions, TProcLookup lookup) {
  VertexProgramSupported = false;
  VertexProgramKind = 0;
  BumpSupported = EdgeClampSupported = BorderClampSupported = false;
  ClearOptionalGLEntries();
  if (!extensions) return;

  if (HasExtension(extensions, "GL_ARB_vertex_program")) {
    VertexProgramSupported = true;
    VertexProgramKind = 1;
  } else if (HasExtension(extensions, "GL_EXT_vertex_shader")) {
    VertexProgramSupported = true;
    VertexProgramKind = 0;
  }

  using TActiveTexture = decltype(GL.ActiveTexture);
  using TBlendColor = decltype(GL.BlendColor);
  auto find = [lookup](const char* name) { return lookup ? lookup(name) : nullptr; };

  if (HasExtension(extensions, "GL_ARB_texture_storage"))
    GL.TexStorage2D = reinterpret_cast<decltype(GL.TexStorage2D)>(find("glTexStorage2D"));
  if (HasExtension(extensions, "GL_ARB_framebuffer_object") && HasExtension(extensions, "GL_ARB_copy_image"))
    FindRenderToTexture(find);

  // An OpenGL 1.3 driver has every feature in its core.
  if (void* activeTexture = find("glActiveTexture")) {
    GL.ActiveTexture = reinterpret_cast<TActiveTexture>(activeTexture);
    GL.BlendColor = reinterpret_cast<TBlendColor>(find("glBlendColor"));
    BumpSupported = VertexProgramSupported;
    EdgeClampSupported = true;
    BorderClampSupported = true;
    return;
  }

  if (HasExtension(extensions, "GL_ARB_multitexture") &&
      (HasExtension(extensions, "GL_ARB_texture_env_dot3") ||
       HasExtension(extensions, "GL_EXT_texture_env_dot3"))) {
    GL.ActiveTexture = reinterpret_cast<TActiveTexture>(find("glActiveTextureARB"));
    // Without the entry point there is no second texture unit to bump-map with.
    BumpSupported = VertexProgramSupported && GL.ActiveTexture != nullptr;
  }
  GL.BlendColor = reinterpret_cast<TBlendColor>(find("glBlendColor"));
  if (GL.BlendColor || HasExtension(extensions, "GL_SGIS_texture_edge_clamp") ||
      HasExtension(extensions, "GL_SGI_texture_edge_clamp"))
    EdgeClampSupported = true;
  if (HasExtension(extensions, "GL_ARB_texture_border_clamp") ||
      HasExtension(extensions, "GL_SGIS_texture_border_clamp"))
    BorderClampSupported = true;
}
