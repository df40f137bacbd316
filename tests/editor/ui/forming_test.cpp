// Forming the package from the main window: the signatures still missing
// asked for, the folder chosen, the name kept for a second forming, and
// what a cancelled or failed forming leaves.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <filesystem>
#include <optional>

#include "editor/model/ip_packet.h"
#include "editor/model/ul_packet.h"
#include "tests/editor/ui/packet_window.h"

namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::string>;

class FormingTest : public PacketWindowTest {
 protected:
  // Runs the form action with the folder dialog answered by `folder`
  // (cancelled without one).
  void Form(TfmQuendaMain* window, const std::optional<std::string>& folder) {
    dialogs_.folders = {folder};
    Run(window, "ActionSavePacket");
  }
  std::string Folder(const TempDir& dir) const { return Utf8ToAnsi(dir.Path()); }
  static size_t FilesIn(const TempDir& dir) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()));
  }

  TempDir first_;
  TempDir second_;
};

TEST_F(FormingTest, CancellingTheFolderWritesNothingAndKeepsTheSignaturesAndOutpath) {
  auto window = StartEntrepreneur();
  const std::string outpath = window->Params.GetValue("OUTPATH");
  Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
  // The sender is the applicant in the grid, not the last run's.
  Find<QTableWidget>(window.get(), "sgDeclarants")->item(0, 3)->setText("770123456703");
  dialogs_.answers = {IDYES};
  Form(window.get(), std::nullopt);
  EXPECT_EQ(dialogs_.Texts(),
            Texts{"Документ [Заявление по форме Р21001] не подписан. Подписать?"});
  EXPECT_EQ(dialogs_.folder_titles, Texts{"Выберите папку для формирования пакета"});
  EXPECT_EQ(Signatures(window.get(), 0), 1);
  EXPECT_EQ(Documents(window.get())[0][2], "Иванов Иван Иванович");
  EXPECT_EQ(window->Packet->SenderId, "770123456703");
  EXPECT_EQ(window->Packet->ReceiverId, "7746");
  EXPECT_EQ(window->Packet->PackageFileName, "");
  EXPECT_EQ(window->Params.GetValue("OUTPATH"), outpath);
  EXPECT_EQ(Files(window.get()), 1);
}

TEST_F(FormingTest, FormingTwiceKeepsThePackagesNameInTheNewFolder) {
  auto window = StartEntrepreneur();
  Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
  Sign(window.get(), 0);
  Form(window.get(), Folder(first_));
  const std::string name = window->Packet->PackageFileName;
  EXPECT_EQ(name.rfind("ZUK_500100732259_7746_", 0), 0u) << AnsiToUtf8(name);
  EXPECT_EQ(dialogs_.boxes.at(0).type, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(dialogs_.Texts(), Texts{"Имя файла пакета: [" + Folder(first_) + "/" + name + "]."});
  EXPECT_EQ(FromQt(Find<QLabel>(window.get(), "sbMainPanel1")->text()), name);

  Form(window.get(), Folder(second_));
  EXPECT_EQ(dialogs_.Texts(), Texts{"Имя файла пакета: [" + Folder(second_) + "/" + name + "]."});
  EXPECT_TRUE(fs::exists(first_.File(AnsiToUtf8(name))));
  EXPECT_TRUE(fs::exists(second_.File(AnsiToUtf8(name))));
  // One inventory, the last file; no inventory file is left on disk.
  EXPECT_EQ(Files(window.get()), 2);
  EXPECT_EQ(window->Packet->IndexOfFileByDocTypeCode("07"), 1);
  EXPECT_EQ(FilesIn(first_), 1u);
  EXPECT_EQ(FilesIn(second_), 1u);
}

TEST_F(FormingTest, AnUnsignedDocumentLeftSoStopsAnEntrepreneurButNotALegalEntity) {
  auto window = StartEntrepreneur();
  Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
  dialogs_.answers = {IDNO};
  Form(window.get(), Folder(first_));
  EXPECT_EQ(dialogs_.Texts(),
            (Texts{"Документ [Заявление по форме Р21001] не подписан. Подписать?",
                   "Ошибка формирования пакета:\r\nДокумент [Заявление по форме Р21001] не "
                   "подписан. В опись пакета индивидуального предпринимателя включается подпись "
                   "каждого документа"}));
  // Refused before a folder is asked for.
  EXPECT_TRUE(dialogs_.folder_titles.empty());
  EXPECT_EQ(FilesIn(first_), 0u);
  EXPECT_EQ(Files(window.get()), 1);

  auto entity = StartLegalEntity();
  Attach(entity.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
  dialogs_.answers = {IDNO};
  Form(entity.get(), Folder(second_));
  const Texts texts = dialogs_.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].rfind("Имя файла пакета: [", 0), 0u) << AnsiToUtf8(texts[1]);
  EXPECT_EQ(Signatures(entity.get(), 0), 0);
  EXPECT_EQ(FilesIn(second_), 1u);
  // The OGRN of the last run is not this entity's: its kind requires none.
  const TRegULInfo& formed = dynamic_cast<TULPacket&>(*entity->Packet).Entity;
  EXPECT_EQ(formed.НаимЮЛПолн, "АНО \"Ромашка\"");
  EXPECT_EQ(formed.ОГРН, "");
}

