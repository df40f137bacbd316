#include "platform/com/registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>
#include <string_view>
#include <vector>

#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/user_folders.h"

struct RegKey {
  std::string path;  // cp1251, levels joined by "\", empty for the root
};

namespace {

RegKey classes_root{};

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string RootFolder() {
  std::string root = Variable("TARVEX_COM_REGISTRY_ROOT");
  if (root.empty()) {
    const std::string data_home = UserDataHome();
    if (data_home.empty()) return {};
    root = data_home + "/tarvex/registry";
  }
  return WithoutTrailingSlash(root) + "/HKEY_CLASSES_ROOT";
}

bool ValidLevel(std::string_view level) {
  return !level.empty() && level != "." && level != ".." && level.find('/') == level.npos &&
         level.front() != '=';
}

// Joins `subkey` to the parent's path; false for a name the layout cannot keep.
bool JoinKey(HKEY parent, const char* subkey, std::string* path) {
  if (parent == nullptr) return false;
  *path = parent->path;
  std::string_view rest = subkey != nullptr ? subkey : "";
  while (!rest.empty()) {
    const size_t end = rest.find('\\');
    const std::string_view level = rest.substr(0, end);
    if (!ValidLevel(level)) return false;
    if (!path->empty()) *path += '\\';
    *path += level;
    if (end == rest.npos) break;
    rest = rest.substr(end + 1);
    if (rest.empty()) return false;  // a trailing separator names no level
  }
  return true;
}

// Empty when there is no root folder.
std::string KeyFolder(const std::string& path) {
  std::string folder = RootFolder();
  if (folder.empty()) return folder;
  if (!path.empty()) {
    // Appended apart: GCC 12 at -O3 sees an overlap in "/" + text.
    folder += '/';
    folder += SysPath(path);
  }
  return folder;
}

std::string ValueFile(HKEY key, const char* name) {
  return KeyFolder(key->path) + "/=" + AnsiToUtf8(name != nullptr ? name : "");
}

bool IsFolder(const std::string& folder) {
  struct stat info {};
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int32_t MakeFolders(const std::string& folder) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return ErrnoToSystemError(errno);
  }
  return IsFolder(folder) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

int32_t NewKey(std::string path, HKEY* result) {
  *result = new (std::nothrow) RegKey{std::move(path)};
  return *result != nullptr ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

// The temporary file lives beside the HKEY_CLASSES_ROOT folder, where no
// key or value name can meet it, and is renamed into place.
int32_t WriteWhole(const std::string& file, std::string_view bytes) {
  std::string temporary = RootFolder() + ".value-XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return ErrnoToSystemError(errno);
  fchmod(fd, 0644);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0) {
      const int error = errno;
      close(fd);
      unlink(temporary.c_str());
      return ErrnoToSystemError(error);
    }
    done += static_cast<size_t>(written);
  }
  if (close(fd) != 0 || rename(temporary.c_str(), file.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    return ErrnoToSystemError(error);
  }
  return ERROR_SUCCESS;
}

bool ReadWhole(const std::string& file, std::string* bytes) {
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes->clear();
  char buffer[4096];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) > 0)
    bytes->append(buffer, static_cast<size_t>(got));
  close(fd);
  return got == 0;
}

}  // namespace

const HKEY HKEY_CLASSES_ROOT = &classes_root;

int32_t RegCreateKeyA(HKEY parent, const char* subkey, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string path;
  if (!JoinKey(parent, subkey, &path)) return ERROR_INVALID_NAME;
  const std::string folder = KeyFolder(path);
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  if (const int32_t error = MakeFolders(folder); error != ERROR_SUCCESS) return error;
  return NewKey(std::move(path), result);
}

int32_t RegOpenKeyA(HKEY parent, const char* subkey, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string path;
  if (!JoinKey(parent, subkey, &path)) return ERROR_INVALID_NAME;
  const std::string folder = KeyFolder(path);
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  if (!IsFolder(folder)) return ERROR_FILE_NOT_FOUND;
  return NewKey(std::move(path), result);
}

int32_t RegCloseKey(HKEY key) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if (key != HKEY_CLASSES_ROOT) delete key;
  return ERROR_SUCCESS;
}

int32_t RegSetValueExA(HKEY key, const char* name, uint32_t, uint32_t type, const uint8_t* data,
                       uint32_t size) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if (type != REG_SZ || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
  if (name != nullptr && std::string_view(name).find('/') != std::string_view::npos) {
    return ERROR_INVALID_NAME;
  }
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  const std::string folder = KeyFolder(key->path);
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  if (!IsFolder(folder)) return ERROR_FILE_NOT_FOUND;
  return WriteWhole(ValueFile(key, name), text);
}

int32_t RegQueryValueExA(HKEY key, const char* name, uint32_t*, uint32_t* type, uint8_t* data,
                         uint32_t* size) {
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  if (KeyFolder(key->path).empty()) return ERROR_PATH_NOT_FOUND;
  std::string text;
  if (!ReadWhole(ValueFile(key, name), &text)) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = REG_SZ;
  const uint32_t needed = static_cast<uint32_t>(text.size() + 1);
  if (size == nullptr) return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
  const uint32_t room = *size;
  *size = needed;
  if (data == nullptr) return ERROR_SUCCESS;
  if (room < needed) return ERROR_MORE_DATA;
  text.copy(reinterpret_cast<char*>(data), text.size());
  data[text.size()] = 0;
  return ERROR_SUCCESS;
}

int32_t RegDeleteKeyA(HKEY parent, const char* subkey) {
  std::string path;
  if (!JoinKey(parent, subkey, &path) || path.empty()) return ERROR_INVALID_NAME;
  const std::string folder = KeyFolder(path);
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrnoToSystemError(errno);
  std::vector<std::string> values;
  bool has_subkeys = false;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view entry_name = entry->d_name;
    if (entry_name == "." || entry_name == "..") continue;
    if (entry_name.front() == '=') {
      values.emplace_back(entry_name);
    } else {
      has_subkeys = true;
    }
  }
  closedir(dir);
  if (has_subkeys) return ERROR_ACCESS_DENIED;
  for (const std::string& value : values) unlink((folder + "/" + value).c_str());
  if (rmdir(folder.c_str()) != 0) return ErrnoToSystemError(errno);
  return ERROR_SUCCESS;
}
