#include "lib/com/ole_error.h"

#include <cstdio>

#include "lib/foundation/errors.h"

void OleCheck(HRESULT result, const std::string& what) {
  if (SUCCEEDED(result)) return;
  char code[64];
  std::snprintf(code, sizeof code, "Ошибка OLE [0x%08X]", static_cast<unsigned>(result));
  const std::string message = what.empty() ? std::string(code) : what + ": " + code;
  RaiseTraced(EOleSysError(message, result));
}
