// A write of the editor's ini file that tells the user when it fails: the
// settings dialog and the last-entered values report a failed write alike.
#pragma once

#include <string>

// Writes key=value into the section of the file; on failure shows a
// warning naming the file and the system's reason and returns false.
bool WriteIniValue(const char* section, const char* key, const std::string& value,
                   const std::string& ini_path);
