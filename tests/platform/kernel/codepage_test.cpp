#include "platform/kernel/codepage.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/run_command.h"

namespace {

// Python's cp1251 codec as the oracle: one "byte codepoint" line per byte it
// knows (all but 0x98).
std::string PythonTable() {
  const char* script =
      "python3 -c \"\n"
      "for b in range(256):\n"
      "    try: print(b, ord(bytes([b]).decode('cp1251')))\n"
      "    except UnicodeDecodeError: pass\n\"";
  return RunCommand(script).output;
}

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

}  // namespace

TEST(Codepage, MatchesPythonCodecForEveryByteItKnows) {
  std::istringstream lines(PythonTable());
  int byte, codepoint, checked = 0;
  while (lines >> byte >> codepoint) {
    EXPECT_EQ(AnsiToWideChar(static_cast<unsigned char>(byte)), codepoint) << "byte " << byte;
    ++checked;
  }
  EXPECT_EQ(checked, 255);
  EXPECT_EQ(AnsiToWideChar(0x98), u'\u0098');
}

TEST(Codepage, EveryByteSurvivesBothRoundTrips) {
  const std::string bytes = AllBytes();
  EXPECT_EQ(WideToAnsi(AnsiToWide(bytes)), bytes);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(bytes)), bytes);
}

TEST(Codepage, Utf8OfRussianText) {
  // "Ёж" in cp1251 is A8 E6; in UTF-8 D0 81 D0 B6.
  EXPECT_EQ(AnsiToUtf8("\xA8\xE6"), "\xD0\x81\xD0\xB6");
  EXPECT_EQ(Utf8ToAnsi("\xD0\x81\xD0\xB6"), "\xA8\xE6");
}

TEST(Codepage, UnmappableAndMalformedInputBecomesQuestionMarks) {
  EXPECT_EQ(WideToAnsi(u"a\u4E2Db"), "a?b");
  EXPECT_EQ(Utf8ToAnsi("a\xE4\xB8\xAD"
                       "b"),
            "a?b");                      // CJK: not in the code page
  EXPECT_EQ(Utf8ToAnsi("a\xD0"), "a?");  // truncated sequence
  EXPECT_EQ(Utf8ToAnsi("\x80z"), "?z");  // stray continuation byte
}

TEST(Codepage, ExactConversionStopsWhereAQuestionMarkWouldStand) {
  const struct {
    std::string utf8;
    size_t stop;
    std::string out;  // what came before the stop
  } cases[] = {
      {"\xD0\x81\xD0\xB6?.txt", std::string::npos, "\xA8\xE6?.txt"},
      {AnsiToUtf8(AllBytes()), std::string::npos, AllBytes()},
      {"a\xE4\xB8\xAD"
       "b",
       1, "a"},                     // CJK: not in the code page
      {"ab\xD0", 2, "ab"},          // truncated sequence
      {"\x80z", 0, ""},             // stray continuation byte
      {"a\xC0\xAF", 1, "a"},        // "/" written long
      {"\xE0\x80\xAF", 0, ""},      // the same in three bytes
      {"\xF0\x9F\x98\x80", 0, ""},  // beyond the 16-bit plane
      {"\xED\xA0\x80", 0, ""},      // a surrogate
  };
  for (const auto& c : cases) {
    std::string out = "old";
    EXPECT_EQ(c.stop, Utf8ToAnsiExactly(c.utf8, out)) << c.utf8;
    EXPECT_EQ(c.out, out) << c.utf8;
  }
}

TEST(Codepage, SysPathWritesForwardSlashes) {
  EXPECT_EQ(SysPath("a\\b\\\xF4.txt"), "a/b/\xD1\x84.txt");
}

TEST(Codepage, ExactWideConversionStopsAtTheFirstUnitWithoutAForm) {
  const struct {
    std::u16string wide;
    size_t stop;
    std::string out;
  } cases[] = {
      {AnsiToWide(AllBytes()), std::u16string::npos, AllBytes()},
      {u"a?b", std::u16string::npos, "a?b"},
      {u"Jos\u00E9.pdf", 3, "Jos"},
      {u"\u0438\u0306.pdf", 1, "\xE8"},  // "й" decomposed
      {u"\U0001F600.pdf", 0, ""},
      {std::u16string(1, u'\xD800') + u"x", 0, ""},  // a lone surrogate
  };
  for (const auto& c : cases) {
    std::string out = "old";
    EXPECT_EQ(c.stop, WideToAnsiExactly(c.wide, out)) << c.out;
    EXPECT_EQ(c.out, out);
  }
}

TEST(Codepage, SystemPathsComeBackExactlyOrAreRefusedByName) {
  const struct {
    std::string utf8;
    std::string path;  // cp1251, or the refusal
  } cases[] = {
      {"/home/\xD0\xB0/* ? < > |/CON", "/home/а/* ? < > |/CON"},
      {"/home/Jos\xC3\xA9/a.pdf",
       "Имя [/home/Jos<U+00E9>/a.pdf] нельзя сохранить в кодировке Windows-1251: символ "
       "[U+00E9]"},
      {"\xE4\xB8\xAD\xF0\x9F\x98\x80.pdf",
       "Имя [<U+4E2D><U+01F600>.pdf] нельзя сохранить в кодировке Windows-1251: символ [U+4E2D]"},
      {"\xD0\xB8\xCC\x86.pdf",
       "Имя [и<U+0306>.pdf] нельзя сохранить в кодировке Windows-1251: символ [U+0306]"},
      {"/tmp/Jos\xE9",
       "Имя [/tmp/Jos<0xE9>] нельзя сохранить в кодировке Windows-1251: байт [0xE9] не является "
       "частью символа UTF-8"},
      {"/home/a\\b.pdf", "Недопустимое имя файла [/home/a\\b.pdf]: имя содержит символ [\\]"},
  };
  for (const auto& c : cases) {
    std::string out, refusal;
    const bool kept = SysPathToAnsi(c.utf8, out, refusal);
    EXPECT_EQ(kept ? out : refusal, c.path) << c.utf8;
  }
}

TEST(Codepage, WideTextIsNamedAsItsUtf8Is) {
  EXPECT_EQ(NoAnsiFormMessage(u"\U0001F600\xD800"
                              u"a"),
            "Имя [<U+01F600><U+D800>a] нельзя сохранить в кодировке Windows-1251: символ "
            "[U+01F600]");
}
