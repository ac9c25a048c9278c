// GLMenuMission.cpp — the mission screen: drifting clouds, the pulsing title picture, the
// briefing of mission CurrentLevel and the buttons to start it, choose another, read the
// controls, see the intro again or leave.
#include "menu/GLMenuUnit.h"

#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "menu/TextConstants.h"
#include "platform/GLTable.h"
#include "render/GLSpriteUnit.h"
#include "render/GLTextUnit.h"
#include "render/GLVisualObjectUnit.h"
#include "sound/SoundUnit.h"

namespace {

constexpr float CloudAlpha = 0.2f;
constexpr float CloudDrift = 0.00005f;  // texture widths per ms
constexpr float TitlePulseMax = 0.7f;
constexpr float TitlePulseMin = 0.4f;
constexpr TVector TitlePlace{-1.9f, 1.0f, -5.0f};
constexpr int32_t TitleFlicker = 2;     // the title's scale wavers by up to 1 %
constexpr float TitleScaleBase = 98.0f;
constexpr float TitleScale = 0.9f / 100.0f;

void LoadTranslation(float x, float y, float z) {
  TMatrix view;
  MatrixIdentity(view);
  MatrixTranslate(view, x, y, z);
  LoadModelView(view);
}

}  // namespace

void TGLMenu::ShowMissionScreen() {
  HideAll();
  for (TButton* button : {&BtnStart, &BtnExit, &BtnInfo, &BtnIntro}) ShowButton(*button, true);
  ShowButton(BtnNext, PlayerRecord.Progress > CurrentLevel);
  ShowButton(BtnPrev, CurrentLevel > 1);
  const int title = MissionTitleEntry(CurrentLevel);
  TitleLabel->Caption = TextTable[title];
  TitleLabel->Visible = true;
  for (int i = 0; i < BriefingLineCount; ++i) {
    BriefingLabels[i]->Caption = TextTable[title + 1 + i];
    BriefingLabels[i]->Visible = true;
  }
  Install(TScreen::MissionScreen, TRenderHandler::Bind<&TGLMenu::MissionScreenFrame>(this));
}

void TGLMenu::MissionScreenFrame() {
  Counter.Update();
  const int32_t ms = Counter.Elapsed;
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  DrawClouds(ms);
  DrawTitle(ms);
  DrawBriefingPanel();
  LoadMenuView();
  DrawOverlay();
}

// Two layers drifting apart.
void TGLMenu::DrawClouds(int32_t ms) {
  for (float drift : {CloudScroll, -CloudScroll}) {
    GL.MatrixMode(GL_TEXTURE);
    GL.PushMatrix();
    GL.LoadIdentity();
    GL.Translatef(drift, 0, 0);
    GL.MatrixMode(GL_MODELVIEW);
    LoadTranslation(0, 0, 0);
    GL.Color4f(1, 1, 1, CloudAlpha);
    GL.CallList(CloudsList);
    GL.MatrixMode(GL_TEXTURE);
    GL.PopMatrix();
    GL.MatrixMode(GL_MODELVIEW);
  }
  CloudScroll += static_cast<float>(ms) * CloudDrift;
}

void TGLMenu::DrawTitle(int32_t ms) {
  LoadTranslation(TitlePlace.x, TitlePlace.y, TitlePlace.z);
  const float scale = (TitleScaleBase + static_cast<float>(Random(TitleFlicker))) * TitleScale;
  GL.Scalef(scale, scale, 1);
  GL.BindTexture(GL_TEXTURE_2D, Textures[TitleTexture]);
  GL.Color4f(1, 1, 1, TitlePulse);
  GL.CallList(TitleList);
  TitlePulse += static_cast<float>(ms) * TitlePulseSpeed;
  if (TitlePulse > TitlePulseMax) {
    TitlePulse = TitlePulseMax;
    TitlePulseSpeed = -TitlePulseSpeed;
  } else if (TitlePulse < TitlePulseMin) {
    TitlePulse = TitlePulseMin;
    TitlePulseSpeed = -TitlePulseSpeed;
  }
}

// Black behind the briefing, so the clouds do not run through the text.
void TGLMenu::DrawBriefingPanel() const {
  LoadTranslation(2.0f, 0, -MenuViewDistance);
  // The sprites drawn before leave lighting on, and a mission may have left its lights set.
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_TEXTURE_2D);
  GL.Color4f(0, 0, 0, 1);
  GL.Begin(GL_QUADS);
  GL.Vertex3f(-2.0f, -2.1f, 0);
  GL.Vertex3f(2.5f, -2.1f, 0);
  GL.Vertex3f(2.5f, 2.0f, 0);
  GL.Vertex3f(-2.0f, 2.0f, 0);
  GL.End();
  GL.Enable(GL_TEXTURE_2D);
}

void TGLMenu::OnNext() {
  if (PlayerRecord.Progress <= CurrentLevel) return;
  ++CurrentLevel;
  ShowMissionScreen();
}

void TGLMenu::OnPrev() {
  if (CurrentLevel <= 1) return;
  --CurrentLevel;
  ShowMissionScreen();
}

void TGLMenu::OnIntro() {
  StopMusic(IntroMusic);
  MouseButtons &= static_cast<uint8_t>(~(MouseLeftBit | MouseRightBit));
  ShowIntro();
}
