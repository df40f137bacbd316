// Raising errors with their debug line, the debug trace, and system error
// texts. Every raise through these routines (except `CheckCondition`) first
// writes "[EXCEPTION <message>]" to the debug channel.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/foundation/exception.h"
#include "lib/foundation/format.h"

[[noreturn]] void RaiseError(const std::string& message);
[[noreturn]] void RaiseErrorFmt(std::string_view format, std::initializer_list<FormatArg> args);
// A fresh error with the same message: an OS error keeps its code, an
// out-of-memory error its kind, any other kind becomes a general error.
[[noreturn]] void ReraiseException(const Exception& error);
// The error a failed allocation becomes, worded as the system words
// ERROR_NOT_ENOUGH_MEMORY, after its debug line as for every raise.
EOutOfMemory OutOfMemoryError();
void CheckCondition(bool condition, const std::string& message);
// The debug line every raise writes first.
void TraceRaise(const std::string& message);
// Writes the debug line of `error`, then raises it as it is, so that a
// caller can catch it by its own kind.
template <typename Error>
[[noreturn]] void RaiseTraced(const Error& error) {
  TraceRaise(error.Message());
  throw error;
}

// Writes "[" + formatted text + "]"; never raises, and writes nothing when
// the format does not fit its arguments.
void DebugLog(std::string_view format, std::initializer_list<FormatArg> args = {});
void DebugMsg(std::string_view text);

// The system text for `code` as the platform delivers it (with its CR LF);
// empty when there is none.
std::string SysErrorText(uint32_t code);
// "0x%08X (%d): text" for the thread's last error, the text trimmed of
// trailing blanks, control characters and full stops.
std::string LastErrorText();
// The system text for `code`, trimmed as in `LastErrorText`.
std::string TrimmedSysErrorText(uint32_t code);

// The OS error for the thread's last system error, raised without a debug line.
[[noreturn]] void RaiseLastOSError();

void ShowExceptionBox(const Exception& error);
