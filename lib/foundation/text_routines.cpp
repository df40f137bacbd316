#include "lib/foundation/text_routines.h"

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
}  // namespace

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}
