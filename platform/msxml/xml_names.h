// What XML lets the writer put into names and attribute values, for text in
// code page 1251.
#pragma once

#include <string_view>

// An element or attribute name: a Latin or Cyrillic letter or "_", then
// letters, digits, "_", "-" and ".". No ":": the writer declares no
// namespaces, and a prefix without one makes the document unreadable to a
// namespace-aware parser.
bool IsXmlName(std::string_view name);

// The position of the first byte an attribute value cannot carry (a control
// character other than tab, CR and LF, or 0x98, which has no character in
// the code page a reader decodes it with), or npos.
size_t FindForbiddenByte(std::string_view value);
