#include "platform/kernel/escaped_text.h"

#include <algorithm>

bool IsControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

bool HasControlByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(), IsControlByte);
}

std::string Escaped(std::string_view text, bool high) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsControlByte(c) || (high && byte >= 0x80)) {
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    } else {
      shown += c;
    }
  }
  return shown;
}
