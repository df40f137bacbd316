#include "lib/package/tarvex_document.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "lib/crypto/cryptoapi20_tool.h"
#include "lib/foundation/text_routines.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/tarvex_package_config.h"
#include "lib/package/tarvex_signature.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_signature.h"
#include "tests/lib/package/package_test_support.h"
#include "tests/support/error_of.h"

namespace {

const std::string kContent = std::string("Заявление\0\xFF", 11);
const std::string kCode = "0123456789abcdef0123456789abcdef";

// A document element of a legal-entity package, a work folder and TMP of
// the test's own.
class TarvexDocumentTest : public PackageTest {
 protected:
  void SetUp() override {
    PackageTest::SetUp();
    ::setenv("TMP", tmp_.Path().c_str(), 1);
  }
  void TearDown() override { ::unsetenv("TMP"); }

  std::unique_ptr<CTarvexPackageConfig> Config() const {
    return CTarvexPackageConfig::Create(element_.get(), 1, work_.Path());
  }

  // A new document of type `number` bound to the element, holding kContent.
  std::unique_ptr<CTarvexDocument> NewDocument(int number = 1) {
    auto document = std::make_unique<CTarvexDocument>();
    EXPECT_TRUE(document->New(Config().get()));
    document->SetDocType(number);
    document->SetContentType("application/xml");
    document->SetOriginalFilename("заявление.xml");
    document->SetContent(kContent);
    return document;
  }

  // A receiver known by its certificate body only.
  static std::unique_ptr<CTarvexKey> ReceiverOf(const std::string& name) {
    auto key = std::make_unique<CTarvexKey>();
    key->SetCertificateBody(Pki(name + ".cer"));
    return key;
  }

  // A zip archive holding `entries`, made by the independent peer.
  std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries) const {
    std::string command = "python3 '" TARVEX_TEST_DIR "/zip_peer.py' make '" + File("c.zip") + "'";
    for (const auto& [name, content] : entries) {
      command += ' ';
      command += BinToHexStr(name);
      command += '=';
      command += BinToHexStr(content);
    }
    EXPECT_EQ(0, RunCommand(command).status);
    return ReadBytes(File("c.zip"));
  }

  std::unique_ptr<CXMLGprExtDocument> element_ = CXMLGprExtDocument::Create();
  TempDir work_;
  TempDir tmp_;
};

TEST_F(TarvexDocumentTest, ContentFileNameComesFromTypeCodeAndExtension) {
  auto document = std::make_unique<CTarvexDocument>();
  ASSERT_TRUE(document->New(Config().get()));
  const std::string code = document->GetDocumentCode();
  EXPECT_EQ(32u, code.size());
  EXPECT_EQ(std::string::npos, code.find_first_not_of("0123456789abcdef")) << code;
  EXPECT_EQ("Документ уже открыт, операция невозможна",
            ErrorOf([&] { document->New(Config().get()); }));

  document->SetDocType(1);
  EXPECT_EQ("ЗаявлениеЮЛ", element_->DocumentType());
  EXPECT_EQ("01", element_->DocumentTypeCode());
  EXPECT_EQ(1, document->GetDocType());
  document->SetDocumentCode(kCode);
  document->SetOriginalFilename("C:\\Документы\\заявление.xml");
  EXPECT_EQ("заявление.xml", document->GetOriginalFilename());
  EXPECT_EQ("ZayavUL_" + kCode + ".xml", document->GetFilename());
  // Made once, then kept.
  document->SetOriginalFilename("скан");
  EXPECT_EQ("ZayavUL_" + kCode + ".xml", document->GetFilename());
  document->SetFilename("");
  EXPECT_EQ("ZayavUL_" + kCode, document->GetFilename());

  EXPECT_EQ("Неизвестный тип документа: [20]", ErrorOf([&] { document->SetDocType(20); }));
  element_->SetDocumentTypeCode("99");
  EXPECT_EQ("Неизвестный тип документа: [99]", ErrorOf([&] { document->GetDocType(); }));
  EXPECT_EQ("Длина переменной [DocumentCode = \"1\"] должна быть равной [32]",
            ErrorOf([&] { document->SetDocumentCode("1"); }));

  CTarvexDocument closed;
  EXPECT_EQ("Документ не открыт", ErrorOf([&] { closed.GetFilename(); }));
}

