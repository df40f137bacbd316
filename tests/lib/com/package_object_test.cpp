// The package object and the file and signature views it hands out,
// driven as the editor drives them; saved packages are checked with
// Python's zipfile, ElementTree and openssl cms.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/lib/com/com_objects_fixture.h"
#include "tests/lib/package/large_package.h"
#include "tests/support/bounded_child.h"

namespace {

namespace fs = std::filesystem;

constexpr char kStatementBytes[] = "<Заявление>\0\x98\xFF</Заявление>";
const std::string kStatement(kStatementBytes, sizeof kStatementBytes - 1);
const std::string kPayment = "%PDF-1.4 платёж";

class PackageObjectTest : public ComObjectsTest {
 protected:
  // An open legal-entity registration with its parties.
  ComRef<ITarvex> NewRegistration() {
    ComRef<ITarvex> tarvex = NewTarvex();
    VARIANT_BOOL done = VARIANT_FALSE;
    EXPECT_EQ(S_OK, tarvex->New(TRANSACTION_TYPE_UL_REG_UL, &done));
    EXPECT_EQ(VARIANT_TRUE, done);
    EXPECT_EQ(S_OK, tarvex->put_SenderType(SIGN_ROLE_TYPE_APPLICANT));
    EXPECT_EQ(S_OK, tarvex->put_SenderIdentifier(Bstr("7701")));
    EXPECT_EQ(S_OK, tarvex->put_ReceiverType(SIGN_ROLE_TYPE_ZUK));
    EXPECT_EQ(S_OK, tarvex->put_ReceiverIdentifier(Bstr("0046")));
    return tarvex;
  }

  static ComRef<ITarvexFile> Add(ITarvex* tarvex, const std::string& code, const std::string& name,
                                 const std::string& content) {
    ITarvexFile* file = nullptr;
    EXPECT_EQ(S_OK, tarvex->AddFile(Bstr("не используется"), Bstr(code), Bstr("xml"), Bstr(name),
                                    Bstr(content), &file));
    return ComRef<ITarvexFile>(file);
  }

  // The failed call's HRESULT and its error info as the package reports it.
  static std::string Failure(HRESULT result) {
    const ErrorSeen error = TakeError();
    EXPECT_EQ(E_UNEXPECTED, result);
    EXPECT_EQ(ITarvex::kIid, error.guid);
    EXPECT_EQ("QimTarvexLib.Tarvex", error.source);
    return error.description;
  }

  static std::string Text(HRESULT result, BSTR& value) {
    EXPECT_EQ(S_OK, result);
    return Taken(value);
  }

