// Names as a message shows them. A line feed or an escape sequence written
// into a message as it is would break the message or drive a terminal, so
// the library and the editor both show such bytes by one rule.
#pragma once

#include <string>
#include <string_view>

// A byte below the blank, or DEL: no file name of a package holds one.
bool IsControlByte(char c);
bool HasControlByte(std::string_view text);
// `text` with its control bytes, and its bytes above ASCII too when `high`
// is set, shown as \xNN.
std::string Escaped(std::string_view text, bool high = false);