TEST_F(TarvexDocumentTest, SignsOnceSavesAndChecks) {
  TrustChain(kUser);
  auto document = NewDocument();
  auto key = KeyOf("signer");
  document->Sign(key.get());
  EXPECT_EQ("Подпись [signer] уже имеется под этим документом",
            ErrorOf([&] { document->Sign(key.get()); }));
  document->AddSign(OpensslSign("signer2", kContent, ""), 7);
  EXPECT_EQ("Добавляемая подпись [Петров Пётр Петрович] уже имеется под документом",
            ErrorOf([&] { document->AddSign(OpensslSign("signer2", kContent, ""), 7); }));
  EXPECT_EQ("Передан пустой аргумент: sSignatureContent",
            ErrorOf([&] { document->AddSign("", 7); }));
  EXPECT_EQ("Передан пустой аргумент: pKey", ErrorOf([&] { document->Sign(nullptr); }));
  document->Resign(KeyOf("signer2").get());

  ASSERT_EQ(2, document->GetSignatureCount());
  EXPECT_EQ(ThumbprintOf("signer"), document->GetSignature(0)->Key().Sha1());
  EXPECT_EQ(3, element_->Signatures().Item(0)->Role());
  EXPECT_EQ(7, document->GetSignature(1)->Key().SignRole);
  EXPECT_EQ("Петров Пётр Петрович", document->GetSignature(1)->Key().SubjectCN());
  EXPECT_EQ(1, document->GetSignature(0)->GetResignCount());
  document->CheckSign(false, true);

  ASSERT_TRUE(document->Save());
  const std::string name = "ZayavUL_" + document->GetDocumentCode() + ".xml";
  EXPECT_EQ(kContent, ReadBytes(work_.File(name)));
  EXPECT_EQ(0, OpensslVerify(ReadBytes(work_.File(name + "_1.p7s")), kContent));
  EXPECT_EQ(0, OpensslVerify(ReadBytes(work_.File(name + "_2.p7s")), kContent));
  EXPECT_EQ(0, OpensslVerify(ReadBytes(work_.File(name + "_1.p7s_1.p7s")),
                             ReadBytes(work_.File(name + "_1.p7s"))));

  // A revoked signer fails the check, named by its position.
  document->AddSign(OpensslSign("revoked", kContent, ""), 5);
  const std::string error = ErrorOf([&] { document->CheckSign(false, true); });
  EXPECT_EQ(0u, error.find("Ошибка при проверке подписи [#2]: ")) << error;
  EXPECT_NE(std::string::npos, error.find("сертификат был отозван")) << error;
}

TEST_F(TarvexDocumentTest, DeletesSignaturesWithTheirElements) {
  auto document = NewDocument();
  document->AddSign(OpensslSign("signer", kContent, ""), 5);
  document->AddSign(OpensslSign("signer2", kContent, ""), 5);
  document->GetSignature(0)->AddResign(OpensslSign("signer2", "x", ""), 5);
  EXPECT_EQ("Значение параметра iIndex (3) должно находиться в интервале от 0 до 1",
            ErrorOf([&] { document->DeleteSignature(3); }));
  CXMLGprExtSignature* second = element_->Signatures().Item(1);
  document->DeleteSignature(0);
  ASSERT_EQ(1, document->GetSignatureCount());
  ASSERT_EQ(1, element_->Signatures().Count());
  EXPECT_EQ(second, element_->Signatures().Item(0));
  EXPECT_EQ(second, document->GetSignature(0)->Node());

  document->DeleteSignatures();
  EXPECT_EQ(0, document->GetSignatureCount());
  EXPECT_EQ(0, element_->Signatures().Count());
  EXPECT_EQ("iIndex: ошибка задания диапазона - минимальное значение (0) больше максимального(-1)",
            ErrorOf([&] { document->DeleteSignature(0); }));
}

