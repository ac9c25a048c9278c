// GLMenuUnit.cpp — the menu's construction, its shared drawing and the helpers every screen
// uses; the screens themselves live in GLMenuIntro, GLMenuMission, GLMenuInfo, GLMenuResults
// and GLMenuEnding.
#include "menu/GLMenuUnit.h"

#include "core/Globals.h"
#include "core/Texture.h"
#include "menu/TextConstants.h"
#include "platform/GLTable.h"
#include "platform/Gamepad.h"
#include "platform/Input.h"
#include "render/GLSpriteUnit.h"
#include "render/GLTextUnit.h"
#include "render/GLVisualObjectUnit.h"
#include "sound/SoundUnit.h"

#include <algorithm>

uint8_t MissionSuccess = 0;
int64_t ShotAccuracy = 0;

namespace {

constexpr int32_t IntroMusicVolume = 700;  // hundredths of a dB above the music setting
constexpr uint8_t PictureLayer = 0;
constexpr uint8_t TextLayer = 1;  // texts draw over the buttons they name

constexpr int FirstStoryEntry = 0;
constexpr int FirstEndingEntry = 84;
constexpr int FirstInfoEntry = 75;
constexpr int InfoHelpLines = 7;  // the rest are credit lines, smaller

constexpr float DefaultAdvance = 0.8f;  // a label's own default
constexpr float CaptionSize = 0.2f;
constexpr float CaptionAdvance = 0.5f;
constexpr float CaptionAlpha = 0.6f;
constexpr float CaptionRaise = 0.1f;  // the glyphs hang down from Y: this centres them

constexpr float StoryRise = 0.0003f;  // units per ms
constexpr float StoryFade = 0.001f;   // alpha per ms
constexpr float StoryFadeIn = -1.5f;  // lines fade in above this height and out above the next
constexpr float StoryFadeOut = 1.5f;

TGLLabel* MakeLabel(float x, float y, float size, float advance, float alpha) {
  auto* label = new TGLLabel(FontTexture, x, y, TextLayer);
  label->Size = size;
  label->Advance = advance;
  label->TextColor[3] = alpha;
  return label;
}

}  // namespace

int MissionTitleEntry(int32_t mission) {
  constexpr int FirstTitleEntry = 9;
  constexpr int EntriesPerMission = 11;
  return FirstTitleEntry + EntriesPerMission * (std::clamp(mission, 1, 5) - 1);
}

TGLMenu::TGLMenu() {
  CloudsTexture = LoadTexture("movclds.jpg");
  TitleTexture = LoadTexture("quin.jpg");
  BuildLists();
  try {
    CreateOverlay();
    IntroMusic = LoadMusic("intro.mid", IntroMusicVolume);
  } catch (...) {
    FreeOverlay();
    GL.DeleteLists(CloudsList, 2);
    throw;
  }
  // A mission may have left its fog behind.
  GL.ClearColor(0, 0, 0, 0);
  GL.Disable(GL_FOG);
  RestartCounter();
}

TGLMenu::~TGLMenu() {
  FreeOverlay();
  GL.DeleteLists(CloudsList, 2);
}

void TGLMenu::BuildLists() {
  CloudsList = GL.GenLists(2);
  TitleList = CloudsList + 1;

  GL.NewList(CloudsList, GL_COMPILE);
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.Enable(GL_BLEND);
  GL.Disable(GL_DEPTH_TEST);
  GL.Disable(GL_LIGHTING);
  GL.BindTexture(GL_TEXTURE_2D, Textures[CloudsTexture]);
  // The image repeats four times across the screen.
  GL.Begin(GL_QUADS);
  GL.TexCoord2f(0, 4);
  GL.Vertex3f(-1, 1, -1);
  GL.TexCoord2f(4, 4);
  GL.Vertex3f(-1, -1, -1);
  GL.TexCoord2f(4, 0);
  GL.Vertex3f(1, -1, -1);
  GL.TexCoord2f(0, 0);
  GL.Vertex3f(1, 1, -1);
  GL.End();
  GL.Disable(GL_BLEND);
  GL.Enable(GL_DEPTH_TEST);
  GL.EndList();

  // Additive; the caller binds the texture.
  GL.NewList(TitleList, GL_COMPILE);
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE);
  GL.Enable(GL_BLEND);
  GL.Disable(GL_DEPTH_TEST);
  GL.Disable(GL_LIGHTING);
  GL.Begin(GL_QUADS);
  GL.TexCoord2f(0, 1);
  GL.Vertex3f(-0.5f, 1, 0);
  GL.TexCoord2f(0, 0);
  GL.Vertex3f(-0.5f, -1, 0);
  GL.TexCoord2f(1, 0);
  GL.Vertex3f(0.5f, -1, 0);
  GL.TexCoord2f(1, 1);
  GL.Vertex3f(0.5f, 1, 0);
  GL.End();
  GL.Disable(GL_BLEND);
  GL.Enable(GL_DEPTH_TEST);
  GL.EndList();
}

