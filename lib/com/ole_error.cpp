#include "lib/com/ole_error.h"

#include <cstdio>

#include "lib/foundation/errors.h"

void OleCheck(HRESULT result) {
  if (SUCCEEDED(result)) return;
  char text[64];
  std::snprintf(text, sizeof text, "Ошибка OLE [0x%08X]", static_cast<unsigned>(result));
  DebugLog("EXCEPTION %s", {text});
  throw EOleSysError(text, result);
}
