// The settings dialog over the real key catalogue: three keys put in with
// the key command, one of them issued by the notaries' authority; what it
// shows, what it refuses, and exactly what it writes.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "editor/model/editor_error.h"
#include "editor/model/string_routines.h"
#include "editor/ui/exe_paths.h"
#include "editor/ui/fm_quenda_setup.h"
#include "editor/ui/value_list.h"
#include "tests/editor/model/signer_support.h"
#include "tests/editor/ui/window_fixture.h"

namespace {

namespace fs = std::filesystem;

// A notary's key and certificate issued by "Notariat RF CA", in `folder`.
void MakeNotary(const TempDir& folder) {
  const std::string in = "cd '" + folder.Path() + "' && openssl ";
  const std::string gost = " -engine gost 2>/dev/null";
  const std::string commands[] = {
      "genpkey -algorithm gost2001 -pkeyopt paramset:A -out ca.key",
      "req -x509 -new -key ca.key -subj '/CN=Notariat RF CA' -days 30 -md_gost94 -out ca.pem",
      "genpkey -algorithm gost2001 -pkeyopt paramset:A -out notary.key",
      "req -new -key notary.key -subj '/C=RU/CN=" + AnsiToUtf8("Смирнова Анна Сергеевна") +
          "' -utf8 -md_gost94 -out notary.csr",
      "x509 -req -in notary.csr -CA ca.pem -CAkey ca.key -set_serial 77 -days 30 -md_gost94 "
      "-out notary.pem",
  };
  for (const std::string& command : commands) {
    ASSERT_EQ(0, RunCommand(in + command + gost + " >/dev/null").status) << command;
  }
}

class SetupDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    signer_ = ImportSigner("signer");
    signer2_ = ImportSigner("signer2");
    MakeNotary(pki_);
    ASSERT_EQ(0, ImportKeyFiles("notary", pki_.File("notary.key"), pki_.File("notary.pem")));
    notary_ = OpensslSha1Pem(pki_.File("notary.pem"));
  }
  static std::string OpensslSha1Pem(const std::string& pem) {
    std::string line =
        RunCommand("openssl x509 -in '" + pem + "' -noout -fingerprint -sha1").output;
    std::string hex;
    for (char c : line.substr(line.find('=') + 1)) {
      if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
    }
    return hex;
  }

  // The certificate's issuer as openssl writes it in the form the library
  // reports: numeric attribute types, in encoding order, joined by ", ".
  static std::string OpensslIssuer(const std::string& certificate) {
    const std::string line = RunCommand("openssl x509 -in '" + certificate +
                                        "' -noout -issuer -nameopt oid,sep_comma_plus_space,"
                                        "utf8,-esc_msb")
                                 .output;
    const size_t start = line.find('=') + 1;
    return Utf8ToAnsi(line.substr(start, line.find_last_not_of("\r\n") + 1 - start));
  }

  std::unique_ptr<TfmQuendaSetup> Dialog() {
    auto dialog = std::make_unique<TfmQuendaSetup>(IniPath());
    dialog->InitCatalogue("");
    dialog->LoadSettings();
    dialog->FillCertificates();
    dialog->show();
    return dialog;
  }
  // The list's position of the certificate with the thumbprint.
  static int IndexOf(const TfmQuendaSetup& dialog, const std::string& sha1) {
    for (size_t i = 0; i < dialog.Certificates().size(); ++i) {
      if (dialog.Certificates()[i].Sha1 == sha1) return static_cast<int>(i);
    }
    return -1;
  }
  static std::string Text(QWidget* dialog, const char* name) {
    return FromQt(Find<QLineEdit>(dialog, name)->text());
  }
  static void SetText(QWidget* dialog, const char* name, const std::string& text) {
    Find<QLineEdit>(dialog, name)->setText(ToQt(text));
  }
  void Click(QWidget* dialog) { Find<QPushButton>(dialog, "btnSave")->click(); }

  TempDir pki_;
  TempDir out_;
  std::string signer_;
  std::string signer2_;
  std::string notary_;
};

