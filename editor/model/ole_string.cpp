#include "editor/model/ole_string.h"

#include <new>

#include "platform/kernel/codepage.h"

OleString::OleString(std::string_view ansi) {
  const std::u16string wide = AnsiToWide(ansi);
  text_ = SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
  if (text_ == nullptr) throw std::bad_alloc();
}

BSTR* OleString::out() {
  SysFreeString(text_);
  text_ = nullptr;
  return &text_;
}

std::string OleString::Ansi() const {
  return WideToAnsi(std::u16string_view(text_ == nullptr ? u"" : text_, SysStringLen(text_)));
}
