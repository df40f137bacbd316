#include "editor/model/inn_check.h"

#include <string>

#include "editor/model/string_routines.h"

namespace {

// Weights congruent modulo 11 to the negatives of the published ones, so the
// control digit is 11 - (sum mod 11).
constexpr int kWeights10[] = {31, 29, 23, 19, 17, 13, 7, 5, 3};
constexpr int kWeights11[] = {37, 31, 29, 23, 19, 17, 13, 7, 5, 3};
constexpr int kWeights12[] = {41, 37, 31, 29, 23, 19, 17, 13, 7, 5, 3};

bool AllDigits(const std::string& text, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

template <size_t N>
char ControlDigit(const std::string& digits, const int (&weights)[N]) {
  int sum = 0;
  for (size_t i = 0; i < N; ++i) sum += (digits[i] - '0') * weights[i];
  int control = 11 - sum % 11;
  return control >= 10 ? '0' : static_cast<char>('0' + control);
}

uint16_t TenDigitTest(const std::string& inn) {
  if (!AllDigits(inn, 9)) return kInnNotDigits;
  std::string expected = inn.substr(0, 9);
  expected += ControlDigit(expected, kWeights10);
  return inn == expected ? kInnValid : kInnWrongCheckDigit;
}

// The second control digit is taken over the computed first one, not over
// the one entered.
uint16_t TwelveDigitTest(const std::string& inn) {
  if (!AllDigits(inn, 10)) return kInnNotDigits;
  std::string expected = inn.substr(0, 10);
  expected += ControlDigit(expected, kWeights11);
  expected += ControlDigit(expected, kWeights12);
  return inn == expected ? kInnValid : kInnWrongCheckDigit;
}

}  // namespace

uint16_t CheckINN(std::string_view text, uint8_t mode) {
  std::string inn = TrimText(text);
  if (inn.empty()) return kInnEmpty;
  switch (mode) {
    case kInnTenDigits: return inn.size() == 10 ? TenDigitTest(inn) : kInnNotTen;
    case kInnTwelveDigits: return inn.size() == 12 ? TwelveDigitTest(inn) : kInnNotTwelve;
    default:
      if (inn.size() == 10) return TenDigitTest(inn);
      if (inn.size() == 12) return TwelveDigitTest(inn);
      return kInnNotTenOrTwelve;
  }
}
