#include "lib/foundation/path_routines.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "lib/foundation/exception.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

TEST(PathRoutines, AddTrailingBackslash) {
  EXPECT_EQ(AddTrailingBackslash(" C:\\x "), "C:\\x/");
  EXPECT_EQ(AddTrailingBackslash("C:\\x\\"), "C:\\x\\");
  EXPECT_EQ(AddTrailingBackslash("/a/"), "/a/");
  EXPECT_EQ(AddTrailingBackslash("   "), "");
}

TEST(PathRoutines, CombinePath) {
  struct Case {
    const char* folder;
    const char* name;
    const char* expected;
  } cases[] = {
      {"C:\\data\\", "\\x.xml", "C:/data/x.xml"},
      {"", "x.xml", "x.xml"},
      {"C:\\data", "..\\x.xml", "C:/x.xml"},
      {"C:\\data", "", "C:/data"},
      {"  ", " ", ""},
      {" /tmp/w ", " {AB}.xml\t", "/tmp/w/{AB}.xml"},
      {"/", "x", "/x"},  // the root is a folder of its own
      {"\\", "x", "/x"},
      {"/", "", "/"},
      {"", "/x", "x"},  // one leading separator of the name is dropped
      {"/a", "//x", "/x"},
      {"/a/b/./c", "../d", "/a/b/d"},
      {"\xE4\xE0\xED\xED\xFB\xE5", "\xF4.xml", "\xE4\xE0\xED\xED\xFB\xE5/\xF4.xml"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CombinePath(c.folder, c.name), c.expected) << c.folder << " + " << c.name;
  }
}

TEST(PathRoutines, CombinePathRefusesAnOverlongResult) {
  const std::string name(5000, 'a');
  try {
    CombinePath("/w", name);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Слишком длинный путь: [/w/" + name + "]");
  }
}

TEST(PathRoutines, DirExistsFollowsLinksToFolders) {
  TempDir dir;
  std::ofstream(dir.File("f")) << "x";
  fs::create_directory(dir.File("d"));
  fs::create_directory_symlink(dir.File("d"), dir.File("link"));
  fs::create_symlink(dir.File("f"), dir.File("file-link"));
  EXPECT_TRUE(DirExists(dir.Path()));
  EXPECT_TRUE(DirExists(dir.File("d")));
  EXPECT_TRUE(DirExists(dir.File("d") + "\\"));
  EXPECT_TRUE(DirExists(dir.File("link")));
  EXPECT_FALSE(DirExists(dir.File("f")));
  EXPECT_FALSE(DirExists(dir.File("file-link")));
  EXPECT_FALSE(DirExists(dir.File("none")));
  EXPECT_FALSE(DirExists(""));
}

TEST(PathRoutines, ForceDirectoryPath) {
  TempDir dir;
  // Absolute, with either separator.
  EXPECT_TRUE(ForceDirectoryPath(dir.Path() + "/a\\b/c"));
  EXPECT_TRUE(fs::is_directory(dir.File("a/b/c")));
  EXPECT_TRUE(ForceDirectoryPath(dir.Path() + "/a/b/c/"));  // all there already
  // Through a linked folder.
  fs::create_directory_symlink(dir.File("a"), dir.File("link"));
  EXPECT_TRUE(ForceDirectoryPath(dir.File("link/n")));
  EXPECT_TRUE(fs::is_directory(dir.File("a/n")));
  // A file in the way.
  std::ofstream(dir.File("a/file")) << "x";
  EXPECT_FALSE(ForceDirectoryPath(dir.File("a/file/sub")));
  // Relative to the current folder.
  const fs::path previous = fs::current_path();
  fs::current_path(dir.Path());
  EXPECT_TRUE(ForceDirectoryPath(" r\\s "));
  fs::current_path(previous);
  EXPECT_TRUE(fs::is_directory(dir.File("r/s")));
  // A network share.
  const std::string share = "tarvex-share-" + std::to_string(::getpid());
  EXPECT_FALSE(ForceDirectoryPath("\\\\" + share + "\\x"));
  EXPECT_FALSE(ForceDirectoryPath("//" + share + "/x"));
  EXPECT_FALSE(fs::exists("/" + share));
  EXPECT_FALSE(ForceDirectoryPath(""));
}

TEST(PathRoutines, GetEnvVarReadsValuesOfAnyLength) {
  for (const size_t length : {0, 1, 255, 256, 257, 5000}) {
    const std::string value(length, 'v');
    ::setenv("TARVEX_TEST_VALUE", value.c_str(), 1);
    EXPECT_EQ(GetEnvVar("TARVEX_TEST_VALUE"), value) << length;
  }
  ::unsetenv("TARVEX_TEST_VALUE");
  EXPECT_EQ(GetEnvVar("TARVEX_TEST_VALUE"), "");
}
