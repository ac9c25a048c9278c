// Message.h — the few messages the game shows the player, through one replaceable sink.
#pragma once

#include <functional>
#include <string>

// Shows a message: a system message box over the game, an alert while the launcher runs, a
// line on standard error when headless. Tests install their own sink to collect them.
void ShowMessage(const std::string& text);

using TMessageSink = std::function<void(const std::string& text)>;
void SetMessageSink(TMessageSink sink);  // an empty sink restores the system message box
const TMessageSink& MessageSink();
