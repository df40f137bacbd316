#include "platform/msxml/xml_names.h"

#include "platform/kernel/codepage.h"

namespace {

bool IsNameStart(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') return true;
  // Every Cyrillic letter of the code page lies in U+0400..U+04FF, which
  // both editions of the XML name rules accept.
  const char16_t wide = AnsiToWideChar(c);
  return wide >= 0x0400 && wide <= 0x04FF;
}

bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

}  // namespace

bool IsXmlName(std::string_view name) {
  if (name.empty() || !IsNameStart(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name.substr(1)) {
    if (!IsNameChar(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

size_t FindForbiddenByte(std::string_view value) {
  for (size_t i = 0; i < value.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x98) return i;
  }
  return std::string_view::npos;
}
