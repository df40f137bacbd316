#include "platform/kernel/guid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

TEST(CoCreateGuid, MakesDistinctVersion4Guids) {
  std::set<std::string> seen;
  uint8_t any_set[16] = {}, all_set[16];
  std::memset(all_set, 0xFF, sizeof all_set);
  for (int i = 0; i < 1000; ++i) {
    GUID guid;
    ASSERT_EQ(CoCreateGuid(&guid), 0);
    EXPECT_EQ(guid.Data3 >> 12, 4);
    EXPECT_EQ(guid.Data4[0] >> 6, 2);
    uint8_t bytes[16];
    std::memcpy(bytes, &guid, sizeof bytes);
    seen.emplace(reinterpret_cast<const char*>(bytes), sizeof bytes);
    for (int b = 0; b < 16; ++b) {
      any_set[b] |= bytes[b];
      all_set[b] &= bytes[b];
    }
  }
  EXPECT_EQ(seen.size(), 1000u);
  // Apart from the fixed bits, every bit is seen both ways: the bytes are
  // random rather than a counter or a constant.
  for (int b = 0; b < 16; ++b) {
    const uint8_t fixed_ones = b == 7 ? 0x40 : b == 8 ? 0x80 : 0;  // Data3 is little-endian
    const uint8_t free_bits = b == 7 ? 0x0F : b == 8 ? 0x3F : 0xFF;
    EXPECT_EQ(any_set[b], fixed_ones | free_bits) << b;
    EXPECT_EQ(all_set[b], fixed_ones) << b;
  }
}
