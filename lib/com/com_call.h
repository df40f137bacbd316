// Calls that the library makes on interfaces, its own or a client's: a
// failure becomes an error carrying the call's result, whose message is the
// description of the error info the call left.
#pragma once

#include "platform/com/unknwn.h"

// For a failed `result`, raises EOleSysError with it: the message is the
// description of the thread's error info, or "Ошибка OLE [0x%08X]" when
// there is none. A caller whose callee may leave no error info clears the
// thread's first (SetErrorInfo(0, nullptr)), so no earlier description is
// taken for this failure's.
void RaiseComFailure(HRESULT result);
