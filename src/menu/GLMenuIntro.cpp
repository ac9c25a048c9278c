// GLMenuIntro.cpp — the intro: a second of black, two pictures fading in and out, then the
// opening story scrolling up; any skip key or the left button goes to the mission screen.
#include "menu/GLMenuUnit.h"

#include "core/Globals.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "render/GLSpriteUnit.h"
#include "render/GLTextUnit.h"
#include "render/GLVisualObjectUnit.h"
#include "sound/SoundUnit.h"

namespace {

constexpr int32_t IntroBlackMs = 1000;
constexpr float PictureFade = 0.0005f;      // alpha per ms: two seconds in, two out
constexpr float PictureZoomSpeed = 0.001f;  // units of width and height per ms
constexpr float PictureSize = 4.0f;         // the second picture's starting size
constexpr float StoryTop = -1.5f;           // the first line's starting height
constexpr float StoryLineStep = 0.5f;
constexpr float StoryEnd = 2.0f;            // the story ends when its last line is this high
// A picture whose fade has ended is parked below zero: a fade that lands exactly on 0 would
// otherwise count as not yet started and play again.
constexpr float PictureDone = -1.0f;

// Fades a picture in to full and out again; true when it has just faded out.
bool FadePicture(TGLSprite& picture, int32_t& direction, int32_t ms) {
  float& alpha = picture.Color[3];
  if (alpha > 1.0f) direction = -1;
  alpha += static_cast<float>(ms) * PictureFade * static_cast<float>(direction);
  if (alpha > 0.0f) return false;
  alpha = PictureDone;
  return true;
}

}  // namespace

void TGLMenu::ShowIntro() {
  HideAll();
  IntroPicture1->Visible = true;
  IntroPicture1->Color[3] = 0;
  IntroPicture2->Visible = true;
  IntroPicture2->Color[3] = 0;
  IntroPicture2->Width = IntroPicture2->Height = PictureSize;
  for (int i = 0; i < StoryLineCount; ++i) {
    TGLLabel& line = *StoryLabels[i];
    line.Y = StoryTop - StoryLineStep * static_cast<float>(i);
    line.TextColor[3] = 0;
    line.Visible = true;
  }
  IntroTimer = 0;
  IntroFadeDir = 1;
  IntroZoomSpeed = PictureZoomSpeed;
  Install(TScreen::Intro, TRenderHandler::Bind<&TGLMenu::IntroFrame>(this));
  ShowCursor(false);
}

void TGLMenu::LeaveIntro() {
  IntroPicture1->Visible = IntroPicture2->Visible = false;
  for (TGLLabel* line : StoryLabels) line->Visible = false;
  ShowCursor(true);
  ShowMissionScreen();
}

void TGLMenu::IntroFrame() {
  Counter.Update();
  const int32_t ms = Counter.Elapsed;
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  IntroTimer += ms;
  if (IntroTimer < IntroBlackMs) return;
  if (SkipPressed()) {
    StartIntroMusic();
    LeaveIntro();
    return;
  }
  LoadMenuView();
  if (IntroPicture1->Color[3] >= 0.0f) {
    if (FadePicture(*IntroPicture1, IntroFadeDir, ms)) {
      IntroFadeDir = 1;
      PlayMusic(IntroMusic);
      MusicStarted = true;
    }
  } else if (IntroPicture2->Color[3] >= 0.0f) {
    FadePicture(*IntroPicture2, IntroFadeDir, ms);
    const float growth = static_cast<float>(ms) * IntroZoomSpeed;
    IntroPicture2->Width += growth;
    IntroPicture2->Height += growth;
  } else if (StoryLabels.back()->Y >= StoryEnd) {
    LeaveIntro();
    return;
  } else {
    ScrollStory(StoryLabels.data(), StoryLineCount, ms);
  }
  DrawOverlay();
}
