// GetPrivateProfileStringA and WritePrivateProfileStringA: "key=value" lines
// under "[section]" headings in a file of cp1251 bytes. A line ends at LF,
// CR LF or a CR alone, for reading and writing alike. Section and key
// names compare without regard to case, the Latin and the Cyrillic letters
// of cp1251 (А-Я, Ё) folded; values keep their bytes. Paths are cp1251.
#pragma once

#include <string>
#include <string_view>

// The value of the first `key` in the first `section` of the file, trimmed
// of blanks and of one pair of enclosing quotes; `default_value` when the
// file, the section or the key is missing.
std::string GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                     std::string_view default_value, std::string_view file_name);

// Sets `key` to `value` (an empty value is written as "key="): the key's
// line is replaced, a missing key is added at the end of its section, a
// missing section at the end of the file, which is made when it is missing
// (its folder is not). Every other line stays byte for byte. The file is
// written beside itself and renamed into place; false and the last error
// when that fails, the file then as it was. A text the line would not give
// back as written (a line break anywhere, "]" in the section, "=" in the
// key, a key that reads as a comment or a heading) is refused with
// ERROR_INVALID_PARAMETER before the file is touched.
bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::string_view value, std::string_view file_name);

// The comparison of section and key names.
bool SameProfileName(std::string_view a, std::string_view b);
