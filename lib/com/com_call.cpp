#include "lib/com/com_call.h"

#include <string>

#include "lib/com/bstr_text.h"
#include "lib/com/ole_error.h"
#include "lib/foundation/errors.h"
#include "platform/com/com_ref.h"
#include "platform/com/error_info.h"

namespace {

std::string TakeErrorDescription() {
  IErrorInfo* taken = nullptr;
  if (GetErrorInfo(0, &taken) != S_OK) return std::string();
  const ComRef<IErrorInfo> info(taken);
  BSTR text = nullptr;
  info->GetDescription(&text);
  std::string description = BstrToAnsi(text);
  SysFreeString(text);
  return description;
}

}  // namespace

void RaiseComFailure(HRESULT result) {
  if (SUCCEEDED(result)) return;
  const std::string description = TakeErrorDescription();
  if (description.empty()) OleCheck(result);
  RaiseTraced(EOleSysError(description, result));
}
