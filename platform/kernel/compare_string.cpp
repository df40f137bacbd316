#include "platform/kernel/compare_string.h"

#include <algorithm>

namespace {
unsigned char Fold(unsigned char c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }
}  // namespace

int CompareStringA(uint32_t /*locale*/, uint32_t flags, std::string_view a, std::string_view b) {
  const bool fold = flags & NORM_IGNORECASE;
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (fold) {
      x = Fold(x);
      y = Fold(y);
    }
    if (x != y) return x < y ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  if (a.size() == b.size()) return CSTR_EQUAL;
  return a.size() < b.size() ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}
