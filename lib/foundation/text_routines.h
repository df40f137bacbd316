// Small routines on 8-bit texts, and hexadecimal and base64 text.
#pragma once

#include <cstddef>
#include <string>

// Removes every leading and trailing character of code 32 or below.
std::string Trim(const std::string& text);
// Every occurrence of `old_text` replaced by `new_text`, found with the
// letters a-z folded. An empty `old_text` changes nothing.
std::string ReplaceAll(const std::string& text, const std::string& old_text,
                       const std::string& new_text);
// The first `n` characters (the whole text when it is shorter).
std::string CopyLeft(const std::string& text, size_t n);
// Case-sensitive; an empty prefix gives true.
bool StartsWith(const std::string& text, const std::string& prefix);

// Two upper-case digits per byte, high half first, into `out` (2 * count
// bytes, no zero byte). A count of 0 writes nothing.
void BinToHexBuf(const void* bytes, char* out, size_t count);
// "0x" and the digits; the empty string gives the empty text.
std::string BinToHexPrefixed(const std::string& bytes);
std::string BinToHexStr(const std::string& bytes);
std::string BinToHex(const void* buffer, size_t count);
// Two digits per byte, either case; other characters are not rejected and
// give what the digit formula makes of them; an odd final digit is ignored.
std::string HexToBin(const std::string& hex);

// True when every byte is of the base64 alphabet or "=", "-", space, CR, LF.
bool IsBase64Text(const std::string& text);
// Decodes the alphabet characters and skips every other byte ("=" included).
// Leftovers at the end: three give two bytes, two give one, one is dropped.
std::string Base64Decode(const std::string& text);
