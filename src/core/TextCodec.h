// TextCodec.h — conversion between UTF-8 (what the toolkits speak) and code page 1250 (what the
// game's records, text tables and font hold).
#pragma once

#include <optional>
#include <string>

// Nothing when the text is not valid UTF-8 or holds a character cp1250 cannot represent.
std::optional<std::string> Utf8ToCp1250(const std::string& utf8);
std::string Cp1250ToUtf8(const std::string& cp1250);
