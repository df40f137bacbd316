// The entrepreneur packet and its inventory as the editor drives them: the
// real module beside the executable, the test signers put in with the key
// command; the saved inventory is read by Python's ElementTree from the
// package (zipfile) and every signature checked with openssl cms.
#include "editor/model/ip_packet.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"
#include "editor/model/ul_packet.h"
#include "platform/kernel/codepage.h"
#include "tests/editor/model/signer_support.h"
#include "tests/support/bounded_child.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_pki.h"

namespace {

namespace fs = std::filesystem;

class IPPacketTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TMP", tmp_.Path().c_str(), 1);
    ::setenv("TARVEX_COM_REGISTRY_ROOT", registry_.Path().c_str(), 1);
    Fill(packet_);
    std::string message;
    ASSERT_TRUE(packet_.NewPacket(message)) << message;
  }
  void TearDown() override {
    ::unsetenv("TARVEX_COM_REGISTRY_ROOT");
    ::unsetenv("TMP");
  }

  void Fill(TNewIPPacket& packet) const {
    packet.OutputFolder = Utf8ToAnsi(out_.Path());
    packet.SenderId = "7701";
    packet.ReceiverId = "0046";
    packet.DocTypeCode = "01";
    packet.КодСФРД = "21001";
    packet.ProgramVersion = "Тарвекс 1.0 &<\"'";
    packet.Applicant.ИННФЛ = "500100732259";
    packet.Applicant.Email = "ivanov@example.ru";
    packet.Applicant.Фамилия = "Иванов";
    packet.Applicant.Имя = "Иван";
  }

  std::string Input(const std::string& name, const std::string& bytes) const {
    WriteBytes(in_.File(AnsiToUtf8(name)), bytes);
    return Utf8ToAnsi(in_.File(AnsiToUtf8(name)));
  }

  // Two signed documents, the first with a КодСВДРЕГ.
  void AddTwoSignedDocuments() {
    packet_.SignCertSha1 = ImportSigner("signer");
    std::string message;
    ASSERT_EQ(0, packet_.AddDocumentSafe(Input("заявление.pdf", "%PDF-1.4 заявление"), "01",
                                         "020001", "Заявление", true, 0, message))
        << message;
    ASSERT_EQ(1, packet_.AddDocumentSafe(Input("паспорт.xml", "<паспорт/>"), "03", "", "Паспорт",
                                         true, 0, message))
        << message;
  }

  int32_t FileCount() {
    int32_t count = -1;
    OleCheck(packet_.Package->GetFileCount(&count));
    return count;
  }

  SIGN_ROLE_TYPES PartyType(HRESULT (ITarvex::*getter)(SIGN_ROLE_TYPES*)) {
    SIGN_ROLE_TYPES type = SIGN_ROLE_TYPE_UNKNOWN;
    OleCheck((packet_.Package.get()->*getter)(&type));
    return type;
  }

  // The inventory in the saved package as ElementTree reads it (UTF-8).
  std::string PeerInventory() {
    const CommandResult peer = RunCommand("python3 '" TARVEX_TEST_DIR "/read_inventory.py' " +
                                          Quoted(SysPath(packet_.PackagePath())) + " " +
                                          Quoted(packet_.Documents.back()->FileName));
    EXPECT_EQ(0, peer.status) << peer.output;
    return peer.output;
  }
  // Every signature of the saved package verifies with openssl cms.
  void CheckSignatures() {
    fs::remove_all(out_.File("peer"));
    fs::create_directory(out_.File("peer"));
    fs::remove(out_.File("chain.pem"));
    for (const char* ca : {"root", "intermediate"}) {
      ASSERT_EQ(0, RunCommand("openssl x509 -inform DER -in " +
                              Quoted(PkiPath(ca + std::string(".cer"))) + " >> " +
                              Quoted(out_.File("chain.pem")))
                       .status);
    }
    const CommandResult peer =
        RunCommand("python3 '" TARVEX_SOURCE_DIR "/tests/lib/package/check_package.py' " +
                   Quoted(SysPath(packet_.PackagePath())) + " " + Quoted(out_.File("peer")) + " " +
                   Quoted(out_.File("chain.pem")));
    ASSERT_EQ(0, peer.status) << peer.output;
  }

  std::string Expected(const std::string& inventory_name, const std::string& root_tail) const {
    const TRegDoc& a = *packet_.Documents[0];
    const TRegDoc& b = *packet_.Documents[1];
    auto document = [](const TRegDoc& row) {
      return "  Документ КодСВДРЕГ='" + row.КодСВДРЕГ + "' типСодержимого='" + row.ContentType +
             "' ИдДок='" + row.DocumentCode + "' ИсхИмяФайла='" + row.OriginalFileName +
             "' ИмяФайла='" + row.FileName + "'\n    Подпись ИмяФайла='" + row.SignatureFileName +
             "' Роль='заявитель'\n      ФИО Фамилия='Иванов' Имя='Иван' Отчество='Иванович'\n";
    };
    const std::string id = inventory_name.substr(0, inventory_name.size() - 4);
    return AnsiToUtf8(
        "Файл ИдФайл='" + id +
        "' ВерсФорм='9.02' ВерсПрог='Тарвекс 1.0 &<\"\\'' КодСФРД='21001' КодНО='0046'" +
        root_tail + "\n  СвИП ИННФЛ='500100732259' E-mail='ivanov@example.ru'\n" +
        "    ФИО Фамилия='Иванов' Имя='Иван'\n" + document(a) + document(b));
  }

  CryptRoots roots_;
  TempDir tmp_;
  TempDir registry_;
  TempDir in_;
  TempDir out_;
  TNewIPPacket packet_;
};

