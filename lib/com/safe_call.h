// Members of dual interfaces never let an error out: it becomes an HRESULT
// with error info (the member's interface IID as GUID; the ProgID as
// source for the creatable classes).
#pragma once

#include "platform/com/unknwn.h"

// Converts the exception being handled; call it only inside a catch block.
// E_UNEXPECTED, or the negative code of an OLE system error.
HRESULT SafeCallException(const IID& error_iid, const char* prog_id) noexcept;

template <typename Body>
HRESULT SafeCall(const IID& error_iid, const char* prog_id, Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (...) {
    return SafeCallException(error_iid, prog_id);
  }
}
