// Members of dual interfaces never let an error out: it becomes an HRESULT
// with error info (the member's interface IID as GUID; the ProgID as
// source for the creatable classes).
#pragma once

#include <string>

#include "platform/com/unknwn.h"

struct CaughtError {
  HRESULT result;
  bool has_message;
  std::string message;
};

// The exception being handled, as an HRESULT and its text; call it only
// inside a catch block. A failed allocation gives E_OUTOFMEMORY with the
// system's Russian text (and the debug line of a raise), an OLE system
// error its own negative code, anything else `otherwise`.
CaughtError ClassifyCaught(HRESULT otherwise) noexcept;

// Converts the exception being handled into error info and its HRESULT, as
// `ClassifyCaught` gives it with E_UNEXPECTED otherwise; call it only
// inside a catch block.
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