TEST_F(IPPacketTest, ValidationNamesTheFirstMissingFieldInOrder) {
  std::string TNewIPPacket::*const strings[] = {
      &TNewIPPacket::SenderId, &TNewIPPacket::ReceiverId,     &TNewIPPacket::DocTypeCode,
      &TNewIPPacket::КодСФРД,  &TNewIPPacket::ProgramVersion,
  };
  std::string TQuendaInfo::*const applicant[] = {&TQuendaInfo::Email, &TQuendaInfo::Фамилия,
                                                 &TQuendaInfo::Имя};
  const char* const messages[] = {
      "Не указан идентификатор отправителя",    "Не указан код налогового органа",
      "Не указан код типа документа",           "Не указан код заявления по справочнику СФРД",
      "Не указана версия передающей программы", "Не указан E-Mail заявителя",
      "Не указана фамилия заявителя",           "Не указано имя заявителя",
  };
  std::string message;
  EXPECT_TRUE(packet_.Validate(message)) << message;
  // Emptied from the last field back, each check shows before the later ones.
  for (int i = 7; i >= 0; --i) {
    if (i >= 5) {
      packet_.Applicant.*applicant[i - 5] = "";
    } else {
      packet_.*strings[i] = "";
    }
    EXPECT_FALSE(packet_.Validate(message));
    EXPECT_EQ(messages[i], message);
  }
  // Refused before the package is touched.
  EXPECT_FALSE(packet_.ValidateAndSave(message, ""));
  EXPECT_EQ(messages[0], message);
  EXPECT_EQ(0, FileCount());
}

