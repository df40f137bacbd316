// The editor's constant tables: the document kinds a package of each
// registration kind may hold, and the display names of the signer roles.
// Texts are cp1251.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Registration kinds (the package's transaction types).
constexpr uint16_t kRegKindUL = 1;  // registration of a legal entity
constexpr uint16_t kRegKindIP = 6;  // registration of an individual entrepreneur

struct TDocType {
  uint16_t Kind;
  const char* Code;
  const char* Name;
  const char* Extensions;  // without dots, separated by ","
};

struct TSignRoleType {
  uint16_t Code;
  const char* Name;
};

constexpr int kDocTypeCount = 32;
constexpr int kSignRoleTypeCount = 9;
extern const TDocType kDocTypes[kDocTypeCount];
extern const TSignRoleType kSignRoleTypes[kSignRoleTypeCount];

// The first row of that kind whose code matches with the letters a-z
// folded; -1 when none does.
int FindDocType(uint16_t kind, std::string_view code);
// "Типы документов (*.a;*.b)|*.a;*.b" for "a, b". Empty pieces are left
// out, so no extensions give an empty text.
std::string DocTypeFilter(std::string_view extensions);
// Empty for a code without a row.
std::string SignRoleName(uint16_t code);
