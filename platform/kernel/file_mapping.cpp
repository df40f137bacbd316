#include "platform/kernel/file_mapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_object.h"
#include "platform/kernel/files.h"
#include "platform/kernel/last_error.h"

namespace {

struct MappingObject : KernelObject {
  MappingObject(int descriptor, uint64_t length, bool can_write)
      : fd(descriptor), size(length), writable(can_write) {}
  ~MappingObject() override { ::close(fd); }

  int fd;  // a duplicate: the mapping keeps the file open on its own
  uint64_t size;
  bool writable;
};

// The process's views and their lengths, as the kernel keeps them: unmapping
// names only the address.
class ViewTable {
 public:
  void Add(void* view, size_t length) {
    std::lock_guard lock(mutex_);
    views_[view] = length;
  }
  bool Take(const void* view, size_t& length) {
    std::lock_guard lock(mutex_);
    const auto it = views_.find(const_cast<void*>(view));
    if (it == views_.end()) return false;
    length = it->second;
    views_.erase(it);
    return true;
  }

 private:
  std::mutex mutex_;
  std::map<void*, size_t> views_;
};

ViewTable& Views() {
  static ViewTable table;
  return table;
}

uint64_t Join(uint32_t high, uint32_t low) { return (static_cast<uint64_t>(high) << 32) | low; }

bool Fail(uint32_t code) {
  SetLastError(code);
  return false;
}

// Makes the file `size` bytes long with its blocks allocated, so that a full
// disk is reported now rather than as a fault on a write to the view.
bool Extend(int fd, uint64_t size) {
  const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
  if (error == 0) return true;
  if (error != EOPNOTSUPP && error != EINVAL) {
    SetLastError(ErrnoToSystemError(error));
    return false;
  }
  return ::ftruncate(fd, static_cast<off_t>(size)) == 0 || FailWithErrno();
}

}  // namespace

HANDLE CreateFileMappingA(HANDLE handle, uint32_t protect, uint32_t size_high, uint32_t size_low) {
  FileObject* file = AsFile(handle);
  if (file == nullptr) return nullptr;
  const uint64_t size = Join(size_high, size_low);
  const bool writable = protect == PAGE_READWRITE;
  if (size == 0 || (!writable && protect != PAGE_READONLY)) {
    Fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const uint32_t needed = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  if ((file->access & needed) != needed) {
    Fail(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  struct stat st;
  if (::fstat(file->fd, &st) != 0) {
    FailWithErrno();
    return nullptr;
  }
  if (static_cast<uint64_t>(st.st_size) < size) {
    if (!writable) {
      Fail(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (!Extend(file->fd, size)) return nullptr;
  }
  const int fd = ::fcntl(file->fd, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) {
    FailWithErrno();
    return nullptr;
  }
  return new MappingObject(fd, size, writable);
}

void* MapViewOfFile(HANDLE handle, uint32_t access, uint32_t offset_high, uint32_t offset_low,
                    size_t bytes) {
  auto* mapping = dynamic_cast<MappingObject*>(handle);
  if (mapping == nullptr) {
    Fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const uint64_t offset = Join(offset_high, offset_low);
  const bool write = access & FILE_MAP_WRITE;
  if (write && !mapping->writable) {
    Fail(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const auto page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  if (offset % page != 0 || offset >= mapping->size ||
      (bytes != 0 && bytes > mapping->size - offset)) {
    Fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const size_t length = bytes != 0 ? bytes : static_cast<size_t>(mapping->size - offset);
  void* view = ::mmap(nullptr, length, write ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED,
                      mapping->fd, static_cast<off_t>(offset));
  if (view == MAP_FAILED) {
    FailWithErrno();
    return nullptr;
  }
  Views().Add(view, length);
  return view;
}

bool UnmapViewOfFile(const void* view) {
  size_t length = 0;
  if (!Views().Take(view, length)) return Fail(ERROR_INVALID_PARAMETER);
  if (::munmap(const_cast<void*>(view), length) != 0) return FailWithErrno();
  return true;
}
