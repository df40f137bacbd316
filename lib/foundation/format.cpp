#include "lib/foundation/format.h"

#include <cstdio>

#include "lib/foundation/exception.h"

namespace {

[[noreturn]] void Invalid(std::string_view format) {
  throw Exception("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal number at `pos`; -1 when there is none.
int ReadNumber(std::string_view s, size_t& pos) {
  if (pos >= s.size() || !IsDigit(s[pos])) return -1;
  int value = 0;
  while (pos < s.size() && IsDigit(s[pos])) {
    value = value * 10 + (s[pos++] - '0');
    if (value > 1'000'000) return -1;
  }
  return value;
}

std::string Digits(int64_t value, char type) {
  char buffer[32];
  if (type == 'd') {
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
  } else {
    // A negative 32-bit number shows as its 32-bit pattern, as the platform does.
    const uint64_t bits = value < 0 && value >= INT32_MIN ? static_cast<uint32_t>(value)
                                                          : static_cast<uint64_t>(value);
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(bits));
  }
  return buffer;
}

}  // namespace

std::string Format(std::string_view format, std::span<const FormatArg> args) {
  std::string out;
  out.reserve(format.size() + 16 * args.size());
  size_t next_arg = 0;
  size_t pos = 0;
  while (pos < format.size()) {
    const size_t percent = format.find('%', pos);
    if (percent == std::string_view::npos) {
      out.append(format.substr(pos));
      break;
    }
    out.append(format.substr(pos, percent - pos));
    pos = percent + 1;
    if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    // [index ":"] ["-"] [width] ["." precision] type
    size_t spec = pos;
    int number = ReadNumber(format, spec);
    if (number >= 0 && spec < format.size() && format[spec] == ':') {
      next_arg = static_cast<size_t>(number);
      pos = spec + 1;
    }
    const bool left = pos < format.size() && format[pos] == '-';
    if (left) ++pos;
    const int width = ReadNumber(format, pos);
    int precision = -1;
    if (pos < format.size() && format[pos] == '.') {
      ++pos;
      precision = ReadNumber(format, pos);
      if (precision < 0) Invalid(format);
    }
    if (pos >= format.size()) Invalid(format);
    const char type = static_cast<char>(format[pos] | 0x20);  // the platform accepts either case
    ++pos;
    if (next_arg >= args.size()) Invalid(format);
    const FormatArg& arg = args[next_arg++];
    std::string piece;
    if (type == 's') {
      if (!arg.IsText()) Invalid(format);
      piece = std::string(arg.Text());
      if (precision >= 0 && piece.size() > static_cast<size_t>(precision)) piece.resize(precision);
    } else if (type == 'd' || type == 'x') {
      if (arg.IsText()) Invalid(format);
      piece = Digits(arg.Number(), type);
      const bool negative = piece[0] == '-';
      const size_t digits = piece.size() - negative;
      if (precision > 0 && digits < static_cast<size_t>(precision)) {
        piece.insert(negative ? 1 : 0, precision - digits, '0');
      }
    } else {
      Invalid(format);
    }
    if (width > 0 && piece.size() < static_cast<size_t>(width)) {
      const std::string pad(width - piece.size(), ' ');
      piece = left ? piece + pad : pad + piece;
    }
    out += piece;
  }
  return out;
}
