#include "platform/kernel/find_file.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/last_error.h"

struct FindState {
  DIR* dir = nullptr;
  std::string folder;  // as the system call takes it, with a trailing "/"
  std::string mask;
};

void FindStateDeleter::operator()(FindState* state) const {
  if (state->dir != nullptr) ::closedir(state->dir);
  delete state;
}

namespace {

unsigned char Fold(unsigned char c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }

bool Match(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (m < mask.size() &&
               (mask[m] == '?' || Fold(static_cast<unsigned char>(mask[m])) ==
                                      Fold(static_cast<unsigned char>(name[n])))) {
      ++m;
      ++n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool ReadNext(FindState& state, FindData& data) {
  while (dirent* entry = ::readdir(state.dir)) {
    // An entry that no cp1251 name can stand for is not reported under a
    // look-alike name, which would lead its caller to another file or none.
    std::string name;
    if (Utf8ToAnsiExactly(entry->d_name, name) != std::string::npos ||
        name.find('\\') != std::string::npos || !MatchesMask(name, state.mask)) {
      continue;
    }
    struct stat st;
    if (::lstat((state.folder + entry->d_name).c_str(), &st) != 0) continue;
    data.dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    data.nFileSize = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    data.cFileName = std::move(name);
    return true;
  }
  return false;
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
  return mask == "*.*" || Match(name, mask);
}

FindHandle FindFirstFileA(std::string_view pattern, FindData& data) {
  const size_t cut = pattern.find_last_of("\\/");
  const std::string_view folder = cut == std::string_view::npos ? "." : pattern.substr(0, cut + 1);
  FindHandle find(new FindState);
  find->folder = SysPath(folder);
  if (find->folder.back() != '/') find->folder += '/';
  find->mask = std::string(cut == std::string_view::npos ? pattern : pattern.substr(cut + 1));
  find->dir = ::opendir(find->folder.c_str());
  if (find->dir == nullptr) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return {};
  }
  if (!ReadNext(*find, data)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return {};
  }
  return find;
}

bool FindNextFileA(FindHandle& find, FindData& data) {
  if (!find) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!ReadNext(*find, data)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return false;
  }
  return true;
}
