// Small routines on 8-bit texts.
#pragma once

#include <string>

// Removes every leading and trailing character of code 32 or below.
std::string Trim(const std::string& text);
