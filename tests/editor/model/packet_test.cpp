// The packet as the editor drives the library: the real module beside the
// executable, the test signers put in with the key command; saved packages
// are checked with Python's zipfile and openssl cms.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/model/editor_error.h"
#include "editor/model/ip_packet.h"
#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"
#include "editor/model/packet.h"
#include "platform/com/com_ref.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/files.h"
#include "tests/editor/model/editor_error_of.h"
#include "tests/editor/model/signer_support.h"
#include "tests/editor/model/test_images.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/file_bytes.h"
#include "tests/support/keys_tool.h"
#include "tests/support/openssl.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_pki.h"

namespace {

namespace fs = std::filesystem;

class PacketTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TMP", tmp_.Path().c_str(), 1);
    ::setenv("TARVEX_COM_REGISTRY_ROOT", registry_.Path().c_str(), 1);
    packet_.OutputFolder = Ansi(out_.Path());
    packet_.SenderId = "7701";
    packet_.ReceiverId = "0046";
    packet_.DocTypeCode = "01";
    packet_.TransactionType = TRANSACTION_TYPE_IP_REG_IP;
    std::string message;
    ASSERT_TRUE(packet_.NewPacket(message)) << message;
  }
  void TearDown() override {
    ::unsetenv("TARVEX_COM_REGISTRY_ROOT");
    ::unsetenv("TMP");
  }

  static std::string Ansi(const std::string& utf8) { return Utf8ToAnsi(utf8); }

  // A document file in the input folder; its cp1251 path.
  std::string Input(const std::string& name, const std::string& bytes) const {
    WriteBytes(in_.File(AnsiToUtf8(name)), bytes);
    return Ansi(in_.File(AnsiToUtf8(name)));
  }
  // A file name in the output folder; its cp1251 path.
  std::string Output(const std::string& name) const { return Ansi(out_.File(AnsiToUtf8(name))); }
  std::string SizedInput(const std::string& name, uintmax_t size) const {
    const std::string path = Input(name, "%PDF-1.4");
    fs::resize_file(AnsiToUtf8(path), size);
    return path;
  }

  int32_t FileCount() {
    int32_t count = -1;
    OleCheck(packet_.Package->GetFileCount(&count));
    return count;
  }
  SIGN_ROLE_TYPES KeyRole() {
    SIGN_ROLE_TYPES role = SIGN_ROLE_TYPE_UNKNOWN;
    OleCheck(packet_.SignKey->get_SignRole(&role));
    return role;
  }

  CryptRoots roots_;
  TempDir tmp_;
  TempDir registry_;
  TempDir in_;
  TempDir out_;
  TPacket packet_;
};