  std::string CheckPackage(const std::string& package) const {
    const std::string folder = File("peer");
    fs::remove_all(folder);
    fs::create_directory(folder);
    const CommandResult result =
        RunCommand("python3 '" TARVEX_SOURCE_DIR "/tests/lib/package/check_package.py' " +
                   Quoted(package) + " " + Quoted(folder) + " " + Quoted(File("chain.pem")));
    EXPECT_EQ(0, result.status) << result.output;
    return result.output;
  }
};

TEST_F(PackageObjectTest, NewSetsTheTransactionAndAnUnknownOneFailsAfterOpening) {
  const ComRef<ITarvex> tarvex = NewTarvex();
  VARIANT_BOOL result = VARIANT_FALSE;
  ASSERT_EQ(S_OK, tarvex->New(TRANSACTION_TYPE_IP_REG_IP, &result));
  EXPECT_EQ(VARIANT_TRUE, result);
  TRANSACTION_TYPES type = TRANSACTION_TYPE_UNKNOWN;
  ASSERT_EQ(S_OK, tarvex->get_DocTransactType(&type));
  EXPECT_EQ(TRANSACTION_TYPE_IP_REG_IP, type);

  EXPECT_EQ("Неизвестный тип транзакции: [0]",
            Failure(tarvex->New(TRANSACTION_TYPE_UNKNOWN, &result)));
  ASSERT_EQ(S_OK, tarvex->IsOpened(&result));
  EXPECT_EQ(VARIANT_TRUE, result);
  // Outside 1-10 is 0 as well.
  EXPECT_EQ("Неизвестный тип транзакции: [0]",
            Failure(tarvex->put_DocTransactType(static_cast<TRANSACTION_TYPES>(11))));
  EXPECT_EQ(S_OK, tarvex->put_DocTransactType(TRANSACTION_TYPE_UL_INFO));
  ASSERT_EQ(S_OK, tarvex->get_DocTransactType(&type));
  EXPECT_EQ(TRANSACTION_TYPE_UL_INFO, type);
}

TEST_F(PackageObjectTest, AClosedPackageFailsWithItsMessageAndLeavesOutParametersNull) {
  const ComRef<ITarvex> tarvex = NewTarvex();
  VARIANT_BOOL result = VARIANT_TRUE;
  ASSERT_EQ(S_OK, tarvex->IsOpened(&result));
  EXPECT_EQ(VARIANT_FALSE, result);

  ITarvexFile* file = reinterpret_cast<ITarvexFile*>(1);
  EXPECT_EQ("Документ не открыт", Failure(tarvex->GetFile(0, &file)));
  EXPECT_EQ(nullptr, file);
  file = reinterpret_cast<ITarvexFile*>(1);
  EXPECT_EQ("Документ не открыт", Failure(tarvex->AddFile(Bstr(), Bstr("01"), Bstr("xml"),
                                                          Bstr("a.xml"), Bstr("a"), &file)));
  EXPECT_EQ(nullptr, file);
  BSTR text = reinterpret_cast<BSTR>(1);
  EXPECT_EQ("Документ не открыт", Failure(tarvex->get_SenderIdentifier(&text)));
  EXPECT_EQ(nullptr, text);
  int32_t count = 0;
  EXPECT_EQ("Документ не открыт", Failure(tarvex->GetFileCount(&count)));
  EXPECT_EQ("Документ не открыт", Failure(tarvex->get_IsEncrypted(&result)));
  const std::string absent = out_.File("нет.zip");
  EXPECT_EQ("Файл с пакетом [" + absent + "] не существует!",
            Failure(tarvex->Open(Bstr(absent), &result)));
  EXPECT_EQ(E_POINTER, tarvex->GetFileCount(nullptr));

  // The storage flag needs no open package and never fails.
  EXPECT_EQ(S_OK, tarvex->put_FlagUsageUserStorage(1));
  ASSERT_EQ(S_OK, tarvex->get_FlagUsageUserStorage(&result));
  EXPECT_EQ(VARIANT_TRUE, result);
  EXPECT_EQ(S_OK, tarvex->put_FlagUsageUserStorage(0));
  ASSERT_EQ(S_OK, tarvex->get_FlagUsageUserStorage(&result));
  EXPECT_EQ(VARIANT_FALSE, result);
}

TEST_F(PackageObjectTest, AnEmptyPackageHasNoFilesToGive) {
  const ComRef<ITarvex> tarvex = NewRegistration();
  VARIANT_BOOL encrypted = VARIANT_TRUE;
  ASSERT_EQ(S_OK, tarvex->get_IsEncrypted(&encrypted));
  EXPECT_EQ(VARIANT_FALSE, encrypted);
  ITarvexFile* file = nullptr;
  EXPECT_EQ(
      "FileIndex: ошибка задания диапазона - минимальное значение (0) больше "
      "максимального(-1)",
      Failure(tarvex->GetFile(0, &file)));
  EXPECT_EQ(nullptr, file);
}

TEST_F(PackageObjectTest, SubjectTypesCrossAsTheTypeLibraryNumbersThem) {
  const ComRef<ITarvex> tarvex = NewRegistration();
  SIGN_ROLE_TYPES type = SIGN_ROLE_TYPE_UNKNOWN;
  ASSERT_EQ(S_OK, tarvex->get_SenderType(&type));
  EXPECT_EQ(SIGN_ROLE_TYPE_APPLICANT, type);
  ASSERT_EQ(S_OK, tarvex->get_ReceiverType(&type));
  EXPECT_EQ(SIGN_ROLE_TYPE_ZUK, type);
  EXPECT_EQ("Неизвестный тип субъекта: [10]",
            Failure(tarvex->put_SenderType(static_cast<SIGN_ROLE_TYPES>(10))));
  ASSERT_EQ(S_OK, tarvex->get_SenderType(&type));
  EXPECT_EQ(SIGN_ROLE_TYPE_APPLICANT, type);
  BSTR text = nullptr;
  EXPECT_EQ("7701", Text(tarvex->get_SenderIdentifier(&text), text));
  EXPECT_EQ("0046", Text(tarvex->get_ReceiverIdentifier(&text), text));
}

TEST_F(PackageObjectTest, AddedFilesShowTheirDocumentsThroughNewViews) {
  const ComRef<ITarvex> tarvex = NewRegistration();
  const ComRef<ITarvexFile> added = Add(tarvex.get(), "01", "C:\\Мои\\заявление.xml", kStatement);
  BSTR text = nullptr;
  // Every byte of the content, the zero and 0x98 included.
  EXPECT_EQ(kStatement, Text(added->get_RawContent(&text), text));
  EXPECT_EQ("заявление.xml", Text(added->get_OriginalFilename(&text), text));
  EXPECT_EQ("ЗаявлениеЮЛ", Text(added->get_DocType(&text), text));
  EXPECT_EQ("01", Text(added->get_DocTypeCode(&text), text));
  EXPECT_EQ("xml", Text(added->get_ContentType(&text), text));
  VARIANT_BOOL flag = VARIANT_TRUE;
  ASSERT_EQ(S_OK, added->get_IsCompressed(&flag));
  EXPECT_EQ(VARIANT_FALSE, flag);
  ASSERT_EQ(S_OK, added->get_IsEncrypted(&flag));
  EXPECT_EQ(VARIANT_FALSE, flag);

  ASSERT_EQ(S_OK, added->put_DocTypeCode(Bstr("04")));
  EXPECT_EQ("ПДГоспошлина", Text(added->get_DocType(&text), text));
  EXPECT_EQ(S_OK, added->put_DocumentCode(Bstr("0123456789abcdef0123456789abcdef")));
  EXPECT_EQ("0123456789abcdef0123456789abcdef", Text(added->get_DocumentCode(&text), text));
  const std::string filename = Text(added->get_Filename(&text), text);
  EXPECT_EQ("GosPoshlina_0123456789abcdef0123456789abcdef.xml", filename);
  // A code of the other flow kind is unknown here; the type stays.
  EXPECT_EQ(E_UNEXPECTED, added->put_DocTypeCode(Bstr("36")));
  const ErrorSeen error = TakeError();
  EXPECT_EQ("Неизвестный тип документа: [36]", error.description);
  EXPECT_EQ(ITarvexFile::kIid, error.guid);
  EXPECT_EQ("", error.source);

  // Two calls, two views of one document.
  ITarvexFile* first = nullptr;
  ITarvexFile* second = nullptr;
  ASSERT_EQ(S_OK, tarvex->GetFile(0, &first));
  ASSERT_EQ(S_OK, tarvex->GetFile(0, &second));
  const ComRef<ITarvexFile> held_first(first);
  const ComRef<ITarvexFile> held_second(second);
  EXPECT_NE(first, second);
  EXPECT_NE(first, added.get());
  EXPECT_EQ(filename, Text(first->get_Filename(&text), text));
  EXPECT_EQ(filename, Text(second->get_Filename(&text), text));
}

TEST_F(PackageObjectTest, ViewsRefuseNamesAndCodesThatClashWithAnotherDocument) {
  const ComRef<ITarvex> tarvex = NewRegistration();
  const ComRef<ITarvexFile> first = Add(tarvex.get(), "01", "заявление.xml", kStatement);
  const ComRef<ITarvexFile> second = Add(tarvex.get(), "04", "платёж.pdf", "pdf");
  BSTR text = nullptr;
  const std::string name = Text(first->get_Filename(&text), text);
  const std::string code = Text(first->get_DocumentCode(&text), text);
  const std::string own_code = Text(second->get_DocumentCode(&text), text);
  const auto refused = [&](HRESULT result) {
    EXPECT_EQ(E_UNEXPECTED, result);
    return TakeError().description;
  };
  EXPECT_EQ(
      "Файл [" + name + "] назван дважды: содержимое документа [#0] и содержимое документа [#1]",
      refused(second->put_Filename(Bstr(name))));
  EXPECT_EQ("Документы [#0] и [#1] имеют один идентификатор документа [" + code + "]",
            refused(second->put_DocumentCode(Bstr(code))));
  EXPECT_EQ(own_code, Text(second->get_DocumentCode(&text), text));
  EXPECT_NE(name, Text(second->get_Filename(&text), text));
}

TEST_F(PackageObjectTest, AFailedAddFileLeavesNoDocumentBehind) {
  const ComRef<ITarvex> tarvex = NewRegistration();
  Add(tarvex.get(), "01", "заявление.xml", kStatement);
  ITarvexFile* file = reinterpret_cast<ITarvexFile*>(1);
  // "36" is a document type of the entrepreneur's flow only.
  EXPECT_EQ(
      "Неизвестный тип документа: [36]",
      Failure(tarvex->AddFile(Bstr(), Bstr("36"), Bstr("xml"), Bstr("b.xml"), Bstr("b"), &file)));
  EXPECT_EQ(nullptr, file);
  int32_t count = 0;
  ASSERT_EQ(S_OK, tarvex->GetFileCount(&count));
  EXPECT_EQ(1, count);
}

TEST_F(PackageObjectTest, AFilePastWhatASavedArchiveHoldsIsRefusedBeforeAnythingChanges) {
  // The description, 65,533 documents and a signature: as many files as
  // an archive may hold.
  const int most = static_cast<int>(ZipLimits().entries) - 2;
  const std::string package = File("at-limit.zip");
  WriteLargePackage(package, most);
  const ComRef<ITarvex> tarvex = NewTarvex();
  VARIANT_BOOL result = VARIANT_FALSE;
  ASSERT_EQ(S_OK, tarvex->Open(Bstr(package), &result));
  ITarvexFile* file = reinterpret_cast<ITarvexFile*>(1);
  EXPECT_EQ(
      "Число файлов пакета [65536] превышает предел [65535]: описание, документов [65534], "
      "подписей [1]",
      Failure(tarvex->AddFile(Bstr(), Bstr("01"), Bstr("xml"), Bstr("b.xml"), Bstr("b"), &file)));
  EXPECT_EQ(nullptr, file);
  int32_t count = 0;
  ASSERT_EQ(S_OK, tarvex->GetFileCount(&count));
  EXPECT_EQ(most, count);
}

TEST_F(PackageObjectTest, AContentAboveTheEntryBoundIsRefusedAtOnceInLittleMemory) {
  const ComRef<ITarvex> tarvex = NewRegistration();
  Add(tarvex.get(), "01", "заявление.xml", kStatement);
  // Never written, so that its pages take no memory.
  const uint32_t size = static_cast<uint32_t>(ZipLimits().entry_size) + 1;
  BSTR content = SysAllocStringLen(nullptr, size);
  ASSERT_NE(nullptr, content);
  const TimedAnswer refusal = InBoundedChildTimed(
      64 << 20, 10,
      [&] {
        ITarvexFile* file = reinterpret_cast<ITarvexFile*>(1);
        const HRESULT result =
            tarvex->AddFile(Bstr(), Bstr("03"), Bstr("tif"), Bstr("скан.tif"), content, &file);
        int32_t count = 0;
        tarvex->GetFileCount(&count);
        return std::to_string(result) + " " + TakeError().description + " " +
               std::to_string(count) + (file == nullptr ? " null" : " set");
      },
      File("answer"));
  SysFreeString(content);
  EXPECT_EQ(std::to_string(E_UNEXPECTED) +
                " Размер файла [скан.tif] превышает предел [268435456] байт 1 null",
            refusal.answer);
#ifndef __SANITIZE_ADDRESS__
  EXPECT_LT(refusal.took, std::chrono::seconds(5));
#endif
}

TEST_F(PackageObjectTest, ASignedPackageSavesReopensAndChecksWithPeers) {
  TrustChain(kUser);
  const ComRef<ITarvexKey> signer = KeyOf("signer");
  const ComRef<ITarvexKey> signer2 = KeyOf("signer2");
  const std::string package = out_.File("пакет.zip");
  {
    const ComRef<ITarvex> tarvex = NewRegistration();
    const ComRef<ITarvexFile> statement = Add(tarvex.get(), "01", "заявление.xml", kStatement);
    Add(tarvex.get(), "04", "платёж.pdf", kPayment);
    VARIANT_BOOL result = VARIANT_FALSE;
    ASSERT_EQ(S_OK, statement->Sign(signer.get(), &result));
    EXPECT_EQ(VARIANT_TRUE, result);
    ASSERT_EQ(S_OK, tarvex->SignFile(Bstr("платёж.pdf"), signer.get(), &result));
    ASSERT_EQ(S_OK, tarvex->ReSignFile(Bstr("заявление.xml"), signer2.get(), &result));
    EXPECT_EQ("Документ с именем [нет.xml] не найден",
              Failure(tarvex->SignFile(Bstr("нет.xml"), signer.get(), &result)));
    EXPECT_EQ("Передан пустой аргумент: pKey",
              Failure(tarvex->SignFile(Bstr("платёж.pdf"), nullptr, &result)));
    ASSERT_EQ(S_OK, tarvex->Save(Bstr(package), &result));
    EXPECT_EQ(VARIANT_TRUE, result);
  }
  const std::string lines = CheckPackage(AnsiToUtf8(package));
  EXPECT_NE(std::string::npos, lines.find(AnsiToUtf8("false [('ZayavUL_"))) << lines;

  const ComRef<ITarvex> tarvex = NewTarvex();
  VARIANT_BOOL result = VARIANT_FALSE;
  ASSERT_EQ(S_OK, tarvex->Open(Bstr(package), &result));
  int32_t count = 0;
  ASSERT_EQ(S_OK, tarvex->GetFileCount(&count));
  ASSERT_EQ(2, count);
  ASSERT_EQ(S_OK, tarvex->GetFileSignatureCount(0, &count));
  EXPECT_EQ(1, count);
  ASSERT_EQ(S_OK, tarvex->GetFileResignCount(0, 0, &count));
  EXPECT_EQ(1, count);
  ITarvexFile* file = nullptr;
  ASSERT_EQ(S_OK, tarvex->GetFile(0, &file));
  const ComRef<ITarvexFile> statement(file);
  BSTR text = nullptr;
  EXPECT_EQ(kStatement, Text(statement->get_RawContent(&text), text));
  ASSERT_EQ(S_OK, statement->CheckSignEx(VARIANT_FALSE, VARIANT_FALSE, &result));
  EXPECT_EQ(VARIANT_TRUE, result);
  // With the revocation check: the CRLs are in the stores already.
  result = VARIANT_FALSE;
  ASSERT_EQ(S_OK, statement->CheckSign(&result)) << TakeError().description;
  EXPECT_EQ(VARIANT_TRUE, result);

  ITarvexSignature* signature = nullptr;
  ASSERT_EQ(S_OK, tarvex->GetFileSignature(0, 0, &signature));
  const ComRef<ITarvexSignature> held(signature);
  const std::string name = Text(signature->get_Filename(&text), text);
  const std::string bytes = Text(signature->get_SignatureContent(&text), text);
  EXPECT_TRUE(ReadBytes(File("peer/" + name)) == bytes) << name;
  EXPECT_EQ(0, OpensslVerify(bytes, kStatement));
  EXPECT_EQ(E_UNEXPECTED, signature->put_Filename(Bstr("")));
  const ErrorSeen error = TakeError();
  EXPECT_EQ("Передан пустой аргумент: signFilename", error.description);
  EXPECT_EQ(ITarvexSignature::kIid, error.guid);

  // Each read of the signer's key is a copy of its own.
  ITarvexKey* first = nullptr;
  ITarvexKey* second = nullptr;
  ASSERT_EQ(S_OK, signature->get_SignKey(&first));
  ASSERT_EQ(S_OK, signature->get_SignKey(&second));
  const ComRef<ITarvexKey> held_first(first);
  const ComRef<ITarvexKey> held_second(second);
  EXPECT_NE(first, second);
  EXPECT_EQ("Иванов Иван Иванович", Text(first->get_SubjectCN(&text), text));
  SIGN_ROLE_TYPES role = SIGN_ROLE_TYPE_UNKNOWN;
  ASSERT_EQ(S_OK, first->get_SignRole(&role));
  EXPECT_EQ(SIGN_ROLE_TYPE_APPLICANT, role);
  ASSERT_EQ(S_OK, first->put_SubjectCN(Bstr("другой")));
  EXPECT_EQ("Иванов Иван Иванович", Text(second->get_SubjectCN(&text), text));

  ITarvexSignature* resign = nullptr;
  ASSERT_EQ(S_OK, tarvex->GetFileResign(0, 0, 0, &resign));
  const ComRef<ITarvexSignature> held_resign(resign);
  ITarvexKey* resigner = nullptr;
  ASSERT_EQ(S_OK, resign->get_SignKey(&resigner));
  const ComRef<ITarvexKey> held_resigner(resigner);
  EXPECT_EQ("Петров Пётр Петрович", Text(resigner->get_SubjectCN(&text), text));

  ASSERT_EQ(S_OK, tarvex->DeleteFileResignatures(0, 0, &result));
  ASSERT_EQ(S_OK, tarvex->GetFileResignCount(0, 0, &count));
  EXPECT_EQ(0, count);
  ASSERT_EQ(S_OK, tarvex->DeleteFileSignature(1, 0, &result));
  ASSERT_EQ(S_OK, tarvex->GetFileSignatureCount(1, &count));
  EXPECT_EQ(0, count);
  ASSERT_EQ(S_OK, tarvex->DeleteFile(1, &result));
  ASSERT_EQ(S_OK, tarvex->GetFileCount(&count));
  EXPECT_EQ(1, count);
}

TEST_F(PackageObjectTest, EncryptionCoversTheTypesThatAreEncryptedAndSurvivesSaving) {
  const ComRef<ITarvexKey> receiver = KeyOf("signer2");
  const std::string package = out_.File("encrypted.zip");
  VARIANT_BOOL result = VARIANT_FALSE;
  {
    const ComRef<ITarvex> tarvex = NewRegistration();
    const ComRef<ITarvexFile> statement = Add(tarvex.get(), "01", "заявление.xml", kStatement);
    const ComRef<ITarvexFile> payment = Add(tarvex.get(), "04", "платёж.pdf", kPayment);
    ASSERT_EQ(S_OK, tarvex->EncryptByCertificate(Bstr(Pki("signer2.cer")), &result));
    EXPECT_EQ(VARIANT_TRUE, result);
    ASSERT_EQ(S_OK, tarvex->get_IsEncrypted(&result));
    EXPECT_EQ(VARIANT_TRUE, result);
    ASSERT_EQ(S_OK, statement->get_IsEncrypted(&result));
    EXPECT_EQ(VARIANT_TRUE, result);
    ASSERT_EQ(S_OK, payment->get_IsEncrypted(&result));
    EXPECT_EQ(VARIANT_FALSE, result);
    EXPECT_EQ(E_UNEXPECTED, statement->CheckSignEx(VARIANT_FALSE, VARIANT_FALSE, &result));
    EXPECT_EQ(
        "Нельзя проверить подпись под зашифрованным документом. Необходимо предварительно "
        "его расшифровать",
        TakeError().description);
    ASSERT_EQ(S_OK, tarvex->Save(Bstr(package), &result));
  }
  const std::string lines = CheckPackage(AnsiToUtf8(package));
  const std::string content_file = lines.substr(0, lines.find(' '));
  ASSERT_EQ(0u, content_file.find("ZayavUL_")) << lines;
  // The receiver's openssl reads the content.
  ASSERT_EQ(0, RunCommand("openssl cms -decrypt -engine gost -inform DER -in " +
                          Quoted(File("peer/" + content_file)) + " -recip " +
                          Quoted(Pem("signer2")) + " -inkey " + Quoted(PkiPath("signer2.key")) +
                          " -out " + Quoted(File("decrypted")) + " 2>/dev/null")
                   .status);
  EXPECT_TRUE(kStatement == ReadBytes(File("decrypted")));

  const ComRef<ITarvex> tarvex = NewTarvex();
  ASSERT_EQ(S_OK, tarvex->Open(Bstr(package), &result));
  ASSERT_EQ(S_OK, tarvex->get_IsEncrypted(&result));
  EXPECT_EQ(VARIANT_TRUE, result);
  ITarvexFile* file = nullptr;
  ASSERT_EQ(S_OK, tarvex->GetFile(0, &file));
  const ComRef<ITarvexFile> statement(file);
  BSTR text = nullptr;
  EXPECT_EQ("", Text(statement->get_RawContent(&text), text));
  ASSERT_EQ(S_OK, tarvex->Decrypt(&result)) << TakeError().description;
  EXPECT_TRUE(kStatement == Text(statement->get_RawContent(&text), text));
  ASSERT_EQ(S_OK, tarvex->get_IsEncrypted(&result));
  EXPECT_EQ(VARIANT_FALSE, result);

  // A key object of the library encrypts as well.
  const ComRef<ITarvex> other = NewRegistration();
  Add(other.get(), "01", "заявление.xml", kStatement);
  ASSERT_EQ(S_OK, other->Encrypt(receiver.get(), &result)) << TakeError().description;
  ASSERT_EQ(S_OK, other->get_IsEncrypted(&result));
  EXPECT_EQ(VARIANT_TRUE, result);
}

TEST_F(PackageObjectTest, ViewsFailCleanlyOnceThePackageNoLongerHoldsTheirItems) {
  const ComRef<ITarvexKey> signer = KeyOf("signer");
  const ComRef<ITarvexKey> signer2 = KeyOf("signer2");
  ComRef<ITarvex> tarvex = NewRegistration();
  const ComRef<ITarvexFile> kept = Add(tarvex.get(), "01", "заявление.xml", kStatement);
  const ComRef<ITarvexFile> deleted = Add(tarvex.get(), "04", "платёж.pdf", kPayment);
  VARIANT_BOOL result = VARIANT_FALSE;
  ASSERT_EQ(S_OK, kept->Sign(signer.get(), &result));
  ASSERT_EQ(S_OK, kept->Resign(signer2.get(), &result));
  ITarvexSignature* signature = nullptr;
  ASSERT_EQ(S_OK, tarvex->GetFileSignature(0, 0, &signature));
  const ComRef<ITarvexSignature> signature_view(signature);
  ASSERT_EQ(S_OK, tarvex->GetFileResign(0, 0, 0, &signature));
  const ComRef<ITarvexSignature> resign_view(signature);

  const auto file_failure = [](HRESULT hr) {
    EXPECT_EQ(E_UNEXPECTED, hr);
    const ErrorSeen error = TakeError();
    EXPECT_EQ(ITarvexFile::kIid, error.guid);
    return error.description;
  };
  const auto signature_failure = [](HRESULT hr) {
    EXPECT_EQ(E_UNEXPECTED, hr);
    return TakeError().description;
  };
  BSTR text = nullptr;
  ASSERT_EQ(S_OK, tarvex->DeleteFile(1, &result));
  EXPECT_EQ("Документ больше не входит в пакет", file_failure(deleted->get_Filename(&text)));
  EXPECT_EQ(nullptr, text);
  EXPECT_EQ("заявление.xml", Text(kept->get_OriginalFilename(&text), text));

  ASSERT_EQ(S_OK, tarvex->DeleteFileResignatures(0, 0, &result));
  EXPECT_EQ("Подпись больше не входит в пакет",
            signature_failure(resign_view->get_SignatureContent(&text)));
  EXPECT_EQ(S_OK, signature_view->get_SignatureContent(&text));
  SysFreeString(text);
  ASSERT_EQ(S_OK, tarvex->DeleteFileSignature(0, 0, &result));
  EXPECT_EQ("Подпись больше не входит в пакет", signature_failure(signature_view->AddSign(
                                                    Bstr("x"), SIGN_ROLE_TYPE_APPLICANT, &result)));

  // Closing and releasing the package end the views as well.
  ASSERT_EQ(S_OK, tarvex->Close(&result));
  EXPECT_EQ("Документ больше не входит в пакет", file_failure(kept->put_ContentType(Bstr("pdf"))));
  ASSERT_EQ(S_OK, tarvex->New(TRANSACTION_TYPE_UL_REG_UL, &result));
  const ComRef<ITarvexFile> last = Add(tarvex.get(), "01", "a.xml", "a");
  tarvex.reset();
  EXPECT_EQ("Документ больше не входит в пакет", file_failure(last->get_RawContent(&text)));
}

// A document or signature made after a deleted one may take its memory; a
// view kept of the deleted one must not reach the new one.
TEST_F(PackageObjectTest, AViewKeptAfterDeletionNeverReachesTheItemMadeInItsPlace) {
  const ComRef<ITarvexKey> signer = KeyOf("signer");
  const ComRef<ITarvex> tarvex = NewRegistration();
  VARIANT_BOOL result = VARIANT_FALSE;
  std::vector<ComRef<ITarvexFile>> old_files;
  std::vector<ComRef<ITarvexSignature>> old_signatures;
  ComRef<ITarvexFile> current = Add(tarvex.get(), "01", "0.xml", kStatement);
  for (int round = 1; round <= 8; ++round) {
    ASSERT_EQ(S_OK, current->Sign(signer.get(), &result)) << TakeError().description;
    ITarvexSignature* signature = nullptr;
    ASSERT_EQ(S_OK, tarvex->GetFileSignature(0, 0, &signature));
    old_signatures.emplace_back(signature);
    ASSERT_EQ(S_OK, tarvex->DeleteFileSignature(0, 0, &result));
    ASSERT_EQ(S_OK, current->Sign(signer.get(), &result)) << TakeError().description;
    old_files.push_back(std::move(current));
    ASSERT_EQ(S_OK, tarvex->DeleteFile(0, &result));
    current = Add(tarvex.get(), "01", std::to_string(round) + ".xml", kStatement);
  }
  BSTR text = nullptr;
  for (const ComRef<ITarvexFile>& file : old_files) {
    EXPECT_EQ(E_UNEXPECTED, file->get_OriginalFilename(&text));
    EXPECT_EQ("Документ больше не входит в пакет", TakeError().description);
  }
  for (const ComRef<ITarvexSignature>& signature : old_signatures) {
    EXPECT_EQ(E_UNEXPECTED, signature->get_SignatureContent(&text));
    EXPECT_EQ("Подпись больше не входит в пакет", TakeError().description);
  }
  EXPECT_EQ("8.xml", Text(current->get_OriginalFilename(&text), text));
}

// Views look for their item first where they found it; once a document
// before theirs goes, that place holds another document or none, and they
// still reach their own.
TEST_F(PackageObjectTest, ViewsKeepTheirItemsWhenADocumentBeforeThemGoes) {
  const ComRef<ITarvexKey> signer = KeyOf("signer");
  const ComRef<ITarvex> tarvex = NewRegistration();
  const ComRef<ITarvexFile> first = Add(tarvex.get(), "01", "заявление.xml", kStatement);
  const ComRef<ITarvexFile> second = Add(tarvex.get(), "03", "устав.xml", "устав");
  const ComRef<ITarvexFile> third = Add(tarvex.get(), "04", "платёж.pdf", kPayment);
  VARIANT_BOOL result = VARIANT_FALSE;
  ASSERT_EQ(S_OK, third->Sign(signer.get(), &result)) << TakeError().description;
  ASSERT_EQ(S_OK, third->Resign(signer.get(), &result)) << TakeError().description;
  ITarvexSignature* raw = nullptr;
  ASSERT_EQ(S_OK, tarvex->GetFileSignature(2, 0, &raw));
  const ComRef<ITarvexSignature> signature(raw);
  ASSERT_EQ(S_OK, tarvex->GetFileResign(2, 0, 0, &raw));
  const ComRef<ITarvexSignature> resign(raw);
  BSTR text = nullptr;
  const std::string signature_name = Text(signature->get_Filename(&text), text);
  const std::string resign_name = Text(resign->get_Filename(&text), text);

  ASSERT_EQ(S_OK, tarvex->DeleteFile(0, &result));
  EXPECT_EQ("устав.xml", Text(second->get_OriginalFilename(&text), text));
  EXPECT_EQ("платёж.pdf", Text(third->get_OriginalFilename(&text), text));
  EXPECT_EQ(signature_name, Text(signature->get_Filename(&text), text));
  EXPECT_EQ(resign_name, Text(resign->get_Filename(&text), text));
  EXPECT_EQ(E_UNEXPECTED, first->get_OriginalFilename(&text));
  EXPECT_EQ("Документ больше не входит в пакет", TakeError().description);
}

TEST_F(PackageObjectTest, ASignatureCheckAnswersTrueOrFails) {
  TrustChain(kUser);
  const ComRef<ITarvex> tarvex = NewRegistration();
  const ComRef<ITarvexFile> statement = Add(tarvex.get(), "01", "заявление.xml", kStatement);
  VARIANT_BOOL result = VARIANT_FALSE;
  ASSERT_EQ(S_OK, statement->Sign(KeyOf("revoked").get(), &result));
  // Without the revocation check the signature holds; with it, it fails.
  ASSERT_EQ(S_OK, statement->CheckSignEx(VARIANT_FALSE, VARIANT_FALSE, &result));
  EXPECT_EQ(VARIANT_TRUE, result);
  EXPECT_EQ(E_UNEXPECTED, statement->CheckSign(&result));
  const ErrorSeen error = TakeError();
  EXPECT_EQ(ITarvexFile::kIid, error.guid);
  EXPECT_EQ(0u, error.description.find("Ошибка при проверке подписи [#0]"));
  EXPECT_NE(std::string::npos, error.description.find("сертификат был отозван"));
}

}  // namespace

