// OLE system errors: a failed COM call, carrying its HRESULT.
#pragma once

#include "lib/foundation/exception.h"
#include "platform/com/unknwn.h"

class EOleSysError : public Exception {
 public:
  EOleSysError(std::string message, HRESULT code) : Exception(std::move(message)), code_(code) {}

  HRESULT ErrorCode() const { return code_; }

 private:
  HRESULT code_;
};

// Raises EOleSysError "Ошибка OLE [0x%08X]" (with a debug line) for a failed
// result; with `what`, the message is "<what>: Ошибка OLE [0x%08X]".
void OleCheck(HRESULT result, const std::string& what = std::string());