TEST(PacketRoutines, ContentKindsByExtensionFoldingOnlyLatinLetters) {
  const struct {
    const char* name;
    int kind;
    const char* type;
  } cases[] = {
      {"a.xml", 0, "xml"},      {"a.HTML", 1, "html"},          {"папка.x/a.pdf", 2, "pdf"},
      {"a.rtf", 3, "rtf"},      {"a.tif", 4, "tiff"},           {"a.Tiff", 4, "tiff"},
      {"a.JPG", 5, "jpeg"},     {"a.doc", 6, "ms-word"},        {"a.xls", 7, "ms-excel"},
      {"a.jpeg", 8, "unknown"}, {"a.htm", 8, "unknown"},        {"a", 8, "unknown"},
      {"a.pdf.", 8, "unknown"}, {"c:\\x.pdf\\a", 8, "unknown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.kind, TPacket::ContentKind(c.name));
    EXPECT_EQ(c.type, TPacket::ContentTypeName(c.kind));
  }
}

TEST(PacketRoutines, TheIssuersCommonNameGivesTheRole) {
  const struct {
    const char* dn;
    uint16_t role;
  } cases[] = {
      {"CN=notariat rf ca, O=ФНП, C=RU", SIGN_ROLE_TYPE_NOTARY},
      {"C=RU,  2.5.4.3=NOTARIAT RF CA ", SIGN_ROLE_TYPE_NOTARY},
      {"O=Notariat RF CA, CN=Тестовый УЦ, C=RU", SIGN_ROLE_TYPE_APPLICANT},
      // Only a-z fold: a Cyrillic "а" in place of the Latin one is another CA.
      {"CN=Notаriat RF CA", SIGN_ROLE_TYPE_APPLICANT},
      {"cn=Notariat RF CA, O=X", SIGN_ROLE_TYPE_UNKNOWN},
      {"O=Тарвекс тест, C=RU", SIGN_ROLE_TYPE_UNKNOWN},
      {"", SIGN_ROLE_TYPE_UNKNOWN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dn);
    EXPECT_EQ(c.role, TPacket::GetRoleByIssuer(c.dn));
  }
}

TEST(PacketRoutines, TheCommonNameSplitsAtSingleSpacesIntoThreeNames) {
  const struct {
    const char* cn;
    const char* surname;
    const char* name;
    const char* patronymic;
  } cases[] = {
      {"Иванов", "Иванов", "", ""},
      {"Иванов  Иванович", "Иванов", "", "Иванович"},
      {"Иванов Иван Иванович оглы", "Иванов", "Иван", "Иванович"},
      {" Иван", "", "Иван", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cn);
    std::string surname = "x", name = "x", patronymic = "x";
    TPacket::GetSignerNames(c.cn, surname, name, patronymic);
    EXPECT_EQ(c.surname, surname);
    EXPECT_EQ(c.name, name);
    EXPECT_EQ(c.patronymic, patronymic);
  }
  std::string surname = "x", name = "x", patronymic = "x";
  EXPECT_EQ("Недопустимое значение поля [Субъект->CN] сертификата",
            ErrorOf([&] { TPacket::SplitCN("", surname, name, patronymic); }));
  EXPECT_EQ("", surname + name + patronymic);
}

TEST(PacketRoutines, RoleWordsGuidsAndPaths) {
  const std::pair<uint16_t, const char*> words[] = {
      {0, ""}, {1, ""}, {2, "заявитель"}, {3, "нотариус"},   {4, "налоговыйОрган"},
      {5, ""}, {6, ""}, {7, "органЦБРФ"}, {8, "ИОнотариус"}, {9, "органМинюста"},
      {10, ""}};
  for (const auto& [role, word] : words) EXPECT_EQ(word, TPacket::RoleElementName(role)) << role;

  const std::string guid = TPacket::NewGuidText();
  ASSERT_EQ(36u, guid.size());
  for (size_t i = 0; i < guid.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      EXPECT_EQ('-', guid[i]);
    } else {
      EXPECT_TRUE(std::isdigit(guid[i]) || (guid[i] >= 'A' && guid[i] <= 'F')) << guid;
    }
  }
  EXPECT_NE(guid, TPacket::NewGuidText());

  TPacket packet;
  EXPECT_EQ("", packet.PackagePath());
  packet.PackageFileName = "p.zip";
  packet.InventoryFileName = "o.xml";
  for (const char* folder : {"/home/Пакеты", "/home/Пакеты/"}) {
    packet.OutputFolder = folder;
    EXPECT_EQ("/home/Пакеты/p.zip", packet.PackagePath());
    EXPECT_EQ("/home/Пакеты/o.xml", packet.InventoryPath());
  }
  EXPECT_EQ("", TPacket::AddBackslash(""));
}

// A packet that was never made or opened has no package object: its safe
// forms fail with a message instead of reaching a null one.
TEST(PacketRoutines, SafeFormsOfAPacketWithoutAPackageObjectFail) {
  TIPPacket packet;
  packet.SenderId = "7701";
  packet.ReceiverId = "0046";
  packet.DocTypeCode = "01";
  packet.КодСФРД = "21001";
  packet.ProgramVersion = "1";
  packet.Applicant = {"500100732259", "", "a@b.ru", "Иванов", "Иван", ""};
  const std::string expected = "Пакет не создан: нет объекта пакета библиотеки";
  std::string message;
  EXPECT_EQ(-1, packet.AddDocumentSafe("/etc/hostname", "01", "", "Заявление", false, 0, message));
  EXPECT_EQ(expected, message);
  message.clear();
  EXPECT_FALSE(packet.DeleteDocumentSafe(0, message));
  EXPECT_EQ(expected, message);
  message.clear();
  EXPECT_FALSE(packet.SignDocumentSafe(0, "AB", message, 0));
  EXPECT_EQ(expected, message);
  message.clear();
  EXPECT_FALSE(packet.ValidateAndSave(message, ""));
  EXPECT_EQ(expected, message);
}

