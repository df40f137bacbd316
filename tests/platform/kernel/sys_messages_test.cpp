#include "platform/kernel/sys_messages.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

TEST(SysMessages, KnownCodeEndsInCrLf) {
  char buffer[256];
  const uint32_t n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, ERROR_ACCESS_DENIED, buffer, 256);
  ASSERT_GT(n, 2u);
  EXPECT_EQ(std::string(buffer, n), "Отказано в доступе.\r\n");
}

TEST(SysMessages, UnknownCodeAndSmallBufferFail) {
  char buffer[8];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, 0x12345678, buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, ERROR_ACCESS_DENIED, buffer, sizeof buffer),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(LastError, IsPerThread) {
  SetLastError(5);
  uint32_t seen = 1;
  std::thread([&] { seen = GetLastError(); }).join();
  EXPECT_EQ(seen, 0u);
  EXPECT_EQ(GetLastError(), 5u);
}
