#include "lib/package/tarvex_doc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <random>

#include "lib/crypto/cryptoapi20_tool.h"
#include "lib/foundation/format.h"
#include "lib/foundation/str_array.h"
#include "lib/foundation/text_routines.h"
#include "lib/package/os_abbrevia_tool.h"
#include "lib/package/tarvex_crypto_tool.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/tarvex_signature.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_package.h"
#include "platform/kernel/codepage.h"
#include "tests/lib/package/large_package.h"
#include "tests/lib/package/package_test_support.h"
#include "tests/support/bounded_child.h"
#include "tests/support/error_of.h"

namespace {

namespace fs = std::filesystem;

constexpr char kStatementBytes[] = "<Заявление>\0\xFF</Заявление>";
const std::string kStatement(kStatementBytes, sizeof kStatementBytes - 1);
const std::string kPayment = "%PDF-1.4 платёж";

// TMP of the test's own, so that working folders can be counted.
class TarvexDocTest : public PackageTest {
 protected:
  void SetUp() override {
    PackageTest::SetUp();
    ::setenv("TMP", tmp_.Path().c_str(), 1);
  }
  void TearDown() override { ::unsetenv("TMP"); }

  std::string Out(const std::string& name) const { return out_.File(name); }

  // The working folders under TMP.
  std::vector<std::string> WorkFolders() const {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(tmp_.Path())) {
      names.push_back(item.path().filename().string());
    }
    return names;
  }

  // A legal-entity registration with its parties and two documents: the
  // statement (encrypted for a receiver) and the payment (never).
  static void Fill(CTarvexDoc& package) {
    ASSERT_TRUE(package.New());
    package.SetDocTransactType(1);
    package.SetSenderType(5);
    package.SetSenderIdentifier("7701");
    package.SetReceiverType(2);
    package.SetReceiverIdentifier("0046");
    CTarvexDocument* statement = package.AddFile();
    statement->SetDocType(1);
    statement->SetContentType("xml");
    statement->SetOriginalFilename("заявление.xml");
    statement->SetContent(kStatement);
    CTarvexDocument* payment = package.AddFile();
    payment->SetDocType(4);
    payment->SetContentType("pdf");
    payment->SetOriginalFilename("C:\\Мои документы\\платёж.pdf");
    payment->SetContent(kPayment);
  }

  std::unique_ptr<CTarvexKey> KeyOf(const std::string& name) const {
    return PackageTest::KeyOf(name, 5);
  }

  // The independent check of a saved package: its lines, one per document.
  std::string CheckPackage(const std::string& package) const {
    const std::string folder = roots_.Dir().File("peer");
    fs::remove_all(folder);
    fs::create_directory(folder);
    const CommandResult result =
        RunCommand("python3 '" TARVEX_TEST_DIR "/check_package.py' " + Quoted(package) + " " +
                   Quoted(folder) + " " + Quoted(File("chain.pem")));
    EXPECT_EQ(0, result.status) << result.output;
    return result.output;
  }

  // A package file made by the zip peer, with raw entry names.
  void MakeZip(const std::string& archive,
               const std::vector<std::pair<std::string, std::string>>& entries) const {
    std::string command = "python3 '" TARVEX_TEST_DIR "/zip_peer.py' make " + Quoted(archive);
    for (const auto& [name, content] : entries) {
      command += ' ';
      command += BinToHexStr(name);
      command += '=';
      command += BinToHexStr(content);
    }
    ASSERT_EQ(0, RunCommand(command).status);
  }

  // The saved package `file` again, with `from` replaced by `to` in its
  // description, as a package made elsewhere might be.
  void Rewrite(const std::string& file, const std::string& target, const std::string& from,
               const std::string& to) const {
    std::vector<ZipEntry> entries = COsAbbreviaTool::ReadArchive(file);
    std::vector<ZipEntryView> views;
    for (ZipEntry& entry : entries) {
      if (entry.name == CTarvexDoc::kDescriptionFile) {
        const size_t at = entry.bytes.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        entry.bytes.replace(at, from.size(), to);
      }
      views.push_back({entry.name, entry.bytes});
    }
    COsAbbreviaTool::WriteArchive(target, views);
  }

  // An archive made by the zip peer's `command` with `arguments`.
  std::string PeerArchive(const std::string& command, const std::string& arguments) const {
    const std::string archive = Out("inner.zip");
    EXPECT_EQ(0, RunCommand("python3 '" TARVEX_TEST_DIR "/zip_peer.py' " + command + " " +
                            Quoted(archive) + " " + arguments)
                     .status);
    return ReadBytes(archive);
  }

  // An archive of one entry of `zeros` zero bytes.
  std::string ZerosArchive(int zeros) const {
    return PeerArchive("zeros", BinToHexStr("scan.tif") + " " + std::to_string(zeros));
  }

  // A package of `count` documents marked compressed, each holding the
  // archive `inner`.
  void WriteCompressedPackage(const std::string& file, int count, const std::string& inner) const {
    CTarvexDoc package;
    Fill(package);
    package.DeleteFile(1);
    package.DeleteFile(0);
    for (int i = 0; i < count; ++i) {
      CTarvexDocument* document = package.AddFile();
      document->SetDocType(3);
      document->SetContentType("tif");
      document->SetOriginalFilename("scan.tif");
      document->SetContent(inner);
    }
    ASSERT_TRUE(package.SaveAs(Out("uncompressed.zip")));
    std::vector<ZipEntry> entries = COsAbbreviaTool::ReadArchive(Out("uncompressed.zip"));
    std::vector<ZipEntryView> views;
    for (ZipEntry& entry : entries) {
      if (entry.name == CTarvexDoc::kDescriptionFile) {
        const std::string from = "сжат=\"false\"";
        for (size_t at = entry.bytes.find(from); at != std::string::npos;
             at = entry.bytes.find(from, at)) {
          entry.bytes.replace(at, from.size(), "сжат=\"true\"");
        }
      }
      views.push_back({entry.name, entry.bytes});
    }
    COsAbbreviaTool::WriteArchive(file, views);
  }

