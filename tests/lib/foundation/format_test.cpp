#include "lib/foundation/format.h"

#include <gtest/gtest.h>

#include "lib/foundation/exception.h"

TEST(Format, Directives) {
  struct Case {
    std::string expected;
    std::string actual;
  } cases[] = {
      {"Файл не найден: [a.txt]", Format("Файл не найден: [%s]", {"a.txt"})},
      {"n=5", Format("%s=%d", {"n", 5})},
      {"b a b", Format("%1:s %0:s %s", {"a", "b"})},  // after an index, the next follows it
      {"-2146893802", Format("%d", {static_cast<int32_t>(0x80090016)})},
      {"80090016", Format("%x", {static_cast<int32_t>(0x80090016)})},
      {"0x0000000A", Format("0x%.8x", {10})},
      {"[  ab|ab  |a]", Format("[%4s|%-4s|%.1s]", {"ab", "ab", "ab"})},
      {"007", Format("%.3d", {7})},
      {"-07", Format("%.2d", {-7})},
      {"100%", Format("%d%%", {100})},
      {"50% of %s", Format("%s", {"50% of %s"})},  // arguments are never scanned
      {"", Format("", {})},
  };
  for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(Format, BadDirectivesRaise) {
  const char* bad[] = {"%s", "%d%d", "%2:s", "%q", "50%", "%.s"};
  for (const char* format : bad) {
    EXPECT_THROW(Format(format, {1}), Exception) << format;
  }
  EXPECT_THROW(Format("%d", {"text"}), Exception);
  EXPECT_THROW(Format("%s", {5}), Exception);
}
