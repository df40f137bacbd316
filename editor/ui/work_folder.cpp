#include "editor/ui/work_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "editor/model/editor_error.h"
#include "editor/model/shell_routines.h"
#include "editor/model/string_routines.h"
#include "editor/ui/exe_paths.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/find_file.h"
#include "platform/kernel/last_error.h"
#include "platform/shell/special_folder.h"

namespace {

// A work folder's name is this prefix and six characters of mkdtemp, which
// no other entry of the application-data folder (the settings) has.
constexpr char kWorkPrefix[] = "work-";
constexpr char kWorkMask[] = "work-??????";

std::string ExeDataFolder() { return AppDataFolder(ExeBaseName()); }

}  // namespace

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

bool TFolderLock::Lock(const std::string& folder, bool wait) {
  Unlock();
  // With a trailing "/" the last component would be followed even if it
  // were a link.
  std::string path = SysPath(folder);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return FailWithErrno();
  int result = 0;
  do {
    result = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    FailWithErrno();
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void TFolderLock::Unlock() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

TWorkFolder::~TWorkFolder() {
  try {
    Remove();
  } catch (...) {
  }
}

const std::string& TWorkFolder::Path() {
  if (!path_.empty()) return path_;
  const std::string base = ExeDataFolder();
  if (!MakeFolders(base)) {
    throw EditorError("Невозможно создать папку " + base + ": " + LastErrorMessage());
  }
  // A sweep holds the base folder while it sweeps: under that lock no
  // sweep can find the new folder made but not yet locked.
  TFolderLock sweeping;
  if (!sweeping.Lock(base, true)) {
    throw EditorError("Невозможно заблокировать папку " + base + ": " + LastErrorMessage());
  }
  std::string made = SysPath(base + kWorkPrefix + "XXXXXX");
  if (::mkdtemp(made.data()) == nullptr) {
    FailWithErrno();
    throw EditorError("Невозможно создать папку в " + base + ": " + LastErrorMessage());
  }
  // mkdtemp replaced only the six ASCII characters.
  const std::string folder = base + kWorkPrefix + made.substr(made.size() - 6) + "/";
  if (!lock_.Lock(folder, false)) {
    const std::string message = LastErrorMessage();
    RemoveDirectoryA(folder);
    throw EditorError("Невозможно заблокировать папку " + folder + ": " + message);
  }
  path_ = folder;
  return path_;
}

void TWorkFolder::Remove() {
  if (path_.empty()) return;
  // Only files are ours: what else is found there stays, and so does the
  // folder, for a later sweep.
  ClearFolder(path_, false);
  RemoveDirectoryA(path_);
  lock_.Unlock();
  path_.clear();
}

void RemoveLeftoverWorkFolders() {
  std::string base;
  try {
    base = ExeDataFolder();
  } catch (const EditorError&) {
    return;
  }
  TFolderLock sweeping;
  if (!sweeping.Lock(base, true)) return;
  FindData data;
  FindHandle find = FindFirstFileA(base + kWorkMask, data);
  if (!find) return;
  do {
    // A link is never reported as a folder, so none is followed.
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    const std::string folder = base + data.cFileName;
    TFolderLock left;
    if (!left.Lock(folder, false)) continue;
    ClearFolder(folder, false);
    RemoveDirectoryA(folder);
  } while (FindNextFileA(find, data));
}
