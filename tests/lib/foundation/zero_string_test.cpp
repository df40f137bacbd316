#include "lib/foundation/zero_string.h"

#include <gtest/gtest.h>

#include "lib/foundation/exception.h"

TEST(ZeroString, KeepsItsOwnCopy) {
  CZeroString s;
  EXPECT_EQ(s.Value(), nullptr);
  char source[] = "1.2.643.2.2.3";
  s.Open(source);
  source[0] = 'X';
  EXPECT_STREQ(s.Value(), "1.2.643.2.2.3");
  s.Open("");
  EXPECT_STREQ(s.Value(), "");
  s.Close();
  EXPECT_EQ(s.Value(), nullptr);
}

TEST(ZeroString, NullSourceRaisesAndDropsTheHeldCopy) {
  CZeroString s;
  s.Open("x");
  try {
    s.Open(nullptr);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Parameter pszObjId = NULL of CZeroString.Open is invalid");
  }
  EXPECT_EQ(s.Value(), nullptr);
}
