#include "lib/foundation/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/kernel/codepage.h"
#include "tests/support/error_of.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

TEST(TempFolder, IsMadeInTmpAndGoesWithItsObject) {
  TempDir tmp;
  const ScopedEnv env("TMP", tmp.Path());
  std::string path;
  {
    const CTempFolder folder;
    path = SysPath(folder.Path());
    EXPECT_EQ(fs::path(path).parent_path().parent_path(), fs::path(tmp.Path()));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_all);
  }
  EXPECT_FALSE(fs::exists(path));
}

// Read as its look-alike, TMP would lead to another folder, which the test
// makes so that a folder made there shows.
TEST(TempFolder, TmpWithoutACp1251PathIsRefusedAndNothingIsMade) {
  const struct {
    const char* tmp;         // UTF-8, under the test's folder
    const char* look_alike;  // where a lossy reading leads
    const char* refusal;
  } cases[] = {
      {"Jos\xC3\xA9", "Jos?",
       "Недопустимое значение переменной окружения [TMP]: Имя [%s/Jos<U+00E9>] нельзя "
       "сохранить в кодировке Windows-1251: символ [U+00E9]"},
      {"a\\b", "a/b",
       "Недопустимое значение переменной окружения [TMP]: Недопустимое имя файла [%s/a\\b]: имя "
       "содержит символ [\\]"},
  };
  for (const auto& c : cases) {
    TempDir root;
    fs::create_directories(root.File(c.tmp));
    fs::create_directories(root.File(c.look_alike));
    const ScopedEnv env("TMP", root.File(c.tmp));
    std::string expected = c.refusal;
    expected.replace(expected.find("%s"), 2, root.Path());
    EXPECT_EQ(ErrorOf([] { CTempFolder folder; }), expected);
    EXPECT_TRUE(fs::is_empty(root.File(c.tmp))) << c.tmp;
    EXPECT_TRUE(fs::is_empty(root.File(c.look_alike))) << c.tmp;
  }
}
