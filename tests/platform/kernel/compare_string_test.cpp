#include "platform/kernel/compare_string.h"

#include <gtest/gtest.h>

TEST(CompareString, ExactAndAsciiFolded) {
  struct Case {
    const char* a;
    const char* b;
    uint32_t flags;
    int expected;
  } cases[] = {
      {"abc", "abc", 0, CSTR_EQUAL},
      {"abc", "ABC", 0, CSTR_GREATER_THAN},
      {"abc", "ABC", NORM_IGNORECASE, CSTR_EQUAL},
      {"ab", "abc", NORM_IGNORECASE, CSTR_LESS_THAN},
      {"Я", "я", NORM_IGNORECASE, CSTR_LESS_THAN},  // only a-z fold
      {"\xFF", "a", 0, CSTR_GREATER_THAN},          // bytes compare unsigned
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, c.flags, c.a, c.b), c.expected)
        << c.a << " vs " << c.b;
  }
}
