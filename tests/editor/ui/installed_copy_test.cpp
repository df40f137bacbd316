// A copy installed where its user cannot write, as a root-owned install
// leaves it, used by an ordinary user: the settings and last values go to
// the user's own copy of the ini file and come back at the next start, the
// work folder's going leaves that copy alone, and packages are offered a
// folder the user can write. The program's folder is made by the test with
// mode 0555, and the writes run as an ordinary user (tests/support/
// ordinary_user.h), so the kernel itself refuses what it refuses a user.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>

#include "editor/ui/exe_paths.h"
#include "editor/ui/fm_quenda_setup.h"
#include "editor/ui/ini_write.h"
#include "editor/ui/user_store.h"
#include "editor/ui/work_folder.h"
#include "platform/shell/profile.h"
#include "tests/editor/ui/modal_dialog.h"
#include "tests/editor/ui/packet_window.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/scoped_env.h"

namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::string>;

class InstalledCopyTest : public PacketWindowTest {
 protected:
  void SetUp() override {
    PacketWindowTest::SetUp();
    // What the test holds is handed to the user; the install is not.
    fs::permissions(install_.Path(), fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
    fs::create_directory(Program());
  }
  // The program's folder (UTF-8), and the ini beside it (cp1251) named as
  // the running program's, so that its user's copy lies beside the running
  // program's work folders.
  std::string Program() const { return install_.File("tarvex"); }
  std::string ProgramIni() const { return Utf8ToAnsi(Program()) + "/" + ExeBaseName() + ".ini"; }
  std::string UserCopy() const {
    return Utf8ToAnsi(config_.Path()) + "/" + ExeBaseName() + "/settings/" + ExeBaseName() + ".ini";
  }
  // The program's folder as an install leaves it, with that ini ("" for
  // none).
  void Install(const std::string& ini) const {
    if (!ini.empty()) WriteBytes(SysPath(ProgramIni()), ini);
    fs::permissions(Program(), fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
  }
  // Everything of the test's but the install.
  std::unique_ptr<OrdinaryUser> AsUser() const {
    return std::make_unique<OrdinaryUser>(std::initializer_list<std::string>{
        roots_.Dir().Path(), tmp_.Path(), registry_.Path(), config_.Path(), books_.Path(),
        ini_.Path(), packages_.Path(), docs_.Path(), out_.Path(), home_.Path()});
  }
  std::unique_ptr<TfmQuendaMain> StartInstalled() {
    return Start(
        [this](TfmQuendaMain& window) { window.Params.SetValue("INIFILE", ProgramIni(), 1); });
  }
  static std::string Read(const std::string& ini, const char* key) {
    return GetPrivateProfileStringA("QUENDA_SETUP", key, "<none>", ini);
  }
  std::string Out() const { return Utf8ToAnsi(out_.Path()); }

  TempDir install_;
  TempDir out_;
  TempDir home_;
};

// The store's rules: the file read before and after a write, and what the
// program's file and the user's copy hold after it.
TEST_F(InstalledCopyTest, TheUsersCopyIsReadOnceItExistsAndMadeWhereTheProgramsFolderIsNotOurs) {
  struct Case {
    const char* name;
    bool installed;            // the program's folder mode 0555, written as a user
    const char* ini;           // the program's file; "": none
    const char* copy;          // the user's copy; nullptr: none
    bool read_copy;            // the copy is read before the write
    const char* written_copy;  // the copy after the write; nullptr: the
                               // program's file took the write, no copy
  };
  const Case cases[] = {
      {"a writable program", false, "[QUENDA_SETUP]\nИмя=Иван\n", nullptr, false, nullptr},
      {"a writable program whose user has a copy", false, "[QUENDA_SETUP]\nИмя=Иван\n",
       "[QUENDA_SETUP]\nИмя=Пётр\n", true, "[QUENDA_SETUP]\nИмя=Пётр\nOUTPATH=/п\n"},
      {"an install with an ini", true, "[QUENDA_SETUP]\nИмя=Иван\n", nullptr, false,
       "[QUENDA_SETUP]\nИмя=Иван\nOUTPATH=/п\n"},
      {"an install without one", true, "", nullptr, false, "[QUENDA_SETUP]\nOUTPATH=/п\n"},
      {"an install whose user has a copy", true, "[QUENDA_SETUP]\nИмя=Иван\n",
       "[QUENDA_SETUP]\nИмя=Пётр\n", true, "[QUENDA_SETUP]\nИмя=Пётр\nOUTPATH=/п\n"},
  };
  for (const Case& one : cases) {
    SCOPED_TRACE(one.name);
    fs::permissions(Program(), fs::perms::owner_all);
    fs::remove_all(config_.File(AnsiToUtf8(ExeBaseName())));
    fs::remove(SysPath(ProgramIni()));
    if (one.copy != nullptr) {
      fs::create_directories(SysPath(ExtractFileDir(UserCopy())));
      WriteBytes(SysPath(UserCopy()), one.copy);
    }
    if (one.installed) {
      Install(one.ini);
    } else {
      WriteBytes(SysPath(ProgramIni()), one.ini);
    }
    {
      const auto user = one.installed ? AsUser() : nullptr;
      // The kernel itself refuses the install's folder.
      EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", install_.File("tarvex/k.ini")),
                !one.installed);
      EXPECT_EQ(MayWriteFolder(Utf8ToAnsi(Program())), !one.installed);
      EXPECT_EQ(IniToRead(ProgramIni()), one.read_copy ? UserCopy() : ProgramIni());
      EXPECT_TRUE(WriteIniValue("QUENDA_SETUP", "OUTPATH", "/п", ProgramIni()));
      EXPECT_EQ(IniToRead(ProgramIni()), one.written_copy ? UserCopy() : ProgramIni());
    }
    if (one.written_copy != nullptr) {
      EXPECT_EQ(ReadBytes(SysPath(UserCopy())), one.written_copy);
      EXPECT_EQ(fs::exists(SysPath(ProgramIni())) ? ReadBytes(SysPath(ProgramIni())) : "", one.ini);
    } else {
      EXPECT_EQ(ReadBytes(SysPath(ProgramIni())), one.ini + std::string("OUTPATH=/п\n"));
      EXPECT_FALSE(fs::exists(SysPath(UserCopy())));
    }
    fs::remove(install_.File("tarvex/k.ini"));
  }
  EXPECT_TRUE(dialogs_.boxes.empty());
}

// Without a config home to make the copy in, the write fails as before,
// naming the copy it could not make, and the program's file stays.
TEST_F(InstalledCopyTest, ACopyThatCannotBeMadeIsReportedAndChangesNothing) {
  Install("[QUENDA_SETUP]\nИмя=Иван\n");
  {
    const auto user = AsUser();
    // The user may not make folders in the config home.
    fs::permissions(config_.Path(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(WriteIniValue("QUENDA_SETUP", "OUTPATH", "/п", ProgramIni()));
    fs::permissions(config_.Path(), fs::perms::owner_write, fs::perm_options::add);
  }
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].text,
            "Не удалось записать параметры в файл " + UserCopy() + ": Отказано в доступе.");
  EXPECT_EQ(ReadBytes(SysPath(ProgramIni())), "[QUENDA_SETUP]\nИмя=Иван\n");
  EXPECT_FALSE(fs::exists(SysPath(UserCopy())));
}

TEST_F(InstalledCopyTest, PackagesAreOfferedTheDocumentsFolderElseHomeWhereTheProgramsIsNotOurs) {
  Install("");
  const std::string docs = home_.File(AnsiToUtf8("Документы"));
  const std::string dirs = config_.File("user-dirs.dirs");
  const ScopedEnv home("HOME", home_.Path());
  struct Case {
    const char* name;
    const char* user_dirs;  // nullptr: no file
    bool make_documents;
    std::string offered;
  };
  const Case cases[] = {
      {"documents", "XDG_DOCUMENTS_DIR=\"$HOME/Документы\"\n", true, Utf8ToAnsi(docs)},
      {"documents not made", "XDG_DOCUMENTS_DIR=\"$HOME/Документы\"\n", false,
       Utf8ToAnsi(home_.Path())},
      {"no user dirs", nullptr, true, Utf8ToAnsi(home_.Path())},
  };
  for (const Case& one : cases) {
    SCOPED_TRACE(one.name);
    fs::remove(dirs);
    fs::remove(docs);
    if (one.user_dirs) WriteBytes(dirs, AnsiToUtf8(one.user_dirs));
    if (one.make_documents) fs::create_directory(docs);
    const auto user = AsUser();
    EXPECT_EQ(DefaultOutFolder(Utf8ToAnsi(Program())), one.offered);
  }
  {
    const ScopedEnv no_home("HOME", nullptr);
    const auto user = AsUser();
    EXPECT_EQ(DefaultOutFolder(Utf8ToAnsi(Program())), Utf8ToAnsi(Program()));
  }
  // A program the user may write keeps its own folder.
  EXPECT_EQ(DefaultOutFolder(Utf8ToAnsi(out_.Path())), Utf8ToAnsi(out_.Path()));
}

// The running test's folder belongs to root: run as a user, the window and
// the settings dialog offer the documents folder, as a first start of an
// install does.
TEST_F(InstalledCopyTest, AFirstStartOfAnInstallOffersTheDocumentsFolder) {
  if (::geteuid() != 0) GTEST_SKIP() << "the test's own folder is writable by its user";
  const std::string docs = home_.File("Documents");
  fs::create_directory(docs);
  WriteBytes(config_.File("user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"" + docs + "\"\n");
  fs::remove(SysPath(IniPath()));
  const auto user = AsUser();
  if (MayWriteFolder(ExeFolder())) GTEST_SKIP() << "the test's own folder is writable by all";
  auto window = std::make_unique<TfmQuendaMain>();
  SetStartParameters(*window);
  EXPECT_EQ(window->Params.GetValue("OUTPATH"), Utf8ToAnsi(docs));
  EXPECT_EQ(window->Params.GetValue("INIFILE"), ChangeFileExt(ApplicationExeName(), ".ini"));
  window = Start();
  EXPECT_EQ(window->Params.GetValue("OUTPATH"), Utf8ToAnsi(docs));
  TfmQuendaSetup dialog(IniPath());
  dialog.InitCatalogue("");
  dialog.LoadSettings();
  EXPECT_EQ(FromQt(Find<QLineEdit>(&dialog, "edOutPath")->text()), Utf8ToAnsi(docs) + "/");
  EXPECT_EQ(FromQt(Find<QLineEdit>(&dialog, "edDocPath")->text()), ExeFolder() + "/");
}

// "Параметры" → "Применить", then a forming and a document viewed, then
// the window closed: each start after finds what the user chose and
// entered, and the program's file is as the install left it.
TEST_F(InstalledCopyTest, TheSettingsAndLastValuesOfAnInstallSurviveARestart) {
  const std::string inbox = Utf8ToAnsi(packages_.Path()) + "/";
  const std::string installed = IniText() + "INPUTPATH=" + inbox + "\r\n";
  Install(installed);
  const auto user = AsUser();
  {
    auto window = StartInstalled();
    ASSERT_TRUE(initialized_);
    EXPECT_EQ(window->Params.GetValue("INPUTPATH"), inbox);
    OnModal([this](QDialog& dialog) {
      auto* list = dialog.findChild<QComboBox*>("cmbPrivateCert");
      list->setCurrentIndex(-1);
      dialog.findChild<QLineEdit*>("edOutPath")->setText(ToQt(Out()));
      dialog.findChild<QPushButton*>("btnSave")->click();
    });
    Run(window.get(), "ActionSetup");
    EXPECT_EQ(dialogs_.Texts(), Texts{});
    EXPECT_EQ(window->Params.GetValue("SENDERSHA1"), "");
    EXPECT_EQ(window->Params.GetValue("OUTPATH"), Out() + "/");
  }
  EXPECT_EQ(Read(UserCopy(), "SenderSHA1"), "");
  EXPECT_EQ(Read(UserCopy(), "Фамилия"), "Иванов");  // carried over from the program's
  {
    auto window = StartInstalled();
    EXPECT_EQ(window->Params.GetValue("SENDERSHA1"), "");
    EXPECT_EQ(window->Params.GetValue("OUTPATH"), Out() + "/");
    EXPECT_EQ(window->Params.GetValue("INPUTPATH"), inbox);
    // The certificate chosen again, now through the window that forms.
    OnModal([](QDialog& dialog) {
      auto* list = dialog.findChild<QComboBox*>("cmbPrivateCert");
      list->setCurrentIndex(list->findText(ToQt("Иванов Иван Иванович")));
      dialog.findChild<QPushButton*>("btnSave")->click();
    });
    Run(window.get(), "ActionSetup");
    EXPECT_EQ(window->Params.GetValue("SENDERSHA1"), signer_);
    Pick(window.get(), "cmbRegType", 0);
    Pick(window.get(), "cmbAppType", 0);
    Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
    SelectRow(window.get(), 0);
    Run(window.get(), "ActionOpenFile");
    ASSERT_EQ(dialogs_.launched.size(), 1u);
    // Viewed from this copy's work folder, beside the user's copy's folder.
    const std::string work = window->GetWorkFolder();
    EXPECT_EQ(dialogs_.launched[0].file, work + "заявление.pdf");
    const std::string data = Utf8ToAnsi(config_.Path()) + "/" + ExeBaseName() + "/";
    EXPECT_EQ(work.rfind(data, 0), 0u);
    EXPECT_EQ(UserCopy().rfind(data, 0), 0u);
    EXPECT_NE(UserCopy().rfind(work, 0), 0u);
    Sign(window.get(), 0);
    Enter(window.get(), Find<QTableWidget>(window.get(), "sgDeclarants"), 0, 0, "Сидоров");
    dialogs_.folders = {Out()};
    Run(window.get(), "ActionSavePacket");
    const Texts texts = dialogs_.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("Имя файла пакета: [", 0), 0u) << AnsiToUtf8(texts[0]);
    EXPECT_EQ(ReadBytes(SysPath(dialogs_.launched[0].file)), "%PDF-1.4");
    EXPECT_EQ(Read(UserCopy(), "Фамилия"), "Сидоров");
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(fs::exists(SysPath(dialogs_.launched[0].file)));
  }
  {
    auto window = StartInstalled();
    EXPECT_EQ(window->Params.GetValue("SENDERSHA1"), signer_);
    EXPECT_EQ(window->Params.GetValue("ФАМИЛИЯ"), "Сидоров");
    EXPECT_EQ(window->Params.GetValue("OUTPATH"), Out() + "/");
  }
  EXPECT_EQ(dialogs_.Texts(), Texts{});
  EXPECT_EQ(ReadBytes(SysPath(ProgramIni())), installed);
}

}  // namespace
