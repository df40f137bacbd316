// Kernel object handles. Every object the stand-in calls hand out derives
// from `KernelObject`; `CloseHandle` destroys it.
#pragma once

#include <memory>

struct KernelObject {
  virtual ~KernelObject() = default;
};
using HANDLE = KernelObject*;

// Releases the object; false with ERROR_INVALID_HANDLE for a null handle,
// and false with the last error when releasing failed (the handle is gone
// all the same).
bool CloseHandle(HANDLE handle);

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// For handles whose closing result does not matter.
using UniqueHandle = std::unique_ptr<KernelObject, HandleCloser>;
