// The one formatter of the system: "%s" text, "%d" signed decimal, "%x"
// upper-case hexadecimal, with an optional argument index ("%0:s"), left
// alignment, width and precision; "%%" is a percent sign. A directive
// without a fitting argument raises `Exception`. Arguments are never
// scanned for directives.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

class FormatArg {
 public:
  FormatArg(const char* text) : text_(text), is_text_(true) {}
  FormatArg(std::string_view text) : text_(text), is_text_(true) {}
  FormatArg(const std::string& text) : text_(text), is_text_(true) {}
  template <std::integral T>
  FormatArg(T number) : number_(static_cast<int64_t>(number)) {}

  bool IsText() const { return is_text_; }
  std::string_view Text() const { return text_; }
  int64_t Number() const { return number_; }

 private:
  std::string_view text_;
  int64_t number_ = 0;
  bool is_text_ = false;
};

std::string Format(std::string_view format, std::span<const FormatArg> args);

inline std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
  return Format(format, std::span<const FormatArg>(args.begin(), args.size()));
}