void TGLMenu::CreateOverlay() {
  IntroPicture1 = new TGLSprite(PictureLayer, 0, 0, 0, 2, 1, 1, 1, 1, 1, 0);
  IntroPicture1->AddFrame("bg03.jpg");
  IntroPicture2 = new TGLSprite(PictureLayer, 0, 0, 0, 4, 4, 1, 1, 1, 1, 0);
  IntroPicture2->AddFrame("intro2.jpg");
  for (int i = 0; i < StoryLineCount; ++i) {
    StoryLabels[i] = MakeLabel(-3.0f, 0, 0.3f, DefaultAdvance, 0);
    StoryLabels[i]->Caption = TextTable[FirstStoryEntry + i];
  }
  for (int i = 0; i < EndingLineCount; ++i) {
    EndingLabels[i] = MakeLabel(-3.2f, 0, 0.3f, DefaultAdvance, 0);
    EndingLabels[i]->Caption = TextTable[FirstEndingEntry + i];
  }
  TitleLabel = MakeLabel(0, 3.0f, 0.5f, DefaultAdvance, 1.0f);
  for (int i = 0; i < BriefingLineCount; ++i)
    BriefingLabels[i] = MakeLabel(0.1f, 1.9f - 0.4f * i, 0.3f, 0.55f, 0.5f + 0.05f * i);

  BtnStart = MakeButton(-4.5f, -3.6f, "btn.cna", TextTable[TextStart], &TGLMenu::StartMission);
  BtnExit = MakeButton(4.5f, -3.6f, "btn.cna", TextTable[TextExit], &TGLMenu::ExitGame);
  BtnInfo = MakeButton(3.3f, -3.6f, "btn.cna", "Info", &TGLMenu::ShowInfo);
  BtnInfoOk = MakeButton(4.0f, -3.6f, "btn.cna", TextTable[TextOk], &TGLMenu::ShowMissionScreen);
  BtnContinue = MakeButton(-0.7f, -2.0f, "btn.cna", TextTable[TextOk], &TGLMenu::OnContinue);
  BtnAgain = MakeButton(0.7f, -2.0f, "btn.cna", TextTable[TextAgain], &TGLMenu::OnAgain);
  BtnNext = MakeButton(-2.1f, -3.6f, "btnr.cna", "", &TGLMenu::OnNext);
  BtnPrev = MakeButton(-3.3f, -3.6f, "btnl.cna", "", &TGLMenu::OnPrev);
  BtnIntro = MakeButton(2.1f, -3.6f, "btn.cna", "Intro", &TGLMenu::OnIntro);

  OutcomeLabel = MakeLabel(-2.5f, 1.0f, 0.4f, 0.5f, 0.6f);
  AccuracyLabel = MakeLabel(-2.5f, 0.0f, 0.4f, 0.5f, 0.6f);
  SaveErrorLabel = MakeLabel(-2.5f, -0.8f, 0.25f, 0.5f, 0.8f);
  SaveErrorLabel->TextColor[1] = SaveErrorLabel->TextColor[2] = 0.4f;  // red: it needs reading
  for (int i = 0; i < InfoLineCount; ++i) {
    const bool help = i < InfoHelpLines;
    const int credit = i - InfoHelpLines;
    InfoLabels[i] = help ? MakeLabel(-5.0f, 2.0f - 0.4f * i, 0.3f, 0.6f, 0.6f)
                         : MakeLabel(-5.3f, -1.2f - 0.3f * credit, 0.2f, 0.52f, 0.5f);
    InfoLabels[i]->Caption = TextTable[FirstInfoEntry + i];
  }
  HideAll();
}

