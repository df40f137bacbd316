// Whole sessions through the main window, as a user works: the first start
// without an ini file, the settings, the kinds and fields, the documents
// added, attached and signed, the package formed and checked by peers
// (Python's zipfile and ElementTree, openssl cms), then opened again, its
// signatures checked, a document extracted, a signature deleted and a
// signed file kept against its replacement.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <deque>
#include <filesystem>
#include <sstream>

#include "editor/ui/value_list.h"
#include "tests/editor/model/test_images.h"
#include "tests/editor/ui/modal_dialog.h"
#include "tests/editor/ui/packet_window.h"
#include "tests/editor/ui/saved_packages.h"
#include "tests/support/openssl.h"
#include "tests/support/run_command.h"

namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::string>;
using Table = std::vector<std::vector<std::string>>;

const char kSigner[] = "Иванов Иван Иванович";
const char kSecondSigner[] = "Петров Пётр Петрович";
// How the library reports the test PKI's intermediate authority.
const char kTestIssuer[] = "2.5.4.6=RU, 2.5.4.10=Тарвекс тест, 2.5.4.3=Тестовый УЦ";
const char kOpenOver[] = "При открытии пакета несохраненные данные будут потеряны. Продолжить?";
const char kReplace[] =
    "Документ содержит подписи. При замене документа подписи будут потеряны.\r\nЗаменить "
    "документ?";

class SessionTest : public PacketWindowTest {
 protected:
  void SetUp() override {
    // The first start has no ini file; the settings make it.
    PacketWindowTest::SetUp();
    signer2_ = ImportSigner("signer2");
    fs::remove(SysPath(IniPath()));
    // The test PKI's authorities in the user's stores, put there as the
    // README tells a user to.
    for (const auto& [ca, store] : {std::pair("root", "root"), std::pair("intermediate", "ca")}) {
      const std::string cer = Quoted(PkiPath(ca + std::string(".cer")));
      ASSERT_EQ(0, RunCommand("sha1=$(openssl x509 -inform DER -in " + cer +
                              " -noout -fingerprint -sha1 | sed 's/.*=//; s/://g') && install -D "
                              "-m 644 " +
                              cer + " \"$TARVEX_CRYPT_USER_ROOT/stores/" + store + "/$sha1.cer\"")
                       .status);
    }
    WriteBytes(chain_.File("chain.pem"),
               PemOf(PkiPath("root.cer")) + PemOf(PkiPath("intermediate.cer")));
  }

  // "Параметры": the certificate of that name and the three folders,
  // applied.
  void Settings(TfmQuendaMain* window, const std::string& certificate = kSigner) {
    OnModal([this, &certificate](QDialog& dialog) {
      auto* list = dialog.findChild<QComboBox*>("cmbPrivateCert");
      list->setCurrentIndex(list->findText(ToQt(certificate)));
      const std::pair<const char*, std::string> folders[] = {
          {"edOutPath", Utf8ToAnsi(out_.Path())},
          {"edInputPath", Utf8ToAnsi(out_.Path())},
          {"edDocPath", Utf8ToAnsi(docs_.Path())}};
      for (const auto& [name, folder] : folders) {
        dialog.findChild<QLineEdit*>(name)->setText(ToQt(folder));
      }
      dialog.findChild<QPushButton*>("btnSave")->click();
    });
    Run(window, "ActionSetup");
    EXPECT_EQ(window->Params.GetValue("SENDERSHA1"), certificate == kSigner ? signer_ : signer2_);
    EXPECT_EQ(window->Params.GetValue("DOCPATH"), Utf8ToAnsi(docs_.Path()) + "/");
  }
  void Applicant(TfmQuendaMain* window, int row, const Texts& values) {
    auto* grid = Find<QTableWidget>(window, "sgDeclarants");
    for (int column = 0; column < 5; ++column) Enter(window, grid, row, column, values[column]);
  }
  // Forms into the folder; the package's path from the information box.
  std::string Form(TfmQuendaMain* window, const std::deque<int>& answers) {
    dialogs_.answers = answers;
    dialogs_.folders = {Utf8ToAnsi(out_.Path())};
    Run(window, "ActionSavePacket");
    const std::string prefix = "Имя файла пакета: [";
    EXPECT_FALSE(dialogs_.boxes.empty());
    const std::string last = dialogs_.boxes.empty() ? "" : dialogs_.boxes.back().text;
    EXPECT_EQ(last.rfind(prefix, 0), 0u) << AnsiToUtf8(last);
    EXPECT_EQ(dialogs_.boxes.back().type, MB_OK | MB_ICONINFORMATION);
    return last.substr(prefix.size(), last.size() - prefix.size() - 2);
  }