TEST_F(PacketTest, SizeAndImageLimitsHoldForTheirContentKindsOnly) {
  const struct {
    const char* name;
    std::string bytes;
    const char* error;  // null: accepted
  } cases[] = {
      {"скан.tif", Tiff(3000, 4000, 1), nullptr},
      {"широкий.TIF", Tiff(3001, 4000, 1),
       "Ширина изображения не должна быть более 3000 точек на дюйм"},
      {"высокий.tiff", Tiff(3000, 4001, 1),
       "Высота изображения не должна быть более 4000 точек на дюйм"},
      {"серый.tif", Tiff(100, 100, 8), "Глубина цвета должна быть 1 бит"},
      {"широкий.jpg", Jpeg(3001, 10), "Ширина изображения не должна быть более 3000 точек на дюйм"},
      {"фото.JPG", Jpeg(3000, 4000), "Глубина цвета должна быть 1 бит"},
      // A picture inside a PDF or XML name is not measured against the limits.
      {"картинка.pdf", Tiff(5000, 5000, 24), nullptr},
      {"картинка.xml", Jpeg(5000, 5000), nullptr},
  };
  int32_t expected_files = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string message;
    const int32_t index =
        packet_.AddDocumentSafe(Input(c.name, c.bytes), "03", "", c.name, false, 0, message);
    if (c.error == nullptr) {
      EXPECT_EQ(expected_files++, index) << message;
    } else {
      EXPECT_EQ(-1, index);
      EXPECT_EQ(c.error, message);
    }
    EXPECT_EQ(expected_files, FileCount());
    EXPECT_EQ(static_cast<size_t>(expected_files), packet_.Documents.size());
  }
}

