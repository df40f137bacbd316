// The legal-entity packet and its inventory, driven through the real
// module; the saved inventory is read by Python's ElementTree from the
// package (zipfile) and every signature checked with openssl cms.
#include "editor/model/ul_packet.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>

#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"
#include "editor/model/package_items.h"
#include "platform/kernel/codepage.h"
#include "tests/editor/model/signer_support.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_pki.h"

namespace {

namespace fs = std::filesystem;

class ULPacketTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TMP", tmp_.Path().c_str(), 1);
    ::setenv("TARVEX_COM_REGISTRY_ROOT", registry_.Path().c_str(), 1);
    packet_.OutputFolder = Utf8ToAnsi(out_.Path());
    packet_.SenderId = "7701";
    packet_.ReceiverId = "0046";
    packet_.DocTypeCode = "01";
    packet_.КодСФРД = "11001";
    packet_.ProgramVersion = "Тарвекс 1.0";
    packet_.Entity.НаимЮЛПолн = "ООО \"Ромашка\"";
    std::string message;
    ASSERT_TRUE(packet_.NewPacket(message)) << message;
  }
  void TearDown() override {
    ::unsetenv("TARVEX_COM_REGISTRY_ROOT");
    ::unsetenv("TMP");
  }

  std::string Input(const std::string& name, const std::string& bytes) const {
    WriteBytes(in_.File(AnsiToUtf8(name)), bytes);
    return Utf8ToAnsi(in_.File(AnsiToUtf8(name)));
  }

  // A decision of the justice body signed by both signers, an unsigned
  // statement and an attachment signed by the second signer.
  void AddDocuments() {
    packet_.SignCertSha1 = ImportSigner("signer");
    const std::string second = ImportSigner("signer2");
    std::string message;
    ASSERT_EQ(0, packet_.AddDocumentSafe(Input("решение.pdf", "%PDF-1.4 решение"), "22", "040011",
                                         "Решение", true, 0, message))
        << message;
    ASSERT_TRUE(packet_.SignDocumentSafe(0, second, message, 0)) << message;
    ASSERT_EQ(1, packet_.AddDocumentSafe(Input("заявление.xml", "<з/>"), "02", "010001",
                                         "Заявление", false, 0, message))
        << message;
    packet_.SignCertSha1 = second;
    ASSERT_EQ(2, packet_.AddDocumentSafe(Input("устав.pdf", "%PDF-1.4 устав"), "03", "", "Устав",
                                         true, 0, message))
        << message;
  }

  std::string PeerInventory() {
    const CommandResult peer = RunCommand("python3 '" TARVEX_TEST_DIR "/read_inventory.py' " +
                                          Quoted(SysPath(packet_.PackagePath())) + " " +
                                          Quoted(packet_.Documents.back()->FileName));
    EXPECT_EQ(0, peer.status) << peer.output;
    return peer.output;
  }
  void CheckSignatures() {
    fs::create_directory(out_.File("peer"));
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

  std::string SignatureName(int32_t file, int32_t sign) {
    ITarvexSignature* raw = nullptr;
    OleCheck(packet_.Package->GetFileSignature(file, sign, &raw));
    const ComRef<ITarvexSignature> signature(raw);
    OleString name;
    OleCheck(signature->get_Filename(name.out()));
    return name.Ansi();
  }

  CryptRoots roots_;
  TempDir tmp_;
  TempDir registry_;
  TempDir in_;
  TempDir out_;
  TULPacket packet_;
};

TEST_F(ULPacketTest, ValidationNamesTheFirstOfFiveMissingFields) {
  std::string TULPacket::*const fields[] = {
      &TULPacket::SenderId, &TULPacket::ReceiverId,     &TULPacket::DocTypeCode,
      &TULPacket::КодСФРД,  &TULPacket::ProgramVersion,
  };
  const char* const messages[] = {
      "Не указан идентификатор отправителя",    "Не указан код налогового органа",
      "Не указан код типа документа",           "Не указан код заявления по справочнику СФРД",
      "Не указана версия передающей программы",
  };
  std::string message;
  // No applicant is needed.
  EXPECT_TRUE(packet_.Validate(message)) << message;
  for (int i = 4; i >= 0; --i) {
    packet_.*fields[i] = "";
    EXPECT_FALSE(packet_.Validate(message));
    EXPECT_EQ(messages[i], message);
  }
}

