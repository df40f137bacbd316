#include "platform/crypt/detail/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/kernel/last_error.h"

namespace crypt_detail {
namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

std::string Parent(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool WriteFileAtomic(const std::string& path, std::string_view data, mode_t mode) {
  std::string temp = path + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return FailWithErrno();
  const bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
  const int saved = errno;
  ::close(fd);
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    const int error = ok ? errno : saved;
    ::unlink(temp.c_str());
    errno = error;
    return FailWithErrno();
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string* data) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailWithErrno();
  data->clear();
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int saved = errno;
      ::close(fd);
      errno = saved;
      return FailWithErrno();
    }
    if (got == 0) break;
    data->append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return true;
}

bool RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  return FailWithErrno();
}

bool IsWritableFolder(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (::access(path.c_str(), W_OK | X_OK) != 0) return false;
  return ::geteuid() != 0 || (st.st_mode & S_IWUSR) != 0;
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EnsureFolder(const std::string& path) {
  if (FolderExists(path)) return true;
  const std::string parent = Parent(path);
  if (parent != path && !EnsureFolder(parent)) return false;
  if (!IsWritableFolder(parent)) {
    errno = EACCES;
    return FailWithErrno();
  }
  if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return FailWithErrno();
  return true;
}

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace crypt_detail
