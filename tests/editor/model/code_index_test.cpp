// The index of items by document code, held to a walk from the first item
// with the editor's own comparison: the same position for every code, the
// letters a-z folded and nothing else; and the count it covers.
#include "editor/model/code_index.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "editor/model/string_routines.h"

namespace {

int32_t Walk(const std::vector<std::string>& codes, const std::string& code) {
  for (size_t i = 0; i < codes.size(); ++i) {
    if (SameText(codes[i], code)) return static_cast<int32_t>(i);
  }
  return -1;
}

TEST(CodeIndexTest, FindsThePositionAWalkFromTheFirstItemFinds) {
  const std::vector<std::string> codes = {"0123abcdef", "0123ABCDEF", "ёжик", "ЁЖИК", "Z9", ""};
  TCodeIndex index;
  index.Build(static_cast<int32_t>(codes.size()), [&](int32_t i) { return codes[i]; });
  for (const char* code : {"0123abcdef", "0123ABCDEF", "0123AbCdEf", "ёжик", "ЁЖИК", "Ёжик", "z9",
                           "Z9", "", "0123abcde", "нет"}) {
    EXPECT_EQ(index.Find(code), Walk(codes, code)) << code;
  }
  // The first item of a folded code wins; Cyrillic letters stay apart.
  EXPECT_EQ(index.Find("0123ABCDEF"), 0);
  EXPECT_EQ(index.Find("ЁЖИК"), 3);
  EXPECT_EQ(index.Find("Ёжик"), -1);
}

TEST(CodeIndexTest, CoversTheCountItWasBuiltOverUntilDropped) {
  TCodeIndex index;
  EXPECT_FALSE(index.Covers(0));
  index.Build(2, [](int32_t i) { return std::to_string(i); });
  EXPECT_TRUE(index.Covers(2));
  EXPECT_FALSE(index.Covers(1));
  index.Drop();
  EXPECT_FALSE(index.Covers(2));
  EXPECT_EQ(index.Find("1"), -1);

  // A failure while building leaves nothing half made behind.
  index.Build(1, [](int32_t) { return std::string("a"); });
  EXPECT_THROW(index.Build(3,
                           [](int32_t i) -> std::string {
                             if (i == 2) throw std::runtime_error("нет");
                             return "b";
                           }),
               std::runtime_error);
  EXPECT_FALSE(index.Covers(3));
  EXPECT_FALSE(index.Covers(1));
  EXPECT_EQ(index.Find("a"), -1);
  EXPECT_EQ(index.Find("b"), -1);
}

}  // namespace
