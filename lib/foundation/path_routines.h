// Path texts. The system's separator "\" is written as "/" here, and either
// is accepted on input.
#pragma once

#include <string>

// Trims the path; an empty result stays empty, otherwise a separator is
// appended unless the path already ends in one.
std::string AddTrailingBackslash(const std::string& path);
// The path names a folder, or a symbolic link to one.
bool DirExists(const std::string& path);
// The variable's value, of any length; a missing variable gives "". A
// value that cp1251 cannot hold raises, naming the variable and the value.
std::string GetEnvVar(const std::string& name);
// Folder and name, trimmed, joined with one separator, "." and ".."
// resolved; the name alone for an empty folder, the folder alone for an
// empty name, "" for both empty. The root "/" stays a folder of its own:
// CombinePath("/", "x") is "/x". A result beyond the system's path limit
// raises.
std::string CombinePath(const std::string& folder, const std::string& name);
// Creates every missing level of the path; true when every level exists at
// the end. A path beginning with "\\" (a network share) gives false; an
// overlong level raises as in CombinePath.
bool ForceDirectoryPath(const std::string& path);
