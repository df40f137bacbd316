#include "platform/kernel/debug_output.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kLine = "[EXCEPTION Ошибка]";  // cp1251 bytes
const std::string kLineUtf8 = "[EXCEPTION \xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0]";

std::string ToStderr(const DebugSink& sink) {
  testing::internal::CaptureStderr();
  sink(kLine);
  return testing::internal::GetCapturedStderr();
}

TEST(DebugOutput, StderrIsWrittenInTheTerminalsEncoding) {
  const struct {
    const char* lc_all;
    const char* lang;
    std::string expected;
  } cases[] = {
      {nullptr, "ru_RU.UTF-8", kLineUtf8 + "\n"},
      {"C.utf8", "ru_RU.CP1251", kLineUtf8 + "\n"},  // LC_ALL comes first
      {"ru_RU.CP1251", "ru_RU.UTF-8", kLine + "\n"},
      {nullptr, nullptr, kLine + "\n"},
  };
  for (const auto& c : cases) {
    ScopedEnv all("LC_ALL", c.lc_all);
    ScopedEnv type("LC_CTYPE", nullptr);
    ScopedEnv lang("LANG", c.lang);
    EXPECT_EQ(c.expected, ToStderr(DebugSinkFor("stderr"))) << (c.lang ? c.lang : "-");
  }
}

TEST(DebugOutput, AFileIsAppendedInUtf8WhateverTheLocale) {
  TempDir dir;
  const std::string path = dir.File("trace.log");
  ScopedEnv all("LC_ALL", "C");
  const DebugSink sink = DebugSinkFor(path.c_str());
  sink(kLine);
  sink("second");
  EXPECT_EQ(kLineUtf8 + "\nsecond\n", ReadBytes(path));
}

TEST(DebugOutput, NoTargetMeansNoSink) {
  EXPECT_FALSE(DebugSinkFor(nullptr));
  EXPECT_FALSE(DebugSinkFor(""));
}

}  // namespace
