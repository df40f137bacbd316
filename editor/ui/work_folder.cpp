#include "editor/ui/work_folder.h"

#include <sys/stat.h>

#include <cerrno>

#include "editor/model/editor_error.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/exe_paths.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/last_error.h"
#include "platform/shell/special_folder.h"

namespace {

// Makes every missing folder of `path` (UTF-8, "/" separators).
bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

std::string GetWorkFolder() {
  const std::string app_data = GetSpecialFolder(CSIDL_APPDATA);
  if (app_data.empty() || (app_data[0] != '/' && app_data[0] != '\\')) {
    throw EditorError("Не найдена папка данных приложения: не заданы XDG_CONFIG_HOME и HOME");
  }
  const std::string folder = IncludeBackslash(app_data) + ExeBaseName() + "/";
  std::string system = SysPath(folder);
  while (system.size() > 1 && system.back() == '/') system.pop_back();
  if (!MakeFolders(system)) {
    FailWithErrno();
    throw EditorError("Невозможно создать папку " + folder + ": " + LastErrorMessage());
  }
  return folder;
}
