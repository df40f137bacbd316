#include "lib/com/bstr_text.h"

#include "lib/com/ole_error.h"
#include "lib/foundation/errors.h"
#include "platform/kernel/codepage.h"

std::string BstrToAnsi(BSTR text) {
  return WideToAnsi(std::u16string_view(text, SysStringLen(text)));
}

std::string BstrToAnsiName(BSTR text) {
  const std::u16string_view wide(text, SysStringLen(text));
  std::string name;
  if (WideToAnsiExactly(wide, name) != std::u16string_view::npos) {
    RaiseError(NoAnsiFormMessage(wide));
  }
  return name;
}

BSTR AnsiToBstr(const std::string& text) {
  BSTR result = SysAllocStringLen(nullptr, static_cast<uint32_t>(text.size()));
  if (result == nullptr) throw EOleSysError("Недостаточно памяти для строки", E_OUTOFMEMORY);
  AnsiToWide(text, result);
  return result;
}
