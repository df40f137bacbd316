#include "lib/foundation/errors.h"

#include "platform/kernel/debug_output.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/message_box.h"
#include "platform/kernel/sys_messages.h"

namespace {

std::string SystemText(uint32_t flags, uint32_t code) {
  char buffer[256];
  const uint32_t length = FormatMessageA(flags, code, buffer, sizeof buffer);
  return std::string(buffer, length);
}

}  // namespace

void TraceRaise(const std::string& message) { DebugLog("%0:s %1:s", {"EXCEPTION", message}); }

void RaiseError(const std::string& message) {
  TraceRaise(message);
  throw Exception(message);
}

void RaiseErrorFmt(std::string_view format, std::initializer_list<FormatArg> args) {
  RaiseError(Format(format, args));
}

void ReraiseException(const Exception& error) {
  TraceRaise(error.Message());
  if (const auto* os = dynamic_cast<const EOSError*>(&error)) {
    throw EOSError(os->Message(), os->ErrorCode());
  }
  if (dynamic_cast<const EOutOfMemory*>(&error) != nullptr) throw EOutOfMemory(error.Message());
  throw Exception(error.Message());
}

EOutOfMemory OutOfMemoryError() {
  EOutOfMemory error(TrimmedSysErrorText(ERROR_NOT_ENOUGH_MEMORY));
  TraceRaise(error.Message());
  return error;
}

void CheckCondition(bool condition, const std::string& message) {
  if (!condition) throw Exception(message);
}

void DebugLog(std::string_view format, std::initializer_list<FormatArg> args) {
  try {
    std::string bracketed = "[";
    bracketed.append(format);
    bracketed += ']';
    OutputDebugStringA(Format(bracketed, args).c_str());
  } catch (...) {
    // The trace must never disturb the operation it describes.
  }
}

void DebugMsg(std::string_view text) { DebugLog(text); }

std::string SysErrorText(uint32_t code) {
  return SystemText(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, code);
}

std::string TrimmedSysErrorText(uint32_t code) {
  std::string text = SystemText(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      code);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 32 || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

std::string LastErrorText() {
  const uint32_t code = GetLastError();
  return Format("0x%.8x (%d): %s", {code, static_cast<int32_t>(code), TrimmedSysErrorText(code)});
}

void RaiseLastOSError() {
  const uint32_t code = GetLastError();
  if (code == 0) throw EOSError("A call to an OS function failed", code);
  throw EOSError(Format("System Error.  Code: %d.\r\n%s",
                        {static_cast<int32_t>(code), TrimmedSysErrorText(code)}),
                 code);
}

void ShowExceptionBox(const Exception& error) {
  std::string text = error.Message();
  if (const auto* os = dynamic_cast<const EOSError*>(&error)) {
    text = Format("Error code = %d, %s", {os->ErrorCode(), os->Message()});
  }
  MessageBoxA(GetForegroundWindow(), text.c_str(), "Ошибка", MB_ICONERROR);
}
