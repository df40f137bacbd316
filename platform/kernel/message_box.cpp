#include "platform/kernel/message_box.h"

#include <cstdio>
#include <utility>

#include "platform/kernel/codepage.h"

namespace {

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

HWND GetForegroundWindow() { return nullptr; }

int DefaultButtonOf(uint32_t type) {
  if ((type & MB_TYPEMASK) != MB_YESNO) return IDOK;
  return (type & MB_DEFMASK) == MB_DEFBUTTON2 ? IDNO : IDYES;
}

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, uint32_t type) {
  const std::string body = text ? text : "";
  const std::string title = caption ? caption : "";
  if (Handler()) return Handler()(body, title, type);
  std::fprintf(stderr, "%s: %s\n", AnsiToUtf8(title).c_str(), AnsiToUtf8(body).c_str());
  return DefaultButtonOf(type);
}
