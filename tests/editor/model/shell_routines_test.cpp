#include "editor/model/shell_routines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "editor/model/application.h"
#include "editor/model/editor_error.h"
#include "platform/kernel/codepage.h"
#include "platform/shell/browse_folder.h"
#include "platform/shell/special_folder.h"
#include "platform/shell/version_resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

TARVEX_VERSION_RESOURCE(3, 1, 4, 15);

namespace fs = std::filesystem;

namespace {

TEST(ShellRoutinesTest, BoxTypes) {
  EXPECT_EQ(MessageBoxType(kMessageWarning), MB_OK | MB_ICONWARNING);
  EXPECT_EQ(MessageBoxType(kMessageError), MB_OK | MB_ICONERROR);
  EXPECT_EQ(MessageBoxType(kMessageInformation), MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(MessageBoxType(7), MB_OK | MB_ICONINFORMATION);
  // The editor asks with Yes as the default and the question mark.
  EXPECT_EQ(YesNoBoxType(true, 3), MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(YesNoBoxType(false, 3), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  EXPECT_EQ(YesNoBoxType(true, 0), MB_YESNO | MB_ICONWARNING);
  EXPECT_EQ(YesNoBoxType(true, 1), MB_YESNO | MB_ICONERROR);
  EXPECT_EQ(YesNoBoxType(true, 2), MB_YESNO | MB_ICONINFORMATION);
  EXPECT_EQ(YesNoBoxType(true, -1), MB_YESNO | MB_ICONQUESTION);
}

TEST(ShellRoutinesTest, BoxesAreCaptionedWithTheApplicationTitle) {
  SetApplicationTitle("Редактор");
  testing::internal::CaptureStderr();
  ShowMessageBox("Файл не найден", kMessageError);
  EXPECT_TRUE(AskYesNo("Продолжить?", true, 3));
  EXPECT_EQ(Utf8ToAnsi(testing::internal::GetCapturedStderr()),
            "Редактор: Файл не найден\nРедактор: Продолжить?\n");
}

TEST(ShellRoutinesTest, BoxesGoThroughTheInstalledHandlerAndHeadlessOnesTakeTheDefault) {
  SetApplicationTitle("Редактор");
  testing::internal::CaptureStderr();
  // Without a handler a question with No as its default is answered No.
  EXPECT_FALSE(AskYesNo("Удалить?", false, 3));
  testing::internal::GetCapturedStderr();

  std::vector<std::string> seen;
  uint32_t type = 0;
  SetMessageBoxHandler([&](const std::string& text, const std::string& caption, uint32_t t) {
    seen.push_back(caption + ": " + text);
    type = t;
    return IDNO;
  });
  EXPECT_FALSE(AskYesNo("Продолжить?", true, 3));
  EXPECT_EQ(type, MB_YESNO | MB_ICONQUESTION);
  ShowMessageBox("Готово", kMessageInformation);
  EXPECT_EQ(type, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(seen, (std::vector<std::string>{"Редактор: Продолжить?", "Редактор: Готово"}));
  SetMessageBoxHandler(nullptr);
  EXPECT_EQ(DefaultButtonOf(MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(DefaultButtonOf(MB_YESNO), IDYES);
  EXPECT_EQ(DefaultButtonOf(MB_OK | MB_ICONERROR), IDOK);
}

TEST(ShellRoutinesTest, BrowseForFolderAsksTheInstalledPicker) {
  BrowseInfo asked;
  std::optional<std::string> answer;
  SetFolderPicker([&](const BrowseInfo& info) {
    asked = info;
    return answer;
  });
  std::string folder = "C:\\start";
  answer = "C:\\picked";
  EXPECT_TRUE(BrowseForFolder(nullptr, "Выберите папку", folder, false));
  EXPECT_EQ(folder, "C:\\picked");
  EXPECT_EQ(asked.root, CSIDL_DRIVES);
  EXPECT_EQ(asked.flags, 0x2C0u);
  EXPECT_EQ(asked.title, "Выберите папку");
  EXPECT_EQ(asked.selection, "C:\\start");

  EXPECT_TRUE(BrowseForFolder(nullptr, "", folder, true));
  EXPECT_EQ(asked.flags, 0xC0u);
  // Cancelled, or an item without a file-system path: the folder stays.
  for (std::optional<std::string> refusal :
       {std::optional<std::string>(), std::optional<std::string>("")}) {
    answer = refusal;
    EXPECT_FALSE(BrowseForFolder(nullptr, "", folder, false));
    EXPECT_EQ(folder, "C:\\picked");
  }
  SetFolderPicker(nullptr);
  EXPECT_FALSE(BrowseForFolder(nullptr, "", folder, false));
}

TEST(ShellRoutinesTest, VersionTexts) {
  SetApplicationTitle("Редактор");
  EXPECT_EQ(AppVersionText(), "Редактор 3.1.4.15");
  const std::string exe = ApplicationExeName();
  EXPECT_EQ(FileVersionText(exe, false), "3.1.4.15");
  EXPECT_EQ(FileVersionText(exe, true), exe + " 3.1.4.15");
  TempDir dir;
  std::ofstream(dir.File("plain")) << "text";
  EXPECT_EQ(FileVersionText(dir.File("plain"), false), "0.0.0.0");
  EXPECT_EQ(FileVersionText(dir.File("missing"), true), dir.File("missing") + " 0.0.0.0");
}

// A copy of this test started from a folder cp1251 cannot name would take
// its settings, books and library from a look-alike "?" folder: it is
// refused by name instead. The copy (TARVEX_EXE_COPY set) says what it met.
TEST(ShellRoutinesTest, AnExecutableWhosePathHasNoCp1251FormIsRefusedByName) {
  if (std::getenv("TARVEX_EXE_COPY") != nullptr) {
    try {
      std::cout << "[path " << AnsiToUtf8(ApplicationExeName()) << "]";
    } catch (const EditorError& e) {
      std::cout << "[refused " << AnsiToUtf8(e.what()) << "]";
    }
    return;
  }
  const fs::path self = fs::read_symlink("/proc/self/exe");
  const std::string runtime = (self.parent_path() / "../../../lib/tarvex").string();
  TempDir dir;
  for (const std::string folder : {"Jos\xC3\xA9", "Jos?"}) {
    fs::create_directories(fs::path(dir.Path()) / folder);
    fs::copy_file(self, fs::path(dir.Path()) / folder / "copy");
  }
  const auto run = [&](const std::string& folder) {
    return RunCommand("TARVEX_EXE_COPY=1 LD_LIBRARY_PATH='" + runtime + "' '" + dir.Path() + "/" +
                      folder + "/copy' --gtest_filter=" +
                      "ShellRoutinesTest.AnExecutableWhosePathHasNoCp1251FormIsRefusedByName")
        .output;
  };
  const std::string refused = dir.Path() + "/Jos\xC3\xA9/copy";
  EXPECT_NE(run("Jos\xC3\xA9").find("[refused " + AnsiToUtf8(NoAnsiFormMessage(refused)) + "]"),
            std::string::npos);
  EXPECT_NE(run("Jos?").find("[path " + dir.Path() + "/Jos?/copy]"), std::string::npos);
}

TEST(ShellRoutinesTest, SaveStringToFileWritesBytesAsTheyAre) {
  TempDir dir;
  const std::string path = Utf8ToAnsi(dir.Path()) + "\\опись.xml";
  const std::string text("a\0b\r\n\x98\xFF", 7);
  std::string message = "untouched";
  ASSERT_TRUE(SaveStringToFile(path, "longer content to be replaced", message));
  ASSERT_TRUE(SaveStringToFile(path, text, message));
  EXPECT_EQ(message, "untouched");
  EXPECT_EQ(ReadBytes(SysPath(path)), text);
  ASSERT_TRUE(SaveStringToFile(path, "", message));
  EXPECT_EQ(ReadBytes(SysPath(path)), "");
}

TEST(ShellRoutinesTest, SaveStringToFileReportsThePathAndTheError) {
  TempDir dir;
  const std::string path = Utf8ToAnsi(dir.Path()) + "\\нет\\файл.txt";
  const std::string prefix = "Ошибка записи файла " + path + " на диск: ";
  std::string message;
  EXPECT_FALSE(SaveStringToFile(path, "x", message));
  EXPECT_EQ(message.rfind(prefix, 0), 0u) << AnsiToUtf8(message);
  EXPECT_GT(message.size(), prefix.size());
}

TEST(ShellRoutinesTest, GetSpecialFolderAppData) {
  ::setenv("XDG_CONFIG_HOME", AnsiToUtf8("/tmp/конфиг").c_str(), 1);
  EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA), "/tmp/конфиг");
  EXPECT_EQ(GetSpecialFolder(CSIDL_DRIVES), "");
}

class ClearFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "sub" / "deeper");
    for (const char* name : {"a.txt", "без точки", ".hidden", "sub/b", "sub/deeper/c"}) {
      std::ofstream(root_ / AnsiToUtf8(name)) << "x";
    }
    fs::create_directory_symlink(outside_.Path(), root_ / "link");
    std::ofstream(outside_.File("kept")) << "x";
  }
  std::vector<std::string> Left() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
      names.push_back(entry.path().lexically_relative(root_).string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir_;
  TempDir outside_;
  fs::path root_ = fs::path(dir_.Path()) / AnsiToUtf8("папка");
};

TEST_F(ClearFolderTest, FilesOnlyWithoutTheFlag) {
  ClearFolder(Utf8ToAnsi(root_.string()), false);
  EXPECT_EQ(Left(), (std::vector<std::string>{"sub", "sub/b", "sub/deeper", "sub/deeper/c"}));
  EXPECT_TRUE(fs::exists(outside_.File("kept")));
}

TEST_F(ClearFolderTest, EverythingWithTheFlagButWhatCannotBeDeleted) {
  fs::permissions(root_ / "sub" / "b", fs::perms::owner_write, fs::perm_options::remove);
  ClearFolder(Utf8ToAnsi(root_.string()) + "\\", true);
  EXPECT_EQ(Left(), (std::vector<std::string>{"sub", "sub/b"}));
  EXPECT_TRUE(fs::exists(outside_.File("kept")));  // the link went, not its target
  ClearFolder(Utf8ToAnsi(dir_.File("missing")), true);
}

// With no home folder the work folder would be relative, taken from
// wherever the program runs.
TEST_F(ClearFolderTest, RefusesAnEmptyOrRelativeFolder) {
  const fs::path before = fs::current_path();
  fs::current_path(root_);
  for (const char* folder : {"", "sub", "sub\\", ".", "TarvexEdit\\"}) {
    ClearFolder(folder, true);
  }
  fs::current_path(before);
  EXPECT_EQ(Left().size(), 8u);
}

}  // namespace