TEST_F(IPPacketTest, SavingWritesASignedInventoryAndReplacesItOnTheNextSave) {
  AddTwoSignedDocuments();
  std::string message;
  ASSERT_TRUE(packet_.ValidateAndSave(message, "")) << message;

  const std::string prefix = "ZUK_7701_0046_";
  const std::string& name = packet_.PackageFileName;
  ASSERT_EQ(prefix.size() + 36 + std::string("_ИП_01_01.zip").size(), name.size()) << name;
  EXPECT_EQ(prefix, name.substr(0, prefix.size()));
  EXPECT_EQ("_ИП_01_01.zip", name.substr(prefix.size() + 36));
  const std::string first_inventory = packet_.InventoryFileName;
  ASSERT_EQ(std::string("OP_REGRIP_YYYYMMDD_").size() + 36 + 4, first_inventory.size());
  EXPECT_EQ("OP_REGRIP_", first_inventory.substr(0, 10));
  EXPECT_EQ('_', first_inventory[18]);
  EXPECT_FALSE(fs::exists(SysPath(packet_.InventoryPath())));

  // The inventory is the package's third file, of type "07", with a row.
  ASSERT_EQ(3, FileCount());
  EXPECT_EQ(2, packet_.IndexOfFileByDocTypeCode("07"));
  ASSERT_EQ(3u, packet_.Documents.size());
  EXPECT_EQ(first_inventory, packet_.Documents[2]->OriginalFileName);
  EXPECT_EQ("xml", packet_.Documents[2]->ContentType);
  EXPECT_EQ(Expected(first_inventory, ""), PeerInventory());
  CheckSignatures();
  EXPECT_EQ(SIGN_ROLE_TYPE_APPLICANT, PartyType(&ITarvex::get_SenderType));
  EXPECT_EQ(SIGN_ROLE_TYPE_ZUK, PartyType(&ITarvex::get_ReceiverType));

  // Saved again under a given path, with ПрВысБум and a patronymic: one
  // inventory, new, at the end; the old one's row is gone.
  packet_.ПрВысБум = "1";
  packet_.Applicant.Отчество = "Иванович";
  packet_.Applicant.ОГРНИП = "304500116000157";
  // The signer's role is the sender's when no sender type is set.
  packet_.SignerRole = SIGN_ROLE_TYPE_NOTARY;
  const std::string path = packet_.PackagePath();
  ASSERT_TRUE(packet_.ValidateAndSave(message, path)) << message;
  EXPECT_NE(first_inventory, packet_.InventoryFileName);
  EXPECT_EQ(3, FileCount());
  EXPECT_EQ(2, packet_.IndexOfFileByDocTypeCode("07"));
  ASSERT_EQ(3u, packet_.Documents.size());
  EXPECT_EQ(packet_.InventoryFileName, packet_.Documents[2]->OriginalFileName);
  std::string expected = Expected(packet_.InventoryFileName, " ПрВысБум='1'");
  const std::string person = AnsiToUtf8("СвИП ИННФЛ='500100732259' E-mail");
  expected.replace(expected.find(person), person.size(),
                   AnsiToUtf8("СвИП ИННФЛ='500100732259' ОГРНИП='304500116000157' E-mail"));
  const std::string names = AnsiToUtf8("Имя='Иван'\n  Документ");
  expected.replace(expected.find(names), names.size(),
                   AnsiToUtf8("Имя='Иван' Отчество='Иванович'\n  Документ"));
  EXPECT_EQ(expected, PeerInventory());
  CheckSignatures();
  EXPECT_EQ(SIGN_ROLE_TYPE_NOTARY, PartyType(&ITarvex::get_SenderType));
}

TEST_F(IPPacketTest, AnInventoryReadsBackIntoANewPacket) {
  AddTwoSignedDocuments();
  packet_.ПрВысБум = "1";
  packet_.Applicant.ОГРНИП = "304500116000157";
  packet_.Applicant.Отчество = "Иванович";
  packet_.MakeInventoryName();
  packet_.WriteInventory();
  const std::string text = ReadBytes(SysPath(packet_.InventoryPath()));

  TNewIPPacket read;
  read.КодМЮиЦБ = "untouched";
  std::string message;
  ASSERT_TRUE(read.LoadInventoryText(packet_.InventoryFileName, text, message)) << message;
  EXPECT_EQ("21001", read.КодСФРД);
  EXPECT_EQ("0046", read.ReceiverId);
  EXPECT_EQ("1", read.ПрВысБум);
  EXPECT_EQ("untouched", read.КодМЮиЦБ);
  const TQuendaInfo& a = read.Applicant;
  EXPECT_EQ(
      "500100732259|304500116000157|ivanov@example.ru|Иванов|Иван|Иванович",
      a.ИННФЛ + "|" + a.ОГРНИП + "|" + a.Email + "|" + a.Фамилия + "|" + a.Имя + "|" + a.Отчество);
  ASSERT_EQ(2u, read.Documents.size());
  for (size_t i = 0; i < 2; ++i) {
    const TRegDoc& written = *packet_.Documents[i];
    const TRegDoc& row = *read.Documents[i];
    SCOPED_TRACE(row.FileName);
    EXPECT_EQ(written.DocumentCode, row.DocumentCode);
    EXPECT_EQ(written.FileName, row.FileName);
    EXPECT_EQ(written.OriginalFileName, row.OriginalFileName);
    EXPECT_EQ(written.OriginalFileName, row.SourcePath);
    EXPECT_EQ(written.ContentType, row.ContentType);
    EXPECT_EQ(written.КодСВДРЕГ, row.КодСВДРЕГ);
    EXPECT_EQ(written.SignatureFileName, row.SignatureFileName);
    EXPECT_EQ("заявитель|Иванов|Иван|Иванович", row.SignerRole + "|" + row.SignerSurname + "|" +
                                                    row.SignerName + "|" + row.SignerPatronymic);
    EXPECT_EQ("", row.DocTypeCode);
    EXPECT_EQ(-1, row.PackageIndex);
  }
}

