#include "editor/model/ogrn_check.h"

#include <gtest/gtest.h>

namespace {

// As an opened package or the last run's ini file may bring them, past the
// window's key filter.
TEST(OgrnFaultTest, AnOgrnOrOgrnipIsDigitsOnlyOfItsLength) {
  const struct {
    OgrnKind kind;
    const char* value;
    const char* fault;  // "" when it passes
  } cases[] = {
      {OgrnKind::kOgrnip, "", "Не указан [ОГРНИП]."},
      {OgrnKind::kOgrnip, "304500116000,5.", "Неверно указан [ОГРНИП]."},
      {OgrnKind::kOgrnip, "3045001160001 7", "Неверно указан [ОГРНИП]."},
      {OgrnKind::kOgrnip, "30450011600015", "Неверно указан [ОГРНИП]."},
      {OgrnKind::kOgrnip, "3045001160001570", "Неверно указан [ОГРНИП]."},
      {OgrnKind::kOgrnip, "1027700132195", "Неверно указан [ОГРНИП]."},
      {OgrnKind::kOgrnip, "304500116000157", ""},
      {OgrnKind::kOgrn, "", "Не указан [ОГРН]."},
      {OgrnKind::kOgrn, "1027700132.9,", "Неверно указан [ОГРН]."},
      {OgrnKind::kOgrn, "10277001321a5", "Неверно указан [ОГРН]."},
      {OgrnKind::kOgrn, " 1027700132195", "Неверно указан [ОГРН]."},
      {OgrnKind::kOgrn, "304500116000157", "Неверно указан [ОГРН]."},
      {OgrnKind::kOgrn, "1027700132195", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(OgrnFault(c.value, c.kind), c.fault) << c.value;
}

}  // namespace