TEST_F(SetupDialogTest, AnIniWithoutTheSectionShowsTheExecutablesFolderAndNoCertificate) {
  auto dialog = Dialog();
  EXPECT_EQ(dialog->objectName(), "fmQuendaSetup");
  EXPECT_EQ(FromQt(dialog->windowTitle()), "Параметры");
  ASSERT_EQ(dialog->Certificates().size(), 3u);
  auto* list = Find<QComboBox>(dialog.get(), "cmbPrivateCert");
  EXPECT_EQ(list->count(), 3);
  EXPECT_EQ(list->currentIndex(), -1);
  EXPECT_EQ(Find<TValueList>(dialog.get(), "vleInfo")->rowCount(), 0);
  EXPECT_FALSE(Find<QCheckBox>(dialog.get(), "cbIONotary")->isEnabled());
  for (const char* edit : {"edOutPath", "edInputPath", "edDocPath"}) {
    EXPECT_EQ(Text(dialog.get(), edit), IncludeBackslash(ExeFolder())) << edit;
  }
  for (const char* hidden : {"edEMail", "Label6", "cbCaching"}) {
    EXPECT_FALSE(Find<QWidget>(dialog.get(), hidden)->isVisible()) << hidden;
  }
  for (const TCertInfo& info : dialog->Certificates()) EXPECT_EQ(info.IsActingNotary, 0);
}

TEST_F(SetupDialogTest, ACertificateShowsItsFourRowsAndOnlyANotarysCanBeMarked) {
  auto dialog = Dialog();
  auto* list = Find<QComboBox>(dialog.get(), "cmbPrivateCert");
  auto* mark = Find<QCheckBox>(dialog.get(), "cbIONotary");
  auto* info = Find<TValueList>(dialog.get(), "vleInfo");
  // The subject's values last to first, as the names were given to the
  // certificates; the issuer as openssl reads it from the certificate.
  const struct {
    const std::string& sha1;
    const char* name;
    const char* subject;
    std::string certificate;
  } cases[] = {
      {signer_, "Иванов Иван Иванович", "Иванов Иван Иванович, RU", PkiPath("signer.cer")},
      {notary_, "Смирнова Анна Сергеевна", "Смирнова Анна Сергеевна, RU", pki_.File("notary.pem")},
  };
  for (const auto& one : cases) {
    list->setCurrentIndex(IndexOf(*dialog, one.sha1));
    EXPECT_EQ(FromQt(list->currentText()), one.name);
    const Rows expected = {{"Субъект", one.subject},
                           {"Роль подписанта", "заявитель"},
                           {"Отпечаток сертификата", one.sha1},
                           {"Поставщик", OpensslIssuer(one.certificate)}};
    ASSERT_EQ(info->rowCount(), 4) << one.name;
    for (int row = 0; row < 4; ++row) {
      EXPECT_EQ(FromQt(info->item(row, 0)->text()), expected[row].first);
      EXPECT_EQ(FromQt(info->item(row, 1)->text()), expected[row].second) << one.name;
    }
  }

  list->setCurrentIndex(IndexOf(*dialog, signer_));
  EXPECT_EQ(dialog->Certificates()[IndexOf(*dialog, signer_)].IssuerRole, 2);
  EXPECT_FALSE(mark->isEnabled());

  list->setCurrentIndex(IndexOf(*dialog, notary_));
  EXPECT_EQ(dialog->Certificates()[IndexOf(*dialog, notary_)].IssuerRole, 3);
  EXPECT_TRUE(mark->isEnabled());
  EXPECT_FALSE(mark->isChecked());
  mark->click();
  EXPECT_EQ(dialog->Certificates()[IndexOf(*dialog, notary_)].IsActingNotary, 1);
  list->setCurrentIndex(IndexOf(*dialog, signer2_));
  EXPECT_FALSE(mark->isChecked());
  list->setCurrentIndex(IndexOf(*dialog, notary_));
  EXPECT_TRUE(mark->isChecked());
}

