// Whole files as byte strings, for fixtures and for what a test reads back.
#pragma once

#include <string>

// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::string& path);
// Replaces the file's content with `bytes`.
void WriteBytes(const std::string& path, const std::string& bytes);
