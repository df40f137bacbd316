#include "lib/foundation/base_class.h"

#include "lib/foundation/errors.h"

CBaseClass::CBaseClass()
    : OnError([](const Exception& error, CBaseClass&) { ReraiseException(error); }) {}

bool CBaseClass::HandleError(const Exception& error, const std::string& where) {
  try {
    ReraiseException(error);
  } catch (Exception& fresh) {
    if (!where.empty()) fresh.SetMessage(Format("%s: [%s]", {where, fresh.Message()}));
    if (OnError) {
      OnError(fresh, *this);
    } else {
      ShowExceptionBox(fresh);
    }
  }
  return false;
}