TEST_F(FormingTest, ThePackageAndTheIniFileTakeTheAddressAsChecked) {
  auto window = StartEntrepreneur();
  Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
  Sign(window.get(), 0);
  Enter(window.get(), Find<QTableWidget>(window.get(), "sgDeclarants"), 0, 4,
        "  ivanov@example.ru ");
  Form(window.get(), Folder(first_));
  ASSERT_EQ(dialogs_.Texts().size(), 1u);  // the package's name
  EXPECT_EQ(dynamic_cast<TNewIPPacket&>(*window->Packet).Applicant.Email, "ivanov@example.ru");
  const std::string inventory =
      Content(window.get(), window->Packet->IndexOfFileByDocTypeCode("07"));
  EXPECT_NE(inventory.find("E-mail=\"ivanov@example.ru\""), std::string::npos)
      << AnsiToUtf8(inventory);
  EXPECT_NE(IniText().find("E-MAIL=ivanov@example.ru\r\n"), std::string::npos);
}

// The form action leaves the focus where it is.
TEST_F(FormingTest, TheNameStillBeingTypedIsTheEntitys) {
  auto entity = StartLegalEntity();
  Attach(entity.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
  QTableWidget* params = Find<QTableWidget>(entity.get(), "sgParams");
  params->setFocus();
  params->setCurrentCell(5, 1);
  auto* name = Find<QComboBox>(entity.get(), "cmbOrgName");
  ASSERT_TRUE(name->lineEdit()->hasFocus());
  name->lineEdit()->selectAll();
  Type(name->lineEdit(), "Фонд Развитие");
  dialogs_.answers = {IDNO};  // a legal entity's document may stay unsigned
  Form(entity.get(), Folder(second_));
  const Texts texts = dialogs_.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].rfind("Имя файла пакета: [", 0), 0u) << AnsiToUtf8(texts[1]);
  EXPECT_EQ(dynamic_cast<TULPacket&>(*entity->Packet).Entity.НаимЮЛПолн, "Фонд Развитие");
}

TEST_F(FormingTest, WithoutACertificateOnlyTheSettingsAreOffered) {
  WriteIni(
      "[QUENDA_SETUP]\r\nФамилия=Иванов\r\nИмя=Иван\r\nE-MAIL=ivanov@example.ru\r\n"
      "КОДНО=7746\r\n");
  auto window = StartEntrepreneur();
  Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
  dialogs_.answers = {IDNO};
  Form(window.get(), Folder(first_));
  EXPECT_EQ(dialogs_.Texts(), Texts{"Не указан сертификат ключа подписи. Выполнить настройку?"});
  EXPECT_TRUE(dialogs_.folder_titles.empty());
  EXPECT_EQ(Signatures(window.get(), 0), 0);
}

}  // namespace
