// The work folders of copies of the editor running side by side: each copy
// views into a folder of its own, closing one leaves the others' files, and
// what copies that did not close left behind is swept while every running
// copy's folder stays. Another running copy is played by the flock command,
// which holds a folder as the editor holds its own.
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "editor/model/editor_error.h"
#include "editor/ui/exe_paths.h"
#include "editor/ui/work_folder.h"
#include "tests/editor/ui/packet_window.h"
#include "tests/editor/ui/saved_packages.h"
#include "tests/support/run_command.h"

namespace {

namespace fs = std::filesystem;

TEST(WorkFolderTest, TheWorkFolderIsMadeForTheUserAloneAndNeedsAnAbsoluteHome) {
  TempDir dir;
  const std::string config = dir.File(AnsiToUtf8("нет/ещё"));
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  {
    TWorkFolder work;
    const std::string folder = work.Path();
    const std::string data = Utf8ToAnsi(config) + "/" + ExeBaseName() + "/";
    ASSERT_EQ(folder.rfind(data + "work-", 0), 0u) << AnsiToUtf8(folder);
    EXPECT_EQ(folder.size(), data.size() + 12);
    EXPECT_EQ(folder.back(), '/');
    for (const std::string& level :
         {config, config + "/" + AnsiToUtf8(ExeBaseName()), SysPath(folder)}) {
      struct stat info {};
      ASSERT_EQ(::stat(level.c_str(), &info), 0) << level;
      EXPECT_EQ(info.st_mode & 0777, 0700u) << level;
    }
    EXPECT_EQ(work.Path(), folder);  // a second call finds it
    TWorkFolder other;
    EXPECT_NE(other.Path(), folder);
    work.Remove();
    EXPECT_FALSE(fs::exists(SysPath(folder)));
    EXPECT_NE(work.Path(), folder);  // made anew
  }

  ::setenv("XDG_CONFIG_HOME", "relative", 1);
  const char* home = ::getenv("HOME");
  const std::string saved = home ? home : "";
  ::setenv("HOME", "also-relative", 1);
  TWorkFolder nowhere;
  EXPECT_THROW(nowhere.Path(), EditorError);
  ::setenv("HOME", saved.c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
}

class WorkFoldersTest : public PacketWindowTest {
 protected:
  void SetUp() override {
    PacketWindowTest::SetUp();
    saved_.UseSigner(signer_);
  }
  // A copy's window with the receipt opened and its document viewed; the
  // viewed file's path (UTF-8).
  std::unique_ptr<TfmQuendaMain> Viewing(std::string& viewed) {
    auto window = Start();
    dialogs_.files = {receipt_};
    Run(window.get(), "ActionOpenPacket");
    SelectRow(window.get(), 0);
    Run(window.get(), "ActionOpenFile");
    EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{});
    viewed = dialogs_.launched.empty() ? "" : SysPath(dialogs_.launched.back().file);
    return window;
  }
  // The application-data folder of the executable (UTF-8).
  std::string Data() const { return config_.File(AnsiToUtf8(ExeBaseName())); }
  // Whether a process other than this one can lock the folder now.
  static bool OthersMayLock(const std::string& folder) {
    return RunCommand("flock -n " + Quoted(folder) + " true").status == 0;
  }
  // A process that holds the folder locked until it is killed; its id.
  static pid_t HoldInAnotherProcess(const std::string& folder) {
    const CommandResult started =
        RunCommand("( exec 9<" + Quoted(folder) +
                   " && flock 9 && exec sleep 60 ) </dev/null >/dev/null 2>&1 & echo $!");
    const pid_t pid = std::stoi(started.output);
    for (int i = 0; i < 500 && OthersMayLock(folder); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pid;
  }

  SavedPackages saved_{packages_};
  std::string receipt_ = saved_.Receipt();
};

TEST_F(WorkFoldersTest, ClosingOneCopyKeepsTheFilesAnotherCopyIsViewing) {
  std::string viewed_a;
  std::string viewed_b;
  auto a = Viewing(viewed_a);
  auto b = Viewing(viewed_b);
  ASSERT_TRUE(fs::exists(viewed_a));
  ASSERT_TRUE(fs::exists(viewed_b));
  EXPECT_NE(fs::path(viewed_a).parent_path(), fs::path(viewed_b).parent_path());
  EXPECT_EQ(fs::path(viewed_a).parent_path().parent_path(), Data());

  EXPECT_TRUE(b->close());
  EXPECT_FALSE(fs::exists(fs::path(viewed_b).parent_path()));
  EXPECT_EQ(ReadBytes(viewed_a), "%PDF-1.4 расписка");
  // The copy still running views on in its own folder.
  SelectRow(a.get(), 0);
  Run(a.get(), "ActionOpenFile");
  EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{});
  EXPECT_EQ(SysPath(dialogs_.launched.back().file), viewed_a);
  EXPECT_TRUE(a->close());
  EXPECT_FALSE(fs::exists(fs::path(viewed_a).parent_path()));
}

TEST_F(WorkFoldersTest, LeftoversOfCopiesNoLongerRunningGoAndARunningCopysFolderStays) {
  std::string viewed;
  auto window = Viewing(viewed);
  const std::string mine = fs::path(viewed).parent_path();
  // The editor's lock is the one other processes see.
  EXPECT_FALSE(OthersMayLock(mine));

  const std::string held = Data() + "/work-held01";
  const std::string left = Data() + "/work-left01";
  const std::string nested = Data() + "/work-left02";
  const std::string settings = Data() + "/settings";
  const std::string link = Data() + "/work-link01";
  const std::string file = Data() + "/work-file01";
  TempDir outside;
  for (const std::string& folder : {held, left, nested, settings}) fs::create_directory(folder);
  for (const std::string& folder : {held, left, nested}) {
    WriteBytes(folder + "/" + AnsiToUtf8("заявление.pdf"), "%PDF-1.4");
  }
  fs::create_directory(nested + "/" + AnsiToUtf8("вложенная"));
  WriteBytes(settings + "/" + AnsiToUtf8(ExeBaseName()) + ".ini", "[QUENDA_SETUP]\r\n");
  WriteBytes(outside.File("чужой.pdf"), "чужой");
  fs::create_directory_symlink(outside.Path(), link);
  WriteBytes(file, "не папка");
  const pid_t holder = HoldInAnotherProcess(held);
  ASSERT_FALSE(OthersMayLock(held));

  RemoveLeftoverWorkFolders();
  EXPECT_EQ(ReadBytes(viewed), "%PDF-1.4 расписка");
  EXPECT_TRUE(fs::exists(held + "/" + AnsiToUtf8("заявление.pdf")));
  EXPECT_FALSE(fs::exists(left));
  // Only files are a work folder's: a folder in one stays, and so it does.
  EXPECT_FALSE(fs::exists(nested + "/" + AnsiToUtf8("заявление.pdf")));
  EXPECT_TRUE(fs::exists(nested + "/" + AnsiToUtf8("вложенная")));
  EXPECT_TRUE(fs::exists(settings + "/" + AnsiToUtf8(ExeBaseName()) + ".ini"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(outside.File("чужой.pdf")), "чужой");
  EXPECT_EQ(ReadBytes(file), "не папка");

  // The other copy killed, its folder is a leftover at the next start.
  ::kill(holder, SIGKILL);
  for (int i = 0; i < 500 && !OthersMayLock(held); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  RemoveLeftoverWorkFolders();
  EXPECT_FALSE(fs::exists(held));
  EXPECT_EQ(ReadBytes(viewed), "%PDF-1.4 расписка");
}

}  // namespace