TEST_F(TarvexDocumentTest, OpensContentAndSignaturesFromTheWorkFolder) {
  const std::string signature = OpensslSign("signer", kContent, "");
  element_->SetDocumentTypeCode("01");
  element_->SetFileName("doc.xml");
  element_->SetCompressed(true);
  CXMLGprExtSignature* signed_by = element_->Signatures().Add();
  signed_by->SetRole(3);
  signed_by->SetFileName("doc.xml_1.p7s");
  WriteBytes(work_.File("doc.xml"), Zip({{"заявление.xml", kContent}}));
  WriteBytes(work_.File("doc.xml_1.p7s"), signature);

  CTarvexDocument document;
  ASSERT_TRUE(document.Open(Config().get()));
  EXPECT_EQ(kContent, document.Content());
  EXPECT_EQ(kContent, document.PlainContent());
  EXPECT_FALSE(document.IsCompressed());
  ASSERT_EQ(1, document.GetSignatureCount());
  EXPECT_EQ(element_.get(), signed_by->Owner());
  EXPECT_EQ(signature, document.GetSignature(0)->Content());
  EXPECT_EQ(3, document.GetSignature(0)->Key().SignRole);
  // Opening an opened document changes nothing.
  EXPECT_TRUE(document.Open(Config().get()));
  EXPECT_EQ(1, document.GetSignatureCount());

  // Saved unpacked.
  ASSERT_TRUE(document.Save());
  EXPECT_EQ(kContent, ReadBytes(work_.File("doc.xml")));

  ASSERT_TRUE(document.Close());
  EXPECT_FALSE(document.IsOpened());
  EXPECT_EQ("", document.Content());
  EXPECT_EQ(kContent, document.PlainContent());
  EXPECT_EQ(1, element_->Signatures().Count());
}

TEST_F(TarvexDocumentTest, OpeningRefusesBadContentFiles) {
  element_->SetDocumentTypeCode("01");
  element_->SetCompressed(true);
  element_->SetFileName("doc.xml");
  WriteBytes(work_.File("doc.xml"), Zip({{"a", "1"}, {"b", "2"}}));
  CTarvexDocument document;
  EXPECT_EQ("Неверное число файлов в архиве: [2]", ErrorOf([&] { document.Open(Config().get()); }));

  // Compressed content that would unpack a thousand times over is refused.
  const std::string bomb = File("bomb.zip");
  ASSERT_EQ(0, RunCommand("python3 '" TARVEX_TEST_DIR "/zip_peer.py' zeros '" + bomb + "' " +
                          BinToHexStr("x") + " " + std::to_string(5 << 20))
                   .status);
  WriteBytes(work_.File("doc.xml"), ReadBytes(bomb));
  CTarvexDocument bombed;
  EXPECT_EQ("Файл [x] в архиве сжат сильнее предела [500] к 1",
            ErrorOf([&] { bombed.Open(Config().get()); }));

  CTarvexDocument missing;
  element_->SetFileName("none.xml");
  EXPECT_EQ("Файл не найден: [" + work_.File("none.xml") + "]",
            ErrorOf([&] { missing.Open(Config().get()); }));

  // A description cannot name a file outside the work folder.
  CTarvexDocument outside;
  element_->SetFileName("../doc.xml");
  EXPECT_EQ("Недопустимое имя файла документа: [../doc.xml]",
            ErrorOf([&] { outside.Open(Config().get()); }));
}

