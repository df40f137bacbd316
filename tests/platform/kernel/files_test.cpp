#include "platform/kernel/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_mapping.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/last_error.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

UniqueHandle Open(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition) {
  return UniqueHandle(CreateFileA(path, access, share, disposition, FILE_ATTRIBUTE_NORMAL));
}

constexpr uint32_t kReadWrite = GENERIC_READ | GENERIC_WRITE;

}  // namespace

TEST(CreateFile, DispositionsOnMissingAndExistingFiles) {
  struct Case {
    uint32_t disposition;
    bool opens_missing;  // and creates it
    bool opens_existing;
    uint32_t existing_error;    // on success: the last error left
    std::string content_after;  // of an existing "old"
  } cases[] = {
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
      {OPEN_EXISTING, false, true, ERROR_SUCCESS, "old"},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
      {TRUNCATE_EXISTING, false, true, ERROR_SUCCESS, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.disposition);
    TempDir dir;
    const std::string missing = dir.File("new.bin"), existing = dir.File("old.bin");
    WriteBytes(existing, "old");
    EXPECT_EQ(static_cast<bool>(Open(missing, kReadWrite, 0, c.disposition)), c.opens_missing);
    if (!c.opens_missing) {
      EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    }
    EXPECT_EQ(std::filesystem::exists(missing), c.opens_missing);
    UniqueHandle file = Open(existing, kReadWrite, 0, c.disposition);
    EXPECT_EQ(static_cast<bool>(file), c.opens_existing);
    EXPECT_EQ(GetLastError(), c.existing_error);
    file.reset();
    EXPECT_EQ(ReadBytes(existing), c.content_after);
  }
}

