// RenderHandler.cpp — the current frame function and the close request.
#include "core/RenderHandler.h"

TRenderHandler OnRender;

namespace {
bool Closing = false;
}

void CloseGameWindow() { Closing = true; }
bool GameWindowClosing() { return Closing; }
void ResetGameWindowClosing() { Closing = false; }
