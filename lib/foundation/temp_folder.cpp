#include "lib/foundation/temp_folder.h"

#include <filesystem>

#include "lib/foundation/errors.h"
#include "lib/foundation/file_routines.h"
#include "lib/foundation/guid_routines.h"
#include "lib/foundation/path_routines.h"
#include "platform/kernel/codepage.h"

CTempFolder::CTempFolder()
    : path_(AddTrailingBackslash(CombinePath(GetEnvVar("TMP"), NewGuidString()))) {
  if (!ForceDirectoryPath(path_)) RaiseLastOSError();
  std::error_code error;
  std::filesystem::permissions(SysPath(path_), std::filesystem::perms::owner_all, error);
  if (error) {
    DeleteDirectory(path_);
    RaiseErrorFmt("Не удалось создать папку: [%s]", {path_});
  }
}

CTempFolder::~CTempFolder() {
  try {
    DeleteDirectory(path_);
  } catch (...) {
    // Nothing may leave a destructor; what stays is the system's to clear.
  }
}