// What a client may send that cp1251 cannot hold: each name is refused by
// name before anything is added, renamed or written, never kept as a
// look-alike that another name shares.
TEST_F(PackageObjectTest, NamesWithoutACp1251FormAreRefusedNeverKeptAsLookAlikes) {
  const ComRef<ITarvex> tarvex = NewRegistration();
  const ComRef<ITarvexFile> kept = Add(tarvex.get(), "04", "Jos?.pdf", "pdf");
  const TempDir folder;
  const struct {
    std::u16string name;
    std::string shown;
    std::string first;
  } cases[] = {
      {u"Jos\u00E9.pdf", "Jos<U+00E9>.pdf", "U+00E9"},
      {u"Jos\u00E8.pdf", "Jos<U+00E8>.pdf", "U+00E8"},
      {u"\u4E2D\u6587.pdf", "<U+4E2D><U+6587>.pdf", "U+4E2D"},
      {u"\U0001F600.pdf", "<U+01F600>.pdf", "U+01F600"},
      {u"\u0438\u0306.pdf", "и<U+0306>.pdf", "U+0306"},  // "й" decomposed
  };
  for (const auto& c : cases) {
    const std::string refusal =
        "Имя [" + c.shown + "] нельзя сохранить в кодировке Windows-1251: символ [" + c.first + "]";
    ITarvexFile* file = reinterpret_cast<ITarvexFile*>(1);
    EXPECT_EQ(refusal, Failure(tarvex->AddFile(Bstr(), Bstr("04"), Bstr("pdf"), Bstr(c.name),
                                               Bstr("pdf"), &file)));
    EXPECT_EQ(nullptr, file);
    EXPECT_EQ(E_UNEXPECTED, kept->put_OriginalFilename(Bstr(c.name)));
    EXPECT_EQ(refusal, TakeError().description);
    EXPECT_EQ(E_UNEXPECTED, kept->put_Filename(Bstr(c.name)));
    EXPECT_EQ(refusal, TakeError().description);
    const std::string path = folder.Path() + "/";
    VARIANT_BOOL done = VARIANT_FALSE;
    EXPECT_EQ(
        "Имя [" + path + c.shown + "] нельзя сохранить в кодировке Windows-1251: символ [" +
            c.first + "]",
        Failure(tarvex->Save(Bstr(std::u16string(path.begin(), path.end()) + c.name), &done)));
  }
  int32_t count = 0;
  ASSERT_EQ(S_OK, tarvex->GetFileCount(&count));
  EXPECT_EQ(1, count);
  BSTR text = nullptr;
  EXPECT_EQ("Jos?.pdf", Text(kept->get_OriginalFilename(&text), text));
  EXPECT_TRUE(fs::is_empty(folder.Path()));
}