  // The names in the output folder.
  std::vector<std::string> OutNames() const {
    std::vector<std::string> left;
    for (const auto& item : fs::directory_iterator(out_.Path())) {
      left.push_back(item.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    return left;
  }

  TempDir tmp_;
  TempDir out_;
};

TEST_F(TarvexDocTest, ASavedPackageReopensAsItWasAndChecksWithPeers) {
  CTarvexDoc package;
  Fill(package);
  auto signer = KeyOf("signer");
  auto signer2 = KeyOf("signer2");
  ASSERT_TRUE(package.SignFile("заявление.xml", signer.get()));
  ASSERT_TRUE(package.SignFile("платёж.pdf", signer.get()));
  ASSERT_TRUE(package.SignFile("платёж.pdf", signer2.get()));
  ASSERT_TRUE(package.ReSignFile("заявление.xml", signer2.get()));
  // A countersignature of a countersignature.
  package.GetFileResign(0, 0, 0)->Resign(signer.get());
  ASSERT_TRUE(package.SaveAs(Out("package.zip")));

  const std::string code0 = package.GetFile(0)->GetDocumentCode();
  const std::string code1 = package.GetFile(1)->GetDocumentCode();
  const std::string name0 = "ZayavUL_" + code0 + ".xml";
  const std::string name1 = "GosPoshlina_" + code1 + ".pdf";
  EXPECT_EQ(name0 + " false [('" + name0 + "_1.p7s', 'заявитель', [('" + name0 +
                "_1.p7s_1.p7s', 'заявитель', [('" + name0 +
                "_1.p7s_1.p7s_1.p7s', 'заявитель', [])])])]\n" + name1 + " false [('" + name1 +
                "_1.p7s', 'заявитель', []), ('" + name1 + "_2.p7s', 'заявитель', [])]\n",
            Utf8ToAnsi(CheckPackage(Out("package.zip"))));

  CTarvexDoc read;
  ASSERT_TRUE(read.Open(Out("package.zip")));
  EXPECT_EQ(1, read.GetDocTransactType());
  EXPECT_EQ(5, read.GetSenderType());
  EXPECT_EQ("7701", read.GetSenderIdentifier());
  EXPECT_EQ(2, read.GetReceiverType());
  EXPECT_EQ("0046", read.GetReceiverIdentifier());
  ASSERT_EQ(2, read.GetFileCount());
  EXPECT_EQ(kStatement, read.GetFile(0)->Content());
  EXPECT_EQ(name0, read.GetFile(0)->GetFilename());
  EXPECT_EQ(code0, read.GetFile(0)->GetDocumentCode());
  EXPECT_EQ("платёж.pdf", read.GetFile(1)->GetOriginalFilename());
  EXPECT_EQ(kPayment, read.GetFile(1)->Content());
  EXPECT_EQ(1, read.GetFileSignatureCount(0));
  EXPECT_EQ(2, read.GetFileSignatureCount(1));
  EXPECT_EQ(1, read.GetFileResignCount(0, 0));
  EXPECT_EQ(ThumbprintOf("signer2"), read.GetFileResign(0, 0, 0)->Key().Sha1());
  EXPECT_EQ(1, read.GetFileResign(0, 0, 0)->GetResignCount());
  EXPECT_EQ(name1 + "_2.p7s", read.GetFileSignature(1, 1)->Node()->FileName());
  TrustChain(kUser);
  read.GetFile(0)->CheckSign(false, true);
  read.GetFile(1)->CheckSign(false, true);

  // Deleting a document drops its element; the next save leaves out its files.
  ASSERT_TRUE(read.DeleteFileSignature(1, 0));
  ASSERT_TRUE(read.DeleteFileResignatures(0, 0));
  ASSERT_TRUE(read.DeleteFile(0));
  ASSERT_TRUE(read.SaveAs(Out("second.zip")));
  EXPECT_EQ(name1 + " false [('" + name1 + "_1.p7s', 'заявитель', [])]\n",
            Utf8ToAnsi(CheckPackage(Out("second.zip"))));
}

TEST_F(TarvexDocTest, APackageRezippedWithUtf8NamesOpensAndChecksAsItWas) {
  // Zip writers elsewhere store names beyond ASCII in UTF-8, flagged so.
  CTarvexDoc package;
  Fill(package);
  const std::string attachment = "Приложение_" + package.GetFile(1)->GetDocumentCode() + ".bin";
  package.GetFile(1)->SetFilename(attachment);
  auto signer = KeyOf("signer");
  ASSERT_TRUE(package.SignFile("заявление.xml", signer.get()));
  ASSERT_TRUE(package.SignFile("платёж.pdf", signer.get()));
  ASSERT_TRUE(package.ReSignFile("платёж.pdf", signer.get()));
  ASSERT_TRUE(package.SaveAs(Out("package.zip")));
  const CommandResult rezipped =
      RunCommand("python3 '" TARVEX_TEST_DIR "/zip_peer.py' rezip " + Quoted(Out("package.zip")) +
                 " " + Quoted(Out("rezipped.zip")));
  ASSERT_EQ(0, rezipped.status) << rezipped.output;

  CTarvexDoc read;
  ASSERT_TRUE(read.Open(Out("rezipped.zip")));
  ASSERT_EQ(2, read.GetFileCount());
  EXPECT_EQ(kStatement, read.GetFile(0)->Content());
  EXPECT_EQ(attachment, read.GetFile(1)->GetFilename());
  EXPECT_EQ(kPayment, read.GetFile(1)->Content());
  EXPECT_EQ(1, read.GetFileSignatureCount(1));
  EXPECT_EQ(attachment + "_1.p7s", read.GetFileSignature(1, 0)->Node()->FileName());
  EXPECT_EQ(1, read.GetFileResignCount(1, 0));
  TrustChain(kUser);
  read.GetFile(0)->CheckSign(false, true);
  read.GetFile(1)->CheckSign(false, true);
}

TEST_F(TarvexDocTest, APackageHoldsNoMoreFilesThanAnArchiveThatOpensAgain) {
  // The description, 65,533 documents and a signature make the 65,535
  // files an archive may hold: the package opens, saves and opens again.
  const int most = static_cast<int>(ZipLimits().entries) - 2;
  WriteLargePackage(Out("at-limit.zip"), most);
  CTarvexDoc package;
  ASSERT_TRUE(package.Open(Out("at-limit.zip")));
  ASSERT_TRUE(package.SaveAs(Out("saved.zip")));
  {
    CTarvexDoc reopened;
    ASSERT_TRUE(reopened.Open(Out("saved.zip")));
    EXPECT_EQ(most, reopened.GetFileCount());
    EXPECT_EQ(1, reopened.GetFileSignatureCount(0));
  }

  // A document more is refused before anything changes, and so is the
  // save of a signature more.
  const std::string over =
      "Число файлов пакета [65536] превышает предел [65535]: описание, документов [%d], "
      "подписей [%d]";
  EXPECT_EQ(Format(over, {most + 1, 1}), ErrorOf([&] { package.AddFile(); }));
  EXPECT_EQ(most, package.GetFileCount());
  EXPECT_EQ(most, package.Description().Documents().Count());
  auto signer = KeyOf("signer");
  package.GetFile(1)->SetContent("<x/>");
  package.GetFile(1)->Sign(signer.get());
  const std::string saved = ReadBytes(Out("saved.zip"));
  EXPECT_EQ(Format(over, {most, 2}), ErrorOf([&] { package.SaveAs(Out("saved.zip")); }));
  EXPECT_EQ(saved, ReadBytes(Out("saved.zip")));
  ASSERT_TRUE(package.Close());

  // A description of one document more does not open.
  WriteLargePackage(Out("over-limit.zip"), most + 1);
  CTarvexDoc refused;
  EXPECT_EQ(Format(over, {most + 1, 1}), ErrorOf([&] { refused.Open(Out("over-limit.zip")); }));
}

TEST_F(TarvexDocTest, TamperedDocumentsAreRefusedWhileTheOthersOfTheirPackageCheck) {
  CTarvexDoc package;
  Fill(package);
  // Large enough that the documents are hashed on several threads.
  std::string large(3 << 20, '\0');
  std::mt19937 random(18);
  for (char& byte : large) byte = static_cast<char>(random());
  CTarvexDocument* extract = package.AddFile();
  extract->SetDocType(4);
  extract->SetContentType("pdf");
  extract->SetOriginalFilename("выписка.pdf");
  extract->SetContent(large);
  auto signer = KeyOf("signer");
  auto signer2 = KeyOf("signer2");
  for (const char* name : {"заявление.xml", "платёж.pdf", "выписка.pdf"}) {
    ASSERT_TRUE(package.SignFile(name, signer.get()));
  }
  ASSERT_TRUE(package.SignFile("платёж.pdf", signer2.get()));
  ASSERT_TRUE(package.SaveAs(Out("package.zip")));
  std::string tampered = kPayment;
  tampered.back() ^= 1;
  std::vector<ZipEntry> entries = COsAbbreviaTool::ReadArchive(Out("package.zip"));
  std::vector<ZipEntryView> views;
  for (ZipEntry& entry : entries) {
    if (entry.name == package.GetFile(1)->GetFilename()) entry.bytes = tampered;
    // Inside the signature value, the message's last field.
    if (entry.name == package.GetFileSignature(0, 0)->Node()->FileName()) {
      entry.bytes[entry.bytes.size() - 5] ^= 1;
    }
    views.push_back({entry.name, entry.bytes});
  }
  COsAbbreviaTool::WriteArchive(Out("tampered.zip"), views);

  CTarvexDoc read;
  ASSERT_TRUE(read.Open(Out("tampered.zip")));
  TrustChain(kUser);
  // The messages of a check that hashes and verifies on its own.
  const auto refused = [&](int index, const std::string& content) {
    CStrArray signers;
    signers.OwnsObjects = StrArrayOwnership::Destroy;
    const std::string error = ErrorOf([&] {
      CTarvexCryptoTool::CheckSignatureEx(true, content, true, false, &signers,
                                          read.GetFileSignature(index, 0)->Content());
    });
    EXPECT_EQ(std::string::npos, error.find("no error")) << index;
    return "Ошибка при проверке подписи [#0]: " + error;
  };
  EXPECT_EQ(refused(1, tampered), ErrorOf([&] { read.GetFile(1)->CheckSign(false, true); }));
  EXPECT_EQ(refused(0, kStatement), ErrorOf([&] { read.GetFile(0)->CheckSign(false, true); }));
  EXPECT_NO_THROW(read.GetFile(2)->CheckSign(false, true));

  // A digest made for the checks goes with the content it was made of.
  read.GetFile(1)->SetContent(kPayment);
  EXPECT_NO_THROW(read.GetFile(1)->CheckSign(false, true));
  read.GetFile(2)->SetContent(large.substr(1));
  EXPECT_NE("no error", ErrorOf([&] { read.GetFile(2)->CheckSign(false, true); }));
  read.GetFile(2)->SetContent(large);
  EXPECT_NO_THROW(read.GetFile(2)->CheckSign(false, true));
}

TEST_F(TarvexDocTest, TheWorkingFolderLivesWhileThePackageIsOpen) {
  CTarvexDoc package;
  Fill(package);
  ASSERT_TRUE(package.SaveAs(Out("package.zip")));
  ASSERT_EQ(1u, WorkFolders().size());
  const std::string folder = WorkFolders()[0];
  EXPECT_EQ(38u, folder.size());
  EXPECT_EQ('{', folder.front());
  EXPECT_EQ(tmp_.File(folder) + "/", package.WorkFolder());

  ASSERT_TRUE(package.Open(Out("package.zip")));
  ASSERT_TRUE(package.Open(Out("package.zip")));
  EXPECT_EQ(1u, WorkFolders().size());
  EXPECT_NE(folder, WorkFolders()[0]);
  ASSERT_TRUE(package.Close());
  EXPECT_TRUE(WorkFolders().empty());
  EXPECT_FALSE(package.IsOpened());
  EXPECT_EQ("Документ не открыт", ErrorOf([&] { package.GetFileCount(); }));
  EXPECT_EQ("Документ не открыт", ErrorOf([&] { package.SaveAs(Out("x.zip")); }));
  {
    CTarvexDoc destroyed;
    ASSERT_TRUE(destroyed.New());
  }
  EXPECT_TRUE(WorkFolders().empty());
}

TEST_F(TarvexDocTest, SaveAsReplacesAnOldPackageOnlyWhenTheNewOneIsMade) {
  CTarvexDoc package;
  Fill(package);
  const std::string target = Out("package.zip");
  WriteBytes(target, "old");
  ASSERT_TRUE(package.SaveAs(target));
  CheckPackage(target);

  fs::permissions(target, fs::perms::owner_read);
  ASSERT_TRUE(package.SaveAs(target));
  CheckPackage(target);

  fs::create_directory(Out("folder.zip"));
  WriteBytes(Out("folder.zip/inside"), "x");
  EXPECT_EQ("Файл уже существует: продолжение невозможно [" + Out("folder.zip") + "]",
            ErrorOf([&] { package.SaveAs(Out("folder.zip")); }));
  EXPECT_EQ("Передан пустой аргумент: Имя файла", ErrorOf([&] { package.SaveAs(""); }));
  // A bare name lies in the current directory.
  const fs::path current = fs::current_path();
  fs::current_path(out_.Path());
  EXPECT_TRUE(package.SaveAs("bare.zip"));
  fs::current_path(current);
  CheckPackage(Out("bare.zip"));
  fs::remove(Out("bare.zip"));

  // A package that cannot be written leaves the old file as it was and no
  // archive behind.
  CTarvexDoc unnamed;
  ASSERT_TRUE(unnamed.New());
  unnamed.SetDocTransactType(1);
  unnamed.SetSenderType(5);
  unnamed.SetReceiverType(2);
  unnamed.SetReceiverIdentifier("0046");
  const std::string before = ReadBytes(target);
  EXPECT_EQ("Попытка записи пустого значения в атрибут [идентификаторСубъекта]",
            ErrorOf([&] { unnamed.SaveAs(target); }));
  EXPECT_EQ(before, ReadBytes(target));
  EXPECT_NE("no error", ErrorOf([&] { unnamed.SaveAs(Out("none.zip")); }));
  EXPECT_FALSE(fs::exists(Out("none.zip")));
  EXPECT_EQ((std::vector<std::string>{"folder.zip", "package.zip"}), OutNames());
  // The package stays open, so the save can be repeated.
  unnamed.SetSenderIdentifier("7701");
  EXPECT_TRUE(unnamed.SaveAs(Out("none.zip")));
}

TEST_F(TarvexDocTest, CompressedDocumentsUnpackWithinTheBoundOfTheirArchive) {
  // Each document an archive of 4 MiB of zeros, the most the ratio lets
  // through: 1,000 of them in a few hundred KB would unpack to 4 GiB, and
  // 256 to the whole bound with the archive's own entries beside, so that
  // their save would not open again. Both are refused by what the
  // documents' archives declare, before any is inflated.
  const int zeros = 4 << 20;
  for (const int count : {1000, 256}) {
    WriteCompressedPackage(Out("compressed.zip"), count, ZerosArchive(zeros));
    const TimedAnswer refusal = InBoundedChildTimed(
        64 << 20, 10,
        [&] {
          CTarvexDoc package;
          return ErrorOf([&] { package.Open(Out("compressed.zip")); });
        },
        Out("answer"));
    EXPECT_EQ(ZipLimits().TotalSizeError(), refusal.answer) << count;
#ifndef __SANITIZE_ADDRESS__
    // Under the sanitizer's allocator the opening takes many times longer.
    EXPECT_LT(refusal.took, std::chrono::seconds(1)) << count;
#endif
    EXPECT_TRUE(WorkFolders().empty());
  }

  // Within the bound they open unpacked, and the save opens again.
  WriteCompressedPackage(Out("compressed.zip"), 3, ZerosArchive(zeros));
  CTarvexDoc package;
  ASSERT_TRUE(package.Open(Out("compressed.zip")));
  ASSERT_TRUE(package.SaveAs(Out("saved.zip")));
  CTarvexDoc reopened;
  ASSERT_TRUE(reopened.Open(Out("saved.zip")));
  ASSERT_EQ(3, reopened.GetFileCount());
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(reopened.GetFile(i)->IsCompressed());
    EXPECT_EQ(std::string(zeros, '\0'), reopened.GetFile(i)->Content());
  }
}

TEST_F(TarvexDocTest, SizesDeclaredBeyondTheBoundsAreRefusedWithTheLibrarysOwnMessage) {
  // An entry, or the one file of a compressed document, whose ZIP64 extra
  // field declares 2^64 - 2^62 unpacked bytes.
  const std::string size = std::to_string(~uint64_t{0} - (uint64_t{1} << 62) + 1);
  const std::string declared = PeerArchive("declare-size", "1 " + size + " 8");
  WriteBytes(Out("declared.zip"), declared);
  WriteCompressedPackage(Out("compressed.zip"), 1, declared);
  const std::string refused = "Размер файла [0] в архиве превышает предел [268435456] байт";
  const struct {
    std::string file;
    std::string error;
  } cases[] = {
      {Out("declared.zip"), "Неверный формат пакета: ошибка при разархивации [" + refused + "]"},
      {Out("compressed.zip"), refused},
  };
  for (const auto& c : cases) {
    CTarvexDoc package;
    EXPECT_EQ(c.error, ErrorOf([&] { package.Open(c.file); })) << c.file;
    EXPECT_FALSE(package.IsOpened()) << c.file;
    EXPECT_TRUE(WorkFolders().empty()) << c.file;
  }
}

TEST_F(TarvexDocTest, OpenRefusesWhatIsNotAPackage) {
  const std::string description = AnsiToUtf8("packageDescription.xml");
  MakeZip(Out("no-description.zip"), {{"other.xml", "<x/>"}});
  MakeZip(Out("control.zip"), {{std::string("a\0b.xml", 7), "<x/>"}});
  MakeZip(Out("twice.zip"), {{"a.xml", "1"}, {"a.xml", "2"}});
  WriteBytes(Out("not-a-zip.zip"), "PK but not really");

  CTarvexDoc good;
  Fill(good);
  good.GetFile(0)->Node()->SetDocumentType("ЗаявлениеИП");
  ASSERT_TRUE(good.SaveAs(Out("wrong-type.zip")));
  good.GetFile(0)->Node()->SetDocumentType("ЗаявлениеЮЛ");
  good.Description().SetThreadTypeCode("ЖЖ");
  ASSERT_TRUE(good.SaveAs(Out("unknown-flow.zip")));
  good.DeleteFile(1);
  good.DeleteFile(0);
  ASSERT_TRUE(good.SaveAs(Out("unknown-flow-empty.zip")));
  ASSERT_TRUE(good.Close());

  const struct {
    std::string file;
    std::string error;
  } cases[] = {
      {Out("missing.zip"), "Файл с пакетом [" + Out("missing.zip") + "] не существует!"},
      {Out("no-description.zip"),
       "Неверный формат пакета: не найден главный файл [packageDescription.xml]"},
      {Out("not-a-zip.zip"),
       "Неверный формат пакета: ошибка при разархивации [Ошибка при работе с "
       "архивом [" +
           Out("not-a-zip.zip") + "]: файл не является zip-архивом или обрезан]"},
      {Out("control.zip"),
       "Неверный формат пакета: ошибка при разархивации [Недопустимое имя "
       "файла в архиве: [a\\x00b.xml]]"},
      {Out("twice.zip"),
       "Неверный формат пакета: ошибка при разархивации [Файл [a.xml] "
       "встречается в архиве дважды]"},
      {Out("wrong-type.zip"),
       "Ожидается наименование типа документа по коду [01] - [ЗаявлениеЮЛ], встречено "
       "[ЗаявлениеИП]"},
      {Out("unknown-flow.zip"), "Неизвестный тип документооборота: [ЖЖ]"},
      {Out("unknown-flow-empty.zip"), "no error"},
  };
  for (const auto& c : cases) {
    CTarvexDoc package;
    const std::string error = ErrorOf([&] { package.Open(c.file); });
    EXPECT_EQ(c.error, error) << c.file;
    // A failed open leaves the package closed and nothing of it in TMP.
    EXPECT_EQ(error == "no error", package.IsOpened()) << c.file;
    EXPECT_EQ(error == "no error", !WorkFolders().empty()) << c.file;
    EXPECT_TRUE(package.Close());
    EXPECT_TRUE(WorkFolders().empty()) << c.file;
  }
}

TEST_F(TarvexDocTest, ADescriptionWhoseFilesWouldOverwriteOneAnotherIsRefused) {
  CTarvexDoc good;
  Fill(good);
  auto signer = KeyOf("signer");
  ASSERT_TRUE(good.SignFile("заявление.xml", signer.get()));
  const std::string saved = Out("good.zip");
  ASSERT_TRUE(good.SaveAs(saved));
  const std::string code0 = good.GetFile(0)->GetDocumentCode();
  const std::string code1 = good.GetFile(1)->GetDocumentCode();
  const std::string name0 = good.GetFile(0)->GetFilename();
  const std::string name1 = "\"" + good.GetFile(1)->GetFilename() + "\"";
  ASSERT_TRUE(good.Close());

  const struct {
    std::string from, to, error;
  } cases[] = {
      {name1, "\"" + name0 + "\"",
       "Файл [" + name0 + "] назван дважды: содержимое документа [#0] и содержимое документа [#1]"},
      {"\"" + code1 + "\"", "\"" + code0 + "\"",
       "Документы [#0] и [#1] имеют один идентификатор документа [" + code0 + "]"},
      {name1, "\"packageDescription.xml\"",
       "Файл [packageDescription.xml] назван дважды: описание пакета и содержимое документа [#1]"},
      {name1, "\"" + name0 + "_1.p7s\"",
       "Файл [" + name0 +
           "_1.p7s] назван дважды: содержимое документа [#1] и подпись документа [#0]"},
  };
  for (const auto& c : cases) {
    Rewrite(saved, Out("clash.zip"), c.from, c.to);
    CTarvexDoc package;
    EXPECT_EQ(c.error, ErrorOf([&] { package.Open(Out("clash.zip")); }));
  }
}

TEST_F(TarvexDocTest, NamesAClientWouldMakeClashAreRefusedBeforeAnythingIsWritten) {
  CTarvexDoc package;
  Fill(package);
  auto signer = KeyOf("signer");
  ASSERT_TRUE(package.SignFile("заявление.xml", signer.get()));
  CTarvexDocument* statement = package.GetFile(0);
  CTarvexDocument* payment = package.GetFile(1);
  const std::string name0 = statement->GetFilename();
  const std::string code0 = statement->GetDocumentCode();
  const std::string code1 = payment->GetDocumentCode();

  EXPECT_EQ("Файл [" + name0 +
                "] назван дважды: содержимое документа [#0] и содержимое "
                "документа [#1]",
            ErrorOf([&] { package.SetDocumentFilename(payment, name0); }));
  EXPECT_EQ("Файл [" + name0 +
                "_1.p7s] назван дважды: подпись документа [#0] и содержимое "
                "документа [#1]",
            ErrorOf([&] { package.SetDocumentFilename(payment, name0 + "_1.p7s"); }));
  EXPECT_EQ(
      "Файл [packageDescription.xml] назван дважды: описание пакета и содержимое "
      "документа [#1]",
      ErrorOf([&] { package.SetDocumentFilename(payment, "packageDescription.xml"); }));
  EXPECT_EQ("", payment->Node()->FileName());
  EXPECT_EQ("Документы [#0] и [#1] имеют один идентификатор документа [" + code0 + "]",
            ErrorOf([&] { package.SetDocumentCode(payment, code0); }));
  EXPECT_EQ(code1, payment->GetDocumentCode());
  package.SetDocumentFilename(payment, "платёж.pdf");
  EXPECT_EQ("платёж.pdf", payment->GetFilename());

  // A clash made past those checks stops the save before it writes.
  const std::string target = Out("package.zip");
  WriteBytes(target, "old");
  payment->SetFilename(name0);
  EXPECT_EQ("Файл [" + name0 +
                "] назван дважды: содержимое документа [#0] и содержимое "
                "документа [#1]",
            ErrorOf([&] { package.SaveAs(target); }));
  EXPECT_EQ("old", ReadBytes(target));
  EXPECT_EQ((std::vector<std::string>{"package.zip"}), OutNames());
}

TEST_F(TarvexDocTest, TheNameChecksFollowEveryChangeThatMakesOrEndsAClash) {
  CTarvexDoc package;
  Fill(package);
  auto signer = KeyOf("signer");
  auto signer2 = KeyOf("signer2");
  CTarvexDocument* statement = package.GetFile(0);
  CTarvexDocument* payment = package.GetFile(1);
  const std::string name0 = statement->GetFilename();
  // Every change below passes no check of its own; the next check sees
  // what it made, with the save's own walk of every name.
  const auto expect_clash = [&](const std::string& error) {
    EXPECT_EQ(error, ErrorOf([&] { package.CheckFileNames(); }));
    if (error != "no error") {
      EXPECT_EQ(error, ErrorOf([&] { package.SaveAs(Out("p.zip")); }));
    }
  };
  const auto of_signature = [&](const std::string& file) {
    return "Файл [" + file + "] назван дважды: подпись документа [#0] и содержимое документа [#1]";
  };

  payment->SetFilename(name0 + "_2.p7s");
  ASSERT_TRUE(package.SignFile("заявление.xml", signer.get()));
  expect_clash("no error");
  statement->Sign(signer2.get());
  expect_clash(of_signature(name0 + "_2.p7s"));
  ASSERT_TRUE(package.DeleteFileSignature(0, 1));
  expect_clash("no error");

  payment->SetFilename(name0 + "_1.p7s_1.p7s");
  expect_clash("no error");
  ASSERT_TRUE(package.ReSignFile("заявление.xml", signer2.get()));
  expect_clash(of_signature(name0 + "_1.p7s_1.p7s"));
  ASSERT_TRUE(package.DeleteFileResignatures(0, 0));
  expect_clash("no error");
  statement->GetSignature(0)->Resign(signer2.get());
  expect_clash(of_signature(name0 + "_1.p7s_1.p7s"));
  ASSERT_TRUE(package.DeleteFileSignatures(0));
  expect_clash("no error");

  // The content name a save makes follows the type and the original
  // name's extension.
  payment->SetFilename("");
  std::string as_statement;
  payment->SetDocType(1);
  ASSERT_TRUE(payment->PlannedFilename(as_statement));
  payment->SetDocType(4);
  std::string as_text;
  payment->SetOriginalFilename("платёж.txt");
  ASSERT_TRUE(payment->PlannedFilename(as_text));
  payment->SetOriginalFilename("платёж.pdf");
  CTarvexDocument* extract = package.AddFile();
  extract->SetDocType(4);
  extract->SetOriginalFilename("выписка.pdf");
  extract->SetContent("%PDF выписка");
  extract->SetFilename(as_statement);
  expect_clash("no error");
  const auto of_contents = [&](const std::string& file, int first, int second) {
    return Format(
        "Файл [%s] назван дважды: содержимое документа [#%d] и содержимое документа [#%d]",
        {file, first, second});
  };
  payment->SetDocType(1);
  expect_clash(of_contents(as_statement, 1, 2));
  payment->SetDocType(4);
  expect_clash("no error");
  extract->SetFilename(as_text);
  payment->SetOriginalFilename("C:\\платёж.txt");
  expect_clash(of_contents(as_text, 1, 2));
  payment->SetOriginalFilename("платёж.pdf");
  expect_clash("no error");

  const std::string code1 = payment->GetDocumentCode();
  extract->SetDocumentCode(code1);
  expect_clash("Документы [#1] и [#2] имеют один идентификатор документа [" + code1 + "]");
  // The clash leaves with the document; the rest move up.
  ASSERT_TRUE(package.DeleteFile(1));
  expect_clash("no error");
  extract->SetFilename(name0);
  expect_clash(of_contents(name0, 0, 1));
  extract->SetFilename("выписка.pdf");
  expect_clash("no error");

  // Documents are signed by their original name as it is now, the first
  // of a name first.
  statement->SetOriginalFilename("выписка.pdf");
  EXPECT_EQ("Документ с именем [заявление.xml] не найден",
            ErrorOf([&] { package.SignFile("заявление.xml", signer.get()); }));
  ASSERT_TRUE(package.SignFile("выписка.pdf", signer.get()));
  EXPECT_EQ(1, statement->GetSignatureCount());
  EXPECT_EQ(0, extract->GetSignatureCount());
  ASSERT_TRUE(package.DeleteFile(0));
  ASSERT_TRUE(package.SignFile("выписка.pdf", signer.get()));
  EXPECT_EQ(1, extract->GetSignatureCount());
}

TEST_F(TarvexDocTest, TheFileLimitOfAnAddedDocumentFollowsEverySignatureChange) {
  const int most = static_cast<int>(ZipLimits().entries) - 2;
  WriteLargePackage(Out("at-limit.zip"), most);
  CTarvexDoc package;
  ASSERT_TRUE(package.Open(Out("at-limit.zip")));
  const std::string over =
      "Число файлов пакета [%d] превышает предел [65535]: описание, документов [%d], "
      "подписей [%d]";
  // The first document's one signature goes: a document more fits, and
  // then no other.
  ASSERT_TRUE(package.DeleteFileSignatures(0));
  ASSERT_NE(nullptr, package.AddFile());
  EXPECT_EQ(Format(over, {65536, most + 2, 0}), ErrorOf([&] { package.AddFile(); }));
  ASSERT_TRUE(package.DeleteFile(most));

  auto signer = KeyOf("signer");
  auto signer2 = KeyOf("signer2");
  CTarvexDocument* document = package.GetFile(1);
  document->SetContent("<x/>");
  document->Sign(signer.get());
  document->Resign(signer2.get());
  EXPECT_EQ(Format(over, {65537, most + 1, 2}), ErrorOf([&] { package.AddFile(); }));
  ASSERT_TRUE(package.DeleteFileResignatures(1, 0));
  EXPECT_EQ(Format(over, {65536, most + 1, 1}), ErrorOf([&] { package.AddFile(); }));
  ASSERT_TRUE(package.DeleteFileSignature(1, 0));
  EXPECT_NE(nullptr, package.AddFile());
  EXPECT_EQ(most + 1, package.GetFileCount());
}

TEST_F(TarvexDocTest, AddingAndNamingADocumentCostsTheSameWhateverThePackagesSize) {
  // Adding as a client does, with the checked renames, one document after
  // another: the best of three runs of 8,000 against 2,000 documents,
  // which is 4 when each costs the same and 16 when each walks the
  // package.
  const auto add = [&](int documents) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
      CTarvexDoc package;
      EXPECT_TRUE(package.New());
      package.SetDocTransactType(1);
      const auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < documents; ++i) {
        CTarvexDocument* document = package.AddFile();
        document->SetDocType(4);
        document->SetContentType("pdf");
        document->SetOriginalFilename(Format("%d.pdf", {i}));
        document->SetContent("%PDF");
        package.CheckFileNames();
        package.SetDocumentCode(document, Format("%032d", {i}));
        package.SetDocumentFilename(document, Format("документ %d.pdf", {i}));
      }
      best = std::min(
          best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      EXPECT_EQ(documents, package.GetFileCount());
    }
    return best;
  };
  const double small = add(2000);
  const double large = add(8000);
  EXPECT_LT(large / small, 8) << small << " s, " << large << " s";
}

