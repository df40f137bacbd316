#include "platform/kernel/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "tests/support/scoped_env.h"

namespace {

std::string Get(const char* name) {
  char buffer[64];
  const uint32_t length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return length == 0 || length >= sizeof buffer ? "" : std::string(buffer, length);
}

}  // namespace

TEST(GetEnvironmentVariable, ReportsLengthNeededAndMissingVariables) {
  ScopedEnv value("TARVEX_TEST_VALUE", "abcdef");
  char buffer[8];
  EXPECT_EQ(GetEnvironmentVariableA("TARVEX_TEST_VALUE", buffer, 7), 6u);
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_EQ(GetEnvironmentVariableA("TARVEX_TEST_VALUE", buffer, 6), 7u);
  EXPECT_EQ(GetEnvironmentVariableA("TARVEX_TEST_VALUE", nullptr, 0), 7u);

  ScopedEnv missing("TARVEX_TEST_MISSING", nullptr);
  EXPECT_EQ(GetEnvironmentVariableA("TARVEX_TEST_MISSING", buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

TEST(GetEnvironmentVariable, ValuesAreCp1251) {
  ScopedEnv value("TARVEX_TEST_VALUE", "/home/\xD0\xB0");  // "а" in UTF-8
  EXPECT_EQ(Get("TARVEX_TEST_VALUE"), "/home/\xE0");
}

TEST(GetEnvironmentVariable, TmpAlwaysHasAValue) {
  struct Case {
    const char* tmp;
    const char* tmpdir;
    const char* expected;
  } cases[] = {
      {"/t/a", "/t/b", "/t/a"},   {nullptr, "/t/b", "/t/b"}, {"", "/t/b", "/t/b"},
      {nullptr, nullptr, "/tmp"}, {"", "", "/tmp"},
  };
  for (const Case& c : cases) {
    ScopedEnv tmp("TMP", c.tmp), tmpdir("TMPDIR", c.tmpdir);
    EXPECT_EQ(Get("TMP"), c.expected)
        << (c.tmp ? c.tmp : "unset") << ", " << (c.tmpdir ? c.tmpdir : "unset");
  }
}

TEST(GetEnvironmentVariable, ValuesWithoutACp1251FormAreRefusedNamed) {
  struct Case {
    const char* name;
    const char* value;
    const char* refusal;
  } cases[] = {
      {"TARVEX_TEST_VALUE", "/home/Jos\xC3\xA9",
       "Имя [/home/Jos<U+00E9>] нельзя сохранить в кодировке Windows-1251: символ [U+00E9]"},
      {"TMP", "/tmp/a\\b", "Недопустимое имя файла [/tmp/a\\b]: имя содержит символ [\\]"},
  };
  for (const Case& c : cases) {
    ScopedEnv value(c.name, c.value);
    char buffer[64] = "stale";
    EXPECT_EQ(GetEnvironmentVariableA(c.name, buffer, sizeof buffer), 0u) << c.name;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
    EXPECT_EQ(EnvironmentValueRefusal(c.name), c.refusal);
  }
  // Elsewhere a "\" is text like any other.
  ScopedEnv value("TARVEX_TEST_VALUE", "a\\b");
  EXPECT_EQ(Get("TARVEX_TEST_VALUE"), "a\\b");
  EXPECT_EQ(EnvironmentValueRefusal("TARVEX_TEST_VALUE"), "");
}
