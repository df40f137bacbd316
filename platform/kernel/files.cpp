#include "platform/kernel/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_object.h"
#include "platform/kernel/last_error.h"

FileObject::~FileObject() { Close(); }

bool FileObject::Close() {
  if (fd < 0) return true;
  const int result = ::close(fd);
  fd = -1;
  return result == 0 || FailWithErrno();
}

FileObject* AsFile(HANDLE handle) {
  auto* file = dynamic_cast<FileObject*>(handle);
  if (file != nullptr && file->fd >= 0) return file;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

namespace {

HANDLE Fail(uint32_t code) {
  SetLastError(code);
  return nullptr;
}

bool FailBool(uint32_t code) {
  SetLastError(code);
  return false;
}

// The share modes as whole-file locks: sharing both ways needs no lock,
// reading while others read is a shared lock, anything else is exclusive.
int LockFor(uint32_t access, uint32_t share_mode) {
  if ((share_mode & FILE_SHARE_READ) && (share_mode & FILE_SHARE_WRITE)) return 0;
  if (!(access & GENERIC_WRITE) && (share_mode & FILE_SHARE_READ)) return LOCK_SH;
  return LOCK_EX;
}

// The platform tells a missing folder from a missing file.
bool ParentExists(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  if (cut == std::string::npos || cut == 0) return true;
  struct stat st;
  return ::stat(path.substr(0, cut).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

HANDLE CreateFileA(std::string_view file_name, uint32_t desired_access, uint32_t share_mode,
                   uint32_t creation_disposition, uint32_t flags_and_attributes) {
  const bool write = desired_access & GENERIC_WRITE;
  const bool read = (desired_access & GENERIC_READ) || !write;
  const bool no_follow = flags_and_attributes & FILE_FLAG_OPEN_REPARSE_POINT;
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (no_follow ? O_NOFOLLOW : 0) |
              (read && write ? O_RDWR
               : write       ? O_WRONLY
                             : O_RDONLY);
  bool truncate = false;
  switch (creation_disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS:
      flags |= O_CREAT;
      truncate = true;
      break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING:
      if (!write) return Fail(ERROR_INVALID_PARAMETER);
      truncate = true;
      break;
    default: return Fail(ERROR_INVALID_PARAMETER);
  }

  const std::string path = SysPath(file_name);
  struct stat st;
  const bool existed = (no_follow ? ::lstat(path.c_str(), &st) : ::stat(path.c_str(), &st)) == 0;
  if (existed) {
    if (S_ISLNK(st.st_mode)) return Fail(ERROR_STOPPED_ON_SYMLINK);
    if (!S_ISREG(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (creation_disposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS);
    // Root could write it; the platform refuses.
    if (write && !(st.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
  }

  // Non-blocking, so that a FIFO put in a file's place cannot hang the open.
  const int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return Fail(ERROR_FILE_EXISTS);
    // A link put in the name's place since the look above.
    if (errno == ELOOP && no_follow) return Fail(ERROR_STOPPED_ON_SYMLINK);
    if (errno == EISDIR) return Fail(ERROR_ACCESS_DENIED);
    if (errno == ENOENT && !ParentExists(path)) return Fail(ERROR_PATH_NOT_FOUND);
    FailWithErrno();
    return nullptr;
  }
  FileObject* file = new FileObject(fd, desired_access & (GENERIC_READ | GENERIC_WRITE));
  UniqueHandle guard(file);
  if (::fstat(fd, &st) != 0) {
    FailWithErrno();
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    FailWithErrno();
    return nullptr;
  }
  if (const int lock = LockFor(desired_access, share_mode);
      lock != 0 && ::flock(fd, lock | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return Fail(ERROR_SHARING_VIOLATION);
    FailWithErrno();
    return nullptr;
  }
  // Only now, under the lock: a file that is in use must not lose its content.
  if (truncate && ::ftruncate(fd, 0) != 0) {
    FailWithErrno();
    return nullptr;
  }
  const bool reports_existing =
      creation_disposition == CREATE_ALWAYS || creation_disposition == OPEN_ALWAYS;
  SetLastError(existed && reports_existing ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return guard.release();
}

bool ReadFile(HANDLE handle, void* buffer, uint32_t to_read, uint32_t* read) {
  if (read != nullptr) *read = 0;
  FileObject* file = AsFile(handle);
  if (file == nullptr) return false;
  if (!(file->access & GENERIC_READ)) return FailBool(ERROR_ACCESS_DENIED);
  auto* out = static_cast<char*>(buffer);
  uint32_t done = 0;
  while (done < to_read) {
    const ssize_t n = ::read(file->fd, out + done, to_read - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FailWithErrno();
    if (n == 0) break;
    done += static_cast<uint32_t>(n);
    if (read != nullptr) *read = done;
  }
  return true;
}

bool WriteFile(HANDLE handle, const void* buffer, uint32_t to_write, uint32_t* written) {
  if (written != nullptr) *written = 0;
  FileObject* file = AsFile(handle);
  if (file == nullptr) return false;
  if (!(file->access & GENERIC_WRITE)) return FailBool(ERROR_ACCESS_DENIED);
  const auto* in = static_cast<const char*>(buffer);
  uint32_t done = 0;
  while (done < to_write) {
    const ssize_t n = ::write(file->fd, in + done, to_write - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FailWithErrno();
    done += static_cast<uint32_t>(n);
    if (written != nullptr) *written = done;
  }
  return true;
}

uint32_t GetFileSize(HANDLE handle, uint32_t* size_high) {
  FileObject* file = AsFile(handle);
  if (file == nullptr) return INVALID_FILE_SIZE;
  struct stat st;
  if (::fstat(file->fd, &st) != 0) {
    FailWithErrno();
    return INVALID_FILE_SIZE;
  }
  const auto size = static_cast<uint64_t>(st.st_size);
  if (size_high != nullptr) *size_high = static_cast<uint32_t>(size >> 32);
  // The low half may itself be INVALID_FILE_SIZE: the last error tells.
  SetLastError(ERROR_SUCCESS);
  return static_cast<uint32_t>(size);
}

uint32_t SetFilePointer(HANDLE handle, int32_t distance, int32_t* distance_high, uint32_t method) {
  FileObject* file = AsFile(handle);
  if (file == nullptr) return INVALID_SET_FILE_POINTER;
  const int64_t offset =
      distance_high == nullptr
          ? distance
          : static_cast<int64_t>(
                (static_cast<uint64_t>(static_cast<uint32_t>(*distance_high)) << 32) |
                static_cast<uint32_t>(distance));
  const int whence = method == FILE_BEGIN     ? SEEK_SET
                     : method == FILE_CURRENT ? SEEK_CUR
                     : method == FILE_END     ? SEEK_END
                                              : -1;
  if (whence < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  const off_t position = ::lseek(file->fd, offset, whence);
  if (position < 0) {
    FailWithErrno();
    return INVALID_SET_FILE_POINTER;
  }
  if (distance_high != nullptr) {
    *distance_high = static_cast<int32_t>(static_cast<uint64_t>(position) >> 32);
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<uint32_t>(position);
}

bool SetEndOfFile(HANDLE handle) {
  FileObject* file = AsFile(handle);
  if (file == nullptr) return false;
  if (!(file->access & GENERIC_WRITE)) return FailBool(ERROR_ACCESS_DENIED);
  const off_t position = ::lseek(file->fd, 0, SEEK_CUR);
  if (position < 0 || ::ftruncate(file->fd, position) != 0) return FailWithErrno();
  return true;
}