TGLMenu::TButton TGLMenu::MakeButton(float x, float y, const char* image, const std::string& caption,
                                     void (TGLMenu::*handler)()) {
  TButton button;
  button.Sprite = new TGLSprite(PictureLayer, x, y, 0, ButtonWidth, ButtonHeight, 1, 1, 1, 1, 1);
  button.Sprite->AddFrame(image);
  button.Sprite->OnMouseDown = [this, handler](TGLSprite&, int) { (this->*handler)(); };
  if (caption.empty()) return button;
  const float width = static_cast<float>(caption.size()) * CaptionSize * CaptionAdvance;
  button.Caption = MakeLabel(x - width / 2, y + CaptionRaise, CaptionSize, CaptionAdvance, CaptionAlpha);
  button.Caption->Caption = caption;
  return button;
}

void TGLMenu::HideAll() {
  // The menu is the overlay's only owner while it exists.
  for (TGLVisualObject* o = OverlayHead; o; o = o->Next) {
    o->Visible = false;
    o->Enabled = false;
  }
}

void TGLMenu::ShowButton(TButton& button, bool show) {
  // Hidden buttons are disabled too: the click dispatch does not look at visibility.
  button.Sprite->Visible = button.Sprite->Enabled = show;
  if (button.Caption) button.Caption->Visible = show;
}

void TGLMenu::Install(TScreen screen, TRenderHandler frame) {
  Screen = screen;
  ScreenFrame = frame;
  OverlayValid = false;
  PadFocus.Reset();
}

void TGLMenu::Frame() {
  if (ScreenFrame) ScreenFrame();
  if (!StartRequested) NavigateByPad();
}

void TGLMenu::NavigateByPad() {
  // In the order the first pad move highlights them: the screen's main button first.
  TGLSprite* const buttons[] = {BtnStart.Sprite, BtnContinue.Sprite, BtnInfoOk.Sprite, BtnAgain.Sprite,
                                BtnPrev.Sprite,  BtnNext.Sprite,     BtnIntro.Sprite,  BtnInfo.Sprite,
                                BtnExit.Sprite};
  const TPadCommand command = PadFocus.Update(ReadGamepads(), buttons);
  if (command == TPadCommand::Confirm) {
    TGLSprite* chosen = PadFocus.Selected();
    if (chosen && chosen->OnMouseDown) chosen->OnMouseDown(*chosen, 0);
    return;
  }
  if (command != TPadCommand::Back) return;
  if (Screen == TScreen::Info) ShowMissionScreen();
  if (Screen == TScreen::Result) OnContinue();
}

void TGLMenu::PlainFrame() {
  Counter.Update();
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  LoadMenuView();
  DrawOverlay();
}

bool TGLMenu::SkipPressed() {
  return (GetKeyState(VK::Space) & KeyDownBit) || (GetKeyState(VK::Return) & KeyDownBit) ||
         (GetKeyState(VK::Escape) & KeyDownBit) || (MouseButtons & MouseLeftBit) ||
         PadSkipHeld(ReadGamepads());
}

void TGLMenu::ScrollStory(TGLLabel* const* labels, int count, int32_t ms) {
  const float e = static_cast<float>(ms);
  for (int i = 0; i < count; ++i) {
    TGLLabel& line = *labels[i];
    line.Y += e * StoryRise;
    float& alpha = line.TextColor[3];
    if (line.Y > StoryFadeIn && line.Y < StoryFadeOut) alpha = std::min(alpha + e * StoryFade, 1.0f);
    if (line.Y > StoryFadeOut) alpha = std::max(alpha - e * StoryFade, 0.0f);
  }
}

void TGLMenu::StartIntroMusic() {
  if (MusicStarted) return;
  PlayMusic(IntroMusic);
  MusicStarted = true;
}

void TGLMenu::ExitGame() { CloseGameWindow(); }

void TGLMenu::StartMission() {
  StartRequested = true;
  OverlayValid = false;
}
