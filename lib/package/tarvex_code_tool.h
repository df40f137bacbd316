// Conversions between the numbering of the type library's enumerations and
// the internal role, subject-type and transaction codes of the package model.
// Role and subject type share one numbering and differ only in their messages.
#pragma once

#include "include/tarvex_enums.h"

class CTarvexCodeTool {
 public:
  CTarvexCodeTool() = delete;

  static int RoleFromCom(SIGN_ROLE_TYPES role);
  static SIGN_ROLE_TYPES RoleToCom(int role);
  static int SubjectTypeFromCom(SIGN_ROLE_TYPES subject_type);
  static SIGN_ROLE_TYPES SubjectTypeToCom(int subject_type);
  // Numbers 1-10 pass as they are; anything else is 0.
  static int TransactTypeFromCom(TRANSACTION_TYPES transact_type);
  static TRANSACTION_TYPES TransactTypeToCom(int transact_type);
};
