// TextConstants.h — every text drawn in the game window, in the chosen language.
//
// Entries: 0-8 opening story; 9 + 11(n-1) title of mission n and the ten briefing lines after
// it; 64-70 button captions (Start, Again, OK, Info, Exit, Yes, No); 71 pause question; 72, 73
// outcome lines; 74 accuracy prefix; 75-81 controls help; 82, 83 credits; 84-89 closing story.
// The texts are code page 1250 bytes: the bitmap font draws one glyph per byte.
#pragma once

#include <cstdint>
#include <string>

constexpr int TextCount = 101;

extern std::string TextTable[TextCount];

// Fills TextTable: English for language 0, Slovak otherwise.
void SelectLanguage(uint8_t language);
// The language TextTable holds: 0 English, 1 Slovak.
extern uint8_t TextLanguage;

// An entry as written in the source (UTF-8), for checks and tools.
std::string TextEntryUtf8(uint8_t language, int entry);

enum : int {
  TextStart = 64,
  TextAgain = 65,
  TextOk = 66,
  TextInfo = 67,
  TextExit = 68,
  TextYes = 69,
  TextNo = 70,
  TextPauseQuestion = 71,
  TextSuccess = 72,
  TextFailure = 73,
  TextAccuracy = 74,
};
