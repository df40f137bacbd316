// Lexical path joining. "\" and "/" are both separators on input, "/" is
// written. Nothing on disk is looked at.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The platform's 260 would refuse ordinary paths here; this is PATH_MAX.
constexpr size_t MAX_PATH = 4096;

// `file` alone when it is absolute or `folder` is empty, `folder` alone when
// `file` is empty, otherwise both with one separator between them; then "."
// segments are dropped and ".." removes the segment before it (never the
// root "/"). A trailing separator is kept. False with
// ERROR_FILENAME_EXCED_RANGE when the result would not fit in MAX_PATH
// bytes with its zero byte, and with ERROR_INVALID_PARAMETER when both parts
// are empty.
bool PathCombineA(std::string& result, std::string_view folder, std::string_view file);
