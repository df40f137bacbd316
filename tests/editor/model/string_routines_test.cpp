#include "editor/model/string_routines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pieces = std::vector<std::string>;

Pieces Split(const std::string& text, const std::string& separator, bool trim) {
  Pieces list{"stale"};
  SplitText(text, separator, list, trim);
  return list;
}

TEST(StringRoutinesTest, SplitTextKeepsEmptyPiecesAndTrimsOnRequest) {
  EXPECT_EQ(Split("", ";", true), (Pieces{""}));
  EXPECT_EQ(Split("a;;b;", ";", false), (Pieces{"a", "", "b", ""}));
  EXPECT_EQ(Split(" a ; b\t", ";", true), (Pieces{"a", "b"}));
  EXPECT_EQ(Split(" a ; b", ";", false), (Pieces{" a ", " b"}));
  EXPECT_EQ(Split("a, b, , c,d", ", ", false), (Pieces{"a", "b", "", "c,d"}));
  EXPECT_EQ(Split("a;b", "", false), (Pieces{"a;b"}));
}

TEST(StringRoutinesTest, InListComparesTrimmedPiecesExactly) {
  EXPECT_TRUE(InList("ab; AB ;cd", "AB", ";"));
  EXPECT_FALSE(InList("ab; AB ;cd", "ab ", ";"));
  EXPECT_FALSE(InList("ab;cd", "AB", ";"));
  EXPECT_TRUE(InList("", "", ";"));
}

TEST(StringRoutinesTest, DNValuesReversesTheValues) {
  EXPECT_EQ(DNValues(""), "");
  EXPECT_EQ(DNValues("CN=A"), "A");
  EXPECT_EQ(DNValues("CN=A, O=B, C=RU"), "RU, B, A");
  // A comma inside a value splits it like any other; a piece without "="
  // gives nothing.
  EXPECT_EQ(DNValues("CN=Иванов, O=\"Рога, и копыта\""), "\"Рога, Иванов");
  EXPECT_EQ(DNValues("CN=A, X"), "A");  // empty last value: result still empty
  EXPECT_EQ(DNValues("X, CN=A"), "A, ");
}

TEST(StringRoutinesTest, ValueOfPairAndIncludeBackslash) {
  EXPECT_EQ(ValueOfPair("CN=A=B"), "A=B");
  EXPECT_EQ(ValueOfPair("CN"), "");
  EXPECT_EQ(ValueOfPair("CN="), "");
  // This system's separator is added; a folder that ends in either one,
  // as an earlier version wrote them, is kept.
  EXPECT_EQ(IncludeBackslash("/home/x"), "/home/x/");
  EXPECT_EQ(IncludeBackslash("/home/x/"), "/home/x/");
  EXPECT_EQ(IncludeBackslash("/home/x\\"), "/home/x\\");
  EXPECT_EQ(IncludeBackslash("x"), "x/");
  EXPECT_EQ(IncludeBackslash(""), "");
}

TEST(StringRoutinesTest, IsValidEmail) {
  const std::pair<const char*, bool> cases[] = {
      {"ivanov@mail.ru", true},  {"@mail.ru", false},      {"ivanov@mail.ru.", false},
      {"ivanov.mail.ru", false}, {"ivanov@mailru", false}, {"", false},
      {"a.b@c", true},  // the rule asks only for a "." somewhere
  };
  for (const auto& [text, valid] : cases) EXPECT_EQ(IsValidEmail(text), valid) << text;
}

TEST(StringRoutinesTest, SameTextFoldsOnlyLatinLetters) {
  EXPECT_TRUE(SameText("inifile", "INIFILE"));
  EXPECT_TRUE(SameText("e-Mail", "E-MAIL"));
  EXPECT_FALSE(SameText("кодно", "КОДНО"));
  EXPECT_FALSE(SameText("INIFILE", "INIFILES"));
  EXPECT_FALSE(SameText("[", "{"));  // 0x5B and 0x7B differ by 0x20 but are no letters
  EXPECT_EQ(TrimText("\x01 a b \r\n"), "a b");
  EXPECT_EQ(TrimText("\xA0x\xA0"), "\xA0x\xA0");  // cp1251 no-break space is no blank here
}

}  // namespace
