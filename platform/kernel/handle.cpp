#include "platform/kernel/handle.h"

#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_object.h"
#include "platform/kernel/last_error.h"

bool CloseHandle(HANDLE handle) {
  if (handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  // A file reports a failing close (data that never reached the disk).
  bool closed = true;
  if (auto* file = dynamic_cast<FileObject*>(handle)) closed = file->Close();
  delete handle;
  return closed;
}
