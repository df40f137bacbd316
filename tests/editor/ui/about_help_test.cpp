// The about box with the library module beside the program, elsewhere,
// absent and without a version resource; the help file's name, and the
// main window's two items that show them.
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>

#include "editor/model/application.h"
#include "editor/ui/fm_about.h"
#include "editor/ui/html_help.h"
#include "platform/shell/version_resource.h"
#include "tests/editor/ui/modal_dialog.h"
#include "tests/editor/ui/window_fixture.h"

// The test program's own version, as the editor carries one.
TARVEX_VERSION_RESOURCE(3, 1, 4, 15);

namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::string>;

const std::string kModuleLine =
    "(версия криптографического модуля " + std::to_string(TARVEX_VERSION_MAJOR) + "." +
    std::to_string(TARVEX_VERSION_MINOR) + "." + std::to_string(TARVEX_VERSION_PATCH) + ".0)";

class AboutHelpTest : public WindowTest {
 protected:
  // The lines of the about box that `show` opens, and the boxes shown
  // before it.
  Texts AboutLines(const std::function<void()>& show) {
    Texts lines;
    OnModal([this, &lines](QDialog& dialog) {
      boxes_before_ = dialogs_.boxes.size();
      EXPECT_EQ(FromQt(dialog.windowTitle()), "О программе");
      auto* image = dialog.findChild<QLabel*>("Image1");
      ASSERT_NE(image, nullptr);
      EXPECT_FALSE(image->pixmap().isNull());
      auto* memo = dialog.findChild<QPlainTextEdit*>("Memo1");
      ASSERT_NE(memo, nullptr);
      EXPECT_TRUE(memo->isReadOnly());
      for (const QString& line : memo->toPlainText().split(u'\n')) lines.push_back(FromQt(line));
      dialog.findChild<QPushButton*>("btnClose")->click();
    });
    show();
    return lines;
  }

  size_t boxes_before_ = 0;
};

TEST_F(AboutHelpTest, TheAboutBoxShowsTheProgramsVersionAndTheModulesBesideIt) {
  EXPECT_EQ(AboutLines([] { EXPECT_TRUE(ShowAbout("")); }),
            (Texts{"Tarvex 3.1.4.15", kModuleLine}));
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(AboutHelpTest, AModuleThatDoesNotLoadIsAnErrorBoxAndTheBoxKeepsOneLine) {
  TempDir folder;
  const std::string path = Utf8ToAnsi(folder.Path());
  EXPECT_EQ(AboutLines([&path] { ShowAbout(path); }), Texts{"Tarvex 3.1.4.15"});
  EXPECT_EQ(boxes_before_, 1u);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].type, MB_OK | MB_ICONERROR);
  EXPECT_EQ(
      dialogs_.Texts(),
      Texts{"Ошибка загрузки криптографического модуля:\r\nНевозможно загрузить библиотеку: " +
            path + "/Qim.Tarvex.Lib.so"});
}

TEST_F(AboutHelpTest, AModuleWithoutAVersionResourceShowsZeros) {
  TempDir folder;
  fs::copy_file(TARVEX_NO_CLASS_OBJECT_MODULE, folder.File("Qim.Tarvex.Lib.so"));
  const std::string path = Utf8ToAnsi(folder.Path());
  EXPECT_EQ(AboutLines([&path] { ShowAbout(path); }),
            (Texts{"Tarvex 3.1.4.15", "(версия криптографического модуля 0.0.0.0)"}));
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST(HelpFileTest, IsTheExecutablesPathWithChm) {
  const struct {
    const char* exe;
    const char* help;
  } cases[] = {
      {"/App/tool.exe", "/App/tool.chm"},
      {"/opt/tarvex/TarvexEdit", "/opt/tarvex/TarvexEdit.chm"},
      {"/opt/tar.vex/TarvexEdit", "/opt/tar.vex/TarvexEdit.chm"},
  };
  for (const auto& c : cases) EXPECT_EQ(HelpFileNameOf(c.exe), c.help) << c.exe;
}

TEST_F(AboutHelpTest, TheWindowsItemsShowTheAboutBoxAndTheHelpFile) {
  auto window = Start();
  ASSERT_TRUE(initialized_);
  auto* about = Find<QAction>(window.get(), "NAbout");
  auto* help = Find<QAction>(window.get(), "NHelp");
  ASSERT_TRUE(about->isEnabled());
  ASSERT_TRUE(help->isEnabled());
  EXPECT_EQ(AboutLines([about] { about->trigger(); }), (Texts{"Tarvex 3.1.4.15", kModuleLine}));

  // Without the file: the system's box, captioned "Ошибка", and no viewer.
  const std::string file = GetHelpFileName();
  ASSERT_FALSE(fs::exists(SysPath(file)));
  help->trigger();
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].type, MB_OK | MB_ICONERROR);
  EXPECT_EQ(dialogs_.boxes[0].caption, "Ошибка");
  EXPECT_EQ(dialogs_.Texts(), Texts{"Файл справки не найден!"});
  EXPECT_TRUE(dialogs_.launched.empty());

  // With it, the file goes to the desktop's viewer, maximised, and nothing
  // else is shown.
  WriteBytes(SysPath(file), "");
  help->trigger();
  fs::remove(SysPath(file));
  ASSERT_EQ(dialogs_.launched.size(), 1u);
  EXPECT_EQ(dialogs_.launched[0].file, file);
  EXPECT_EQ(dialogs_.launched[0].show, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(AboutHelpTest, TheHelpEntryPointReportsWhetherTheViewerWasLaunched) {
  const std::string file = Utf8ToAnsi(packages_.File("help.chm"));
  WriteBytes(SysPath(file), "");
  EXPECT_TRUE(CallHtmlHelp(file, HH_DISPLAY_TOPIC));
  dialogs_.launches = false;
  EXPECT_FALSE(CallHtmlHelp(file, HH_DISPLAY_TOPIC));
  EXPECT_FALSE(CallHtmlHelp(file, 1));
  EXPECT_EQ(dialogs_.launched.size(), 2u);
  SetShellLauncher(nullptr);
  EXPECT_FALSE(CallHtmlHelp(file, HH_DISPLAY_TOPIC));
}

}  // namespace
