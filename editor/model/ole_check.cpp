#include "editor/model/ole_check.h"

#include <cstdio>
#include <string>

#include "editor/model/editor_error.h"
#include "platform/com/com_ref.h"
#include "platform/com/error_info.h"
#include "platform/kernel/codepage.h"

namespace {

// The description of the thread's error info, which is taken; empty when
// there is none.
std::string TakeErrorDescription() {
  IErrorInfo* taken = nullptr;
  if (GetErrorInfo(0, &taken) != S_OK || taken == nullptr) return {};
  const ComRef<IErrorInfo> info(taken);
  BSTR description = nullptr;
  std::string text;
  if (info->GetDescription(&description) == S_OK) {
    text = WideToAnsi(std::u16string_view(description, SysStringLen(description)));
  }
  SysFreeString(description);
  return text;
}

}  // namespace

void OleCheck(HRESULT result) {
  if (SUCCEEDED(result)) return;
  std::string message = TakeErrorDescription();
  if (message.empty()) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    message = std::string("Ошибка вызова библиотеки, код ") + code;
  }
  throw EditorError(message);
}
