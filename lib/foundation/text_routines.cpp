#include "lib/foundation/text_routines.h"

#include <cstdint>

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Comparisons without regard to case fold only the Latin letters a-z.
char FoldLatin(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

bool EqualAt(const std::string& text, size_t at, const std::string& word) {
  for (size_t i = 0; i < word.size(); ++i) {
    if (FoldLatin(text[at + i]) != FoldLatin(word[i])) return false;
  }
  return true;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexDigit(unsigned char c) {
  if (c <= '9') return c - 48;
  if (c <= 'F') return c - 55;
  return c - 87;
}

// The value of a character of the alphabet "A"-"Z", "a"-"z", "0"-"9", "+", "/", -1 for every other
// byte.
int Base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string ReplaceAll(const std::string& text, const std::string& old_text,
                       const std::string& new_text) {
  if (old_text.empty()) return text;
  std::string result;
  size_t i = 0;
  while (i < text.size()) {
    if (text.size() - i >= old_text.size() && EqualAt(text, i, old_text)) {
      result += new_text;
      i += old_text.size();
    } else {
      result += text[i++];
    }
  }
  return result;
}

std::string CopyLeft(const std::string& text, size_t n) { return text.substr(0, n); }

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

void BinToHexBuf(const void* bytes, char* out, size_t count) {
  const auto* in = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < count; ++i) {
    out[2 * i] = kHexDigits[in[i] >> 4];
    out[2 * i + 1] = kHexDigits[in[i] & 0x0F];
  }
}

std::string BinToHex(const void* buffer, size_t count) {
  std::string digits(2 * count, '\0');
  BinToHexBuf(buffer, digits.data(), count);
  return digits;
}

std::string BinToHexStr(const std::string& bytes) { return BinToHex(bytes.data(), bytes.size()); }

std::string BinToHexPrefixed(const std::string& bytes) {
  return bytes.empty() ? std::string() : "0x" + BinToHexStr(bytes);
}

std::string HexToBin(const std::string& hex) {
  std::string bytes(hex.size() / 2, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    const int high = HexDigit(static_cast<unsigned char>(hex[2 * i]));
    const int low = HexDigit(static_cast<unsigned char>(hex[2 * i + 1]));
    bytes[i] = static_cast<char>(static_cast<unsigned char>(16 * high + low));
  }
  return bytes;
}

bool IsBase64Text(const std::string& text) {
  for (const char c : text) {
    if (Base64Value(static_cast<unsigned char>(c)) < 0 && c != '=' && c != '-' && c != ' ' &&
        c != '\r' && c != '\n') {
      return false;
    }
  }
  return true;
}

std::string Base64Decode(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size() / 4 * 3 + 2);
  uint32_t group = 0;
  int held = 0;
  for (const char c : text) {
    const int value = Base64Value(static_cast<unsigned char>(c));
    if (value < 0) continue;
    group = (group << 6) | static_cast<uint32_t>(value);
    if (++held == 4) {
      bytes += static_cast<char>(group >> 16);
      bytes += static_cast<char>(group >> 8);
      bytes += static_cast<char>(group);
      group = 0;
      held = 0;
    }
  }
  if (held == 3) {
    bytes += static_cast<char>(group >> 10);
    bytes += static_cast<char>(group >> 2);
  } else if (held == 2) {
    bytes += static_cast<char>(group >> 4);
  }
  return bytes;
}
