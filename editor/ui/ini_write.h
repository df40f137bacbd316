// A write of the editor's ini file that tells the user when it fails: the
// settings dialog and the last-entered values report a failed write alike.
#pragma once

#include <string>

// Writes key=value into the section of the file, or of the user's copy
// that stands for it (editor/ui/user_store.h); on failure shows a warning
// naming the file written and the system's reason and returns false.
bool WriteIniValue(const char* section, const char* key, const std::string& value,
                   const std::string& ini_path);