TEST_F(PacketTest, AScanWhoseBytesAreNotItsExtensionsFormatIsRefusedByName) {
  const struct {
    const char* name;
    std::string bytes;
    const char* expected;
  } cases[] = {
      {"текст.tif", "просто текст, не изображение", "TIFF"},
      {"заметка.JPG", "просто текст, не изображение", "JPEG"},
      {"пусто.tiff", "", "TIFF"},
      {"фото.tif", Jpeg(100, 100), "TIFF"},
      {"скан.jpg", Tiff(100, 100, 1), "JPEG"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Input(c.name, c.bytes);
    std::string message;
    EXPECT_EQ(-1, packet_.AddDocumentSafe(path, "03", "", "Скан", false, 0, message));
    EXPECT_EQ("Файл документа [" + path + "] не является изображением в формате " + c.expected,
              message);
  }
  EXPECT_EQ(0, FileCount());
  EXPECT_TRUE(packet_.Documents.empty());
}

TEST_F(PacketTest, AFileOfExactlyThirtyMebibytesIsTakenAndOneByteMoreIsNot) {
  std::string message;
  EXPECT_EQ(-1, packet_.AddDocumentSafe(SizedInput("большой.pdf", 31457281), "03", "", "Д", false,
                                        0, message));
  EXPECT_EQ("Размер файла не должен превышать 30МБ", message);
  EXPECT_EQ(0, packet_.AddDocumentSafe(SizedInput("ровно.pdf", 31457280), "03", "", "Д", false, 0,
                                       message))
      << message;
  OleString content;
  ITarvexFile* file = nullptr;
  OleCheck(packet_.Package->GetFile(0, &file));
  const ComRef<ITarvexFile> file_held(file);
  OleCheck(file->get_RawContent(content.out()));
  EXPECT_EQ(31457280u, content.Ansi().size());

  // A file too large, held open by another reader, cannot be measured: it
  // is refused, rather than measured by the size of the file before it.
  const std::string held = SizedInput("занятый.pdf", 31457281);
  UniqueHandle reader(CreateFileA(held, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
  ASSERT_TRUE(reader);
  EXPECT_EQ(-1, packet_.AddDocumentSafe(held, "03", "", "Д", false, 0, message));
  EXPECT_EQ(0u, message.find("Невозможно прочитать файл документа [" + held + "]: ")) << message;
  EXPECT_EQ(1, FileCount());
}

TEST_F(PacketTest, AddRefusalsNameTheirValueAndAddNothing) {
  const std::string pdf = Input("платёж.pdf", "%PDF-1.4");
  const struct {
    std::string path;
    const char* code;
    std::string error;
  } cases[] = {
      {"", "03", "Не указан файл документа [Квитанция]"},
      {pdf + ".нет", "03", "Файл документа [Квитанция] не найден: " + pdf + ".нет"},
      {Ansi(in_.Path()), "03", "Файл документа [Квитанция] не найден: " + Ansi(in_.Path())},
      {pdf, "99", "Недопустимый код типа документа [99]"},
      {Input("страница.htm", "<html/>"), "03",
       "Неизвестный тип документа [" + Input("страница.htm", "<html/>") + "]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    std::string message;
    EXPECT_EQ(-1, packet_.AddDocumentSafe(c.path, c.code, "", "Квитанция", false, 0, message));
    EXPECT_EQ(c.error, message);
  }
  EXPECT_EQ(0, FileCount());
  EXPECT_TRUE(packet_.Documents.empty());

  // Without a thumbprint the signature fails after the library took the
  // file: the file leaves the package again, so nothing unsigned and unlisted
  // is saved.
  std::string message;
  EXPECT_EQ(-1, packet_.AddDocumentSafe(pdf, "03", "", "Квитанция", true, 0, message));
  EXPECT_EQ("Не выбран сертификат ключа подписи", message);
  EXPECT_EQ(0, FileCount());
  EXPECT_TRUE(packet_.Documents.empty());
}

TEST_F(PacketTest, SignedDocumentsSaveUnderTheMadeNameAndCheckWithPeers) {
  packet_.SignCertSha1 = ImportSigner("signer");
  constexpr char kStatement[] = "<Заявление>\0\x98</Заявление>";
  const std::string statement =
      Input("заявление.xml", std::string(kStatement, sizeof kStatement - 1));
  ASSERT_EQ(0, packet_.AddDocument(statement, "02", "61001", "Заявление", true, 0));
  ASSERT_EQ(
      1, packet_.AddDocument(Input("скан.TIF", Tiff(2480, 3508, 1)), "03", "", "Скан", false, 0));
  packet_.SignDocument(1, packet_.SignCertSha1, 0);

  ASSERT_EQ(2u, packet_.Documents.size());
  const TRegDoc& row = *packet_.Documents[0];
  EXPECT_EQ("Заявление", row.DocName);
  EXPECT_EQ("02", row.DocTypeCode);
  EXPECT_EQ("xml", row.ContentType);
  EXPECT_EQ(statement, row.SourcePath);
  EXPECT_EQ("заявление.xml", row.OriginalFileName);
  EXPECT_EQ("61001", row.КодСВДРЕГ);
  EXPECT_EQ(0, row.PackageIndex);
  EXPECT_EQ(32u, row.DocumentCode.size());
  EXPECT_FALSE(row.FileName.empty());
  EXPECT_FALSE(row.SignatureFileName.empty());
  EXPECT_EQ("", packet_.Documents[1]->SignatureFileName);
  EXPECT_EQ("tiff", packet_.Documents[1]->ContentType);
  // The issuer's CN is not the notaries' CA: an applicant.
  EXPECT_EQ(SIGN_ROLE_TYPE_APPLICANT, packet_.SignerRole);
  EXPECT_EQ(SIGN_ROLE_TYPE_APPLICANT, KeyRole());

  packet_.SenderType = SIGN_ROLE_TYPE_APPLICANT;
  packet_.ReceiverType = SIGN_ROLE_TYPE_ZUK;
  std::string message;
  ASSERT_TRUE(packet_.ValidateAndSave(message, "")) << message;
  const std::string prefix = "ZUK_7701_0046_";
  const std::string& name = packet_.PackageFileName;
  ASSERT_EQ(prefix.size() + 36 + std::string("_ИП_6_01.zip").size(), name.size()) << name;
  EXPECT_EQ(prefix, name.substr(0, prefix.size()));
  EXPECT_EQ("_ИП_6_01.zip", name.substr(prefix.size() + 36));
  ASSERT_TRUE(fs::exists(SysPath(packet_.PackagePath())));

  for (const char* ca : {"root", "intermediate"}) {
    ASSERT_EQ(
        0, RunCommand("openssl x509 -inform DER -in " + Quoted(PkiPath(ca + std::string(".cer"))) +
                      " >> " + Quoted(out_.File("chain.pem")))
               .status);
  }
  fs::create_directory(out_.File("peer"));
  const CommandResult peer =
      RunCommand("python3 '" TARVEX_SOURCE_DIR "/tests/lib/package/check_package.py' " +
                 Quoted(SysPath(packet_.PackagePath())) + " " + Quoted(out_.File("peer")) + " " +
                 Quoted(out_.File("chain.pem")));
  ASSERT_EQ(0, peer.status) << peer.output;
  // Both documents carry one verified signature of the applicant; the
  // content is whole.
  const std::string line =
      AnsiToUtf8(row.FileName + " false [('" + row.SignatureFileName + "', 'заявитель', [])]\n");
  EXPECT_EQ(0u, peer.output.find(line)) << peer.output;
  EXPECT_NE(std::string::npos, peer.output.find(AnsiToUtf8(".TIF_1.p7s', 'заявитель', [])]")))
      << peer.output;
  EXPECT_EQ(std::string(kStatement, sizeof kStatement - 1),
            ReadBytes(out_.File("peer/" + AnsiToUtf8(row.FileName))));

  // Opened again by another packet: found by its codes with a-z folded.
  TPacket opened;
  ASSERT_TRUE(opened.OpenPacket(packet_.PackagePath(), message)) << message;
  EXPECT_EQ(name, opened.PackageFileName);
  std::string upper = row.DocumentCode;
  for (char& c : upper) c = static_cast<char>(std::toupper(c));
  EXPECT_EQ(0, opened.IndexOfFileByDocumentCode(upper));
  EXPECT_EQ(1, opened.IndexOfFileByDocTypeCode("03"));
  EXPECT_EQ(-1, opened.IndexOfFileByDocTypeCode("07"));
  EXPECT_EQ(-1, opened.IndexOfDocument(row.DocumentCode));
  int32_t signatures = 0;
  OleCheck(opened.Package->GetFileSignatureCount(1, &signatures));
  EXPECT_EQ(1, signatures);
}

TEST_F(PacketTest, TheKeysRoleComesFromTheCallersRoleTheArgumentOrTheIssuer) {
  const std::string signer = ImportSigner("signer");
  const std::string signer2 = ImportSigner("signer2");
  packet_.EnsureCrypt();

  packet_.SignerRole = SIGN_ROLE_TYPE_IONOTARY;
  packet_.SelectSignKey(signer, SIGN_ROLE_TYPE_NOTARY);
  EXPECT_EQ(SIGN_ROLE_TYPE_IONOTARY, KeyRole());

  packet_.SignerRole = 0;
  packet_.SelectSignKey(signer2, SIGN_ROLE_TYPE_NOTARY);
  EXPECT_EQ(SIGN_ROLE_TYPE_NOTARY, KeyRole());
  EXPECT_EQ(SIGN_ROLE_TYPE_NOTARY, packet_.SignerRole);

  // The current key again: nothing is fetched and no role is set.
  ITarvexKey* const current = packet_.SignKey.get();
  packet_.SignerRole = SIGN_ROLE_TYPE_MINUST;
  packet_.SelectSignKey(signer2, SIGN_ROLE_TYPE_APPLICANT);
  EXPECT_EQ(current, packet_.SignKey.get());
  EXPECT_EQ(SIGN_ROLE_TYPE_NOTARY, KeyRole());
  EXPECT_EQ(SIGN_ROLE_TYPE_MINUST, packet_.SignerRole);

  // The role stored by the last selection goes to the next new key.
  packet_.SelectSignKey(signer, 0);
  EXPECT_EQ(SIGN_ROLE_TYPE_MINUST, KeyRole());
  packet_.SignerRole = 0;
  packet_.SelectSignKey(signer2, 0);
  EXPECT_EQ(SIGN_ROLE_TYPE_APPLICANT, KeyRole());

  // A thumbprint the catalogue does not hold fails with the library's text.
  const std::string unknown(40, '0');
  const std::string error = ErrorOf([&] { packet_.SelectSignKey(unknown, 0); });
  EXPECT_NE(std::string::npos, error.find(unknown)) << error;
  std::string message;
  EXPECT_FALSE(packet_.SignDocumentSafe(5, signer, message, 0));
  EXPECT_NE("", message);
}

TEST_F(PacketTest, ASignerWithoutARoleSignsNothingAndIsNotKeptAsTheCurrentKey) {
  // A certificate whose issuer has no CN, so no role comes from it.
  const std::string cer = out_.File("nocn.cer");
  ASSERT_EQ(0, RunCommand(
                   "openssl req -x509 -engine gost -new -key " + Quoted(PkiPath("signer.key")) +
                   " -subj " + Quoted(AnsiToUtf8("/C=RU/O=Тест без имени")) +
                   " -utf8 -md_gost94 -days 3650 -outform DER -out " + Quoted(cer) + " 2>/dev/null")
                   .status);
  ASSERT_EQ(0, ImportKeyFiles("nocn", PkiPath("signer.key"), cer));
  const std::string nocn = OpensslSha1(cer);
  const std::string signer = ImportSigner("signer");
  packet_.EnsureCrypt();
  packet_.SelectSignKey(signer, 0);
  ITarvexKey* const previous = packet_.SignKey.get();

  packet_.SignCertSha1 = nocn;
  const std::string pdf = Input("а.pdf", "%PDF-1.4");
  std::string message;
  packet_.SignerRole = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_EQ(-1, packet_.AddDocumentSafe(pdf, "03", "", "А", true, 0, message));
    EXPECT_EQ("Невозможно определить роль подписанта", message);
    EXPECT_EQ(previous, packet_.SignKey.get());
    EXPECT_EQ(0, packet_.SignerRole);
  }
  EXPECT_EQ(0, FileCount());  // nothing unsigned stays behind

  // With a role given, the same certificate signs.
  ASSERT_EQ(0, packet_.AddDocument(pdf, "03", "", "А", false, 0));
  int32_t signatures = -1;
  ASSERT_TRUE(packet_.SignDocumentSafe(0, nocn, message, SIGN_ROLE_TYPE_NOTARY)) << message;
  EXPECT_EQ(SIGN_ROLE_TYPE_NOTARY, KeyRole());
  OleCheck(packet_.Package->GetFileSignatureCount(0, &signatures));
  EXPECT_EQ(1, signatures);
}

TEST_F(PacketTest, DeletingAFileRemovesItsRowIfItHasOne) {
  ASSERT_EQ(0, packet_.AddDocument(Input("а.pdf", "%PDF-1.4 а"), "03", "", "А", false, 0));
  ASSERT_EQ(1, packet_.AddDocument(Input("б.pdf", "%PDF-1.4 б"), "04", "", "Б", false, 0));
  ITarvexFile* foreign = nullptr;
  OleCheck(packet_.Package->AddFile(OleString("Док").get(), OleString("03").get(),
                                    OleString("pdf").get(), OleString("в.pdf").get(),
                                    OleString("в").get(), &foreign));
  const ComRef<ITarvexFile> held(foreign);
  ASSERT_EQ(3, FileCount());

  // The file without a row goes; the rows stay.
  packet_.DeleteDocument(2);
  EXPECT_EQ(2, FileCount());
  EXPECT_EQ(2u, packet_.Documents.size());

  const std::string second = packet_.Documents[1]->DocumentCode;
  EXPECT_EQ(packet_.Documents[1].get(), packet_.FindDocument(second));
  std::string message;
  ASSERT_TRUE(packet_.DeleteDocumentSafe(0, message)) << message;
  ASSERT_EQ(1u, packet_.Documents.size());
  EXPECT_EQ(second, packet_.Documents[0]->DocumentCode);
  EXPECT_EQ(nullptr, packet_.FindDocument("нет"));
  EXPECT_EQ(0, packet_.IndexOfFileByDocumentCode(second));

  EXPECT_FALSE(packet_.DeleteDocumentSafe(7, message));
  EXPECT_NE("", message);
  EXPECT_EQ(1, FileCount());

  packet_.ClearDocuments();
  EXPECT_TRUE(packet_.Documents.empty());
}

// The look-ups by document code answer from an index that must follow
// every change: each answer is held to a walk of the package's files and
// of the rows, after changes through the packet (one of them leaving the
// number of files as it was) and one past it.
TEST_F(PacketTest, LookUpsByCodeFollowEveryChangeOfTheFilesAndRows) {
  auto walk_files = [this](const std::string& code) {
    for (int32_t i = 0; i < FileCount(); ++i) {
      ITarvexFile* raw = nullptr;
      OleCheck(packet_.Package->GetFile(i, &raw));
      const ComRef<ITarvexFile> file(raw);
      OleString value;
      OleCheck(file->get_DocumentCode(value.out()));
      if (value.Ansi() == code) return i;
    }
    return -1;
  };
  auto walk_rows = [this](const std::string& code) {
    for (size_t i = 0; i < packet_.Documents.size(); ++i) {
      if (packet_.Documents[i]->DocumentCode == code) return static_cast<int32_t>(i);
    }
    return -1;
  };
  std::vector<std::string> codes;
  auto expect_walks = [&](const char* after) {
    for (const std::string& code : codes) {
      EXPECT_EQ(packet_.IndexOfFileByDocumentCode(code), walk_files(code)) << after;
      EXPECT_EQ(packet_.IndexOfDocument(code), walk_rows(code)) << after;
    }
  };
  auto add = [&](const char* name) {
    ASSERT_GE(packet_.AddDocument(Input(name, "%PDF-1.4"), "03", "", name, false, 0), 0);
    codes.push_back(packet_.Documents.back()->DocumentCode);
  };
  add("а.pdf");
  add("б.pdf");
  expect_walks("adding");
  const std::string saved = Output("два.zip");
  packet_.SenderType = SIGN_ROLE_TYPE_APPLICANT;
  packet_.ReceiverType = SIGN_ROLE_TYPE_ZUK;
  std::string message;
  ASSERT_TRUE(packet_.ValidateAndSave(message, saved)) << message;

  packet_.DeleteDocument(0);
  expect_walks("deleting");
  add("в.pdf");
  expect_walks("adding after deleting");
  ASSERT_TRUE(packet_.OpenPacket(saved, message)) << message;
  ASSERT_EQ(2, FileCount());
  expect_walks("opening a package of as many files");
  packet_.ClearDocuments();
  expect_walks("clearing the rows");

  ITarvexFile* foreign = nullptr;
  OleCheck(packet_.Package->AddFile(OleString("Док").get(), OleString("03").get(),
                                    OleString("pdf").get(), OleString("г.pdf").get(),
                                    OleString("г").get(), &foreign));
  const ComRef<ITarvexFile> held(foreign);
  OleString foreign_code;
  OleCheck(foreign->get_DocumentCode(foreign_code.out()));
  codes.push_back(foreign_code.Ansi());
  expect_walks("adding past the packet");
  EXPECT_EQ(packet_.IndexOfFileByDocumentCode(codes.back()), 2);

  ASSERT_TRUE(packet_.NewPacket(message)) << message;
  expect_walks("a new package");
}

TEST_F(PacketTest, AnEncryptedPackageOpensOnlyWhereItCanBeDecrypted) {
  packet_.EnsureCrypt();
  ITarvexKey* receiver = nullptr;
  OleCheck(
      packet_.Crypt->ImportOpponentCertificate(OleString(Pki("signer2.cer")).get(), &receiver));
  const ComRef<ITarvexKey> held(receiver);
  packet_.EncryptCertSha1 = OpensslSha1(PkiPath("signer2.cer"));
  packet_.Encrypt = 1;
  packet_.SenderType = SIGN_ROLE_TYPE_APPLICANT;
  packet_.ReceiverType = SIGN_ROLE_TYPE_ZUK;
  ASSERT_EQ(0, packet_.AddDocument(Input("а.pdf", "%PDF-1.4 секрет"), "03", "", "А", false, 0));
  const std::string path = Output("шифр.zip");
  std::string message;
  ASSERT_TRUE(packet_.ValidateAndSave(message, path)) << message;
  VARIANT_BOOL encrypted = VARIANT_FALSE;
  OleCheck(packet_.Package->get_IsEncrypted(&encrypted));
  EXPECT_NE(VARIANT_FALSE, encrypted);
  fs::create_directory(out_.File("peer"));
  const CommandResult peer =
      RunCommand("python3 '" TARVEX_SOURCE_DIR "/tests/lib/package/check_package.py' " +
                 Quoted(SysPath(path)) + " " + Quoted(out_.File("peer")) + " /dev/null");
  ASSERT_EQ(0, peer.status) << peer.output;
  EXPECT_NE(std::string::npos, peer.output.find(" true []")) << peer.output;

  // The receiver's private key is not here.
  TPacket opened;
  EXPECT_FALSE(opened.OpenPacket(path, message));
  EXPECT_EQ("Пакет уже зашифрован и не может быть расшифрован и открыт: ", message.substr(0, 59))
      << message;
  EXPECT_EQ("", opened.PackageFileName);
}

TEST_F(PacketTest, ValidationEncryptionOpeningAndInventoryFailuresGiveTheirMessages) {
  const struct {
    const char* sender;
    const char* receiver;
    const char* code;
    const char* error;
  } cases[] = {
      {"", "", "", "Не указан идентификатор отправителя"},
      {"1", "", "", "Не указан идентификатор получателя"},
      {"1", "2", "", "Не указан код типа документа"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    packet_.SenderId = c.sender;
    packet_.ReceiverId = c.receiver;
    packet_.DocTypeCode = c.code;
    std::string message;
    EXPECT_FALSE(packet_.ValidateAndSave(message, ""));
    EXPECT_EQ(c.error, message);
  }
  EXPECT_EQ("", packet_.PackageFileName);

  packet_.SenderId = "1";
  packet_.ReceiverId = "2";
  packet_.DocTypeCode = "01";
  packet_.Encrypt = 1;
  std::string message;
  EXPECT_FALSE(packet_.ValidateAndSave(message, Output("шифр.zip")));
  EXPECT_EQ("Не определен сертификат шифрования", message);
  packet_.EncryptCertSha1 = std::string(40, 'a');
  EXPECT_FALSE(packet_.ValidateAndSave(message, Output("шифр.zip")));
  EXPECT_EQ("Ошибка получения сертификата шифрования: ", message.substr(0, 41)) << message;
  EXPECT_FALSE(fs::exists(SysPath(Output("шифр.zip"))));

  // The library's own message for a missing package, unchanged.
  const std::string absent = Output("нет.zip");
  EXPECT_FALSE(packet_.OpenPacket(absent, message));
  EXPECT_EQ("Файл с пакетом [" + absent + "] не существует!", message);
  EXPECT_EQ("", packet_.PackageFileName);

  EXPECT_FALSE(packet_.LoadInventoryText("OP_REGRIP_1.xml", "<Файл/>", message));
  EXPECT_EQ("Ошибка загрузки описи: Пакет этого типа не имеет описи документов", message);
}

}  // namespace
