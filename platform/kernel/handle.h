// Kernel object handles. Every object the stand-in calls hand out derives
// from `KernelObject`; `CloseHandle` destroys it.
#pragma once

struct KernelObject {
  virtual ~KernelObject() = default;
};
using HANDLE = KernelObject*;

// Releases the object; false with ERROR_INVALID_HANDLE for a null handle.
bool CloseHandle(HANDLE handle);
