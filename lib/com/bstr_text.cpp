#include "lib/com/bstr_text.h"

#include "lib/com/ole_error.h"
#include "platform/kernel/codepage.h"

std::string BstrToAnsi(BSTR text) {
  return WideToAnsi(std::u16string_view(text, SysStringLen(text)));
}

BSTR AnsiToBstr(const std::string& text) {
  BSTR result = SysAllocStringLen(nullptr, static_cast<uint32_t>(text.size()));
  if (result == nullptr) throw EOleSysError("Недостаточно памяти для строки", E_OUTOFMEMORY);
  AnsiToWide(text, result);
  return result;
}
