// Calls into the library: a failing HRESULT becomes the editor's error with
// the description of the error info the call left.
#pragma once

#include "platform/com/unknwn.h"

// Raises EditorError when `result` is a failure; the message is the error
// info's description, or names the code when the call left none.
void OleCheck(HRESULT result);
