// A failed COM result becomes an OLE system error carrying it, after the
// one debug line that every raise writes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/com/com_call.h"
#include "lib/com/ole_error.h"
#include "lib/com/safe_call.h"
#include "platform/com/error_info.h"
#include "tests/support/debug_capture.h"

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
