#include "platform/shell/file_version.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "platform/shell/version_resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

TARVEX_VERSION_RESOURCE(2, 7, 13, 65535);

namespace {

struct Version {
  uint32_t ms = 0;
  uint32_t ls = 0;
  bool operator==(const Version&) const = default;
};

// Reads a version as the editor does: size, block, root value.
Version ReadVersion(const std::string& path) {
  uint32_t handle = 7;
  uint32_t size = GetFileVersionInfoSizeA(path, &handle);
  EXPECT_EQ(handle, 0u);
  if (size == 0) return {};
  std::string block(size, '\0');
  void* value = nullptr;
  uint32_t length = 0;
  if (!GetFileVersionInfoA(path, handle, size, block.data()) ||
      !VerQueryValueA(block.data(), "\\", &value, &length)) {
    return {};
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
  return {fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

// The block as an executable carries it, little-endian.
std::string Block(uint32_t struc_version, uint32_t ms, uint32_t ls) {
  std::string bytes;
  for (char c : std::string("VS_VERSION_INFO")) bytes += std::string{c, '\0'};
  bytes += std::string(2, '\0');
  for (uint32_t field : {VS_FFI_SIGNATURE, struc_version, ms, ls, ms, ls}) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(field >> shift));
  }
  return bytes;
}

TEST(FileVersionTest, ReadsTheBlockEmbeddedInThisExecutable) {
  EXPECT_EQ(ReadVersion("/proc/self/exe"), (Version{0x00020007, 0x000DFFFF}));
}

TEST(FileVersionTest, FindsABlockAcrossAChunkBorderAfterAFalseStart) {
  TempDir dir;
  // A key and signature with a wrong structure version first, then the real
  // block straddling the first megabyte.
  std::string bytes = "MZ" + Block(0x12345678, 9, 9);
  bytes += std::string((1 << 20) + 56 - 20 - bytes.size(), 'x');  // first read: 1 MiB + 56
  bytes += Block(VS_FFI_STRUCVERSION, 0x00010002, 0x00030004) + "tail";
  WriteBytes(dir.File("app"), bytes);
  EXPECT_EQ(ReadVersion(dir.File("app")), (Version{0x00010002, 0x00030004}));
}

TEST(FileVersionTest, FileWithoutBlockOrMissingFileHasNoSize) {
  TempDir dir;
  WriteBytes(dir.File("plain"), "no version here" + Block(VS_FFI_STRUCVERSION, 1, 2).substr(0, 40));
  uint32_t handle = 0;
  EXPECT_EQ(GetFileVersionInfoSizeA(dir.File("plain"), &handle), 0u);
  EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
  EXPECT_EQ(GetFileVersionInfoSizeA(dir.File("missing"), &handle), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileVersionTest, OnlyTheRootValueExistsAndASmallBufferIsRefused) {
  VS_FIXEDFILEINFO info{};
  void* value = nullptr;
  uint32_t length = 0;
  EXPECT_FALSE(VerQueryValueA(&info, "\\StringFileInfo", &value, &length));
  char small[4];
  EXPECT_FALSE(GetFileVersionInfoA("/proc/self/exe", 0, sizeof small, small));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace
