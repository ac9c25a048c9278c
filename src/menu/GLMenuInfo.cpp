// GLMenuInfo.cpp — the controls help and credits, with OK back to the mission screen.
#include "menu/GLMenuUnit.h"

#include "render/GLTextUnit.h"

void TGLMenu::ShowInfo() {
  HideAll();
  ShowButton(BtnInfoOk, true);
  for (TGLLabel* line : InfoLabels) line->Visible = true;
  Install(TScreen::Info, TRenderHandler::Bind<&TGLMenu::PlainFrame>(this));
}
