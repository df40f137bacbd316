#include "lib/com/bstr_text.h"

#include "lib/com/ole_error.h"
#include "platform/kernel/codepage.h"

std::string BstrToAnsi(BSTR text) {
  return WideToAnsi(std::u16string_view(text, SysStringLen(text)));
}

BSTR AnsiToBstr(const std::string& text) {
  const std::u16string wide = AnsiToWide(text);
  BSTR result = SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
  if (result == nullptr) throw EOleSysError("Недостаточно памяти для строки", E_OUTOFMEMORY);
  return result;
}
