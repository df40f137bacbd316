#include "lib/com/bstr_text.h"

#include "lib/com/ole_error.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/format.h"
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

BSTR AnsiToBstr(std::string_view text) {
  // Checked before the length narrows to 32 bits, where 4 GiB and one
  // byte would make room for one character.
  if (text.size() > kMaxBstrLength) {
    throw EOleSysError(Format("Строка длиной [%0:d] символов длиннее предела строки автоматизации "
                              "[%1:d]",
                              {static_cast<int64_t>(text.size()), int64_t{kMaxBstrLength}}),
                       E_OUTOFMEMORY);
  }
  BSTR result = SysAllocStringLen(nullptr, static_cast<uint32_t>(text.size()));
  if (result == nullptr) throw EOleSysError("Недостаточно памяти для строки", E_OUTOFMEMORY);
  AnsiToWide(text, result);
  return result;
}
