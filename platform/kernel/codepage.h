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
// The same for text that must keep its identity: converts all of it into
// `out` and returns npos, or returns the index of the first unit that has
// no cp1251 form (a lone surrogate among them), with `out` holding what
// came before.
size_t WideToAnsiExactly(std::u16string_view text, std::string& out);

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
// The way back for a path or name as the system gives it (UTF-8, "/"
// between its levels): true and the path in `out`, or false and in
// `refusal` the message that names it, when it has no exact cp1251 form or
// a file or folder name in it holds "\", which would split that name in
// two once "\" separates levels. Never a look-alike path.
bool SysPathToAnsi(std::string_view path, std::string& out, std::string& refusal);

// The one wording for a name or path refused for want of a cp1251 form. It
// shows the value as far as cp1251 can, each character the code page lacks
// as "<U+00E9>" and each byte that is no part of UTF-8 as "<0xE9>", and
// names the first of them.
std::string NoAnsiFormMessage(std::string_view utf8);
std::string NoAnsiFormMessage(std::u16string_view text);
// The one wording for a file name (cp1251) that holds a character that no
// file name of the package's receivers may hold: "\" or ":".
std::string ForbiddenNameCharMessage(std::string_view name, char c);
