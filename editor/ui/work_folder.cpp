#include "editor/ui/work_folder.h"

#include <sys/stat.h>

#include <cerrno>

#include "editor/model/editor_error.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/exe_paths.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/last_error.h"
#include "platform/shell/special_folder.h"

std::string AppDataFolder(const std::string& name) {
  const std::string app_data = GetSpecialFolder(CSIDL_APPDATA);
  if (app_data.empty() || (app_data[0] != '/' && app_data[0] != '\\')) {
    throw EditorError("Не найдена папка данных приложения: не заданы XDG_CONFIG_HOME и HOME");
  }
  return IncludeBackslash(app_data) + name + "/";
}

bool MakeFolders(const std::string& folder) {
  std::string path = SysPath(folder);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) {
      return FailWithErrno();
    }
  }
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST || FailWithErrno();
}

bool FolderExists(const std::string& path) {
  const uint32_t attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string GetWorkFolder() {
  const std::string folder = AppDataFolder(ExeBaseName());
  if (!MakeFolders(folder)) {
    throw EditorError("Невозможно создать папку " + folder + ": " + LastErrorMessage());
  }
  return folder;
}
