// The check-digit test of an INN (taxpayer number).
#pragma once

#include <cstdint>
#include <string_view>

// Modes.
constexpr uint8_t kInnByLength = 0;  // 10 digits for an organisation, 12 for a person
constexpr uint8_t kInnTenDigits = 1;
constexpr uint8_t kInnTwelveDigits = 2;

// Results.
constexpr uint16_t kInnValid = 0;
constexpr uint16_t kInnEmpty = 1;
constexpr uint16_t kInnNotTenOrTwelve = 2;
constexpr uint16_t kInnNotTen = 3;
constexpr uint16_t kInnNotTwelve = 4;
constexpr uint16_t kInnWrongCheckDigit = 5;
constexpr uint16_t kInnNotDigits = 6;  // a summed position holds no digit 0-9

// Tests the trimmed text; a mode other than 1 and 2 decides by length. A
// summed position that is not a digit 0-9 makes the text no INN
// (kInnNotDigits); the check positions are only compared.
uint16_t CheckINN(std::string_view text, uint8_t mode);
