#include "platform/kernel/user_folders.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_env.h"

namespace {

TEST(UserFolders, FollowTheXdgRulesAndNeverFallBackOnTheRoot) {
  const struct {
    const char* xdg;
    const char* home;
    const char* data;  // expected, with ".config" for the config home alike
  } cases[] = {
      {"/x/data//", "/home/u", "/x/data"},
      {"relative/data", "/home/u/", "/home/u/.local/share"},  // relative: ignored
      {nullptr, "/home/u", "/home/u/.local/share"},
      {"", "/", "/.local/share"},
      {nullptr, "relative", ""},
      {nullptr, "", ""},
      {nullptr, nullptr, ""},
  };
  for (const auto& c : cases) {
    ScopedEnv home("HOME", c.home);
    ScopedEnv data("XDG_DATA_HOME", c.xdg);
    ScopedEnv config("XDG_CONFIG_HOME", c.xdg);
    const std::string data_home = c.data;
    std::string config_home = data_home;
    if (const size_t at = config_home.find("/.local/share"); at != std::string::npos) {
      config_home.replace(at, std::string::npos, "/.config");
    }
    EXPECT_EQ(data_home, UserDataHome()) << (c.home ? c.home : "-");
    EXPECT_EQ(config_home, UserConfigHome()) << (c.home ? c.home : "-");
  }
}

}  // namespace
