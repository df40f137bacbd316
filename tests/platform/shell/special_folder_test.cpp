#include "platform/shell/special_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string AppData() {
  char path[MAX_PATH] = "stale";
  HRESULT result = SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path);
  return result < 0 ? "failed:" + std::string(path) : std::string(path);
}

TEST(SpecialFolderTest, AppDataFollowsXdgConfigHomeThenHome) {
  ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  ::setenv("HOME", "/home/user/", 1);
  EXPECT_EQ(AppData(), "/tmp/cfg");
  ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);  // not absolute: ignored
  EXPECT_EQ(AppData(), "/home/user/.config");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(AppData(), "/home/user/.config");
  ::unsetenv("HOME");
  EXPECT_EQ(AppData(), "failed:");
  ::setenv("HOME", ("/" + std::string(MAX_PATH, 'a')).c_str(), 1);
  EXPECT_EQ(AppData(), "failed:");
}

TEST(SpecialFolderTest, CyrillicPathComesBackInCp1251) {
  ::setenv("XDG_CONFIG_HOME", "/tmp/\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0", 1);
  EXPECT_EQ(AppData(), "/tmp/Папка");
}

TEST(SpecialFolderTest, FolderWithoutPathFails) {
  char path[MAX_PATH] = "stale";
  EXPECT_LT(SHGetFolderPathA(nullptr, CSIDL_DRIVES, nullptr, 0, path), 0);
  EXPECT_STREQ(path, "");
  EXPECT_LT(SHGetFolderPathA(nullptr, 5, nullptr, 0, path), 0);
}

}  // namespace
