#include "platform/shell/file_version.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The key followed by the signature. Put together at run time, so that this
// code's own constants never read as a resource.
std::string ResourceNeedle() {
  static const char16_t kKey[16] = u"VS_VERSION_INFO";
  std::string needle;
  for (char16_t c : kKey) {
    needle.push_back(static_cast<char>(c & 0xFF));
    needle.push_back(static_cast<char>(c >> 8));
  }
  for (int shift = 0; shift < 32; shift += 8) {
    needle.push_back(static_cast<char>((VS_FFI_SIGNATURE >> shift) & 0xFF));
  }
  return needle;
}

uint32_t ReadLe32(const char* bytes) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

// Scans the file in chunks that overlap by one block, so a block across a
// chunk border is still seen whole.
bool FindFixedInfo(std::string_view path, VS_FIXEDFILEINFO& info) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(SysPath(path).c_str(), "rb"));
  if (!file) return FailWithErrno();
  const std::string needle = ResourceNeedle();
  const size_t key_size = needle.size() - 4;
  const size_t block_size = key_size + sizeof(VS_FIXEDFILEINFO);
  constexpr size_t kChunk = 1 << 20;
  std::vector<char> buffer(kChunk + block_size);
  size_t kept = 0;
  for (;;) {
    size_t got = std::fread(buffer.data() + kept, 1, buffer.size() - kept, file.get());
    size_t filled = kept + got;
    for (size_t at = 0; at + block_size <= filled; ++at) {
      const void* hit = memmem(buffer.data() + at, filled - at, needle.data(), needle.size());
      if (hit == nullptr) break;
      at = static_cast<const char*>(hit) - buffer.data();
      if (at + block_size > filled) break;
      const char* fixed = buffer.data() + at + key_size;
      if (ReadLe32(fixed + 4) != VS_FFI_STRUCVERSION) continue;
      uint32_t* fields = &info.dwSignature;
      for (size_t i = 0; i < sizeof info / 4; ++i) fields[i] = ReadLe32(fixed + 4 * i);
      return true;
    }
    if (got == 0) break;
    kept = std::min(filled, block_size - 1);
    std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
  }
  if (std::ferror(file.get())) return FailWithErrno();
  SetLastError(ERROR_NOT_FOUND);
  return false;
}

}  // namespace

uint32_t GetFileVersionInfoSizeA(std::string_view path, uint32_t* handle) {
  if (handle) *handle = 0;
  VS_FIXEDFILEINFO info;
  return FindFixedInfo(path, info) ? sizeof info : 0;
}

bool GetFileVersionInfoA(std::string_view path, uint32_t /*handle*/, uint32_t size, void* data) {
  VS_FIXEDFILEINFO info;
  if (!FindFixedInfo(path, info)) return false;
  if (size < sizeof info) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  std::memcpy(data, &info, sizeof info);
  return true;
}

bool VerQueryValueA(const void* block, std::string_view sub_block, void** value, uint32_t* length) {
  if (sub_block != "\\") {
    SetLastError(ERROR_NOT_FOUND);
    return false;
  }
  *value = const_cast<void*>(block);
  *length = sizeof(VS_FIXEDFILEINFO);
  return true;
}
