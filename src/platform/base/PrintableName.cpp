#include "platform/base/PrintableName.h"

#include <cstdio>

namespace platform {
namespace {

bool Continues(const std::string& text, size_t at, unsigned char low = 0x80, unsigned char high = 0xBF) {
  if (at >= text.size()) return false;
  const auto c = static_cast<unsigned char>(text[at]);
  return c >= low && c <= high;
}

std::string Escape(unsigned char c) {
  switch (c) {
    case '\a':
      return "\\a";
    case '\b':
      return "\\b";
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\v':
      return "\\v";
    case '\f':
      return "\\f";
    case '\r':
      return "\\r";
    default: {
      char octal[5];
      std::snprintf(octal, sizeof octal, "\\%03o", c);
      return octal;
    }
  }
}

}  // namespace

std::string PrintableName::Of(const std::string& name) {
  const std::string plain = Escaped(name, false);
  return plain == name ? name : Escaped(name, true);
}

std::string PrintableName::Line(const std::string& text) { return Escaped(text, false); }

std::string PrintableName::Escaped(const std::string& text, bool quoted) {
  std::string out = quoted ? "\"" : "";
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (const size_t length = PrintableAt(text, at)) {
      if (quoted && (c == '"' || c == '\\')) out += '\\';
      out.append(text, at, length);
      at += length;
    } else {
      out += Escape(static_cast<unsigned char>(c));
      ++at;
    }
  }
  return quoted ? out + "\"" : out;
}

// Well-formed UTF-8 only (no overlong forms, surrogates or code points past
// U+10FFFF), and none of U+0080 to U+009F, which terminals take as controls.
size_t PrintableName::PrintableAt(const std::string& text, size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  if (c < 0x20 || c == 0x7F) return 0;
  if (c < 0x80) return 1;
  if (c == 0xC2) return Continues(text, at + 1, 0xA0, 0xBF) ? 2 : 0;
  if (c > 0xC2 && c < 0xE0) return Continues(text, at + 1) ? 2 : 0;
  if (c >= 0xE0 && c < 0xF0) {
    const unsigned char low = c == 0xE0 ? 0xA0 : 0x80;
    const unsigned char high = c == 0xED ? 0x9F : 0xBF;
    return Continues(text, at + 1, low, high) && Continues(text, at + 2) ? 3 : 0;
  }
  if (c >= 0xF0 && c < 0xF5) {
    const unsigned char low = c == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = c == 0xF4 ? 0x8F : 0xBF;
    return Continues(text, at + 1, low, high) && Continues(text, at + 2) && Continues(text, at + 3) ? 4 : 0;
  }
  return 0;
}

}  // namespace platform
