// The kernel object behind a file handle, shared by the file and mapping
// calls.
#pragma once

#include <cstdint>

#include "platform/kernel/handle.h"

struct FileObject : KernelObject {
  FileObject(int descriptor, uint32_t rights) : fd(descriptor), access(rights) {}
  ~FileObject() override;
  // Closes the descriptor now; false (and the last error) when that failed.
  bool Close();

  int fd;
  uint32_t access;  // GENERIC_READ, GENERIC_WRITE
};

// The file object of a handle, or null (ERROR_INVALID_HANDLE) for another kind.
FileObject* AsFile(HANDLE handle);
