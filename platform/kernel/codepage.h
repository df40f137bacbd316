// Code page 1251, the system's 8-bit text, and its conversions.
//
// Our own table rather than iconv: it maps all 256 bytes one to one
// (0x98 <-> U+0098), so content that crosses the COM boundary one character
// per byte survives whatever bytes it holds.
#pragma once

#include <string>
#include <string_view>

char16_t AnsiToWideChar(unsigned char byte);
// Characters outside the code page become '?', as the platform's default char.
std::u16string AnsiToWide(std::string_view text);
// The same into `out`, which holds text.size() units: a document's bytes go
// into an automation string without a copy between.
void AnsiToWide(std::string_view text, char16_t* out);
std::string WideToAnsi(std::u16string_view text);

// For system calls: file names and environment values are UTF-8 outside.
std::string AnsiToUtf8(std::string_view text);
// Malformed UTF-8 and characters outside the code page become '?'.
std::string Utf8ToAnsi(std::string_view text);
// The same for text that must keep its identity, such as a file name:
// converts all of it into `out` and returns npos, or returns the offset of
// the first sequence that is malformed, longer than it needs to be, or a
// character outside the code page, with `out` holding what came before.
size_t Utf8ToAnsiExactly(std::string_view text, std::string& out);

// A cp1251 path as the system call takes it: UTF-8, with "\" as "/".
std::string SysPath(std::string_view path);
