#include "platform/kernel/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

bool Fail(uint32_t code) {
  SetLastError(code);
  return false;
}

uint32_t AttributesOf(const struct stat& st) {
  uint32_t attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

}  // namespace

uint32_t GetFileAttributesA(std::string_view path) {
  struct stat st;
  if (::lstat(SysPath(path).c_str(), &st) != 0) {
    FailWithErrno();
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(st);
}

bool SetFileAttributesA(std::string_view path, uint32_t attributes) {
  const std::string sys = SysPath(path);
  struct stat st;
  if (::lstat(sys.c_str(), &st) != 0) return FailWithErrno();
  if (S_ISLNK(st.st_mode)) return true;  // links carry no mode of their own
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) ? mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)
                                                : mode | S_IWUSR;
  if (::chmod(sys.c_str(), mode) != 0) return FailWithErrno();
  return true;
}

bool DeleteFileA(std::string_view path) {
  const std::string sys = SysPath(path);
  struct stat st;
  if (::lstat(sys.c_str(), &st) != 0) return FailWithErrno();
  if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
  if (::unlink(sys.c_str()) != 0) return FailWithErrno();
  return true;
}

bool CreateDirectoryA(std::string_view path) {
  if (::mkdir(SysPath(path).c_str(), 0777) != 0) return FailWithErrno();
  return true;
}

bool RemoveDirectoryA(std::string_view path) {
  const std::string sys = SysPath(path);
  struct stat st;
  if (::lstat(sys.c_str(), &st) != 0) return FailWithErrno();
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  if (::rmdir(sys.c_str()) != 0) return FailWithErrno();
  return true;
}