TEST_F(SetupDialogTest, EditsOutliveAHideOrMinimiseAndTheNextOpeningReadsTheFile) {
  WriteIni("[QUENDA_SETUP]\nOUTPATH=/\nSenderSHA1=" + signer_ + "\n");
  const struct {
    const char* how;
    std::function<void(QWidget*)> away_and_back;
  } cases[] = {
      {"hidden",
       [](QWidget* dialog) {
         dialog->hide();
         dialog->show();
       }},
      {"minimised",
       [](QWidget* dialog) {
         dialog->showMinimized();
         dialog->showNormal();
       }},
  };
  for (const auto& one : cases) {
    auto dialog = Dialog();
    auto* list = Find<QComboBox>(dialog.get(), "cmbPrivateCert");
    ASSERT_EQ(list->currentIndex(), IndexOf(*dialog, signer_));
    SetText(dialog.get(), "edOutPath", "/набрано");
    list->setCurrentIndex(IndexOf(*dialog, signer2_));
    one.away_and_back(dialog.get());
    QApplication::processEvents();
    EXPECT_EQ(Text(dialog.get(), "edOutPath"), "/набрано") << one.how;
    EXPECT_EQ(list->currentIndex(), IndexOf(*dialog, signer2_)) << one.how;
    EXPECT_EQ(FromQt(Find<TValueList>(dialog.get(), "vleInfo")->item(2, 1)->text()), signer2_)
        << one.how;
  }

  auto dialog = Dialog();
  SetText(dialog.get(), "edOutPath", "/набрано");
  dialog->reject();
  WriteIni("[QUENDA_SETUP]\nOUTPATH=/tmp/\n");
  dialog->show();
  EXPECT_EQ(Text(dialog.get(), "edOutPath"), "/tmp/");
  EXPECT_EQ(Find<QComboBox>(dialog.get(), "cmbPrivateCert")->currentIndex(), -1);
}

TEST_F(SetupDialogTest, ApplyWritesExactlyItsKeysAndKeepsEveryOtherLine) {
  std::string lower = signer2_;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string unknown(40, 'A');
  // A stored e-mail that fails the check: the field is hidden, so it must
  // not stop the apply.
  const std::string head = "[QUENDA_SETUP]\r\nФамилия=Иванов\r\nE-Mail=не адрес\r\n";
  const std::string tail = "[Другое]\r\nOUTPATH=не трогать\r\n";
  WriteIni(head + "SenderSHA1=" + lower + "\r\nIONotary=" + signer2_ + ";" + unknown + ";" +
           signer_ + "\r\n" + tail);
  auto dialog = Dialog();
  // Thumbprints compare exactly: lower-case hex selects nothing.
  EXPECT_EQ(Find<QComboBox>(dialog.get(), "cmbPrivateCert")->currentIndex(), -1);
  EXPECT_EQ(dialog->Certificates()[IndexOf(*dialog, signer_)].IsActingNotary, 1);
  EXPECT_EQ(dialog->Certificates()[IndexOf(*dialog, signer2_)].IsActingNotary, 1);
  EXPECT_EQ(dialog->Certificates()[IndexOf(*dialog, notary_)].IsActingNotary, 0);

  std::string folders[3];
  const char* names[] = {"пакеты", "входящие", "документы"};
  const char* edits[] = {"edOutPath", "edInputPath", "edDocPath"};
  for (int i = 0; i < 3; ++i) {
    fs::create_directory(out_.File(AnsiToUtf8(names[i])));
    folders[i] = Utf8ToAnsi(out_.File(AnsiToUtf8(names[i])));
    SetText(dialog.get(), edits[i], "  " + folders[i] + " ");
  }
  Find<QComboBox>(dialog.get(), "cmbPrivateCert")->setCurrentIndex(IndexOf(*dialog, notary_));
  Click(dialog.get());
  ASSERT_TRUE(dialog->Applied()) << (dialogs_.boxes.empty() ? ""
                                                            : AnsiToUtf8(dialogs_.boxes[0].text));
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(dialogs_.boxes.empty());
  // The marks in list order; a thumbprint without its key is dropped.
  const bool first = IndexOf(*dialog, signer_) < IndexOf(*dialog, signer2_);
  const std::string marks = first ? signer_ + ";" + signer2_ : signer2_ + ";" + signer_;
  EXPECT_EQ(IniText(), head + "SenderSHA1=" + notary_ + "\r\nIONotary=" + marks +
                           "\r\nOUTPATH=" + folders[0] + "/\r\nINPUTPATH=" + folders[1] +
                           "/\r\nDOCPATH=" + folders[2] + "/\r\n" + tail);
}

