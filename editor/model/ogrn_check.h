// The rule of the state registration numbers the form asks for: an
// organisation's ОГРН is 13 digits, an individual entrepreneur's ОГРНИП
// 15, and nothing else, not even a blank, is taken.
#pragma once

#include <string>
#include <string_view>

enum class OgrnKind { kOgrn, kOgrnip };

// The warning that refuses `value` as a number of the kind, named as the
// form names it: "Не указан [ОГРН]." when it is empty, "Неверно указан
// [ОГРН]." when it is not the kind's digits. Empty when the value is one.
std::string OgrnFault(std::string_view value, OgrnKind kind);
