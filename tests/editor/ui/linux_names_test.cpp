// Linux names that cp1251 cannot hold, picked in the window's own file and
// folder dialogs: each is refused by name where it enters, and nothing is
// attached, formed or extracted under a look-alike, which the tests make
// beside it so that its use would show.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <filesystem>

#include "editor/ui/qt_dialogs.h"
#include "tests/editor/ui/packet_window.h"

namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::string>;

std::string NoForm(const std::string& shown, const std::string& first) {
  return "Имя [" + shown + "] нельзя сохранить в кодировке Windows-1251: символ [" + first + "]";
}

class LinuxNamesTest : public PacketWindowTest {
 protected:
  void SetUp() override {
    PacketWindowTest::SetUp();
    SetOpenFilePicker(PickQtFile);
    SetFolderPicker(PickQtFolder);
  }
  // The next file or folder dialog answered with the path (UTF-8) as the
  // user picks it. It is waited for: forming lets pending events run
  // before it opens its dialog.
  static void PickInDialog(const std::string& utf8) {
    auto* timer = new QTimer(QApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer, utf8, tries = 0]() mutable {
      auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      // Never left to answer a later test's dialog.
      if (files == nullptr && ++tries < 500) return;
      timer->deleteLater();
      timer->stop();
      ASSERT_NE(files, nullptr) << "no file dialog is shown";
      // A folder is picked by entering it.
      if (files->fileMode() == QFileDialog::Directory) {
        files->setDirectory(QString::fromUtf8(utf8));
      } else {
        files->selectFile(QString::fromUtf8(utf8));
      }
      // The dialog checks what was picked, as on the user's click; what
      // is missing it would report in a box of its own, which no test
      // answers.
      if (QFileInfo::exists(QString::fromUtf8(utf8))) {
        QMetaObject::invokeMethod(files, "accept", Qt::DirectConnection);
      } else {
        ADD_FAILURE() << utf8 << " is missing";
      }
      if (files->isVisible()) files->reject();
    });
    timer->start(10);
  }
  // A file of the user's under its Linux name; its folder made first.
  std::string Made(const std::string& utf8, const std::string& bytes = "%PDF-1.4") const {
    const std::string path = docs_.File(utf8);
    fs::create_directories(fs::path(path).parent_path());
    WriteBytes(path, bytes);
    return path;
  }
  std::string Docs() const { return Utf8ToAnsi(docs_.Path()); }

  TempDir out_;
};

TEST_F(LinuxNamesTest, AttachingAFileCp1251CannotNameIsRefusedAndTheFileChosenIsKept) {
  auto window = StartEntrepreneur();
  const struct {
    std::string name;  // UTF-8
    std::string look_alike;
    std::string refusal;
  } cases[] = {
      {"Jos\xC3\xA9.pdf", "Jos?.pdf", NoForm(Docs() + "/Jos<U+00E9>.pdf", "U+00E9")},
      {"\xE4\xB8\xAD.pdf", "?.pdf", NoForm(Docs() + "/<U+4E2D>.pdf", "U+4E2D")},
      {"\xF0\x9F\x98\x80.pdf", "??.pdf", NoForm(Docs() + "/<U+01F600>.pdf", "U+01F600")},
      {"\xD0\xB8\xCC\x86.pdf", "\xD0\xB8?.pdf", NoForm(Docs() + "/и<U+0306>.pdf", "U+0306")},
      {"a\\b.pdf", "a/b.pdf",
       "Недопустимое имя файла [" + Docs() + "/a\\b.pdf]: имя содержит символ [\\]"},
  };
  for (const auto& c : cases) {
    Made(c.name);
    Made(c.look_alike);
    PickInDialog(docs_.File(c.name));
    SelectRow(window.get(), 0);
    Run(window.get(), "ActionAddFile");
    EXPECT_EQ(dialogs_.Texts(), Texts{c.refusal}) << c.name;
    EXPECT_EQ(Row(window.get(), 0).SourcePath, "");
    EXPECT_EQ(Files(window.get()), 0);
  }
  // What cp1251 holds is attached under its own name, "Скан.pdf" beside
  // "скан.pdf".
  Made(AnsiToUtf8("скан.pdf"), "%PDF-1.4 малое");
  PickInDialog(Made(AnsiToUtf8("Скан.pdf"), "%PDF-1.4 большое"));
  SelectRow(window.get(), 0);
  Run(window.get(), "ActionAddFile");
  EXPECT_EQ(dialogs_.Texts(), Texts{});
  EXPECT_EQ(Row(window.get(), 0).SourcePath, Docs() + "/Скан.pdf");
  EXPECT_EQ(Content(window.get(), 0), "%PDF-1.4 большое");
  EXPECT_EQ(
      FileText(FileAt(window->Packet->Package.get(), 0).get(), &ITarvexFile::get_OriginalFilename),
      "Скан.pdf");
}

