#include "editor/model/inn_check.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/run_command.h"

namespace {

struct InnCase {
  const char* text;
  uint8_t mode;
  uint16_t result;
};

TEST(CheckInnTest, ResultsByModeAndLength) {
  const InnCase cases[] = {
      {"1234567894", kInnByLength, kInnValid},
      {"1234567894", kInnTenDigits, kInnValid},
      {"  1234567894\t", kInnTenDigits, kInnValid},
      {"1234567895", kInnByLength, kInnWrongCheckDigit},
      {"1234567894", kInnTwelveDigits, kInnNotTwelve},
      {"123456789047", kInnByLength, kInnValid},
      {"123456789047", kInnTwelveDigits, kInnValid},
      {"123456789047", kInnTenDigits, kInnNotTen},
      {"123456789048", kInnTwelveDigits, kInnWrongCheckDigit},
      // The second digit is taken over the computed first one.
      {"123456789057", kInnTwelveDigits, kInnWrongCheckDigit},
      {"  ", kInnByLength, kInnEmpty},
      {"", kInnTwelveDigits, kInnEmpty},
      {"123", kInnByLength, kInnNotTenOrTwelve},
      {"12345678901", kInnTwelveDigits, kInnNotTwelve},
      {"123456789X", kInnTenDigits, kInnWrongCheckDigit},  // check position only compared
      {"1234567890", 7, kInnWrongCheckDigit},              // unknown mode: by length
      {"123", 7, kInnNotTenOrTwelve},
  };
  for (const InnCase& c : cases) {
    EXPECT_EQ(CheckINN(c.text, c.mode), c.result) << c.text << " mode " << int{c.mode};
  }
}

// A letter, a blank, a comma or a full stop where a digit is summed makes
// the text no INN, as it is shown to the user, instead of an error.
TEST(CheckInnTest, NonDigitInASummedPositionIsNoInn) {
  const InnCase cases[] = {
      {"12A4567894", kInnByLength, kInnNotDigits},
      {"12345678 4", kInnTenDigits, kInnNotDigits},
      {"1234,67890", kInnByLength, kInnNotDigits},
      {"12.456789047", kInnTwelveDigits, kInnNotDigits},
      {"12\xC0"
       "456789047",
       kInnByLength, kInnNotDigits},
  };
  for (const InnCase& c : cases) {
    EXPECT_EQ(CheckINN(c.text, c.mode), c.result) << c.text;
  }
}

// The published algorithm with the published weights, as an independent
// peer: valid numbers of both lengths and each with one digit changed.
constexpr const char* kPeer = R"(python3 -c '
import random
random.seed(19)
def ctl(d, w):
    return str(sum(int(a) * b for a, b in zip(d, w)) % 11 % 10)
w10 = [2, 4, 10, 3, 5, 9, 4, 6, 8]
w11 = [7, 2, 4, 10, 3, 5, 9, 4, 6, 8]
w12 = [3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8]
def valid(s):
    if len(s) == 10: return s[9] == ctl(s, w10)
    return s[10] == ctl(s, w11) and s[11] == ctl(s, w12)
for n in range(400):
    length = 10 if n % 2 else 12
    s = "".join(random.choice("0123456789") for _ in range(length - (1 if length == 10 else 2)))
    s += ctl(s, w10) if length == 10 else ""
    if length == 12:
        s += ctl(s, w11)
        s += ctl(s, w12)
    if n % 3 == 0:
        i = random.randrange(length)
        s = s[:i] + str((int(s[i]) + random.randrange(1, 10)) % 10) + s[i + 1:]
    print(s, int(valid(s)))
')";

TEST(CheckInnTest, AgreesWithThePublishedAlgorithm) {
  const CommandResult peer = RunCommand(kPeer);
  ASSERT_EQ(0, peer.status);
  std::istringstream lines(peer.output);
  std::string inn;
  int valid = 0;
  int seen = 0;
  int valid_seen = 0;
  while (lines >> inn >> valid) {
    ++seen;
    valid_seen += valid;
    EXPECT_EQ(CheckINN(inn, kInnByLength) == kInnValid, valid == 1) << inn;
  }
  EXPECT_EQ(seen, 400);
  EXPECT_GT(valid_seen, 200);
  EXPECT_LT(valid_seen, 400);
}

}  // namespace
