// Files for the harnesses whose readers take a path: one private folder per
// process, made on first use under the system's temporary folder and removed
// at exit, with TMP and the certificate-store roots pointed into it so that
// the library writes nothing elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The folder's path with a trailing "/".
const std::string& FuzzFolder();
// Writes the input into the folder under `name` and returns its path.
std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size);
