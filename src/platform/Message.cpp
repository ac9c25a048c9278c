// Message.cpp — routing messages to the current sink.
#include "platform/Message.h"

#include "platform/Window.h"

namespace {
TMessageSink Sink;
}

void ShowMessage(const std::string& text) {
  if (Sink) {
    Sink(text);
    return;
  }
  ShowSystemMessage("Quintara", text);
}

void SetMessageSink(TMessageSink sink) { Sink = std::move(sink); }

const TMessageSink& MessageSink() { return Sink; }