TEST_F(TarvexDocTest, SaveAsReplacesAnOldPackageInOneStep) {
  CTarvexDoc package;
  Fill(package);
  const std::string target = Out("package.zip");
  WriteBytes(target, "old");
  // The old package is never deleted: the new one is renamed over it.
  const int watch = inotify_init1(IN_NONBLOCK);
  ASSERT_LE(0, watch);
  ASSERT_LE(0, inotify_add_watch(watch, out_.Path().c_str(), IN_DELETE | IN_MOVED_TO));
  ASSERT_TRUE(package.SaveAs(target));
  alignas(inotify_event) char events[4096];
  const ssize_t size = ::read(watch, events, sizeof events);
  ::close(watch);
  std::vector<std::string> seen;
  for (ssize_t at = 0; at < size;) {
    const auto* event = reinterpret_cast<const inotify_event*>(events + at);
    seen.push_back(std::string(event->mask & IN_DELETE ? "delete " : "move ") + event->name);
    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
  }
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ("move package.zip", seen.back());
  EXPECT_EQ(seen.end(), std::find(seen.begin(), seen.end(), "delete package.zip"));
  CheckPackage(target);
}

TEST_F(TarvexDocTest, ThePackagesDocumentsStayOutOfOtherUsersReach) {
  CTarvexDoc package;
  Fill(package);
  ASSERT_TRUE(package.SaveAs(Out("package.zip")));
  ASSERT_TRUE(package.Open(Out("package.zip")));
  struct stat folder;
  ASSERT_EQ(0, ::stat(SysPath(package.WorkFolder()).c_str(), &folder));
  EXPECT_EQ(0700u, folder.st_mode & 07777);
  // The documents are held in memory: nothing of them lies in the folder.
  EXPECT_TRUE(fs::is_empty(SysPath(package.WorkFolder())));
  ASSERT_TRUE(package.SaveAs(Out("again.zip")));
  EXPECT_TRUE(fs::is_empty(SysPath(package.WorkFolder())));
}

