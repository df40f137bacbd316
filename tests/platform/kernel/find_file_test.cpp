#include "platform/kernel/find_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/last_error.h"
#include "tests/support/temp_dir.h"

namespace {

std::set<std::string> Find(const std::string& pattern) {
  std::set<std::string> names;
  FindData data;
  FindHandle find = FindFirstFileA(pattern, data);
  for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find, data)) {
    names.insert(data.cFileName);
  }
  return names;
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

}  // namespace

TEST(MatchesMask, PlatformWildcards) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  } cases[] = {
      {"README", "*.*", true},    {"a.xml", "*.XML", true},   {"a.xml.bak", "*.xml", false},
      {"ab.p7s", "a?.p7s", true}, {"a.p7s", "a?.p7s", false}, {"x", "*", true},
      {"abc", "a*c", true},       {"ac", "a*c", true},        {"ab", "a*c", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
}

TEST(FindFile, ListsCyrillicNamesAndDotEntries) {
  TempDir dir;
  Touch(dir.File("\xD0\xB0.txt"));  // "а.txt" in UTF-8 on disk
  Touch(dir.File("b.xml"));
  std::filesystem::create_directory(dir.File("sub"));
  EXPECT_EQ(Find(dir.Path() + "\\*.*"),
            (std::set<std::string>{".", "..", "\xE0.txt", "b.xml", "sub"}));
  EXPECT_EQ(Find(dir.Path() + "/*.txt"), (std::set<std::string>{"\xE0.txt"}));
}

TEST(FindFile, PassesOverNamesThatNoCp1251NameCanStandFor) {
  TempDir dir;
  for (const char* name : {"Jos\xC3\xA9.pdf", "Jos?.pdf", "a\\b.pdf", "\xE9.pdf", "*<>|.pdf"}) {
    Touch(dir.File(name));
  }
  EXPECT_EQ(Find(dir.Path() + "/*.pdf"), (std::set<std::string>{"Jos?.pdf", "*<>|.pdf"}));
}

TEST(FindFile, ReportsMissingFolderAndNoMatch) {
  TempDir dir;
  FindData data;
  EXPECT_FALSE(FindFirstFileA(dir.File("none") + "/*.*", data));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(FindFirstFileA(dir.Path() + "/*.zip", data));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FindFile, SymbolicLinkToFolderIsNotAFolder) {
  TempDir dir, outside;
  std::filesystem::create_directory_symlink(outside.Path(), dir.File("link"));
  FindData data;
  FindHandle find = FindFirstFileA(dir.Path() + "/link", data);
  ASSERT_TRUE(find);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(FileSystem, ReadOnlyFileIsNotDeleted) {
  TempDir dir;
  const std::string file = dir.File("ro.txt");
  Touch(file);
  ASSERT_TRUE(SetFileAttributesA(file, FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesA(file) & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(DeleteFileA(file));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileA(file));
  EXPECT_EQ(GetFileAttributesA(file), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileSystem, FoldersAreMadeAndRemoved) {
  TempDir dir;
  const std::string sub = dir.Path() + "\\\xCF\xE0\xEF\xEA\xE0";  // "Папка"
  ASSERT_TRUE(CreateDirectoryA(sub));
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(dir.Path()) / u8"Папка"));
  EXPECT_FALSE(CreateDirectoryA(sub));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(DeleteFileA(sub));
  EXPECT_TRUE(RemoveDirectoryA(sub));
}
