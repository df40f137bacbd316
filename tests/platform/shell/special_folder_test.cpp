#include "platform/shell/special_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Folder(int folder) {
  char path[MAX_PATH] = "stale";
  HRESULT result = SHGetFolderPathA(nullptr, folder, nullptr, 0, path);
  return result < 0 ? "failed:" + std::string(path) : std::string(path);
}

std::string AppData() { return Folder(CSIDL_APPDATA); }

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

TEST(SpecialFolderTest, PathWithoutACp1251FormFails) {
  for (const char* home : {"/home/Jos\xC3\xA9", "/home/a\\b"}) {
    ::setenv("XDG_CONFIG_HOME", home, 1);
    EXPECT_EQ(AppData(), "failed:") << home;
  }
}

TEST(SpecialFolderTest, FolderWithoutPathFails) {
  char path[MAX_PATH] = "stale";
  EXPECT_LT(SHGetFolderPathA(nullptr, CSIDL_DRIVES, nullptr, 0, path), 0);
  EXPECT_STREQ(path, "");
  EXPECT_LT(SHGetFolderPathA(nullptr, 38, nullptr, 0, path), 0);
}

TEST(SpecialFolderTest, DocumentsAreWhereTheUserDirsFileSaysAndHomeIsHome) {
  const TempDir config;
  const ScopedEnv config_home("XDG_CONFIG_HOME", config.Path());
  const ScopedEnv home("HOME", "/home/\xd0\xbf\xd0\xbe\xd0\xbb\xd1\x8c");  // "поль"
  struct Case {
    const char* dirs;  // user-dirs.dirs, UTF-8; nullptr: no file
    std::string documents;
  };
  const Case cases[] = {
      {nullptr, "failed:"},
      {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "failed:"},
      {"# written by the desktop\nXDG_DOCUMENTS_DIR=\"$HOME/\xd0\x94\xd0\xbe\xd0\xba\"\n",
       "/home/поль/Док"},
      {"XDG_DOCUMENTS_DIR=\"/srv/docs/\"\r\n", "/srv/docs"},
      {"  XDG_DOCUMENTS_DIR=\"$HOME\"  \n", "/home/поль"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"docs\\\"\"\n", "/home/поль/My \"docs\""},
      {"XDG_DOCUMENTS_DIR=\"/a\"\nXDG_DOCUMENTS_DIR=\"/b\"\n", "/b"},
      // Neither below the home folder nor absolute, or not one quoted value.
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\n", "failed:"},
      {"XDG_DOCUMENTS_DIR=\"docs\"\n", "failed:"},
      {"XDG_DOCUMENTS_DIR=/srv/docs\n", "failed:"},
      {"XDG_DOCUMENTS_DIR=\"/srv/docs\n", "failed:"},
      {"#XDG_DOCUMENTS_DIR=\"/srv/docs\"\n", "failed:"},
  };
  for (const Case& one : cases) {
    std::filesystem::remove(config.File("user-dirs.dirs"));
    if (one.dirs != nullptr) std::ofstream(config.File("user-dirs.dirs")) << one.dirs;
    EXPECT_EQ(Folder(CSIDL_PERSONAL), one.documents) << (one.dirs ? one.dirs : "no file");
  }
  EXPECT_EQ(Folder(CSIDL_PROFILE), "/home/поль");
  std::ofstream(config.File("user-dirs.dirs")) << "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n";
  const ScopedEnv no_home("HOME", nullptr);
  EXPECT_EQ(Folder(CSIDL_PERSONAL), "failed:");
  EXPECT_EQ(Folder(CSIDL_PROFILE), "failed:");
}

}  // namespace