  // The checker's line per document of the package, each of its signatures
  // verified by openssl cms against the test PKI.
  std::vector<std::string> PeerCheck(const std::string& package) {
    fs::remove_all(chain_.File("peer"));
    fs::create_directory(chain_.File("peer"));
    const CommandResult peer =
        RunCommand("python3 '" TARVEX_SOURCE_DIR "/tests/lib/package/check_package.py' " +
                   Quoted(SysPath(package)) + " " + Quoted(chain_.File("peer")) + " " +
                   Quoted(chain_.File("chain.pem")));
    EXPECT_EQ(0, peer.status) << peer.output;
    std::vector<std::string> lines;
    std::istringstream in(peer.output);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The inventory of the formed package as ElementTree reads it (UTF-8).
  std::string PeerInventory(TfmQuendaMain* window, const std::string& package) {
    const CommandResult peer =
        RunCommand("python3 '" TARVEX_SOURCE_DIR "/tests/editor/model/read_inventory.py' " +
                   Quoted(SysPath(package)) + " " +
                   Quoted(AnsiToUtf8(window->Packet->Documents.back()->FileName)));
    EXPECT_EQ(0, peer.status) << peer.output;
    return peer.output;
  }
  // Opens the package; over work in hand the window asks first, and is
  // answered Yes.
  void Reopen(TfmQuendaMain* window, const std::string& package, const Texts& asked = {}) {
    dialogs_.files = {package};
    dialogs_.answers = {IDYES};
    Run(window, "ActionOpenPacket");
    dialogs_.answers.clear();
    EXPECT_EQ(dialogs_.Texts(), asked);
  }
  // The information dialog's rows for the row's document.
  Rows CheckSignature(TfmQuendaMain* window, int row) {
    Rows rows;
    OnModal([&rows](QDialog& dialog) {
      EXPECT_EQ(dialog.objectName(), "fmSignInfoEx");
      auto* list = dialog.findChild<TValueList*>("vleInfo");
      for (int i = 0; i < list->rowCount(); ++i) {
        rows.emplace_back(FromQt(list->item(i, 0)->text()), FromQt(list->item(i, 1)->text()));
      }
    });
    SelectRow(window, row);
    Run(window, "ActionCheckSign");
    return rows;
  }
  static Rows SignerRows(const std::string& name, const std::string& sha1) {
    return {{"Субъект", name + ", RU"},
            {"Роль подписанта", "заявитель"},
            {"Отпечаток сертификата", sha1},
            {"Поставщик", kTestIssuer}};
  }
  // Extracts the row's document into a fresh folder; each signature file
  // there must verify over the document with openssl cms.
  size_t ExtractAndVerify(TfmQuendaMain* window, int row, const std::string& document) {
    fs::remove_all(extract_.File("out"));
    fs::create_directory(extract_.File("out"));
    SelectRow(window, row);
    dialogs_.folders = {Utf8ToAnsi(extract_.File("out"))};
    Run(window, "ActionExtractDoc");
    EXPECT_EQ(dialogs_.Texts(), Texts{"Документ и подписи извлечены."});
    size_t signatures = 0;
    const std::string content = extract_.File("out/" + AnsiToUtf8(document));
    for (const auto& entry : fs::directory_iterator(extract_.File("out"))) {
      if (entry.path() == content) continue;
      ++signatures;
      EXPECT_EQ(0, OpensslVerify(chain_, ReadBytes(entry.path()), ReadBytes(content),
                                 chain_.File("chain.pem")))
          << entry.path();
    }
    EXPECT_TRUE(fs::exists(content));
    return signatures;
  }
  // Answers No to the replacement of the row's signed file, which stays.
  void KeepSignedFile(TfmQuendaMain* window, int row) {
    const std::string code = Row(window, row).DocumentCode;
    const int32_t signatures = Signatures(window, row);
    ASSERT_GT(signatures, 0);
    dialogs_.answers = {IDNO};
    Attach(window, row, Input("другой.pdf", "%PDF-1.4 другой"));
    EXPECT_EQ(dialogs_.Texts(), Texts{kReplace});
    EXPECT_EQ(Row(window, row).DocumentCode, code);
    EXPECT_EQ(Signatures(window, row), signatures);
  }

  std::string signer2_;
  TempDir out_;
  TempDir chain_;
  TempDir extract_;
};

TEST_F(SessionTest, AnEntrepreneurFormsOpensChecksExtractsAndEditsAPackage) {
  auto window = Start();
  ASSERT_TRUE(initialized_);
  EXPECT_EQ(window->State, kStateNothing);
  Settings(window.get());
  Pick(window.get(), "cmbRegType", 0);
  Pick(window.get(), "cmbAppType", 0);
  auto* params = Find<QTableWidget>(window.get(), "sgParams");
  Choose(window.get(), params, 2, "выслать документы по почте");
  Choose(window.get(), params, 3, "МИФНС России № 46 по г. Москве");
  Applicant(window.get(), 0, {"Иванов", "Иван", "Иванович", "500100732259", "ivanov@example.ru"});
  AddDocuments(window.get(), {"Копия паспорта"});
  EXPECT_EQ(List(window.get())->currentItem(), List(window.get())->topLevelItem(1));
  Attach(window.get(), 0, Input("скан.tif", Tiff(2480, 3508, 1)));
  Attach(window.get(), 1, Input("паспорт.pdf", "%PDF-1.4 паспорт"));
  ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  EXPECT_EQ(dialogs_.file_requests.back().filter, "Типы документов (*.tiff;*.tif)|*.tiff;*.tif");
  Sign(window.get(), 0);
  {
    // Opening now would drop the packet in hand: No keeps it, unasked for a file.
    const TPacket* packet = window->Packet.get();
    const size_t requests = dialogs_.file_requests.size();
    dialogs_.answers = {IDNO};
    Run(window.get(), "ActionOpenPacket");
    EXPECT_EQ(dialogs_.Texts(), Texts{kOpenOver});
    EXPECT_EQ(dialogs_.file_requests.size(), requests);
    EXPECT_EQ(window->Packet.get(), packet);
    EXPECT_EQ(window->State, kStateNewIP);
  }

  // The passport is signed when the forming asks.
  const std::string package = Form(window.get(), {IDYES});
  EXPECT_EQ(dialogs_.Texts().front(), "Документ [Копия паспорта] не подписан. Подписать?");
  EXPECT_EQ(package, Utf8ToAnsi(out_.Path()) + "/" + window->Packet->PackageFileName);
  EXPECT_EQ(PeerCheck(package).size(), 3u);
  const std::string inventory = PeerInventory(window.get(), package);
  EXPECT_NE(inventory.find(AnsiToUtf8("КодСФРД='21001' КодНО='7746' ПрВысБум='2'")),
            std::string::npos)
      << inventory;
  EXPECT_NE(inventory.find(AnsiToUtf8("СвИП ИННФЛ='500100732259' E-mail='ivanov@example.ru'")),
            std::string::npos)
      << inventory;
  EXPECT_NE(inventory.find(AnsiToUtf8("ИсхИмяФайла='скан.tif'")), std::string::npos);
  EXPECT_NE(IniText().find("КОДНО=7746"), std::string::npos);
  EXPECT_NE(IniText().find("QUERYCODE=2"), std::string::npos);

  Reopen(window.get(), package, {kOpenOver});
  EXPECT_EQ(window->State, kStateOpenedIP);
  EXPECT_EQ(Documents(window.get()), (Table{{"Заявление по форме Р21001", "скан.tif", kSigner},
                                            {"Копия паспорта", "паспорт.pdf", kSigner}}));
  EXPECT_EQ(CheckSignature(window.get(), 0), SignerRows(kSigner, signer_));
  EXPECT_EQ(ExtractAndVerify(window.get(), 0, "скан.tif"), 1u);
  EXPECT_TRUE(Enabled(window.get(), "ActionDeleteDoc"));  // the application too, once opened
  DeleteFirstSignature(window.get(), 1);
  EXPECT_EQ(Signatures(window.get(), 1), 0);
  EXPECT_EQ(Documents(window.get())[1][2], "");
  {
    // Checked now, the passport says it has no signature instead of passing.
    const ModalGuard guard;
    SelectRow(window.get(), 1);
    Run(window.get(), "ActionCheckSign");
    EXPECT_FALSE(guard.Shown());
    EXPECT_EQ(dialogs_.Texts(), Texts{"Документ [Копия паспорта] не подписан."});
  }
  KeepSignedFile(window.get(), 0);

  // Formed again over the file it was opened from, the passport signed anew.
  EXPECT_EQ(Form(window.get(), {IDYES}), package);
  EXPECT_EQ(PeerCheck(package).size(), 3u);
}

TEST_F(SessionTest, ALegalEntityWithTwoApplicantsAndADecisionOfficeFormsItsPackage) {
  auto window = Start();
  Settings(window.get());
  Pick(window.get(), "cmbRegType", 2);
  Pick(window.get(), "cmbAppType", 0);
  auto* params = Find<QTableWidget>(window.get(), "sgParams");
  Choose(window.get(), params, 3, "ГУ Минюста России по Москве");
  Choose(window.get(), params, 4, "МИФНС России № 46 по г. Москве");
  Applicant(window.get(), 0, {"Иванов", "Иван", "Иванович", "500100732259", "ivanov@example.ru"});
  // Arrow down on the last applicant adds the next.
  auto* applicants = Find<QTableWidget>(window.get(), "sgDeclarants");
  QTest::keyClick(applicants, Qt::Key_Down);
  ASSERT_EQ(applicants->rowCount(), 2);
  Applicant(window.get(), 1, {"Петров", "Пётр", "", "", "petrov@example.ru"});
  AddDocuments(window.get(), {"Решение Минюста", "Устав"});
  Attach(window.get(), 0, Input("скан.tif", Tiff(2480, 3508, 1)));
  Attach(window.get(), 1, Input("решение.pdf", "%PDF-1.4 решение"));
  Attach(window.get(), 2, Input("устав.pdf", "%PDF-1.4 устав"));
  ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  for (const int row : {0, 1, 2}) Sign(window.get(), row);
  // A legal entity's document takes more than one signature: the charter
  // is signed by the second applicant too, who forms the package.
  Settings(window.get(), kSecondSigner);
  Sign(window.get(), 2);
  EXPECT_EQ(Documents(window.get())[2][2], std::string(kSigner) + "," + kSecondSigner);

  // The name is typed last, and its editor still has the focus as the
  // forming starts.
  QApplication::setActiveWindow(window.get());
  params->setFocus();
  params->setCurrentCell(5, 1);
  auto* name = Find<QComboBox>(window.get(), "cmbOrgName");
  ASSERT_TRUE(name->lineEdit()->hasFocus());
  Type(name->lineEdit(), "Автономная некоммерческая организация \"Ромашка\"");
  const std::string package = Form(window.get(), {});
  EXPECT_EQ(dialogs_.Texts().size(), 1u);
  EXPECT_EQ(PeerCheck(package).size(), 4u);
  const std::string inventory = PeerInventory(window.get(), package);
  for (const char* part :
       {"КодНО='7746' КодМЮиЦБ='0077'",
        "СвЮЛ НаимЮЛПолн='Автономная некоммерческая организация \"Ромашка\"'\n",
        "СвЗаявит ИННФЛ='500100732259' E-mail='ivanov@example.ru'",
        "СвЗаявит E-mail='petrov@example.ru'\n    ФИО Фамилия='Петров' Имя='Пётр'\n"}) {
    EXPECT_NE(inventory.find(AnsiToUtf8(part)), std::string::npos) << AnsiToUtf8(part);
  }

  Reopen(window.get(), package, {kOpenOver});
  EXPECT_EQ(window->State, kStateOpenedUL);
  EXPECT_EQ(ParamRows(window.get())[3],
            (std::pair<std::string, std::string>("Орган, принимающий решение",
                                                 "ГУ Минюста России по Москве")));
  EXPECT_EQ(Applicants(window.get()),
            (Table{{"Иванов", "Иван", "Иванович", "500100732259", "ivanov@example.ru"},
                   {"Петров", "Пётр", "", "", "petrov@example.ru"}}));
  Rows two = {{"ЭЦП №1", ""}};
  for (const auto& row : SignerRows(kSigner, signer_)) two.push_back(row);
  two.emplace_back("ЭЦП №2", "");
  for (const auto& row : SignerRows(kSecondSigner, signer2_)) two.push_back(row);
  EXPECT_EQ(CheckSignature(window.get(), 2), two);
  EXPECT_EQ(ExtractAndVerify(window.get(), 2, "устав.pdf"), 2u);
  DeleteFirstSignature(window.get(), 2);
  EXPECT_EQ(Signatures(window.get(), 2), 1);
  EXPECT_EQ(Documents(window.get())[2][2], kSecondSigner);
  KeepSignedFile(window.get(), 0);
}

TEST_F(SessionTest, AReceivedPackageOpensForViewingAndExtractingOnly) {
  SavedPackages saved(packages_);
  saved.UseSigner(signer_);
  auto window = Start();
  Reopen(window.get(), saved.Receipt());
  EXPECT_EQ(window->State, kStateOpenedOther);
  SelectRow(window.get(), 0);
  for (const char* name :
       {"ActionSavePacket", "ActionAddDoc", "ActionAddSign", "ActionEditSign", "ActionDeleteDoc"}) {
    EXPECT_FALSE(Enabled(window.get(), name)) << name;
  }
  Run(window.get(), "ActionOpenFile");
  ASSERT_EQ(dialogs_.launched.size(), 1u);
  EXPECT_EQ(ReadBytes(SysPath(dialogs_.launched[0].file)), "%PDF-1.4 расписка");
  EXPECT_EQ(ExtractAndVerify(window.get(), 0, "расписка.pdf"), 0u);
}

}  // namespace
