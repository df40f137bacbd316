// The shell's "open": a file that exists goes to the installed launcher, as
// it was given; anything else is refused with the shell's codes.
#include "platform/shell/shell_execute.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "platform/kernel/codepage.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(ShellExecuteTest, AnExistingFileGoesToTheLauncherAndOtherCallsAreRefused) {
  TempDir dir;
  const std::string name = AnsiToUtf8("документ.pdf");
  std::ofstream(dir.File(name)) << "%PDF";
  const std::string file = Utf8ToAnsi(dir.File(name));
  EXPECT_EQ(SE_ERR_NOASSOC, ShellExecuteA(nullptr, "open", file, SW_SHOWMAXIMIZED));

  std::vector<ShellOpen> launched;
  bool starts = true;
  SetShellLauncher([&](const ShellOpen& open) {
    launched.push_back(open);
    return starts;
  });
  EXPECT_GT(ShellExecuteA(nullptr, "open", file, SW_SHOWMAXIMIZED), 32);
  EXPECT_GT(ShellExecuteA(nullptr, "", file, SW_SHOWNORMAL), 32);
  EXPECT_EQ(SE_ERR_FNF, ShellExecuteA(nullptr, "open", file + ".нет", SW_SHOWNORMAL));
  EXPECT_EQ(SE_ERR_NOASSOC, ShellExecuteA(nullptr, "print", file, SW_SHOWNORMAL));
  starts = false;
  EXPECT_EQ(SE_ERR_NOASSOC, ShellExecuteA(nullptr, "open", file, SW_SHOWNORMAL));
  SetShellLauncher(nullptr);

  ASSERT_EQ(3u, launched.size());
  EXPECT_EQ(file, launched[0].file);
  EXPECT_EQ(SW_SHOWMAXIMIZED, launched[0].show);
  EXPECT_EQ(SW_SHOWNORMAL, launched[1].show);
}

}  // namespace