TEST(CreateFile, ShareModesExcludeEachOther) {
  TempDir dir;
  const std::string path = dir.File("a.bin");
  WriteBytes(path, "abc");
  {
    UniqueHandle reader = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_FALSE(Open(path, kReadWrite, 0, OPEN_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    // Refused before the truncation: the content of a file in use stays.
    EXPECT_FALSE(Open(path, kReadWrite, 0, CREATE_ALWAYS));
    EXPECT_EQ(ReadBytes(path), "abc");
  }
  UniqueHandle writer = Open(path, kReadWrite, 0, OPEN_EXISTING);
  ASSERT_TRUE(writer);
  EXPECT_FALSE(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  writer.reset();
  EXPECT_TRUE(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
}

TEST(CreateFile, RefusesFoldersSpecialFilesAndWritingReadOnlyFiles) {
  TempDir dir;
  EXPECT_FALSE(Open(dir.Path(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  EXPECT_FALSE(Open(fifo, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));  // and does not hang
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  const std::string locked = dir.File("ro.bin");
  WriteBytes(locked, "keep");
  ASSERT_TRUE(SetFileAttributesA(locked, FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(Open(locked, kReadWrite, 0, CREATE_ALWAYS));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadBytes(locked), "keep");
  EXPECT_TRUE(Open(locked, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));

  EXPECT_FALSE(Open(dir.File("none/x.bin"), kReadWrite, 0, CREATE_ALWAYS));
  EXPECT_FALSE(Open(dir.File("x.bin"), kReadWrite, 0, 99));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CreateFile, TheReparsePointFlagRefusesALinkAndLeavesWhatItNamesAlone) {
  TempDir dir, outside;
  const std::string file = outside.File("file.bin"), missing = outside.File("missing.bin");
  WriteBytes(file, "old");
  const std::string link = dir.File("link");
  for (const std::string& target : {file, outside.Path(), missing}) {
    for (const uint32_t disposition :
         {CREATE_NEW, CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING}) {
      SCOPED_TRACE(target + " " + std::to_string(disposition));
      std::filesystem::remove(link);
      std::filesystem::create_symlink(target, link);
      EXPECT_FALSE(CreateFileA(link, kReadWrite, 0, disposition, FILE_FLAG_OPEN_REPARSE_POINT));
      EXPECT_EQ(GetLastError(), ERROR_STOPPED_ON_SYMLINK);
    }
  }
  EXPECT_EQ(ReadBytes(file), "old");
  EXPECT_FALSE(std::filesystem::exists(missing));
  // The flag changes nothing else: a file is opened, and without it a link is
  // followed as before.
  EXPECT_TRUE(
      UniqueHandle(CreateFileA(file, kReadWrite, 0, CREATE_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT)));
  std::filesystem::remove(link);
  std::filesystem::create_symlink(file, link);
  EXPECT_TRUE(Open(link, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
}

TEST(CreateFile, NamesAreCp1251) {
  TempDir dir;
  // "файл.txt" in cp1251.
  const std::string name = "\xF4\xE0\xE9\xEB.txt";
  ASSERT_TRUE(Open(dir.Path() + "\\" + name, kReadWrite, 0, CREATE_ALWAYS));
  EXPECT_TRUE(std::filesystem::exists(dir.File("\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.txt")));
}

TEST(FileHandle, ReadWriteSeekSizeAndCut) {
  TempDir dir;
  const std::string path = dir.File("a.bin");
  UniqueHandle file = Open(path, kReadWrite, 0, CREATE_ALWAYS);
  ASSERT_TRUE(file);
  uint32_t done = 0;
  ASSERT_TRUE(WriteFile(file.get(), "0123456789", 10, &done));
  EXPECT_EQ(done, 10u);
  uint32_t high = 7;
  EXPECT_EQ(GetFileSize(file.get(), &high), 10u);
  EXPECT_EQ(high, 0u);

  EXPECT_EQ(SetFilePointer(file.get(), -4, nullptr, FILE_END), 6u);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &done));
  EXPECT_EQ(std::string(buffer, done), "6789");
  ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &done));
  EXPECT_EQ(done, 0u);  // the end of the file is not an error

  EXPECT_EQ(SetFilePointer(file.get(), 3, nullptr, FILE_BEGIN), 3u);
  EXPECT_EQ(SetFilePointer(file.get(), 2, nullptr, FILE_CURRENT), 5u);
  ASSERT_TRUE(SetEndOfFile(file.get()));
  EXPECT_EQ(GetFileSize(file.get(), nullptr), 5u);
  int32_t far_high = 1;  // 4 GiB + 1: past the end, which is allowed
  EXPECT_EQ(SetFilePointer(file.get(), 1, &far_high, FILE_BEGIN), 1u);
  EXPECT_EQ(far_high, 1);
  EXPECT_EQ(SetFilePointer(file.get(), -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_NE(GetLastError(), ERROR_SUCCESS);
  file.reset();
  EXPECT_EQ(ReadBytes(path), "01234");

  UniqueHandle reader = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(WriteFile(reader.get(), "x", 1, &done));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(SetEndOfFile(reader.get()));
  EXPECT_FALSE(ReadFile(nullptr, buffer, 1, &done));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(FileMapping, ExtendsTheFileAndViewsOutliveTheirHandles) {
  TempDir dir;
  const std::string path = dir.File("m.bin");
  const size_t size = static_cast<size_t>(::sysconf(_SC_PAGESIZE)) + 3;
  HANDLE file = CreateFileA(path, kReadWrite, 0, CREATE_ALWAYS, 0);
  ASSERT_NE(file, nullptr);
  HANDLE mapping = CreateFileMappingA(file, PAGE_READWRITE, 0, static_cast<uint32_t>(size));
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(std::filesystem::file_size(path), size);
  void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_TRUE(CloseHandle(file));
  std::memset(view, 'z', size);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_EQ(ReadBytes(path), std::string(size, 'z'));
  EXPECT_FALSE(UnmapViewOfFile(view));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(FileMapping, RefusesWhatTheHandleDoesNotAllow) {
  TempDir dir;
  const std::string path = dir.File("m.bin");
  WriteBytes(path, "abcd");
  UniqueHandle reader = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(CreateFileMappingA(reader.get(), PAGE_READWRITE, 0, 4));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(CreateFileMappingA(reader.get(), PAGE_READONLY, 0, 8));  // beyond a read-only file
  UniqueHandle mapping(CreateFileMappingA(reader.get(), PAGE_READONLY, 0, 4));
  ASSERT_TRUE(mapping);
  EXPECT_EQ(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 5), nullptr);  // past its end
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(view), 4), "abcd");
  EXPECT_TRUE(UnmapViewOfFile(view));

  UniqueHandle writer = Open(dir.File("w.bin"), kReadWrite, 0, CREATE_ALWAYS);
  EXPECT_FALSE(CreateFileMappingA(writer.get(), PAGE_READWRITE, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(CreateFileMappingA(mapping.get(), PAGE_READWRITE, 0, 1));  // not a file
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}
