// The main window's document actions: when each may run, attaching and
// replacing files, signing, deleting, viewing and extracting, each with its
// questions and messages, and the document always found by its code.
#include <sys/stat.h>

#include <QTableWidget>
#include <deque>
#include <filesystem>
#include <set>

#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"
#include "editor/model/string_routines.h"
#include "editor/ui/work_folder.h"
#include "tests/editor/model/test_images.h"
#include "tests/editor/ui/modal_dialog.h"
#include "tests/editor/ui/packet_window.h"
#include "tests/editor/ui/saved_packages.h"

namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::string>;

const char* const kRowActions[] = {"ActionAddFile",   "ActionAddSign",  "ActionEditSign",
                                   "ActionDeleteDoc", "ActionOpenFile", "ActionCheckSign",
                                   "ActionExtractDoc"};

// The row actions that may run now, by name.
std::set<std::string> EnabledRowActions(TfmQuendaMain* window) {
  std::set<std::string> names;
  for (const char* name : kRowActions) {
    if (window->findChild<QAction*>(name)->isEnabled()) names.insert(name);
  }
  return names;
}

using DocumentActionsTest = PacketWindowTest;

TEST_F(DocumentActionsTest, TheActionsFollowTheStateTheRowItsDocumentAndTheFocus) {
  auto window = StartEntrepreneur();
  EXPECT_TRUE(Enabled(window.get(), "ActionSavePacket"));
  EXPECT_TRUE(Enabled(window.get(), "ActionAddDoc"));
  EXPECT_EQ(FromQt(Find<QAction>(window.get(), "ActionSavePacket")->toolTip()),
            "Сформировать пакет");
  // The application's own row, without a file: it can only be attached.
  SelectRow(window.get(), 0);
  EXPECT_EQ(EnabledRowActions(window.get()), std::set<std::string>{"ActionAddFile"});
  // Without the focus in the list no row action runs.
  Find<QTableWidget>(window.get(), "sgDeclarants")->setFocus();
  EXPECT_TRUE(EnabledRowActions(window.get()).empty());

  Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4 заявление"));
  EXPECT_EQ(EnabledRowActions(window.get()),
            (std::set<std::string>{"ActionAddFile", "ActionAddSign", "ActionOpenFile",
                                   "ActionExtractDoc"}));
  // An entrepreneur's document takes one signature; a legal entity's more.
  Sign(window.get(), 0);
  EXPECT_EQ(EnabledRowActions(window.get()),
            (std::set<std::string>{"ActionAddFile", "ActionEditSign", "ActionOpenFile",
                                   "ActionExtractDoc"}));
  // Any other document of a new packet may be deleted.
  AddRow(window.get(), "03", "Копия паспорта", "02001");
  SelectRow(window.get(), 1);
  EXPECT_EQ(EnabledRowActions(window.get()),
            (std::set<std::string>{"ActionAddFile", "ActionDeleteDoc"}));

  auto entity = StartLegalEntity();
  Attach(entity.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
  Sign(entity.get(), 0);
  EXPECT_TRUE(Enabled(entity.get(), "ActionAddSign"));

  // Nothing chosen: no packet to form or add to.
  Run(window.get(), "ActionNewPacket");
  EXPECT_FALSE(Enabled(window.get(), "ActionSavePacket"));
  EXPECT_FALSE(Enabled(window.get(), "ActionAddDoc"));
}

TEST_F(DocumentActionsTest, AttachingFillsTheRowAndAReplacedSignedFileIsAskedForAndChecked) {
  auto window = StartEntrepreneur();
  const std::string statement = Input("заявление.pdf", "%PDF-1.4 заявление");
  Attach(window.get(), 0, statement);
  ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  ASSERT_EQ(dialogs_.file_requests.size(), 1u);
  EXPECT_EQ(dialogs_.file_requests[0].filter,
            "Типы документов (*.tiff;*.tif;*.doc;*.xls)|*.tiff;*.tif;*.doc;*.xls");
  EXPECT_EQ(dialogs_.file_requests[0].initial_dir, Utf8ToAnsi(docs_.Path()) + "\\");
  EXPECT_EQ(Row(window.get(), 0).SourcePath, statement);
  EXPECT_EQ(Row(window.get(), 0).PackageIndex, 0);
  EXPECT_EQ(Content(window.get(), FileOf(window.get(), 0)), "%PDF-1.4 заявление");
  EXPECT_EQ(Documents(window.get())[0][1], statement);
  Sign(window.get(), 0);
  EXPECT_EQ(Documents(window.get())[0][2], "Иванов Иван Иванович");
  const std::string signed_code = Row(window.get(), 0).DocumentCode;

  // No keeps the signed document; a file the limits refuse keeps it too.
  dialogs_.answers = {IDNO};
  Attach(window.get(), 0, Input("скан.tif", Tiff(2480, 3508, 1)));
  EXPECT_EQ(dialogs_.boxes.at(0).type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(dialogs_.Texts(), Texts{"Документ содержит подписи. При замене документа подписи "
                                    "будут потеряны.\r\nЗаменить документ?"});
  dialogs_.answers = {IDYES};
  Attach(window.get(), 0, Input("широкий.tif", Tiff(3001, 4000, 1)));
  EXPECT_EQ(dialogs_.Texts(),
            (Texts{"Документ содержит подписи. При замене документа подписи будут "
                   "потеряны.\r\nЗаменить документ?",
                   "Ошибка прикрепления файла к документу:\r\nШирина изображения не должна быть "
                   "более 3000 точек на дюйм"}));
  EXPECT_EQ(Row(window.get(), 0).DocumentCode, signed_code);
  EXPECT_EQ(Row(window.get(), 0).SourcePath, statement);
  EXPECT_EQ(Files(window.get()), 1);
  EXPECT_EQ(Signatures(window.get(), 0), 1);

  dialogs_.answers = {IDYES};
  const std::string scan = Input("скан.tif", Tiff(2480, 3508, 1));
  Attach(window.get(), 0, scan);
  EXPECT_EQ(dialogs_.Texts().size(), 1u);
  EXPECT_NE(Row(window.get(), 0).DocumentCode, signed_code);
  EXPECT_EQ(Files(window.get()), 1);
  EXPECT_EQ(Signatures(window.get(), 0), 0);
  EXPECT_EQ(Documents(window.get())[0],
            (std::vector<std::string>{"Заявление по форме Р21001", scan, ""}));
  ASSERT_EQ(window->Packet->Documents.size(), 1u);
  EXPECT_EQ(window->Packet->Documents[0]->SourcePath, scan);

  // A kind the table does not know keeps the filter the dialog had.
  AddRow(window.get(), "99", "Неизвестный", "");
  dialogs_.file_requests.clear();
  Attach(window.get(), 1, Input("другой.pdf", "%PDF-1.4"));
  EXPECT_EQ(dialogs_.file_requests.at(0).filter,
            "Типы документов (*.tiff;*.tif;*.doc;*.xls)|*.tiff;*.tif;*.doc;*.xls");
  EXPECT_EQ(dialogs_.Texts(), Texts{"Ошибка прикрепления файла к документу:\r\nНедопустимый код "
                                    "типа документа [99]"});
}

TEST_F(DocumentActionsTest, RowsFindTheirDocumentsByCodeAfterAnEarlierOneIsDeleted) {
  auto window = StartEntrepreneur();
  AddRow(window.get(), "03", "Копия паспорта", "02001");
  AddRow(window.get(), "04", "Документ об уплате госпошлины", "03001");
  for (int row = 0; row < 3; ++row) {
    Attach(window.get(), row,
           Input("документ" + std::to_string(row) + ".pdf",
                 "%PDF-1.4 документ " + std::to_string(row)));
  }
  ASSERT_EQ(Files(window.get()), 3);

  // No keeps the row; Yes deletes it with its document.
  SelectRow(window.get(), 1);
  dialogs_.answers = {IDNO};
  Run(window.get(), "ActionDeleteDoc");
  EXPECT_EQ(Documents(window.get()).size(), 3u);
  dialogs_.answers = {IDYES};
  Run(window.get(), "ActionDeleteDoc");
  EXPECT_EQ(dialogs_.Texts(), (Texts{"Вы действительно хотите удалить документ из пакета?",
                                     "Вы действительно хотите удалить документ из пакета?"}));
  EXPECT_EQ(Documents(window.get()).size(), 2u);
  EXPECT_EQ(Files(window.get()), 2);
  EXPECT_EQ(window->Packet->Documents.size(), 2u);

  // The last row's document moved up: it is signed and viewed as itself.
  EXPECT_EQ(Row(window.get(), 1).PackageIndex, 1);
  Sign(window.get(), 1);
  EXPECT_EQ(Signatures(window.get(), 1), 1);
  EXPECT_EQ(Signatures(window.get(), 0), 0);
  Run(window.get(), "ActionOpenFile");
  ASSERT_EQ(dialogs_.launched.size(), 1u);
  EXPECT_EQ(ReadBytes(SysPath(dialogs_.launched[0].file)), "%PDF-1.4 документ 2");
}

TEST_F(DocumentActionsTest, SigningWithoutACertificateOffersTheSettingsAndSignsNothing) {
  WriteIni("[QUENDA_SETUP]\r\nКОДНО=7746\r\n");
  auto window = StartEntrepreneur();
  Attach(window.get(), 0, Input("заявление.pdf", "%PDF-1.4"));
  dialogs_.answers = {IDNO};
  Sign(window.get(), 0);
  EXPECT_EQ(dialogs_.boxes.at(0).type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(dialogs_.Texts(), Texts{"Не указан сертификат ключа подписи. Выполнить настройку?"});
  EXPECT_EQ(Signatures(window.get(), 0), 0);

  // A thumbprint without its key.
  window->Params.SetValue("SENDERSHA1", std::string(40, 'A'), 1);
  Sign(window.get(), 0);
  const Texts texts = dialogs_.Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].rfind("Ошибка подписания документа:\r\n", 0), 0u) << AnsiToUtf8(texts[0]);
  EXPECT_EQ(Signatures(window.get(), 0), 0);
}

class ReadingDocumentsTest : public PacketWindowTest {
 protected:
  void SetUp() override {
    PacketWindowTest::SetUp();
    saved_.UseSigner(signer_);
  }
  // A received package whose document carries `name` as its original file
  // name, as another program may have written it.
  std::string ReceiptNamed(const std::string& name) {
    return Renamed(saved_.Receipt(), "расписка.pdf", name);
  }
  // The package with the document of original file name `from` carrying
  // `to` instead.
  static std::string Renamed(const std::string& path, const std::string& from,
                             const std::string& to) {
    const CommandResult rename =
        RunCommand("python3 '" TARVEX_TEST_DIR "/rename_original.py' '" + SysPath(path) + "' '" +
                   AnsiToUtf8(from) + "' '" + AnsiToUtf8(to) + "'");
    EXPECT_EQ(rename.status, 0) << rename.output;
    return path;
  }
  void Open(TfmQuendaMain* window, const std::string& path) {
    dialogs_.files = {path};
    Run(window, "ActionOpenPacket");
    ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  }

  // The file name the first signature of the second row's document is
  // extracted under.
  static std::string FirstSignatureName(TfmQuendaMain* window) {
    return SignatureText(SignatureAt(window->Packet->Package.get(), FileOf(window, 1), 0).get(),
                         &ITarvexSignature::get_Filename);
  }

  SavedPackages saved_{packages_};
  TempDir extract_;
};

TEST_F(ReadingDocumentsTest, ViewingWritesTheDocumentIntoTheWorkFolderWithoutAnExecuteBit) {
  auto window = Start();
  Open(window.get(), saved_.Receipt());
  EXPECT_EQ(window->State, kStateOpenedOther);
  // An earlier file of the name, made executable meanwhile, is replaced.
  const std::string earlier = SysPath(window->GetWorkFolder() + "расписка.pdf");
  WriteBytes(earlier, "старое");
  ::chmod(earlier.c_str(), 0755);
  SelectRow(window.get(), 0);
  Run(window.get(), "ActionOpenFile");
  ASSERT_TRUE(dialogs_.boxes.empty()) << AnsiToUtf8(dialogs_.boxes[0].text);
  ASSERT_EQ(dialogs_.launched.size(), 1u);
  EXPECT_EQ(dialogs_.launched[0].file, window->GetWorkFolder() + "расписка.pdf");
  EXPECT_EQ(dialogs_.launched[0].show, SW_SHOWMAXIMIZED);
  EXPECT_EQ(ReadBytes(earlier), "%PDF-1.4 расписка");
  struct stat status;
  ASSERT_EQ(::stat(earlier.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0111, 0u);
  // The list's double click views too; closing the window clears the folder.
  emit List(window.get())->itemDoubleClicked(List(window.get())->topLevelItem(0), 0);
  EXPECT_EQ(dialogs_.launched.size(), 2u);
  window->close();
  EXPECT_FALSE(fs::exists(earlier));

  // A row not yet in the package is its own source file.
  auto packet = StartEntrepreneur();
  const std::string source = Input("черновик.pdf", "%PDF-1.4");
  packet->AddDocItem(source, "03", "", "", -1, "Черновик", "");
  SelectRow(packet.get(), 1);
  Run(packet.get(), "ActionOpenFile");
  EXPECT_EQ(dialogs_.launched.at(2).file, source);
  fs::remove(SysPath(source));
  Run(packet.get(), "ActionOpenFile");
  EXPECT_EQ(dialogs_.Texts(),
            Texts{"Ошибка открытия документа:\r\nФайл документа [" + source + "] не найден"});
}

TEST_F(ReadingDocumentsTest, CheckingADocumentWithoutASignatureSaysSoAndShowsNoDialog) {
  auto window = Start();
  Open(window.get(), saved_.Receipt());
  const ModalGuard guard;
  SelectRow(window.get(), 0);
  Run(window.get(), "ActionCheckSign");
  EXPECT_FALSE(guard.Shown());
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].type, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(dialogs_.Texts(), Texts{"Документ [РаспискаПриемДокум] не подписан."});
}

TEST_F(ReadingDocumentsTest, ExtractingWritesTheDocumentAndEachSignatureUnderItsOwnName) {
  auto window = Start();
  Open(window.get(), saved_.Entrepreneur());
  SelectRow(window.get(), 1);
  // Cancelled: nothing is written and the folder is not kept.
  Run(window.get(), "ActionExtractDoc");
  EXPECT_EQ(dialogs_.folder_titles, Texts{"Выберите папку для извлечения"});
  EXPECT_EQ(window->Params.GetValue("EXTRACTFOLDER"), "");

  const std::string folder = Utf8ToAnsi(extract_.Path());
  dialogs_.folders = {folder};
  Run(window.get(), "ActionExtractDoc");
  EXPECT_EQ(dialogs_.boxes.at(0).type, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(dialogs_.Texts(), Texts{"Документ и подписи извлечены."});
  EXPECT_EQ(window->Params.GetValue("EXTRACTFOLDER"), folder);
  const std::string signature = FirstSignatureName(window.get());
  EXPECT_EQ(ReadBytes(extract_.File(AnsiToUtf8("паспорт.pdf"))), "%PDF-1.4 Паспорт");
  EXPECT_EQ(ReadBytes(extract_.File(AnsiToUtf8(signature))).substr(0, 1), "\x30");
  EXPECT_EQ(std::distance(fs::directory_iterator(extract_.Path()), fs::directory_iterator()), 2);
}

TEST_F(ReadingDocumentsTest, AReceivedNameWithAFolderOrAControlCharacterIsRefusedUnwritten) {
  const std::string folder_cause = "ожидается имя файла без указания папки";
  const std::string control_cause = "имя содержит управляющие символы";
  struct Case {
    std::string name;
    std::string shown;  // in the refusal
    std::string cause;
  } cases[] = {
      {"..\\..\\x", "..\\..\\x", folder_cause},
      {"/etc/x", "/etc/x", folder_cause},
      {"a/b", "a/b", folder_cause},
      {"строка\nвторая.pdf", "строка\\x0Aвторая.pdf", control_cause},
      {"\x1B[2J\x1B]0;окно\x07.pdf", "\\x1B[2J\\x1B]0;окно\\x07.pdf", control_cause},
      {"возврат\rтаб\t.pdf", "возврат\\x0Dтаб\\x09.pdf", control_cause},
      {"удалить\x7F.pdf", "удалить\\x7F.pdf", control_cause},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AnsiToUtf8(c.shown));
    auto window = Start();
    Open(window.get(), ReceiptNamed(c.name));
    ASSERT_EQ(Row(window.get(), 0).SourcePath, c.name);
    SelectRow(window.get(), 0);
    Run(window.get(), "ActionOpenFile");
    const std::string refusal = "Недопустимое имя файла [" + c.shown + "]: " + c.cause;
    EXPECT_EQ(dialogs_.Texts(), Texts{"Ошибка открытия документа:\r\n" + refusal});
    EXPECT_TRUE(dialogs_.launched.empty());
    dialogs_.folders = {Utf8ToAnsi(extract_.Path())};
    Run(window.get(), "ActionExtractDoc");
    EXPECT_EQ(dialogs_.Texts(), Texts{"Ошибка извлечения документа:\r\n" + refusal});
    EXPECT_TRUE(fs::is_empty(extract_.Path()));
    EXPECT_TRUE(fs::is_empty(SysPath(window->GetWorkFolder())));
  }
}

TEST_F(ReadingDocumentsTest, ExtractingOverExistingFilesAsksAndANoWritesNothing) {
  const std::string folder = IncludeBackslash(Utf8ToAnsi(extract_.Path()));
  const std::string document = extract_.File(AnsiToUtf8("паспорт.pdf"));
  auto window = Start();
  Open(window.get(), saved_.Entrepreneur());
  SelectRow(window.get(), 1);
  const std::string signature = FirstSignatureName(window.get());
  const std::string signature_path = extract_.File(AnsiToUtf8(signature));
  const std::string ask_document = "Файл [" + folder + "паспорт.pdf] уже существует. Заменить?";
  const std::string ask_signature = "Файл [" + folder + signature + "] уже существует. Заменить?";
  const std::string done = "Документ и подписи извлечены.";
  struct Case {
    bool signature_there;
    std::deque<int> answers;
    Texts texts;
    bool replaced;
  } cases[] = {
      {false, {IDNO}, {ask_document}, false},
      {false, {IDYES}, {ask_document, done}, true},
      // A No to any file keeps every one: a document never goes without its
      // signatures, nor they without it.
      {true, {IDYES, IDNO}, {ask_document, ask_signature}, false},
      {true, {IDYES, IDYES}, {ask_document, ask_signature, done}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.texts.size());
    fs::remove(signature_path);
    WriteBytes(document, "мой паспорт");
    if (c.signature_there) WriteBytes(signature_path, "моя подпись");
    dialogs_.folders = {Utf8ToAnsi(extract_.Path())};
    dialogs_.answers = c.answers;
    Run(window.get(), "ActionExtractDoc");
    EXPECT_EQ(dialogs_.boxes.at(0).type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(dialogs_.Texts(), c.texts);
    EXPECT_EQ(ReadBytes(document), c.replaced ? "%PDF-1.4 Паспорт" : "мой паспорт");
    if (c.replaced) {
      EXPECT_EQ(ReadBytes(signature_path).substr(0, 1), "\x30");
    } else {
      EXPECT_EQ(fs::exists(signature_path), c.signature_there);
      EXPECT_EQ(c.signature_there ? ReadBytes(signature_path) : "",
                c.signature_there ? "моя подпись" : "");
    }
  }
}

TEST_F(ReadingDocumentsTest, ADocumentNamedLikeItsSignatureIsRefusedBeforeAnythingIsWritten) {
  const std::string package = saved_.Entrepreneur();
  std::string signature;
  {
    auto window = Start();
    Open(window.get(), package);
    signature = FirstSignatureName(window.get());
  }
  Renamed(package, "паспорт.pdf", signature);
  const std::string path = IncludeBackslash(Utf8ToAnsi(extract_.Path())) + signature;
  // Already there or not, the clash is refused unasked and nothing written.
  for (const bool there : {false, true}) {
    SCOPED_TRACE(there);
    if (there) WriteBytes(SysPath(path), "моё");
    auto window = Start();
    Open(window.get(), package);
    SelectRow(window.get(), 1);
    ASSERT_EQ(FileText(FileAt(window->Packet->Package.get(), FileOf(window.get(), 1)).get(),
                       &ITarvexFile::get_OriginalFilename),
              signature);
    dialogs_.folders = {Utf8ToAnsi(extract_.Path())};
    Run(window.get(), "ActionExtractDoc");
    EXPECT_EQ(dialogs_.Texts(),
              Texts{"Ошибка извлечения документа:\r\nДва извлекаемых файла записываются под "
                    "одним именем [" +
                    path + "]"});
    EXPECT_EQ(std::distance(fs::directory_iterator(extract_.Path()), fs::directory_iterator()),
              there ? 1 : 0);
    if (there) {
      EXPECT_EQ(ReadBytes(SysPath(path)), "моё");
    }
  }
}

TEST_F(ReadingDocumentsTest, WhatCannotTakeASignatureIsRefusedBeforeTheDocumentIsWritten) {
  TempDir outside;
  const std::string victim = outside.File(".bashrc");
  WriteBytes(victim, "export PATH");
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;  // in the signature's place
    const char* cause;                             // part of the refusal
  } cases[] = {
      {"a link to a file", [&](const std::string& at) { fs::create_symlink(victim, at); },
       "символическ"},
      {"a link to nothing",
       [&](const std::string& at) { fs::create_symlink(outside.File("новый"), at); },
       "символическ"},
      {"a folder", [](const std::string& at) { fs::create_directory(at); }, ""},
      {"a read-only file",
       [](const std::string& at) {
         WriteBytes(at, "моя подпись");
         fs::permissions(at, fs::perms::owner_read);
       },
       ""},
  };
  auto window = Start();
  Open(window.get(), saved_.Entrepreneur());
  SelectRow(window.get(), 1);
  const std::string signature = FirstSignatureName(window.get());
  const std::string place = extract_.File(AnsiToUtf8(signature));
  const std::string path = IncludeBackslash(Utf8ToAnsi(extract_.Path())) + signature;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(place);
    c.make(place);
    dialogs_.folders = {Utf8ToAnsi(extract_.Path())};
    dialogs_.answers = {IDYES};
    Run(window.get(), "ActionExtractDoc");
    const Texts texts = dialogs_.Texts();
    ASSERT_EQ(texts.size(), 1u);
    const std::string refusal =
        "Ошибка извлечения документа:\r\nНевозможно заменить файл [" + path + "]: ";
    EXPECT_EQ(texts[0].rfind(refusal, 0), 0u) << AnsiToUtf8(texts[0]);
    EXPECT_NE(texts[0].find(c.cause), std::string::npos) << AnsiToUtf8(texts[0]);
    // The folder is as it was: no document without its signature.
    EXPECT_FALSE(fs::exists(extract_.File(AnsiToUtf8("паспорт.pdf"))));
    EXPECT_EQ(std::distance(fs::directory_iterator(extract_.Path()), fs::directory_iterator()), 1);
  }
  EXPECT_EQ(ReadBytes(victim), "export PATH");
  EXPECT_EQ(ReadBytes(place), "моя подпись");
  EXPECT_FALSE(fs::exists(outside.File("новый")));
}

