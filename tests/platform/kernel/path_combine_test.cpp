#include "platform/kernel/path_combine.h"

#include <gtest/gtest.h>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

TEST(PathCombine, JoinsAndResolvesLexically) {
  struct Case {
    const char* folder;
    const char* file;
    const char* expected;
  } cases[] = {
      {"C:\\data", "x.xml", "C:/data/x.xml"},
      {"C:\\data", "..\\x.xml", "C:/x.xml"},
      {"", "x.xml", "x.xml"},
      {"dir", "", "dir"},
      {"/", "x", "/x"},
      {"/a", "/b", "/b"},            // an absolute name stands alone
      {"/a/b", "../../../x", "/x"},  // never above the root
      {"a", "../../x", "../x"},      // a relative start keeps what it cannot resolve
      {"a/./b//c", ".", "a/b/c"},
      {"a", "b/", "a/b/"},  // a folder stays a folder
      {"a", "..", "."},
      {"/", "..", "/"},
  };
  for (const Case& c : cases) {
    std::string result = "unchanged";
    ASSERT_TRUE(PathCombineA(result, c.folder, c.file)) << c.folder << " + " << c.file;
    EXPECT_EQ(result, c.expected) << c.folder << " + " << c.file;
  }
}

TEST(PathCombine, RefusesEmptyPartsAndOverlongResults) {
  std::string result = "unchanged";
  EXPECT_FALSE(PathCombineA(result, "", ""));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  const std::string longest(MAX_PATH - 4, 'a');  // "/" + longest + "/b" fills it
  EXPECT_TRUE(PathCombineA(result, "/", longest + "/b"));
  EXPECT_EQ(result.size(), MAX_PATH - 1);
  EXPECT_FALSE(PathCombineA(result, "/", longest + "/bc"));
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(result.size(), MAX_PATH - 1);  // left as it was
}
