// TextCodec.cpp — UTF-8 and cp1250 through the C library's iconv.
#include "core/TextCodec.h"

#include <cerrno>
#include <iconv.h>

namespace {

std::optional<std::string> Convert(const char* to, const char* from, const std::string& text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::optional<std::string> Utf8ToCp1250(const std::string& utf8) {
  return Convert("CP1250", "UTF-8", utf8);
}

std::string Cp1250ToUtf8(const std::string& cp1250) {
  // Five cp1250 codes are unassigned; they come out as U+FFFD rather than failing.
  std::string out;
  for (char c : cp1250) {
    std::optional<std::string> piece = Convert("UTF-8", "CP1250", std::string(1, c));
    out += piece ? *piece : "\xEF\xBF\xBD";
  }
  return out;
}
