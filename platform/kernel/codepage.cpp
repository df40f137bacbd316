#include "platform/kernel/codepage.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/kernel/escaped_text.h"

namespace {

constexpr std::array<char16_t, 128> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Every byte to its UTF-16 unit.
constexpr std::array<char16_t, 256> MakeWide() {
  std::array<char16_t, 256> wide{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    wide[byte] = byte < 0x80 ? static_cast<char16_t>(byte) : kUpperHalf[byte - 0x80];
  }
  return wide;
}

constexpr std::array<char16_t, 256> kWide = MakeWide();

// Every UTF-16 unit to its byte, '?' where the code page has none: document
// content crosses the COM boundary one character per byte, so this runs
// once per byte of every document and must not search.
constexpr std::array<unsigned char, 0x10000> MakeReverse() {
  std::array<unsigned char, 0x10000> reverse{};
  for (unsigned c = 0; c < reverse.size(); ++c) reverse[c] = c < 0x80 ? c : '?';
  for (unsigned i = 0; i < 128; ++i) reverse[kUpperHalf[i]] = static_cast<unsigned char>(128 + i);
  return reverse;
}

constexpr std::array<unsigned char, 0x10000> kReverse = MakeReverse();

char WideCharToAnsi(char32_t c) {
  return static_cast<char>(c < kReverse.size() ? kReverse[c] : '?');
}

bool HasAnsiForm(char32_t c) { return c == U'?' || WideCharToAnsi(c) != '?'; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character whose UTF-8 sequence begins at `text[at]`, and the
// sequence's length; 0 when the bytes there are no sequence.
size_t DecodeUtf8(std::string_view text, size_t at, char32_t& c) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const int extra = lead < 0x80           ? 0
                    : (lead >> 5) == 0x6  ? 1
                    : (lead >> 4) == 0xE  ? 2
                    : (lead >> 3) == 0x1E ? 3
                                          : -1;
  if (extra < 0 || at + extra >= text.size()) return 0;
  c = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  return static_cast<size_t>(extra) + 1;
}

// The same, refusing sequences longer than their character needs: "/"
// written in two bytes must not pass for one.
size_t DecodeShortestUtf8(std::string_view text, size_t at, char32_t& c) {
  static constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
  const size_t length = DecodeUtf8(text, at, c);
  return length == 0 || c < kShortest[length - 1] ? 0 : length;
}

std::string Hex(uint32_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) hex += kDigits[(value >> shift) & 0xF];
  return hex;
}

std::string CodePoint(char32_t c) { return "U+" + Hex(c, c > 0xFFFF ? 6 : 4); }

std::string ByteCode(unsigned char byte) { return "0x" + Hex(byte, 2); }

}  // namespace

char16_t AnsiToWideChar(unsigned char byte) { return kWide[byte]; }

std::u16string AnsiToWide(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  AnsiToWide(text, out.data());
  return out;
}

void AnsiToWide(std::string_view text, char16_t* out) {
  for (size_t i = 0; i < text.size(); ++i) out[i] = kWide[static_cast<unsigned char>(text[i])];
}

std::string WideToAnsi(std::u16string_view text) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = WideCharToAnsi(text[i]);
  return out;
}

std::string AnsiToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) AppendUtf8(out, AnsiToWideChar(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToAnsi(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t c = 0;
    const size_t length = DecodeUtf8(text, i, c);
    out += length == 0 ? '?' : WideCharToAnsi(c);
    i += length == 0 ? 1 : length;
  }
  return out;
}

size_t WideToAnsiExactly(std::u16string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (!HasAnsiForm(text[i])) return i;
    out += WideCharToAnsi(text[i]);
  }
  return std::u16string_view::npos;
}

size_t Utf8ToAnsiExactly(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t c = 0;
    const size_t length = DecodeShortestUtf8(text, i, c);
    if (length == 0 || !HasAnsiForm(c)) return i;
    out += WideCharToAnsi(c);
    i += length;
  }
  return std::string_view::npos;
}

std::string SysPath(std::string_view path) {
  std::string utf8 = AnsiToUtf8(path);
  std::replace(utf8.begin(), utf8.end(), '\\', '/');
  return utf8;
}

bool SysPathToAnsi(std::string_view path, std::string& out, std::string& refusal) {
  if (Utf8ToAnsiExactly(path, out) != std::string_view::npos) {
    refusal = NoAnsiFormMessage(path);
    return false;
  }
  // Only "\" itself becomes the byte 0x5C: every one found is in a name.
  if (out.find('\\') != std::string::npos) {
    refusal = ForbiddenNameCharMessage(out, '\\');
    return false;
  }
  return true;
}

std::string NoAnsiFormMessage(std::string_view utf8) {
  std::string shown, first;
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t c = 0;
    const size_t length = DecodeShortestUtf8(utf8, i, c);
    std::string code;
    if (length == 0) {
      code = ByteCode(static_cast<unsigned char>(utf8[i]));
      if (first.empty()) first = "байт [" + code + "] не является частью символа UTF-8";
    } else if (!HasAnsiForm(c)) {
      code = CodePoint(c);
      if (first.empty()) first = "символ [" + code + "]";
    }
    shown += code.empty() ? std::string(1, WideCharToAnsi(c)) : "<" + code + ">";
    i += length == 0 ? 1 : length;
  }
  return "Имя [" + shown + "] нельзя сохранить в кодировке Windows-1251: " + first;
}

std::string NoAnsiFormMessage(std::u16string_view text) {
  // A lone surrogate goes as its own three bytes, which decode to a
  // character the code page lacks and so is shown by its number.
  std::string utf8;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    AppendUtf8(utf8, c);
  }
  return NoAnsiFormMessage(utf8);
}

std::string ForbiddenNameCharMessage(std::string_view name, char c) {
  return "Недопустимое имя файла [" + Escaped(name) + "]: имя содержит символ [" +
         std::string(1, c) + "]";
}