TEST_F(IPPacketTest, EachRowIsDescribedWithItsOwnFilesSignatureWhateverItsPosition) {
  AddTwoSignedDocuments();
  // Rows in another order than the files, as an inventory of another
  // program may list them.
  std::swap(packet_.Documents[0], packet_.Documents[1]);
  packet_.MakeInventoryName();
  packet_.WriteInventory();
  TNewIPPacket read;
  std::string message;
  ASSERT_TRUE(read.LoadInventoryText(packet_.InventoryFileName,
                                     ReadBytes(SysPath(packet_.InventoryPath())), message))
      << message;
  ASSERT_EQ(2u, read.Documents.size());
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(packet_.Documents[i]->FileName, read.Documents[i]->FileName);
    EXPECT_EQ(packet_.Documents[i]->SignatureFileName, read.Documents[i]->SignatureFileName);
  }

  // A row whose document the package does not hold stops the save before
  // it writes anything.
  fs::remove(SysPath(packet_.InventoryPath()));
  packet_.Documents[0]->DocumentCode = "00000000000000000000000000000000";
  EXPECT_FALSE(packet_.ValidateAndSave(message, ""));
  EXPECT_EQ("Документ описи [00000000000000000000000000000000] не найден в пакете", message);
  EXPECT_FALSE(fs::exists(SysPath(packet_.InventoryPath())));
}

