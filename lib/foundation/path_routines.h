// Path texts. The system's separator "\" is written as "/" here, and either
// is accepted on input.
#pragma once

#include <string>

// Trims the path; an empty result stays empty, otherwise a separator is
// appended unless the path already ends in one.
std::string AddTrailingBackslash(const std::string& path);
