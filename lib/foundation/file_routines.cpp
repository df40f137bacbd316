#include "lib/foundation/file_routines.h"

#include <algorithm>

#include "lib/foundation/errors.h"
#include "lib/foundation/find_files.h"
#include "lib/foundation/maped_file.h"
#include "lib/foundation/path_routines.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/files.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr uint32_t kEveryEntry = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                 FILE_ATTRIBUTE_ARCHIVE;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WithoutTrailingSeparator(std::string path) {
  if (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
  return path;
}

// A folder that may be walked: a symbolic link to one is not, since what
// it points to lies outside the tree being deleted.
bool IsRealFolder(const std::string& folder_with_separator) {
  const uint32_t attributes = GetFileAttributesA(WithoutTrailingSeparator(folder_with_separator));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<FindData> Entries(const std::string& folder_with_separator) {
  std::vector<FindData> entries = FindFiles(folder_with_separator + "*.*", kEveryEntry);
  std::erase_if(entries,
                [](const FindData& e) { return e.cFileName == "." || e.cFileName == ".."; });
  return entries;
}

bool ClearReadOnly(const std::string& path) {
  const uint32_t attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  return SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool DeleteItem(bool is_folder, const std::string& path, DeleteFailureProc on_failure,
                void* user_value) {
  const std::string p = WithoutTrailingSeparator(path);
  const bool deleted = ClearReadOnly(p) && (is_folder ? RemoveDirectoryA(p) : DeleteFileA(p));
  if (!deleted && on_failure != nullptr) on_failure(is_folder, p, user_value);
  return deleted;
}

bool DeleteContent(const std::string& folder, DeleteFailureProc on_failure, void* user_value) {
  bool result = true;
  for (const FindData& entry : Entries(folder)) {
    const std::string path = folder + entry.cFileName;
    const bool deleted = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                             ? DeleteDirectory(path, on_failure, user_value)
                             : DeleteItem(false, path, on_failure, user_value);
    result = result && deleted;
  }
  return result;
}

}  // namespace

bool ForceDeleteFile(const std::string& file_name) {
  return ClearReadOnly(file_name) && DeleteFileA(file_name);
}

bool DeleteDirectory(const std::string& folder, DeleteFailureProc on_failure, void* user_value) {
  const std::string f = AddTrailingBackslash(folder);
  if (f.empty()) return false;
  bool result = true;
  if (IsRealFolder(f)) {
    // Here a folder without its write bit would keep its content; on the
    // platform the attribute does not protect what is inside.
    ClearReadOnly(WithoutTrailingSeparator(f));
    result = DeleteContent(f, on_failure, user_value);
  }
  // A link in the folder's place is not walked; removing it as a folder fails.
  return DeleteItem(true, f, on_failure, user_value) && result;
}

bool ClearDirectory(const std::string& folder, DeleteFailureProc on_failure, void* user_value) {
  const std::string f = AddTrailingBackslash(folder);
  if (f.empty()) return false;
  if (IsRealFolder(f)) return DeleteContent(f, on_failure, user_value);
  if (GetFileAttributesA(WithoutTrailingSeparator(f)) == INVALID_FILE_ATTRIBUTES) return true;
  // Something else stands in the folder's place: it cannot be cleared.
  if (on_failure != nullptr) on_failure(true, WithoutTrailingSeparator(f), user_value);
  return false;
}

void DeleteTree(const std::string& folder) {
  const std::string f = AddTrailingBackslash(folder);
  // An empty name would otherwise walk the current folder.
  if (f.empty() || !IsRealFolder(f)) return;
  for (const FindData& entry : Entries(f)) {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      DeleteTree(f + entry.cFileName);
    } else {
      DeleteFileA(f + entry.cFileName);
    }
  }
  RemoveDirectoryA(WithoutTrailingSeparator(f));
}

std::string LoadFileToString(const std::string& file_name) {
  const uint32_t attributes = GetFileAttributesA(file_name);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    RaiseErrorFmt("Файл не найден: [%s]", {file_name});
  }
  UniqueHandle file(CreateFileA(file_name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN));
  if (!file) RaiseLastOSError();
  uint32_t size_high = 0;
  const uint32_t size = GetFileSize(file.get(), &size_high);
  if (size == INVALID_FILE_SIZE && GetLastError() != 0) RaiseLastOSError();
  if (size_high != 0) RaiseError("Файл слишком велик!");
  std::string content(size, '\0');
  uint32_t read = 0;
  if (!ReadFile(file.get(), content.data(), size, &read)) RaiseLastOSError();
  content.resize(read);
  return content;
}

void WriteStringToFile(const std::string& file_name, const std::string& data) {
  if (file_name.empty()) RaiseError("Передано пустое имя файла");
  HANDLE file =
      CreateFileA(file_name, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  if (file == nullptr) RaiseLastOSError();
  size_t done = 0;
  bool ok = true;
  while (ok && done < data.size()) {
    const auto chunk = static_cast<uint32_t>(std::min<size_t>(data.size() - done, 1u << 30));
    uint32_t written = 0;
    ok = WriteFile(file, data.data() + done, chunk, &written);
    done += written;
  }
  uint32_t error = ok ? 0 : GetLastError();
  // A failing close may mean the bytes never reached the disk.
  if (!CloseHandle(file) && ok) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) {
    SetLastError(error);
    // Beyond the process's size limit the file is named: the system text
    // alone does not say which file it was.
    if (error == ERROR_FILE_TOO_LARGE) {
      RaiseErrorFmt("Не удалось записать файл [%0:s]: %1:s", {file_name, LastErrorText()});
    }
    RaiseLastOSError();
  }
}

void WriteBufferToFileMapped(const std::string& file_name, const void* buffer, size_t size) {
  CMapedFile file;
  file.OpenForWrite(file_name, size);
  file.Write(buffer, size);
  file.Close();
}

void ListFiles(const std::string& folder, const std::string& mask, CStrArray& list,
               uint32_t attributes) {
  const std::string base = AddTrailingBackslash(folder);
  if (base.empty()) return;
  for (const FindData& entry : FindFiles(base + mask, attributes)) list.Add(entry.cFileName);
}

void DeleteFilesByMask(const std::string& folder, const std::string& mask) {
  const std::string base = AddTrailingBackslash(folder);
  if (base.empty()) return;
  CStrArray names;
  ListFiles(base, mask, names,
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                FILE_ATTRIBUTE_ARCHIVE);
  for (int i = 0; i < names.Count(); ++i) DeleteFileA(base + names.GetString(i));
}
