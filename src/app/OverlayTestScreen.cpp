// OverlayTestScreen.cpp — labels in both languages, clickable sprites, music and effects.
#include "app/OverlayTestScreen.h"

#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/RenderHandler.h"
#include "core/TextCodec.h"
#include "menu/TextConstants.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "render/GLSpriteUnit.h"
#include "render/GLTextUnit.h"
#include "sound/SoundUnit.h"

namespace {

constexpr int StoryLines = 9;
constexpr float LineHeight = 0.33f;
constexpr float EffectDistance = 5.0f;  // how far left or right the test effect sounds

TGLLabel* AddLabel(float x, float y, float size, float advance, const std::string& cp1250) {
  auto* label = new TGLLabel(FontTexture, x, y, 1);
  label->Caption = cp1250;
  label->Size = size;
  label->Advance = advance;
  return label;
}

std::string Cp1250(const std::string& utf8) { return Utf8ToCp1250(utf8).value_or("?"); }

}  // namespace

TOverlayTestScreen::~TOverlayTestScreen() {
  if (OnRender.IsBoundTo(this)) OnRender = {};
  FreeOverlay();
}

void TOverlayTestScreen::Start() {
  AddLabel(-2.2f, 3.7f, 0.6f, 0.55f, "QUINTARA");
  for (int line = 0; line < StoryLines; ++line) {
    const float y = 2.6f - LineHeight * line;
    AddLabel(-5.4f, y, 0.38f, 0.52f, Cp1250(TextEntryUtf8(0, line)))->TextColor[3] = 0.8f;
    AddLabel(0.3f, y, 0.38f, 0.52f, Cp1250(TextEntryUtf8(1, line)))->TextColor[3] = 0.8f;
  }
  TGLSprite* left = MakeButton(-3.0f, -1.4f, "Left");
  left->OnMouseDown = [this](TGLSprite&, int) { PlayEffect(-EffectDistance); };
  TGLSprite* right = MakeButton(0.0f, -1.4f, "Right");
  right->OnMouseDown = [this](TGLSprite&, int) { PlayEffect(EffectDistance); };
  TGLSprite* exit = MakeButton(3.0f, -1.4f, "Exit");
  exit->OnMouseDown = [](TGLSprite&, int) { CloseGameWindow(); };
  Status = AddLabel(-5.4f, -2.6f, 0.25f, 0.5f, "");
  Status->TextColor[1] = Status->TextColor[2] = 0.6f;

  try {
    Music = LoadMusic("intro.mid", 700);
    PlayMusic(Music);
    Effect = LoadSound("explode1.wav", false);
    ShowStatus("Click Left or Right to hear an effect from that side.");
  } catch (const TFileError& e) {
    ShowStatus(e.what());
  }
  OnRender = TRenderHandler::Bind<&TOverlayTestScreen::Frame>(this);
}

TGLSprite* TOverlayTestScreen::MakeButton(float x, float y, const char* caption) {
  auto* sprite = new TGLSprite(0, x, y, 0, 2.0f, 0.8f, 1.0f, 1, 1, 1, 0.9f);
  if (FileExists(TextureDir + "btn.cna")) sprite->AddFrame("btn.cna");
  const float width = 0.25f * 0.5f * static_cast<float>(std::string(caption).size());
  AddLabel(x - width / 2, y + 0.13f, 0.25f, 0.5f, caption);
  return sprite;
}

void TOverlayTestScreen::PlayEffect(float side) {
  ++Clicks;
  if (Effect < 0) return;
  SetSoundPosition(Effect, {side, 0.0f, 0.0f}, 1.0f);
  PlaySound(Effect);
  ShowStatus(std::string(side < 0 ? "Left" : "Right") + " effect, click " + std::to_string(Clicks));
}

void TOverlayTestScreen::ShowStatus(const std::string& text) { Status->Caption = Cp1250(text); }

void TOverlayTestScreen::Frame() {
  Counter.Update();
  GL.ClearColor(0.05f, 0.07f, 0.14f, 0);
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  LoadMenuView();
  DrawOverlay();
  if (GetKeyState(VK::Escape) & KeyDownBit) CloseGameWindow();
}
