// The platform's documented descriptions of the system and WinInet codes a
// download can fail with, in English; "Error" for any other code.
#pragma once

#include <cstdint>
#include <string_view>

std::string_view InternetErrorText(uint32_t code);