// The extension of an original name goes into the content file's name in
// the archive; the rest of the name only into the description.
TEST_F(PackageObjectTest, OriginalNamesWhoseExtensionNoReceiverCouldKeepAreRefused) {
  const ComRef<ITarvex> tarvex = NewRegistration();
  const std::string long_name = std::string(251, 'ж') + ".pdf";
  for (const std::string& name : {std::string("* ? < > |.pdf"), std::string("CON.pdf"),
                                  std::string("Скан.pdf"), std::string("скан.pdf"), long_name}) {
    const ComRef<ITarvexFile> file = Add(tarvex.get(), "04", name, "pdf");
    BSTR text = nullptr;
    EXPECT_EQ(name, Text(file->get_OriginalFilename(&text), text));
    const std::string code = Text(file->get_DocumentCode(&text), text);
    EXPECT_TRUE(Text(file->get_Filename(&text), text).ends_with("_" + code + ".pdf")) << name;
  }
  ComRef<ITarvexFile> kept;
  {
    ITarvexFile* raw = nullptr;
    ASSERT_EQ(S_OK, tarvex->GetFile(0, &raw));
    kept = ComRef<ITarvexFile>(raw);
  }
  const struct {
    const char* name;
    const char* what;
    const char* shown = nullptr;  // in the refusal, when not the name itself
  } cases[] = {
      {"a.pd?", "расширение содержит символ [?]"},
      {"a.p|f", "расширение содержит символ [|]"},
      {"a.p<f", "расширение содержит символ [<]"},
      {"a.p*f", "расширение содержит символ [*]"},
      {"a.p\"f", "расширение содержит символ [\"]"},
      {"a.p\tf", "расширение содержит символ [\\x09]", "a.p\\x09f"},
      {"a.p\x7F", "расширение содержит символ [\\x7F]", "a.p\\x7F"},
      {"a.pdf ", "расширение оканчивается пробелом или точкой"},
      {"a.pdf.", "расширение оканчивается пробелом или точкой"},
  };
  for (const auto& c : cases) {
    const std::string refusal =
        "Недопустимое имя файла [" + std::string(c.shown ? c.shown : c.name) + "]: " + c.what;
    ITarvexFile* file = reinterpret_cast<ITarvexFile*>(1);
    EXPECT_EQ(refusal, Failure(tarvex->AddFile(Bstr(), Bstr("04"), Bstr("pdf"), Bstr(c.name),
                                               Bstr("pdf"), &file)));
    EXPECT_EQ(E_UNEXPECTED, kept->put_OriginalFilename(Bstr(c.name)));
    EXPECT_EQ(refusal, TakeError().description);
  }
  int32_t count = 0;
  ASSERT_EQ(S_OK, tarvex->GetFileCount(&count));
  EXPECT_EQ(5, count);
  BSTR text = nullptr;
  EXPECT_EQ("* ? < > |.pdf", Text(kept->get_OriginalFilename(&text), text));
}

// A bare name is saved in the current folder, whose own name must then
// come back exactly too.
TEST_F(PackageObjectTest, ABareNameInACurrentFolderWithoutACp1251FormIsRefused) {
  const ComRef<ITarvex> tarvex = NewRegistration();
  Add(tarvex.get(), "04", "a.pdf", "pdf");
  const TempDir root;
  fs::create_directory(root.File("Jos\xC3\xA9"));
  fs::create_directory(root.File("Jos?"));
  const fs::path before = fs::current_path();
  fs::current_path(root.File("Jos\xC3\xA9"));
  VARIANT_BOOL done = VARIANT_FALSE;
  const std::string refusal = Failure(tarvex->Save(Bstr("пакет.zip"), &done));
  fs::current_path(before);
  EXPECT_EQ("Имя [" + root.Path() +
                "/Jos<U+00E9>] нельзя сохранить в кодировке Windows-1251: символ [U+00E9]",
            refusal);
  EXPECT_TRUE(fs::is_empty(root.File("Jos?")));
  EXPECT_TRUE(fs::is_empty(root.File("Jos\xC3\xA9")));
}
