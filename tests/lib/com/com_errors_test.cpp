// A failed COM result becomes an OLE system error carrying it, after the
// one debug line that every raise writes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/com/bstr_text.h"
#include "lib/com/com_call.h"
#include "lib/com/ole_error.h"
#include "lib/com/safe_call.h"
#include "platform/com/error_info.h"
#include "tests/support/debug_capture.h"
#include "tests/support/zero_pages.h"

namespace {

// Leaves error info with `description` on the thread, as a failed member
// of the library does.
void LeaveErrorInfo(const std::string& description) {
  SafeCall(IUnknown::kIid, "TestLib.Failure", [&] { throw Exception(description); });
}

TEST(ComErrors, AFailedResultRaisesItsOleErrorAfterOneDebugLine) {
  struct Case {
    const char* name;
    std::function<void()> leave;
    std::function<void()> raise;
    std::string message;
  };
  const Case cases[] = {
      {"a check", [] {}, [] { OleCheck(E_UNEXPECTED); }, "Ошибка OLE [0x8000FFFF]"},
      {"a check of a named call", [] {}, [] { OleCheck(E_UNEXPECTED, "Вызов"); },
       "Вызов: Ошибка OLE [0x8000FFFF]"},
      {"a call that left no error info", [] { SetErrorInfo(0, nullptr); },
       [] { RaiseComFailure(E_UNEXPECTED); }, "Ошибка OLE [0x8000FFFF]"},
      {"a call that left error info", [] { LeaveErrorInfo("Документ не найден"); },
       [] { RaiseComFailure(E_UNEXPECTED); }, "Документ не найден"},
  };
  for (const Case& test : cases) {
    test.leave();
    DebugCapture debug;
    try {
      test.raise();
      ADD_FAILURE() << test.name << ": nothing raised";
    } catch (const EOleSysError& error) {
      EXPECT_EQ(test.message, error.Message()) << test.name;
      EXPECT_EQ(E_UNEXPECTED, error.ErrorCode()) << test.name;
    }
    EXPECT_EQ(std::vector<std::string>{"[EXCEPTION " + test.message + "]"}, debug.Lines())
        << test.name;
  }
  // A result that did not fail raises nothing and writes nothing.
  DebugCapture debug;
  OleCheck(S_FALSE);
  RaiseComFailure(S_OK);
  EXPECT_TRUE(debug.Lines().empty());
}

}  // namespace

namespace {

// Text handed out as a BSTR is measured before its length narrows to the
// prefix's 32 bits: 4 GiB and one byte once made room for one character.
TEST(BstrTextTest, TextLongerThanABstrHoldsIsRefusedBeforeAnyRoomIsMade) {
  for (const size_t size : {size_t{kMaxBstrLength} + 1, (size_t{1} << 32) + 1}) {
    const ZeroPages text(size);
    ASSERT_TRUE(text.Mapped());
    HRESULT code = S_OK;
    std::string message;
    try {
      SysFreeString(AnsiToBstr(text.View()));
    } catch (const EOleSysError& e) {
      code = e.ErrorCode();
      message = e.Message();
    }
    EXPECT_EQ(code, E_OUTOFMEMORY);
    EXPECT_EQ(message, "Строка длиной [" + std::to_string(size) +
                           "] символов длиннее предела строки автоматизации [2147483643]");
  }
}

}  // namespace
