#include "platform/kernel/message_box.h"

#include <cstdio>

#include "platform/kernel/codepage.h"

HWND GetForegroundWindow() { return nullptr; }

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, uint32_t type) {
  std::fprintf(stderr, "%s: %s\n", AnsiToUtf8(caption ? caption : "").c_str(),
               AnsiToUtf8(text ? text : "").c_str());
  return (type & 0x0F) == MB_YESNO ? IDYES : IDOK;
}
