// GLMenuEnding.cpp — the closing story after the last mission, scrolled like the intro's; its
// end or a skip returns to the briefing of the last mission.
#include "menu/GLMenuUnit.h"

#include "core/Globals.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "render/GLTextUnit.h"
#include "render/GLVisualObjectUnit.h"

namespace {
constexpr float EndingTop = -1.5f;
constexpr float EndingLineStep = 0.5f;
constexpr float EndingEnd = 2.0f;  // the story ends when its last line is this high
}  // namespace

void TGLMenu::ShowEnding() {
  HideAll();
  for (int i = 0; i < EndingLineCount; ++i) {
    TGLLabel& line = *EndingLabels[i];
    line.Y = EndingTop - EndingLineStep * static_cast<float>(i);
    line.TextColor[3] = 0;
    line.Visible = true;
  }
  Install(TScreen::Ending, TRenderHandler::Bind<&TGLMenu::EndingFrame>(this));
  ShowCursor(false);
}

void TGLMenu::LeaveEnding() {
  for (TGLLabel* line : EndingLabels) line->Visible = false;
  ShowCursor(true);
  ShowMissionScreen();
}

void TGLMenu::EndingFrame() {
  Counter.Update();
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (SkipPressed()) {
    LeaveEnding();
    return;
  }
  LoadMenuView();
  if (EndingLabels.back()->Y >= EndingEnd) {
    LeaveEnding();
    return;
  }
  ScrollStory(EndingLabels.data(), EndingLineCount, Counter.Elapsed);
  DrawOverlay();
}
