#include "lib/foundation/guid_routines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "tests/support/run_command.h"

namespace {

bool AllOf(const std::string& text, const std::string& allowed) {
  return text.find_first_not_of(allowed) == std::string::npos;
}

}  // namespace

TEST(GuidRoutines, ThreeTextFormsAreVersion4ForPython) {
  std::string texts;
  std::set<std::string> seen;
  for (int i = 0; i < 20; ++i) {
    const std::string braced = NewGuidString(), plain = NewGuidStringNoBraces(), hex = NewGuidHex();
    ASSERT_EQ(braced.size(), 38u);
    EXPECT_EQ(braced.front(), '{');
    EXPECT_EQ(braced.back(), '}');
    ASSERT_EQ(plain.size(), 36u);
    EXPECT_TRUE(AllOf(plain, "0123456789ABCDEF-")) << plain;
    ASSERT_EQ(hex.size(), 32u);
    EXPECT_TRUE(AllOf(hex, "0123456789abcdef")) << hex;
    seen.insert({braced, plain, hex});
    texts += braced + " " + plain + " " + hex + " ";
  }
  EXPECT_EQ(seen.size(), 60u);
  // Python parses each form and checks the version and variant bits, and
  // that the text is the registry form (upper case, hyphens) or the bare hex.
  const CommandResult verdict = RunCommand(
      "python3 -c 'import sys, uuid\n"
      "bad = []\n"
      "for i, t in enumerate(sys.argv[1:]):\n"
      "    u = uuid.UUID(t)\n"
      "    want = [\"{\" + str(u).upper() + \"}\", str(u).upper(), u.hex][i % 3]\n"
      "    if u.version != 4 or u.variant != uuid.RFC_4122 or t != want: bad.append(t)\n"
      "print(\" \".join(bad) or \"ok\")' " +
      texts);
  EXPECT_EQ(verdict.status, 0);
  EXPECT_EQ(verdict.output, "ok\n");
}

TEST(GuidRoutines, NewGuidIsRandom) {
  const GUID a = NewGuid(), b = NewGuid();
  EXPECT_EQ(a.Data3 >> 12, 4);
  EXPECT_NE(std::memcmp(&a, &b, sizeof a), 0);
}
