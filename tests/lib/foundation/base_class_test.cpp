#include "lib/foundation/base_class.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "lib/foundation/errors.h"
#include "tests/support/debug_capture.h"

namespace {

class CSample : public CBaseClass {
 public:
  bool Check(bool fail) {
    return Safe([&] {
      if (fail) RaiseError("abc");
      return true;
    });
  }
  int FailWithOsError() {
    return Safe([]() -> int { throw EOSError("denied", 5); });
  }
  std::string OutOfMemory() {
    return Safe([]() -> std::string { throw std::bad_alloc(); });
  }
  int Foreign() {
    return Safe([]() -> int { throw std::runtime_error("foreign"); });
  }
  bool HandleAt(const std::string& where) { return HandleError(Exception("inner"), where); }
};

}  // namespace

TEST(SafeWrapper, ErrorReachesCallerWithThreeDebugLines) {
  CSample sample;
  DebugCapture debug;
  EXPECT_TRUE(sample.Check(false));
  try {
    sample.Check(true);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(typeid(e), typeid(Exception));
    EXPECT_EQ(e.Message(), "abc");
  }
  EXPECT_EQ(debug.Lines(), std::vector<std::string>(3, "[EXCEPTION abc]"));
}

TEST(SafeWrapper, OsErrorKeepsItsCode) {
  CSample sample;
  try {
    sample.FailWithOsError();
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 5u);
    EXPECT_EQ(e.Message(), "denied");
  }
}

TEST(SafeWrapper, AFailedAllocationBecomesTheLibrarysOwnErrorAndForeignOnesPass) {
  CSample sample;
  DebugCapture debug;
  const std::string text = "Недостаточно памяти для обработки команды";
  try {
    sample.OutOfMemory();
    FAIL();
  } catch (const EOutOfMemory& e) {
    EXPECT_EQ(e.Message(), text);
  }
  // As for a raised error: the raise, the handler and its default event.
  EXPECT_EQ(debug.Lines(), std::vector<std::string>(3, "[EXCEPTION " + text + "]"));
  std::string seen;
  sample.OnError = [&](const Exception& e, CBaseClass&) {
    seen = e.Message();
    EXPECT_NE(nullptr, dynamic_cast<const EOutOfMemory*>(&e));
  };
  EXPECT_EQ(sample.OutOfMemory(), "");
  EXPECT_EQ(seen, text);

  debug.Clear();
  EXPECT_THROW(sample.Foreign(), std::runtime_error);
  EXPECT_TRUE(debug.Lines().empty());
}

TEST(SafeWrapper, ReboundHandlerGetsPrefixedErrorAndNeutralResult) {
  CSample sample;
  std::string seen;
  CBaseClass* sender = nullptr;
  sample.OnError = [&](const Exception& e, CBaseClass& from) {
    seen = e.Message();
    sender = &from;
  };
  EXPECT_FALSE(sample.Check(true));
  EXPECT_EQ(seen, "abc");
  EXPECT_EQ(sender, &sample);
  EXPECT_FALSE(sample.HandleAt("Open"));
  EXPECT_EQ(seen, "Open: [inner]");
  EXPECT_EQ(sample.FailWithOsError(), 0);
}

TEST(SafeWrapper, ClearedHandlerShowsTheErrorAndReturns) {
  CSample sample;
  sample.OnError = nullptr;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(sample.Check(true));
  const std::string box = testing::internal::GetCapturedStderr();
  EXPECT_NE(box.find("abc"), std::string::npos);
}
