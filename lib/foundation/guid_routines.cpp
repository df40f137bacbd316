#include "lib/foundation/guid_routines.h"

#include <cstdio>

#include "lib/foundation/exception.h"
#include "platform/kernel/guid.h"

namespace {

std::string RegistryForm(const GUID& guid) {
  char text[37];
  std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", guid.Data1,
                guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

}  // namespace

GUID NewGuid() {
  GUID guid;
  if (CoCreateGuid(&guid) != 0) throw Exception("Guid не создан");
  return guid;
}

std::string NewGuidString() {
  // Appended apart: GCC 12 at -O3 sees an overlap in "{" + text.
  std::string text = "{";
  text += RegistryForm(NewGuid());
  text += '}';
  return text;
}

std::string NewGuidStringNoBraces() { return RegistryForm(NewGuid()); }

std::string NewGuidHex() {
  std::string hex;
  for (const char c : RegistryForm(NewGuid())) {
    if (c == '-') continue;
    hex += c >= 'A' && c <= 'F' ? static_cast<char>(c + ('a' - 'A')) : c;
  }
  return hex;
}
