#include "editor/model/ole_string.h"

#include <new>

#include "platform/kernel/codepage.h"

OleString::OleString(std::string_view ansi) {
  text_ = SysAllocStringLen(nullptr, static_cast<uint32_t>(ansi.size()));
  if (text_ == nullptr) throw std::bad_alloc();
  AnsiToWide(ansi, text_);
}

BSTR* OleString::out() {
  SysFreeString(text_);
  text_ = nullptr;
  return &text_;
}

std::string OleString::Ansi() const {
  return WideToAnsi(std::u16string_view(text_ == nullptr ? u"" : text_, SysStringLen(text_)));
}
