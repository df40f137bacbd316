#include "platform/kernel/escaped_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EscapedTextTest, ControlBytesAndOnlyThemAreShownAsHex) {
  const struct {
    std::string text;
    bool high;
    std::string shown;
    bool control;
  } kCases[] = {
      {"plain name.pdf", false, "plain name.pdf", false},
      {"строка\nвторая\r\t.pdf", false, "строка\\x0Aвторая\\x0D\\x09.pdf", true},
      {"\x1B[2J\x07\x7F", false, "\\x1B[2J\\x07\\x7F", true},
      {std::string("a\0b", 3), false, "a\\x00b", true},
      // Blank, tilde and every byte above ASCII are no control bytes.
      {" ~\x80\x98\xFF", false, " ~\x80\x98\xFF", false},
      {"я\x01", true, "\\xFF\\x01", true},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.shown, Escaped(c.text, c.high)) << c.shown;
    EXPECT_EQ(c.control, HasControlByte(c.text)) << c.shown;
  }
}

}  // namespace