TEST_F(ULPacketTest, TheInventoryDescribesEverySignatureAndTheJusticeBodysDocuments) {
  AddDocuments();
  packet_.КодМЮиЦБ = "77";
  packet_.AddApplicant("Сидоров", "Семён", "Семёнович", "s@example.ru", "500100732259");
  packet_.AddApplicant("Кузнецова", "Анна", "", "a@example.ru", "");
  std::string message;
  ASSERT_TRUE(packet_.ValidateAndSave(message, "")) << message;

  const std::string& name = packet_.PackageFileName;
  EXPECT_EQ("_ЮЛ_01_01.zip", name.substr(name.size() - 13)) << name;
  EXPECT_EQ("OP_REGUL_", packet_.InventoryFileName.substr(0, 9));
  EXPECT_FALSE(fs::exists(SysPath(packet_.InventoryPath())));
  ASSERT_EQ(4u, packet_.Documents.size());

  auto document = [&](int i) {
    const TRegDoc& row = *packet_.Documents[i];
    return "  Документ КодСВДРЕГ='" + row.КодСВДРЕГ + "' типСодержимого='" + row.ContentType +
           "' ИдДок='" + row.DocumentCode + "' ИсхИмяФайла='" + row.OriginalFileName +
           "' ИмяФайла='" + row.FileName + "'\n";
  };
  auto signature = [&](int file, int sign, const std::string& role, const std::string& names) {
    return "    Подпись ИмяФайла='" + SignatureName(file, sign) + "' Роль='" + role +
           "'\n      ФИО " + names + "\n";
  };
  const std::string ivanov = "Фамилия='Иванов' Имя='Иван' Отчество='Иванович'";
  const std::string petrov = "Фамилия='Петров' Имя='Пётр' Отчество='Петрович'";
  const std::string id = packet_.InventoryFileName.substr(0, packet_.InventoryFileName.size() - 4);
  const std::string expected =
      "Файл ИдФайл='" + id +
      "' ВерсФорм='9.02' ВерсПрог='Тарвекс 1.0' КодСФРД='11001' КодНО='0046' КодМЮиЦБ='77'\n"
      "  СвЮЛ НаимЮЛПолн='ООО \"Ромашка\"'\n"
      "  СвЗаявит ИННФЛ='500100732259' E-mail='s@example.ru'\n"
      "    ФИО Фамилия='Сидоров' Имя='Семён' Отчество='Семёнович'\n"
      "  СвЗаявит E-mail='a@example.ru'\n"
      "    ФИО Фамилия='Кузнецова' Имя='Анна'\n" +
      document(0) + signature(0, 0, "органМинюста", ivanov) +
      signature(0, 1, "органМинюста", petrov) + document(1) + document(2) +
      signature(2, 0, "заявитель", petrov);
  EXPECT_EQ(AnsiToUtf8(expected), PeerInventory());
  CheckSignatures();
}

TEST_F(ULPacketTest, AnInventoryReadsBackIntoANewPacket) {
  AddDocuments();
  packet_.ПрВысБум = "1";
  packet_.Entity.ОГРН = "1027700132195";
  packet_.AddApplicant("Сидоров", "Семён", "Семёнович", "s@example.ru", "500100732259");
  packet_.MakeInventoryName();
  packet_.WriteInventory();
  const std::string text = ReadBytes(SysPath(packet_.InventoryPath()));

  TULPacket read;
  read.КодМЮиЦБ = "untouched";
  std::string message;
  ASSERT_TRUE(read.LoadInventoryText(packet_.InventoryFileName, text, message)) << message;
  EXPECT_EQ("11001|0046|1|untouched",
            read.КодСФРД + "|" + read.ReceiverId + "|" + read.ПрВысБум + "|" + read.КодМЮиЦБ);
  EXPECT_EQ("ООО \"Ромашка\"|1027700132195", read.Entity.НаимЮЛПолн + "|" + read.Entity.ОГРН);
  ASSERT_EQ(1u, read.Applicants.size());
  const TQuendaInfo& a = *read.Applicants[0];
  EXPECT_EQ("500100732259|s@example.ru|Сидоров|Семён|Семёнович",
            a.ИННФЛ + "|" + a.Email + "|" + a.Фамилия + "|" + a.Имя + "|" + a.Отчество);
  ASSERT_EQ(3u, read.Documents.size());
  for (size_t i = 0; i < 3; ++i) {
    const TRegDoc& written = *packet_.Documents[i];
    const TRegDoc& row = *read.Documents[i];
    EXPECT_EQ(
        written.DocumentCode + written.FileName + written.OriginalFileName + written.ContentType +
            written.КодСВДРЕГ,
        row.DocumentCode + row.FileName + row.OriginalFileName + row.ContentType + row.КодСВДРЕГ);
    // No signer data is read.
    EXPECT_EQ("", row.SignatureFileName + row.SignerRole + row.SignerSurname);
  }
}