TEST_F(SetupDialogTest, AMissingFolderIsRefusedOnItsTabAndNothingIsWritten) {
  const std::string before = "[QUENDA_SETUP]\nOUTPATH=/\n";
  WriteIni(before);
  auto dialog = Dialog();
  SetText(dialog.get(), "edInputPath", "/");
  SetText(dialog.get(), "edDocPath", Utf8ToAnsi(out_.File(AnsiToUtf8("удалённая"))));
  Find<QTabWidget>(dialog.get(), "PageControl1")->setCurrentIndex(0);
  Click(dialog.get());
  EXPECT_FALSE(dialog->Applied());
  EXPECT_TRUE(dialog->isVisible());
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].type, MB_OK | MB_ICONWARNING);
  EXPECT_EQ(dialogs_.Texts(), std::vector<std::string>{"Не найден каталог документов"});
  EXPECT_EQ(Find<QTabWidget>(dialog.get(), "PageControl1")->currentWidget()->objectName(),
            "TabSheet2");
  EXPECT_EQ(IniText(), before);
}

// Typed or pasted, a folder's name may hold what cp1251 lacks; its
// look-alike exists, so that taking it would show.
TEST_F(SetupDialogTest, AFolderCp1251CannotHoldIsRefusedByNameNotTakenAsItsLookAlike) {
  const std::string before = "[QUENDA_SETUP]\nOUTPATH=/\n";
  WriteIni(before);
  fs::create_directory(out_.File("Jos\xC3\xA9"));
  fs::create_directory(out_.File("Jos?"));
  auto dialog = Dialog();
  SetText(dialog.get(), "edInputPath", "/");
  Find<QLineEdit>(dialog.get(), "edDocPath")->setText(QString::fromUtf8(out_.File("Jos\xC3\xA9")));
  Click(dialog.get());
  EXPECT_FALSE(dialog->Applied());
  EXPECT_EQ(dialogs_.Texts(),
            std::vector<std::string>{"Имя [" + Utf8ToAnsi(out_.Path()) +
                                     "/Jos<U+00E9>] нельзя сохранить в кодировке Windows-1251: "
                                     "символ [U+00E9]"});
  EXPECT_EQ(IniText(), before);
}

TEST_F(SetupDialogTest, TheSettingsActionAppliesTheDialogAndTheWindowReadsItBack) {
  WriteIni("[QUENDA_SETUP]\nOUTPATH=/\nINPUTPATH=/\nDOCPATH=/\nSenderSHA1=" + signer_ + "\n");
  auto window = Start();
  ASSERT_TRUE(initialized_);
  bool shown = false;
  QTimer::singleShot(0, [&shown] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    shown = modal->objectName() == "fmQuendaSetup";
    auto* list = modal->findChild<QComboBox*>("cmbPrivateCert");
    list->setCurrentIndex(-1);
    modal->findChild<QPushButton*>("btnSave")->click();
  });
  Find<QAction>(window.get(), "ActionSetup")->trigger();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(window->Params.GetValue("SENDERSHA1"), "");
  EXPECT_EQ(window->Params.GetValue("OUTPATH"), "/");

  // A library that cannot be loaded stops the dialog before it shows.
  window->Params.SetValue("QIMDLLPATH", Utf8ToAnsi(out_.File("нет")), 1);
  Find<QAction>(window.get(), "ActionSetup")->trigger();
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].type, MB_OK | MB_ICONERROR);
  EXPECT_EQ(dialogs_.boxes[0].text.rfind("Невозможно загрузить библиотеку: ", 0), 0u)
      << AnsiToUtf8(dialogs_.boxes[0].text);
}

}  // namespace
