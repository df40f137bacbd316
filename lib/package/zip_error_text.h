// What libzip's error codes mean, as the user reads them: for libzip's own
// errors and for the faults the package code finds in an archive itself
// and names with libzip's codes.
#pragma once

#include <string>

// The text of a libzip error code.
std::string ZipCodeText(int code);

// What the code says of the archive, in a message raised without libzip.
std::string ArchiveCodeText(const std::string& archive, int code);