// Closing asks over a marked packet: each operation that changes the
// package, its rows or its applicants marks it, the same file attached
// again included, and only a save, a new package, an opening or the
// inventory read clears the mark again.
TEST_F(ULPacketTest, EveryChangeMarksThePacketAndOnlyASaveMakingOrOpeningClearsIt) {
  EXPECT_FALSE(packet_.Modified());
  packet_.SignCertSha1 = ImportSigner("signer");
  const std::string decision = Input("решение.pdf", "%PDF-1.4 решение");
  std::string code;
  auto add = [&] {
    const int32_t index = packet_.AddDocument(decision, "22", "040011", "Решение", false, 0);
    code = packet_.Documents.back()->DocumentCode;
    return index;
  };
  auto file = [&] { return packet_.IndexOfFileByDocumentCode(code); };
  const struct {
    const char* change;
    std::function<void()> make;
  } changes[] = {
      {"a document added", [&] { add(); }},
      {"a document signed", [&] { packet_.SignDocument(file(), packet_.SignCertSha1, 0); }},
      {"a signature deleted", [&] { packet_.DeleteSignature(file(), 0); }},
      {"the same file, changed, attached again",
       [&] {
         WriteBytes(SysPath(decision), "%PDF-1.4 решение, исправленное");
         const int32_t old = file();
         add();
         packet_.DeleteDocument(old);
       }},
      {"a document deleted", [&] { packet_.DeleteDocument(file()); }},
      {"an applicant added",
       [&] { packet_.AddApplicant("Сидоров", "Семён", "", "s@example.ru", ""); }},
      {"the applicants cleared", [&] { packet_.ClearApplicants(); }},
      {"the rows cleared", [&] { packet_.ClearDocuments(); }},
      {"a value of the window's", [&] { packet_.MarkModified(); }},
  };
  std::string message;
  for (const auto& c : changes) {
    SCOPED_TRACE(c.change);
    ASSERT_TRUE(packet_.ValidateAndSave(message, "")) << message;
    ASSERT_FALSE(packet_.Modified());
    c.make();
    EXPECT_TRUE(packet_.Modified());
  }

  // A save that fails keeps the mark.
  packet_.SenderId.clear();
  EXPECT_FALSE(packet_.ValidateAndSave(message, ""));
  EXPECT_TRUE(packet_.Modified());
  packet_.SenderId = "7701";
  ASSERT_TRUE(packet_.ValidateAndSave(message, "")) << message;
  const std::string saved = packet_.PackagePath();

  packet_.MarkModified();
  ASSERT_TRUE(packet_.NewPacket(message)) << message;
  EXPECT_FALSE(packet_.Modified());
  TULPacket opened;
  opened.MarkModified();
  ASSERT_TRUE(opened.OpenPacket(saved, message)) << message;
  EXPECT_FALSE(opened.Modified());
  opened.MarkModified();
  const std::string inventory =
      FileText(FileAt(opened.Package.get(), opened.IndexOfFileByDocTypeCode("07")).get(),
               &ITarvexFile::get_RawContent);
  ASSERT_TRUE(opened.LoadInventoryText("OP_REGUL_1.xml", inventory, message)) << message;
  EXPECT_FALSE(opened.Modified());
}

TEST(ULInventoryReading, AnApplicantPerNameUnderOneApplicantElement) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?><Файл КодСФРД=\"1\" КодНО=\"2\">"
      "<СвЗаявит ИННФЛ=\"7\" E-mail=\"x@y.ru\"><ФИО Фамилия=\"А\" Имя=\"Б\" Отчество=\"В\"/>"
      "<ФИО Фамилия=\"Г\" Имя=\"Д\"/></СвЗаявит><СвЗаявит E-mail=\"z@y.ru\"><ФИО Имя=\"Е\"/>"
      "</СвЗаявит></Файл>";
  TULPacket packet;
  std::string message;
  EXPECT_FALSE(packet.LoadInventoryText("OP_REGUL_1.xml", text, message));
  EXPECT_EQ(
      "Ошибка загрузки описи: Отсутствует реквизит [Фамилия] элемента [ФИО] в описи документов",
      message);
  ASSERT_EQ(2u, packet.Applicants.size());
  for (const auto& [i, names] : {std::pair<int, const char*>{0, "А|Б|В"}, {1, "Г|Д|"}}) {
    const TQuendaInfo& a = *packet.Applicants[i];
    EXPECT_EQ(std::string("7|x@y.ru|") + names,
              a.ИННФЛ + "|" + a.Email + "|" + a.Фамилия + "|" + a.Имя + "|" + a.Отчество);
  }
}

}  // namespace
