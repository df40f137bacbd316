// An automation string owned by its holder, made from and read as cp1251
// text one character per byte, so zero bytes survive.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/bstr.h"

class OleString {
 public:
  OleString() = default;
  explicit OleString(std::string_view ansi);
  ~OleString() { SysFreeString(text_); }
  OleString(const OleString&) = delete;
  OleString& operator=(const OleString&) = delete;

  BSTR get() const { return text_; }
  // For an out parameter: frees what is held and gives the slot.
  BSTR* out();
  std::string Ansi() const;

 private:
  BSTR text_ = nullptr;
};
