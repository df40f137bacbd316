// Small text routines of the editor. Texts are cp1251.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Without the leading and trailing characters of code 32 or below.
std::string TrimText(std::string_view text);
// The byte with only the letters a-z folded to A-Z: cp1251's other bytes,
// Cyrillic letters among them, stay as they are.
char FoldLatin(char c);
// Equal byte for byte after FoldLatin.
bool SameText(std::string_view a, std::string_view b);

// The folder with this system's separator "/" appended unless it is empty
// or already ends in a separator; a "\" that ends a folder written by an
// earlier version is one.
std::string IncludeBackslash(const std::string& path);
// Not empty, holds "@" and ".", starts with no "@" and ends in no ".". No
// trimming: callers trim.
bool IsValidEmail(std::string_view text);
// The text after the first "="; empty when there is none.
std::string ValueOfPair(std::string_view text);
// Replaces `list` with the pieces of `text` between occurrences of
// `separator`, each trimmed when `trim` is set; empty pieces are kept, so an
// empty text gives one empty piece. An empty separator gives the whole text.
void SplitText(std::string_view text, std::string_view separator, std::vector<std::string>& list,
               bool trim);
// True when a trimmed piece of `list_text` equals `item` byte for byte.
bool InList(std::string_view list_text, std::string_view item, std::string_view separator);
// The values of a distinguished name "CN=A, O=B, C=RU" from the last to the
// first: "RU, B, A".
std::string DNValues(std::string_view name);
