// An owned zero-terminated copy of a text, for calls that take one.
#pragma once

#include <memory>

class CZeroString {
 public:
  CZeroString() = default;
  CZeroString(const CZeroString&) = delete;
  CZeroString& operator=(const CZeroString&) = delete;

  // Keeps a copy of `source`, dropping a held one first. A null source
  // raises "Parameter pszObjId = NULL of CZeroString.Open is invalid".
  void Open(const char* source);
  void Close();
  // The copy, or null when nothing is held.
  const char* Value() const { return HasValue ? Copy.get() : nullptr; }

 private:
  bool HasValue = false;
  std::unique_ptr<char[]> Copy;
};
