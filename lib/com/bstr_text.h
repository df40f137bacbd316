// The conversions of the library's members at the COM boundary: BSTRs to
// 8-bit strings and back through the ANSI code page, one character per
// byte, so content with zero bytes survives; booleans as VARIANT_BOOL.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/bstr.h"
#include "platform/com/variant.h"

// The character count comes from the length prefix; null is empty.
std::string BstrToAnsi(BSTR text);
// The same for a file name or path, which must keep its identity: raises,
// naming it, when a character has no cp1251 form, rather than put '?' in
// its place and so name another file or merge two names into one.
std::string BstrToAnsiName(BSTR text);
// A new BSTR the caller frees; raises when memory runs out or the text is
// longer than a BSTR holds.
BSTR AnsiToBstr(std::string_view text);

inline VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// An out-parameter that must be given; an interface or BSTR one is cleared
// first, so a failed call leaves it null. False for a null pointer.
template <typename T>
bool PrepareOut(T** out) {
  if (out == nullptr) return false;
  *out = nullptr;
  return true;
}
template <typename T>
bool PrepareOut(T* out) {
  return out != nullptr;
}
