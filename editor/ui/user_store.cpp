#include "editor/ui/user_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "editor/model/editor_error.h"
#include "editor/model/shell_routines.h"
#include "editor/ui/exe_paths.h"
#include "editor/ui/work_folder.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/last_error.h"
#include "platform/shell/special_folder.h"

namespace {

// Writes the bytes beside `path` and renames them into place, so that a
// copy cut short never stands for the settings.
bool WriteWhole(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".new";
  std::string message;
  if (!SaveStringToFile(temp, bytes, message)) return false;
  if (std::rename(SysPath(temp).c_str(), SysPath(path).c_str()) == 0) return true;
  FailWithErrno();
  ::unlink(SysPath(temp).c_str());
  return false;
}

}  // namespace

bool MayWriteFolder(const std::string& folder) {
  return ::faccessat(AT_FDCWD, SysPath(folder).c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string UserIniCopy(const std::string& ini) {
  const std::string name = ExtractFileName(ini);
  try {
    return AppDataFolder(ChangeFileExt(name, "")) + "settings/" + name;
  } catch (const EditorError&) {
    return {};
  }
}

std::string IniToRead(const std::string& ini) {
  const std::string copy = UserIniCopy(ini);
  return !copy.empty() && FileExists(copy) ? copy : ini;
}

bool IniToWrite(const std::string& ini, std::string& target) {
  const std::string copy = UserIniCopy(ini);
  target = copy;
  if (!copy.empty() && FileExists(copy)) return true;
  // A folder that is missing or no folder at all is a wrong path, which the
  // write reports as it is, not a folder of somebody else's.
  const std::string folder = ExtractFileDir(ini);
  target = ini;
  if (copy.empty() || MayWriteFolder(folder) || !FolderExists(folder)) return true;
  target = copy;
  if (!MakeFolders(ExtractFileDir(copy))) return false;
  std::ifstream from(SysPath(ini), std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(from), std::istreambuf_iterator<char>()};
  return WriteWhole(copy, bytes);
}

std::string DefaultOutFolder(const std::string& program_folder) {
  if (MayWriteFolder(program_folder)) return program_folder;
  for (const int folder : {CSIDL_PERSONAL, CSIDL_PROFILE}) {
    const std::string path = GetSpecialFolder(folder);
    if (!path.empty() && FolderExists(path)) return path;
  }
  return program_folder;
}
