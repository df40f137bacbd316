// Paths the editor derives from its executable's: the folder beside it,
// the ini file, the name without extension. Paths are cp1251; a separator
// is "\" or "/".
#pragma once

#include <string>

// The folder of `path`, without a trailing separator.
std::string ExtractFileDir(const std::string& path);
// The name after the last separator.
std::string ExtractFileName(const std::string& path);
// The path with the extension of its name replaced by `extension` (with
// its dot), or `extension` appended when the name has none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// The running executable's folder, without a trailing separator.
std::string ExeFolder();
// The running executable's name without its extension.
std::string ExeBaseName();
