// Environment variables. Names and values are cp1251 here and UTF-8 in the
// process environment. TMP always has a value, as on the platform: when it is
// unset, TMPDIR, and then "/tmp".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Copies the value with its zero byte into `buffer` and returns its length.
// When `size` is too small, returns the size needed including the zero byte.
// A missing variable gives 0 and ERROR_ENVVAR_NOT_FOUND; a value without an
// exact cp1251 form (for TMP, a path: also one with "\" inside a folder's
// name) gives 0 and ERROR_INVALID_NAME, never a look-alike value.
uint32_t GetEnvironmentVariableA(std::string_view name, char* buffer, uint32_t size);
// Why the variable's value was refused (codepage.h words it); empty when it
// is missing or was not refused.
std::string EnvironmentValueRefusal(std::string_view name);