// The library would keep only what follows a ":", the inventory all of it.
TEST_F(LinuxNamesTest, AttachingAFileWhoseNameHoldsAColonIsRefusedByName) {
  auto window = StartEntrepreneur();
  PickInDialog(Made("a:b.pdf"));
  Made("b.pdf");
  SelectRow(window.get(), 0);
  Run(window.get(), "ActionAddFile");
  EXPECT_EQ(dialogs_.Texts(), Texts{"Ошибка прикрепления файла к документу:\r\nНедопустимое имя "
                                    "файла [a:b.pdf]: имя содержит символ [:]"});
  EXPECT_EQ(Files(window.get()), 0);
}

TEST_F(LinuxNamesTest, FormingIntoAFolderCp1251CannotNameIsRefusedBeforeAnythingIsWritten) {
  const std::string folder = "Jos\xC3\xA9 " + AnsiToUtf8("Документы");
  const std::string look_alike = "Jos? " + AnsiToUtf8("Документы");
  auto window = StartEntrepreneur();
  PickInDialog(Made(AnsiToUtf8("заявление.pdf")));
  SelectRow(window.get(), 0);
  Run(window.get(), "ActionAddFile");
  Sign(window.get(), 0);
  ASSERT_EQ(dialogs_.Texts(), Texts{});
  fs::create_directory(out_.File(folder));
  fs::create_directory(out_.File(look_alike));
  PickInDialog(out_.File(folder));
  Run(window.get(), "ActionSavePacket");
  EXPECT_EQ(dialogs_.Texts(),
            Texts{NoForm(Utf8ToAnsi(out_.Path()) + "/Jos<U+00E9> Документы", "U+00E9")});
  EXPECT_TRUE(fs::is_empty(out_.File(folder)));
  EXPECT_TRUE(fs::is_empty(out_.File(look_alike)));
  EXPECT_EQ(window->Packet->PackageFileName, "");
  // No inventory was made, let alone signed.
  EXPECT_EQ(Files(window.get()), 1);
}

TEST_F(LinuxNamesTest, ExtractingIntoAFolderCp1251CannotNameIsRefusedAndWritesNothing) {
  auto window = StartEntrepreneur();
  PickInDialog(Made(AnsiToUtf8("заявление.pdf")));
  SelectRow(window.get(), 0);
  Run(window.get(), "ActionAddFile");
  fs::create_directory(out_.File("Jos\xC3\xA9"));
  fs::create_directory(out_.File("Jos?"));
  PickInDialog(out_.File("Jos\xC3\xA9"));
  SelectRow(window.get(), 0);
  Run(window.get(), "ActionExtractDoc");
  EXPECT_EQ(dialogs_.Texts(), Texts{NoForm(Utf8ToAnsi(out_.Path()) + "/Jos<U+00E9>", "U+00E9")});
  EXPECT_TRUE(fs::is_empty(out_.File("Jos\xC3\xA9")));
  EXPECT_TRUE(fs::is_empty(out_.File("Jos?")));
  EXPECT_EQ(window->Params.GetValue("EXTRACTFOLDER"), "");
}

}  // namespace