TEST_F(TarvexDocumentTest, EncryptsOnlyTheTypesThatAreEncryptedAndDecrypts) {
  auto signer = KeyOf("signer");  // "MY" with the private key, for decryption
  auto receiver = ReceiverOf("signer");
  auto attached = NewDocument(3);  // ПриложенныйДокумент: encrypted
  attached->Encrypt(receiver.get());
  EXPECT_TRUE(attached->IsEncrypted());
  const std::string encrypted = attached->Content();
  EXPECT_NE(kContent, encrypted);
  EXPECT_EQ(kContent, attached->PlainContent());
  attached->Encrypt(receiver.get());
  EXPECT_EQ(encrypted, attached->Content());

  EXPECT_EQ("Нельзя подписывать зашифрованный документ",
            ErrorOf([&] { attached->Sign(signer.get()); }));
  EXPECT_EQ(
      "Нельзя проверить подпись под зашифрованным документом. Необходимо предварительно его "
      "расшифровать",
      ErrorOf([&] { attached->CheckSign(false, false); }));

  // Read back from a package, the plain content is empty until decrypted.
  ASSERT_TRUE(attached->Save());
  CTarvexDocument read;
  ASSERT_TRUE(read.Open(Config().get()));
  EXPECT_TRUE(read.IsEncrypted());
  EXPECT_EQ("", read.PlainContent());
  read.Decrypt();
  EXPECT_FALSE(read.IsEncrypted());
  EXPECT_EQ(kContent, read.Content());
  EXPECT_EQ(kContent, read.PlainContent());
  read.SetContent("новое");
  EXPECT_EQ("новое", read.PlainContent());

  auto element = CXMLGprExtDocument::Create();
  CTarvexDocument payment;  // ПДГоспошлина: stays plain
  ASSERT_TRUE(payment.New(CTarvexPackageConfig::Create(element.get(), 1, work_.Path()).get()));
  payment.SetDocType(4);
  payment.SetContent(kContent);
  payment.Encrypt(receiver.get());
  EXPECT_FALSE(payment.IsEncrypted());
  EXPECT_EQ(kContent, payment.Content());

  // Decrypted content that does not unpack leaves the document as it was:
  // still encrypted and compressed, with the encrypted bytes.
  auto broken = NewDocument(3);
  broken->SetContent("no zip archive");
  broken->Encrypt(receiver.get());
  element_->SetCompressed(true);
  const std::string sealed = broken->Content();
  EXPECT_EQ(
      "Ошибка при работе с архивом [сжатое содержимое]: файл не является zip-архивом или обрезан",
      ErrorOf([&] { broken->Decrypt(); }));
  EXPECT_TRUE(broken->IsEncrypted());
  EXPECT_TRUE(broken->IsCompressed());
  EXPECT_EQ(sealed, broken->Content());

  // A failed encryption leaves the document as it was.
  auto unknown = std::make_unique<CTarvexKey>();
  unknown->SetSha1(ThumbprintOf("signer2"));
  auto fresh = NewDocument(3);
  EXPECT_NE("no error", ErrorOf([&] { fresh->Encrypt(unknown.get()); }));
  EXPECT_FALSE(fresh->IsEncrypted());
  EXPECT_EQ(kContent, fresh->Content());
}

TEST_F(TarvexDocumentTest, WithoutTheProviderOnlyAddingSignaturesWorks) {
  const std::string bytes = OpensslSign("signer", kContent, "");
  auto key = KeyOf("signer");
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  auto document = NewDocument(3);
  document->AddSign(bytes, 4);
  document->AddSign(bytes, 4);
  const std::string prefix = "Не установлен СКЗИ КриптоПро, который требуется для операции: ";
  EXPECT_EQ(prefix + "подписание", ErrorOf([&] { document->Sign(key.get()); }));
  EXPECT_EQ(prefix + "переподписание", ErrorOf([&] { document->Resign(key.get()); }));
  EXPECT_EQ(prefix + "Проверка подписи", ErrorOf([&] { document->CheckSign(false, false); }));
  EXPECT_EQ(prefix + "шифрование", ErrorOf([&] { document->Encrypt(key.get()); }));
  EXPECT_EQ(prefix + "расшифрование", ErrorOf([&] { document->Decrypt(); }));
  ::unsetenv("TARVEX_GOST_ABSENT");
  ASSERT_EQ(2, document->GetSignatureCount());
  EXPECT_EQ("", document->GetSignature(1)->Key().Sha1());
  EXPECT_EQ(4, element_->Signatures().Item(1)->Role());
}

}  // namespace