TEST_F(ReadingDocumentsTest, ALinkInTheDocumentsPlaceIsRefusedAndWhatItNamesStays) {
  TempDir outside;
  const std::string victim = outside.File(".bashrc");
  WriteBytes(victim, "export PATH");
  struct Case {
    const char* what;
    std::string target;  // of the link
  } cases[] = {{"a file", victim}, {"a missing file", outside.File("новый")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto window = Start();
    Open(window.get(), ReceiptNamed(".bashrc"));
    SelectRow(window.get(), 0);
    const std::string link = extract_.File(".bashrc");
    fs::remove(link);
    fs::create_symlink(c.target, link);
    dialogs_.folders = {Utf8ToAnsi(extract_.Path())};
    dialogs_.answers = {IDYES};
    Run(window.get(), "ActionExtractDoc");
    const std::string path = IncludeBackslash(Utf8ToAnsi(extract_.Path())) + ".bashrc";
    // Refused unasked: no answer could let it be written.
    const Texts texts = dialogs_.Texts();
    ASSERT_EQ(texts.size(), 1u);
    const std::string refusal =
        "Ошибка извлечения документа:\r\nНевозможно заменить файл [" + path + "]: ";
    EXPECT_EQ(texts[0].rfind(refusal, 0), 0u) << AnsiToUtf8(texts[0]);
    EXPECT_NE(texts[0].find("символическ"), std::string::npos) << AnsiToUtf8(texts[0]);

    // Viewing writes into the work folder: no link there is followed either.
    const std::string work_link = SysPath(window->GetWorkFolder() + ".bashrc");
    fs::create_symlink(c.target, work_link);
    Run(window.get(), "ActionOpenFile");
    const Texts viewing = dialogs_.Texts();
    ASSERT_EQ(viewing.size(), 1u);
    EXPECT_EQ(viewing[0].rfind("Ошибка открытия документа:\r\nОшибка записи файла " +
                                   window->GetWorkFolder() + ".bashrc на диск: ",
                               0),
              0u)
        << AnsiToUtf8(viewing[0]);
    EXPECT_TRUE(dialogs_.launched.empty());
    fs::remove(work_link);

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(victim), "export PATH");
    EXPECT_EQ(fs::exists(outside.File("новый")), false);
  }
}

}  // namespace
