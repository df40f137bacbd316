#include "lib/package/tarvex_code_tool.h"

#include <array>

#include "lib/foundation/errors.h"

namespace {

// Internal code of each COM value 0-9; internal codes 1 and 11 have none.
constexpr std::array<int, 10> kInternalRoles = {0, 4, 5, 6, 2, 3, 7, 8, 9, 10};

int InternalFromCom(int com, const char* message) {
  if (com < 0 || com >= static_cast<int>(kInternalRoles.size())) RaiseErrorFmt(message, {com});
  return kInternalRoles[com];
}

SIGN_ROLE_TYPES ComFromInternal(int internal, const char* message) {
  for (size_t com = 0; com < kInternalRoles.size(); ++com) {
    if (kInternalRoles[com] == internal) return static_cast<SIGN_ROLE_TYPES>(com);
  }
  RaiseErrorFmt(message, {internal});
}

constexpr const char* kRoleMessage = "Неизвестная роль: [%d]";
constexpr const char* kSubjectMessage = "Неизвестный тип субъекта: [%d]";

bool IsTransaction(int number) { return number >= 1 && number <= 10; }

}  // namespace

int CTarvexCodeTool::RoleFromCom(SIGN_ROLE_TYPES role) {
  return InternalFromCom(role, kRoleMessage);
}

SIGN_ROLE_TYPES CTarvexCodeTool::RoleToCom(int role) { return ComFromInternal(role, kRoleMessage); }

int CTarvexCodeTool::SubjectTypeFromCom(SIGN_ROLE_TYPES subject_type) {
  return InternalFromCom(subject_type, kSubjectMessage);
}

SIGN_ROLE_TYPES CTarvexCodeTool::SubjectTypeToCom(int subject_type) {
  return ComFromInternal(subject_type, kSubjectMessage);
}

int CTarvexCodeTool::TransactTypeFromCom(TRANSACTION_TYPES transact_type) {
  return IsTransaction(transact_type) ? transact_type : 0;
}

TRANSACTION_TYPES CTarvexCodeTool::TransactTypeToCom(int transact_type) {
  return IsTransaction(transact_type) ? static_cast<TRANSACTION_TYPES>(transact_type)
                                      : TRANSACTION_TYPE_UNKNOWN;
}
