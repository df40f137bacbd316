// Environment variables. Names and values are cp1251 here and UTF-8 in the
// process environment. TMP always has a value, as on the platform: when it is
// unset, TMPDIR, and then "/tmp".
#pragma once

#include <cstdint>
#include <string_view>

// Copies the value with its zero byte into `buffer` and returns its length.
// When `size` is too small, returns the size needed including the zero byte.
// A missing variable gives 0 and ERROR_ENVVAR_NOT_FOUND.
uint32_t GetEnvironmentVariableA(std::string_view name, char* buffer, uint32_t size);
