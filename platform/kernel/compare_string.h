// CompareStringA as this system uses it: an exact byte comparison, with
// NORM_IGNORECASE folding only the ASCII letters a-z.
#pragma once

#include <cstdint>
#include <string_view>

constexpr uint32_t LOCALE_USER_DEFAULT = 0x0400;
constexpr uint32_t NORM_IGNORECASE = 0x00000001;

constexpr int CSTR_LESS_THAN = 1;
constexpr int CSTR_EQUAL = 2;
constexpr int CSTR_GREATER_THAN = 3;

int CompareStringA(uint32_t locale, uint32_t flags, std::string_view a, std::string_view b);
