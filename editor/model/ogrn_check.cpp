#include "editor/model/ogrn_check.h"

#include <algorithm>

std::string OgrnFault(std::string_view value, OgrnKind kind) {
  const bool entrepreneur = kind == OgrnKind::kOgrnip;
  const char* name = entrepreneur ? "ОГРНИП" : "ОГРН";
  const size_t length = entrepreneur ? 15 : 13;
  if (value.empty()) return std::string("Не указан [") + name + "].";
  const bool digits =
      std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (value.size() != length || !digits) return std::string("Неверно указан [") + name + "].";
  return {};
}
