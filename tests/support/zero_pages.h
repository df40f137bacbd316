// Content of gigabytes that costs no memory: a private anonymous mapping
// reads as zero bytes, and only the pages a test writes take memory.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <string_view>

class ZeroPages {
 public:
  explicit ZeroPages(size_t size)
      : size_(size),
        data_(::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0)) {}
  ~ZeroPages() {
    if (data_ != MAP_FAILED) ::munmap(data_, size_);
  }
  ZeroPages(const ZeroPages&) = delete;
  ZeroPages& operator=(const ZeroPages&) = delete;

  bool Mapped() const { return data_ != MAP_FAILED; }
  char* Data() const { return static_cast<char*>(data_); }
  std::string_view View() const { return {Data(), size_}; }

 private:
  size_t size_;
  void* data_;
};