TEST(IPInventoryReading, ErrorsKeepWhatWasReadAndOddNamesAreIgnored) {
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?><Файл КодСФРД=\"21001\" КодНО=\"0046\">"
      "<СвИП E-mail=\"a@b.ru\"><ФИО Фамилия=\"Петров\" Имя=\"Пётр\"/></СвИП>";
  const std::string good =
      "<Документ КодСВДРЕГ=\"\" типСодержимого=\"pdf\" ИдДок=\"0a\" ИсхИмяФайла=\"a.pdf\" "
      "ИмяФайла=\"b.pdf\"/>";
  const struct {
    const char* name;
    std::string text;
    const char* error;  // null: read
    size_t rows;
  } cases[] = {
      {"not xml", "<Файл", "Невозможно загрузить опись", 0},
      {"empty ИдДок",
       head + good +
           "<Документ КодСВДРЕГ=\"\" типСодержимого=\"pdf\" ИдДок=\"\" "
           "ИсхИмяФайла=\"c.pdf\" ИмяФайла=\"d.pdf\"/></Файл>",
       "Недопустимое значение реквизита [ИдДок] в описи документов", 1},
      {"missing ИмяФайла",
       head + "<Документ КодСВДРЕГ=\"\" типСодержимого=\"pdf\" ИдДок=\"1\" "
              "ИсхИмяФайла=\"c.pdf\"/></Файл>",
       "Отсутствует реквизит [ИмяФайла] элемента [Документ] в описи документов", 0},
      // Only a-z fold: a lower-case Cyrillic name is another element.
      {"other case", head + good + "<документ ИдДок=\"\"/><x/></Файл>", nullptr, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TNewIPPacket packet;
    std::string message;
    EXPECT_EQ(c.error == nullptr, packet.LoadInventoryText("OP_REGRIP_1.xml", c.text, message));
    if (c.error) {
      EXPECT_EQ(std::string("Ошибка загрузки описи: ") + c.error, message);
    }
    EXPECT_EQ(c.rows, packet.Documents.size());
    if (c.error && std::string(c.error) == "Невозможно загрузить опись") continue;
    EXPECT_EQ("21001|0046|a@b.ru|Петров|Пётр",
              packet.КодСФРД + "|" + packet.ReceiverId + "|" + packet.Applicant.Email + "|" +
                  packet.Applicant.Фамилия + "|" + packet.Applicant.Имя);
  }
}

// An inventory of 110 KB whose one entity of 50,000 characters is referred
// to 20,000 times in an attribute would expand to 1 GB on reading: it is
// refused at once, in little memory, naming the file, for either kind.
TEST(InventoryReading, AnInventoryDeclaringAnEntityIsRefusedInLittleTimeAndMemory) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer's allocator ends the process where an allocation would fail";
#endif
  const TempDir dir;
  const struct {
    const char* name;
    int references;
    std::function<std::unique_ptr<TPacket>()> make;
  } cases[] = {
      {"OP_REGRIP_20261211_1.xml", 20000, [] { return std::make_unique<TNewIPPacket>(); }},
      {"OP_REGRIP_20261211_2.xml", 2000, [] { return std::make_unique<TNewIPPacket>(); }},
      {"OP_REGUL_20261211_3.xml", 20000, [] { return std::make_unique<TULPacket>(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><!DOCTYPE Файл [" +
                       ("<!ENTITY e \"" + std::string(50000, 'x') + "\">]><Файл КодСФРД=\"");
    for (int i = 0; i < c.references; ++i) text += "&e;";
    text += "\" КодНО=\"0046\"/>";
    const TimedAnswer refusal = InBoundedChildTimed(
        64 << 20, 10,
        [&] {
          std::string message;
          return c.make()->LoadInventoryText(c.name, text, message) ? "read" : message;
        },
        dir.File("answer"));
    EXPECT_LT(refusal.took, std::chrono::seconds(1));
    EXPECT_EQ("Ошибка загрузки описи: Невозможно загрузить опись [" + std::string(c.name) +
                  "]: документ объявляет сущность [e], а объявления сущностей не допускаются",
              refusal.answer);
  }
}

TEST_F(IPPacketTest, AnUnsignedDocumentIsNamedBeforeTheSaveChangesAnything) {
  AddTwoSignedDocuments();
  std::string message;
  ASSERT_TRUE(packet_.ValidateAndSave(message, "")) << message;
  const std::string saved = packet_.PackageFileName;
  const std::string inventory = packet_.Documents.back()->DocumentCode;
  ASSERT_EQ(3, packet_.AddDocumentSafe(Input("квитанция.pdf", "%PDF-1.4"), "04", "", "Квитанция",
                                       false, 0, message))
      << message;

  EXPECT_FALSE(packet_.ValidateAndSave(message, ""));
  EXPECT_EQ(
      "Документ [Квитанция] не подписан. В опись пакета индивидуального предпринимателя "
      "включается подпись каждого документа",
      message);
  // The old inventory is still there, and the package kept its name.
  EXPECT_EQ(4, FileCount());
  EXPECT_EQ(2, packet_.IndexOfFileByDocumentCode(inventory));
  EXPECT_EQ(4u, packet_.Documents.size());
  EXPECT_EQ(saved, packet_.PackageFileName);
  EXPECT_FALSE(fs::exists(SysPath(packet_.InventoryPath())));
}

TEST_F(IPPacketTest, AnInventoryNotWrittenOrNotSignedLeavesThePackageAsItWas) {
  AddTwoSignedDocuments();
  std::string message;
  ASSERT_TRUE(packet_.ValidateAndSave(message, "")) << message;
  const std::string path = packet_.PackagePath();
  const std::string saved = ReadBytes(SysPath(path));
  const std::string inventory = packet_.Documents.back()->DocumentCode;
  const std::string folder = packet_.OutputFolder;
  const std::string signer = packet_.SignCertSha1;
  const std::string missing = folder + "/нет";

  // The inventory that cannot be written, then one that cannot be signed;
  // its name is new on every save, so the first message is known up to it.
  const struct {
    std::string output_folder;
    std::string sign_cert;
    std::string error_start;
  } cases[] = {
      {missing, signer, "Невозможно записать опись в файл " + missing + "/OP_REGRIP_"},
      {folder, "", "Не выбран сертификат ключа подписи"},
  };
  for (const auto& c : cases) {
    packet_.OutputFolder = c.output_folder;
    packet_.SignCertSha1 = c.sign_cert;
    EXPECT_FALSE(packet_.ValidateAndSave(message, path));
    EXPECT_EQ(c.error_start, message.substr(0, c.error_start.size()));
    EXPECT_EQ(3, FileCount()) << message;
    EXPECT_EQ(2, packet_.IndexOfFileByDocumentCode(inventory)) << message;
    EXPECT_EQ(3u, packet_.Documents.size()) << message;
    EXPECT_EQ(saved, ReadBytes(SysPath(path)));
  }

  packet_.OutputFolder = folder;
  packet_.SignCertSha1 = signer;
  ASSERT_TRUE(packet_.ValidateAndSave(message, path)) << message;
  EXPECT_EQ(3, FileCount());
  EXPECT_EQ(-1, packet_.IndexOfFileByDocumentCode(inventory));
  EXPECT_EQ(Expected(packet_.InventoryFileName, ""), PeerInventory());
}

TEST_F(IPPacketTest, AFailedSaveLeavesNoInventoryFileBehind) {
  // Written, but no signer to sign it: the file is gone.
  std::string message;
  EXPECT_FALSE(packet_.ValidateAndSave(message, ""));
  EXPECT_EQ("Не выбран сертификат ключа подписи", message);
  EXPECT_FALSE(fs::exists(SysPath(packet_.InventoryPath())));
  EXPECT_EQ(0, FileCount());
}

}  // namespace
