#include "lib/foundation/errors.h"

#include <gtest/gtest.h>

#include "platform/kernel/last_error.h"
#include "tests/support/debug_capture.h"

using Lines = std::vector<std::string>;

TEST(RaiseError, WritesOneDebugLineThenRaises) {
  DebugCapture debug;
  try {
    RaiseError("x");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "x");
    EXPECT_EQ(dynamic_cast<const EOSError*>(&e), nullptr);
  }
  EXPECT_EQ(debug.Lines(), Lines{"[EXCEPTION x]"});
}

TEST(RaiseError, FormatsAndNeverInterpretsArguments) {
  DebugCapture debug;
  try {
    RaiseErrorFmt("Файл не найден: [%s]", {"100%s.txt"});
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Файл не найден: [100%s.txt]");
  }
  // The message reaches the trace as an argument, so its "%s" is kept.
  EXPECT_EQ(debug.Lines(), Lines{"[EXCEPTION Файл не найден: [100%s.txt]]"});
}

TEST(ReraiseException, KeepsOsErrorsAndFlattensOtherKinds) {
  struct Special : Exception {
    using Exception::Exception;
  };
  DebugCapture debug;
  try {
    ReraiseException(EOSError("os", 5));
  } catch (const EOSError& e) {
    EXPECT_EQ(e.Message(), "os");
    EXPECT_EQ(e.ErrorCode(), 5u);
  }
  try {
    ReraiseException(Special("special"));
  } catch (const Exception& e) {
    EXPECT_EQ(typeid(e), typeid(Exception));
    EXPECT_EQ(e.Message(), "special");
  }
  EXPECT_EQ(debug.Lines(), (Lines{"[EXCEPTION os]", "[EXCEPTION special]"}));
}

TEST(CheckCondition, RaisesWithoutDebugLine) {
  DebugCapture debug;
  EXPECT_NO_THROW(CheckCondition(true, "never"));
  EXPECT_THROW(CheckCondition(false, "limit"), Exception);
  EXPECT_TRUE(debug.Lines().empty());
}

TEST(DebugLog, BracketsAndSwallowsBadFormats) {
  DebugCapture debug;
  DebugLog("%s=%d", {"n", 5});
  DebugMsg("50%");
  DebugMsg("plain");
  DebugLog("%d", {"not a number"});
  EXPECT_EQ(debug.Lines(), (Lines{"[n=5]", "[plain]"}));
}

TEST(SystemTexts, LastErrorTextAndSysErrorText) {
  SetLastError(2);
  EXPECT_EQ(LastErrorText(), "0x00000002 (2): Не удается найти указанный файл");
  SetLastError(0x80090016);
  EXPECT_EQ(LastErrorText(), "0x80090016 (-2146893802): Набор ключей не существует");
  EXPECT_EQ(SysErrorText(2), "Не удается найти указанный файл.\r\n");
  EXPECT_EQ(SysErrorText(0x0BADC0DE), "");
  SetLastError(0x0BADC0DE);
  EXPECT_EQ(LastErrorText(), "0x0BADC0DE (195936478): ");
}

TEST(RaiseLastOSError, CarriesCodeAndTrimmedText) {
  SetLastError(5);
  try {
    RaiseLastOSError();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 5u);
    EXPECT_EQ(e.Message(), "System Error.  Code: 5.\r\nОтказано в доступе");
  }
  SetLastError(0);
  try {
    RaiseLastOSError();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.Message(), "A call to an OS function failed");
  }
}
