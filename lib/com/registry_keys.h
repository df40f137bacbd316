// Key routines of the server's registration under HKEY_CLASSES_ROOT.
#pragma once

#include <string>

// Creates `key` (and its parents) and sets its value `name` (empty: the
// default value); raises naming the key.
void CreateRegKey(const std::string& key, const std::string& name, const std::string& value);
// Deletes `key` when it exists; raises naming the key when it cannot.
void DeleteRegKey(const std::string& key);