TEST_F(TarvexDocTest, AnArchiveWriteThatFailsMidwayLeavesTheOldPackageAndNoTemporaryFile) {
  CTarvexDoc package;
  Fill(package);
  std::string noise(256 << 10, '\0');
  std::mt19937 random(7);
  for (char& c : noise) c = static_cast<char>(random());
  package.GetFile(1)->SetContent(noise);
  const std::string target = Out("package.zip");
  WriteBytes(target, "old");
  // Files of this process may grow to 4 KiB only, as on a full disk: the
  // archive's write fails after its first bytes.
  rlimit before{};
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &before));
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 4096;
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
  const std::string error = ErrorOf([&] { package.SaveAs(target); });
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, previous);

  EXPECT_EQ(0u, error.find("Не удалось записать файл пакета [" + target + "]: ")) << error;
  EXPECT_NE(std::string::npos,
            error.find("ошибка записи: Размер файла превышает установленное ограничение, и файл "
                       "не может быть сохранен"))
      << error;
  EXPECT_EQ("old", ReadBytes(target));
  EXPECT_EQ((std::vector<std::string>{"package.zip"}), OutNames());
  // The package is as it was, and the next save succeeds.
  ASSERT_TRUE(package.SaveAs(target));
  CheckPackage(target);
}

TEST_F(TarvexDocTest, ContentDeflatedWhileItIsSignedIsSavedOnlyWhileItStands) {
  CTarvexDoc package;
  Fill(package);
  std::string big;
  while (big.size() < (3 << 20)) big += "строка " + std::to_string(big.size()) + "\n";
  package.GetFile(1)->SetContent(big);
  auto signer = KeyOf("signer");
  ASSERT_TRUE(package.SignFile("платёж.pdf", signer.get()));
  ASSERT_TRUE(package.SaveAs(Out("signed.zip")));
  CheckPackage(Out("signed.zip"));
  CTarvexDoc read;
  ASSERT_TRUE(read.Open(Out("signed.zip")));
  EXPECT_EQ(big, read.GetFile(1)->Content());

  // Content changed after signing is what the next save holds.
  package.GetFile(1)->SetContent(big + "изменено");
  ASSERT_TRUE(package.SaveAs(Out("changed.zip")));
  ASSERT_TRUE(read.Open(Out("changed.zip")));
  EXPECT_EQ(big + "изменено", read.GetFile(1)->Content());
}

TEST_F(TarvexDocTest, IndexesAndNamesAreChecked) {
  CTarvexDoc package;
  ASSERT_TRUE(package.New());
  EXPECT_EQ("Неизвестный тип документооборота: []", ErrorOf([&] { package.AddFile(); }));
  EXPECT_EQ(0, package.Description().Documents().Count());
  EXPECT_EQ("Неизвестный тип транзакции: [99]", ErrorOf([&] { package.SetDocTransactType(99); }));
  EXPECT_EQ("Передан пустой аргумент: SubjectIdentifier",
            ErrorOf([&] { package.SetSenderIdentifier(""); }));

  Fill(package);
  auto key = std::make_unique<CTarvexKey>();
  const struct {
    std::function<void()> call;
    std::string error;
  } cases[] = {
      {[&] { package.GetFile(2); },
       "Значение параметра FileIndex (2) должно находиться в интервале от 0 до 1"},
      {[&] { package.DeleteFile(-1); },
       "Значение параметра iFileIndex (-1) должно находиться в интервале от 0 до 1"},
      {[&] { package.GetFileSignature(0, 0); },
       "iSignaturesCount: ошибка задания диапазона - минимальное значение (0) больше "
       "максимального(-1)"},
      {[&] { package.SignFile("нет.xml", key.get()); }, "Документ с именем [нет.xml] не найден"},
      {[&] { package.SignFile("", key.get()); }, "Передан пустой аргумент: Filename"},
      {[&] { package.SignFile("заявление.xml", nullptr); }, "Передан пустой аргумент: pKey"},
      {[&] { package.Encrypt(nullptr); }, "Передан пустой аргумент: pKey"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.error, ErrorOf(c.call));
  EXPECT_EQ(2, package.GetFileCount());
}

TEST_F(TarvexDocTest, EncryptedDocumentsTravelEncryptedAndDecrypt) {
  auto signer = KeyOf("signer");  // the receiver's "MY" key, for decrypting
  CTarvexDoc package;
  Fill(package);
  ASSERT_TRUE(package.SignFile("заявление.xml", signer.get()));
  auto receiver = std::make_unique<CTarvexKey>();
  receiver->SetCertificateBody(Pki("signer.cer"));
  ASSERT_TRUE(package.Encrypt(receiver.get()));
  ASSERT_TRUE(package.SaveAs(Out("package.zip")));

  const std::string lines = Utf8ToAnsi(CheckPackage(Out("package.zip")));
  const std::string name0 = package.GetFile(0)->GetFilename();
  const std::string name1 = package.GetFile(1)->GetFilename();
  EXPECT_NE(std::string::npos, lines.find(name0 + " true ")) << lines;
  EXPECT_NE(std::string::npos, lines.find(name1 + " false ")) << lines;
  // openssl opens the encrypted content with the receiver's key.
  const std::string peer = roots_.Dir().File("peer");
  EXPECT_EQ(0, RunCommand("openssl cms -decrypt -engine gost -binary -inform DER -in " +
                          Quoted(peer + "/" + name0) + " -recip " + Quoted(Pem("signer")) +
                          " -inkey " + Quoted(PkiPath("signer.key")) + " -out " +
                          Quoted(File("decrypted")) + " 2>/dev/null")
                   .status);
  EXPECT_EQ(kStatement, ReadBytes(File("decrypted")));
  EXPECT_EQ(kPayment, ReadBytes(peer + "/" + name1));

  CTarvexDoc read;
  ASSERT_TRUE(read.Open(Out("package.zip")));
  EXPECT_TRUE(read.GetFile(0)->IsEncrypted());
  EXPECT_EQ("", read.GetFile(0)->PlainContent());
  ASSERT_TRUE(read.Decrypt());
  EXPECT_FALSE(read.GetFile(0)->IsEncrypted());
  EXPECT_EQ(kStatement, read.GetFile(0)->Content());
  EXPECT_EQ(kStatement, read.GetFile(0)->PlainContent());
  TrustChain(kUser);
  read.GetFile(0)->CheckSign(false, true);
}

TEST_F(TarvexDocTest, ContentASavedArchiveCouldNotHoldIsRefusedAsItIsAdded) {
  const ZipLimits limits{.entry_size = 2000, .total_size = 4000};
  CTarvexDoc package(limits);
  Fill(package);
  const auto filled = static_cast<int64_t>(kStatement.size() + kPayment.size());
  // A document added as the package object adds one, and taken out again
  // when its content is refused, which leaves the content as it was.
  const auto add_to = [](CTarvexDoc& to, const std::string& name, int64_t size) {
    CTarvexDocument* document = to.AddFile();
    document->SetDocType(3);
    document->SetContentType("pdf");
    document->SetOriginalFilename(name);
    const std::string error = ErrorOf([&] { document->SetContent(std::string(size, 'x')); });
    if (error != "no error") {
      EXPECT_EQ("", document->Content());
      to.DeleteFile(to.GetFileCount() - 1);
    }
    return error;
  };
  const auto add = [&](const std::string& name, int64_t size) {
    return add_to(package, name, size);
  };
  const std::string total_error =
      "Общий размер файлов пакета с файлом [b.pdf] превышает предел [4000] байт";
  EXPECT_EQ("Размер файла [a.pdf] превышает предел [2000] байт", add("a.pdf", 2001));
  EXPECT_EQ("no error", add("a.pdf", 2000));
  EXPECT_EQ(total_error, add("b.pdf", 4000 - filled - 2000 + 1));
  EXPECT_EQ("no error", add("b.pdf", 4000 - filled - 2000));
  // A content in place of another counts only what it adds.
  CTarvexDocument* last = package.GetFile(3);
  EXPECT_EQ("no error",
            ErrorOf([&] { last->SetContent(std::string(last->Content().size(), 'y')); }));
  EXPECT_EQ(total_error, ErrorOf([&] { last->SetContent(last->Content() + "y"); }));
  EXPECT_EQ(std::string(last->Content().size(), 'y'), last->Content());
  // What the contents leave is less than the description takes: the save
  // is refused before anything is written.
  EXPECT_EQ("Не удалось записать файл пакета [" + Out("full.zip") +
                "]: Общий размер файлов пакета с файлом [packageDescription.xml] превышает предел "
                "[4000] байт",
            ErrorOf([&] { package.SaveAs(Out("full.zip")); }));
  EXPECT_FALSE(fs::exists(Out("full.zip")));

  // A document that goes gives its room back; the package opened again
  // counts the contents it read.
  ASSERT_TRUE(package.DeleteFile(3));
  EXPECT_EQ("no error", add("b.pdf", 4000 - filled - 2000));
  ASSERT_TRUE(package.DeleteFile(3));
  ASSERT_TRUE(package.SaveAs(Out("package.zip")));
  CTarvexDoc reopened(limits);
  ASSERT_TRUE(reopened.Open(Out("package.zip")));
  EXPECT_EQ(total_error, add_to(reopened, "b.pdf", 4000 - filled - 2000 + 1));
  EXPECT_EQ("no error", add_to(reopened, "b.pdf", 4000 - filled - 2000));
}

TEST_F(TarvexDocTest, ABlankScanThatDeflatesPastTheRatioOpensAgain) {
  // 4,194,305 zero bytes deflate over 1000 to 1, past the 500 to 1 that
  // opening takes above 4 MiB.
  CTarvexDoc package;
  Fill(package);
  const std::string blank((4 << 20) + 1, '\0');
  package.GetFile(1)->SetContent(blank);
  ASSERT_TRUE(package.SaveAs(Out("blank.zip")));
  CTarvexDoc reopened;
  ASSERT_TRUE(reopened.Open(Out("blank.zip")));
  EXPECT_TRUE(reopened.GetFile(1)->Content() == blank);
}

TEST_F(TarvexDocTest, ACompressedDocumentEncryptedForTheReceiverOpensAndUnpacksOnDecrypting) {
  // Its content is enveloped data, no zip archive, until it is decrypted:
  // what it unpacks to is not asked before.
  auto signer = KeyOf("signer");  // the receiver's "MY" key, for decrypting
  CTarvexDoc package;
  Fill(package);
  package.GetFile(0)->SetContent(
      PeerArchive("make", BinToHexStr("заявление.xml") + "=" + BinToHexStr(kStatement)));
  auto receiver = std::make_unique<CTarvexKey>();
  receiver->SetCertificateBody(Pki("signer.cer"));
  ASSERT_TRUE(package.Encrypt(receiver.get()));
  ASSERT_TRUE(package.SaveAs(Out("plain.zip")));
  // The statement is the first document of the description.
  Rewrite(Out("plain.zip"), Out("package.zip"), "сжат=\"false\"", "сжат=\"true\"");

  CTarvexDoc read;
  ASSERT_TRUE(read.Open(Out("package.zip")));
  EXPECT_TRUE(read.GetFile(0)->IsEncrypted());
  EXPECT_TRUE(read.GetFile(0)->IsCompressed());
  ASSERT_TRUE(read.Decrypt());
  EXPECT_FALSE(read.GetFile(0)->IsCompressed());
  EXPECT_EQ(kStatement, read.GetFile(0)->Content());
  EXPECT_EQ(kPayment, read.GetFile(1)->Content());
}

}  // namespace
