#include "lib/package/tarvex_signature.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "lib/crypto/cryptoapi20_tool.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/tarvex_package_config.h"
#include "lib/package/xml_gpr_document.h"
#include "lib/package/xml_gpr_signature.h"
#include "tests/lib/package/package_test_support.h"
#include "tests/support/debug_capture.h"
#include "tests/support/error_of.h"

namespace {

const std::string kContent = std::string("Заявление\0\xFF", 11);
const std::string kDocumentFile = "ZayavUL_0123456789abcdef0123456789abcdef.xml";

CXMLGprExtSignature* AddElement(CXMLGprExtSignatureCollection& list, CXMLClass* owner,
                                uint8_t role = 5) {
  CXMLGprExtSignature* element = list.Add();
  element->SetOwner(owner);
  element->SetRole(role);
  return element;
}

// A document element with signature elements, a work folder, and the
// signature objects bound to them.
class TarvexSignatureTest : public PackageTest {
 protected:
  void SetUp() override {
    PackageTest::SetUp();
    document_->SetFileName(kDocumentFile);
  }

  std::unique_ptr<CTarvexPackageConfig> ConfigFor(CXMLClass* node) const {
    return CTarvexPackageConfig::Create(node, 1, work_.Path());
  }

  // A new signature object bound to a new element of the document.
  std::unique_ptr<CTarvexSignature> NewSignature(const std::string& bytes) {
    auto signature = std::make_unique<CTarvexSignature>();
    EXPECT_TRUE(
        signature->New(ConfigFor(AddElement(document_->Signatures(), document_.get())).get()));
    signature->SetContent(bytes);
    return signature;
  }

  std::unique_ptr<CXMLGprExtDocument> document_ = CXMLGprExtDocument::Create();
  TempDir work_;
};

TEST_F(TarvexSignatureTest, SavesUnderNamesMadeFromTheOwnerAndThePosition) {
  const std::string first = OpensslSign("signer", kContent, "");
  const std::string second = OpensslSign("signer2", kContent, "");
  auto one = NewSignature(first);
  auto two = NewSignature(second);
  two->AddResign(OpensslSign("signer", second, ""), 3);
  ASSERT_TRUE(two->Save());

  const std::string two_name = kDocumentFile + "_2.p7s";
  EXPECT_EQ(two_name, two->Node()->FileName());
  EXPECT_EQ(second, ReadBytes(work_.File(two_name)));
  EXPECT_EQ(two_name + "_1.p7s", two->GetResign(0)->Node()->FileName());
  EXPECT_EQ(two->GetResign(0)->Content(), ReadBytes(work_.File(two_name + "_1.p7s")));

  // Removing the first element renumbers the rest on the next save.
  auto three = NewSignature(first);
  one.reset();
  document_->Signatures().Delete(0);
  ASSERT_TRUE(two->Save());
  ASSERT_TRUE(three->Save());
  EXPECT_EQ(kDocumentFile + "_1.p7s", two->Node()->FileName());
  EXPECT_EQ(kDocumentFile + "_2.p7s", three->Node()->FileName());
  EXPECT_EQ(kDocumentFile + "_1.p7s_1.p7s", two->GetResign(0)->Node()->FileName());

  // A document whose content file has no name yet.
  document_->SetFileName("");
  EXPECT_EQ("_1.p7s", two->GetFileName());
}

TEST_F(TarvexSignatureTest, FileNamesNeedAnOwnerAndStayInTheWorkFolder) {
  auto signature = NewSignature("x");
  signature->Node()->SetOwner(nullptr);
  EXPECT_EQ("Не назначен Owner", ErrorOf([&] { signature->GetFileName(); }));

  signature->Node()->SetOwner(document_.get());
  document_->SetFileName("../ZayavUL.xml");
  EXPECT_EQ("Недопустимое имя файла подписи: [../ZayavUL.xml_1.p7s]",
            ErrorOf([&] { signature->Save(); }));

  CTarvexSignature closed;
  EXPECT_EQ("Документ не открыт", ErrorOf([&] { closed.GetFileName(); }));
  EXPECT_EQ("Документ не открыт", ErrorOf([&] { closed.Save(); }));
}

TEST_F(TarvexSignatureTest, OpensItsFileAndItsCountersignaturesFromTheDescription) {
  const std::string signature = OpensslSign("signer", kContent, "");
  const std::string resign = OpensslSign("signer2", signature, "");
  CXMLGprExtSignature* element = AddElement(document_->Signatures(), document_.get(), 3);
  element->SetFileName("s.p7s");
  CXMLGprExtSignature* nested = AddElement(element->Resigns(), nullptr, 7);
  nested->SetFileName("r.p7s");
  WriteBytes(work_.File("s.p7s"), signature);
  WriteBytes(work_.File("r.p7s"), resign);

  auto config = ConfigFor(element);
  config->SetUseUserStorage(false);
  CTarvexSignature opened;
  ASSERT_TRUE(opened.Open(config.get()));
  EXPECT_TRUE(opened.IsOpened());
  EXPECT_EQ(signature, opened.Content());
  EXPECT_EQ(ThumbprintOf("signer"), opened.Key().Sha1());
  EXPECT_EQ("Иванов Иван Иванович", opened.Key().SubjectCN());
  EXPECT_EQ(Pki("signer.cer"), opened.Key().CertificateBody());
  EXPECT_EQ(3, opened.Key().SignRole);

  ASSERT_EQ(1, opened.GetResignCount());
  CTarvexSignature* countersignature = opened.GetResign(0);
  EXPECT_EQ(element, nested->Owner());
  EXPECT_EQ(resign, countersignature->Content());
  EXPECT_EQ("Петров Пётр Петрович", countersignature->Key().SubjectCN());
  EXPECT_EQ(7, countersignature->Key().SignRole);
  EXPECT_FALSE(countersignature->Config().UseUserStorage());
  EXPECT_EQ(work_.Path(), countersignature->Config().WorkFolder());

  // Closing keeps the description and the signer.
  ASSERT_TRUE(opened.Close());
  EXPECT_FALSE(opened.IsOpened());
  EXPECT_EQ("", opened.Content());
  EXPECT_EQ(0, opened.GetResignCount());
  EXPECT_EQ(1, element->Resigns().Count());
  EXPECT_EQ(ThumbprintOf("signer"), opened.Key().Sha1());
}

TEST_F(TarvexSignatureTest, OpeningNeedsTheFileButNotItsSigner) {
  CXMLGprExtSignature* element = AddElement(document_->Signatures(), document_.get(), 3);
  element->SetFileName("s.p7s");
  CTarvexSignature signature;
  EXPECT_EQ("Файл не найден: [" + work_.File("s.p7s") + "]",
            ErrorOf([&] { signature.Open(ConfigFor(element).get()); }));

  WriteBytes(work_.File("s.p7s"), OpensslSign("signer", kContent, "-nocerts"));
  CTarvexSignature no_signer;
  DebugCapture debug;
  ASSERT_TRUE(no_signer.Open(ConfigFor(element).get()));
  EXPECT_EQ("", no_signer.Key().Sha1());
  EXPECT_EQ(5, no_signer.Key().SignRole);
  bool traced = false;
  for (const std::string& line : debug.Lines()) {
    if (line == "[Подпись не содержит сертификата подписанта]") traced = true;
  }
  EXPECT_TRUE(traced);

  element->SetFileName("../s.p7s");
  EXPECT_EQ("Недопустимое имя файла подписи: [../s.p7s]",
            ErrorOf([&] { signature.Open(ConfigFor(element).get()); }));
  EXPECT_EQ("Передан пустой аргумент: config.Node",
            ErrorOf([&] { signature.Open(ConfigFor(document_.get()).get()); }));
}

TEST_F(TarvexSignatureTest, NewIsRefusedWhileOpened) {
  auto signature = NewSignature("x");
  EXPECT_EQ("Документ уже открыт, операция невозможна",
            ErrorOf([&] { signature->New(ConfigFor(document_->Signatures().Item(0)).get()); }));
}

TEST_F(TarvexSignatureTest, CountersignsOnceWithACertificate) {
  TrustChain(kUser);
  auto signature = NewSignature(OpensslSign("signer", kContent, ""));
  signature->Key().SetSubjectCN("Иванов Иван Иванович");
  auto key = KeyOf("signer2");

  signature->Resign(key.get());
  ASSERT_EQ(1, signature->GetResignCount());
  const CTarvexSignature* resign = signature->GetResign(0);
  EXPECT_EQ(0, OpensslVerify(resign->Content(), signature->Content()));
  EXPECT_EQ(ThumbprintOf("signer2"), resign->Key().Sha1());
  EXPECT_EQ(3, resign->Key().SignRole);
  EXPECT_EQ(3, resign->Node()->Role());
  EXPECT_EQ(signature->Node(), resign->Node()->Owner());
  signature->CheckResignatures(false, true);

  EXPECT_EQ("Подпись [signer2] уже имеется под подписью [Иванов Иван Иванович]",
            ErrorOf([&] { signature->Resign(key.get()); }));
  EXPECT_EQ("Передан пустой аргумент: pKey", ErrorOf([&] { signature->Resign(nullptr); }));
  EXPECT_EQ(1, signature->Node()->Resigns().Count());
}

TEST_F(TarvexSignatureTest, AddsCountersignatureBytesOnceWhileTheProviderIsThere) {
  const std::string bytes = OpensslSign("signer2", "подпись", "");
  auto signature = NewSignature("подпись");
  signature->AddResign(bytes, 4);
  EXPECT_EQ("Добавляемая переподпись [Петров Пётр Петрович] уже имеется под документом",
            ErrorOf([&] { signature->AddResign(bytes, 4); }));
  EXPECT_EQ("Передан пустой аргумент: sSignatureContent",
            ErrorOf([&] { signature->AddResign("", 4); }));
  EXPECT_EQ(1, signature->GetResignCount());
  EXPECT_EQ(1, signature->Node()->Resigns().Count());

  signature->ClearResignatures();
  EXPECT_EQ(0, signature->GetResignCount());
  EXPECT_EQ(0, signature->Node()->Resigns().Count());

  auto key = KeyOf("signer");
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  auto without = NewSignature("подпись");
  without->AddResign(bytes, 4);
  without->AddResign(bytes, 4);
  EXPECT_EQ("Не установлен СКЗИ КриптоПро, который требуется для операции: подписание",
            ErrorOf([&] { without->Resign(key.get()); }));
  EXPECT_EQ("Не установлен СКЗИ КриптоПро, который требуется для операции: проверка ЭЦП",
            ErrorOf([&] { without->CheckResignatures(false, false); }));
  ::unsetenv("TARVEX_GOST_ABSENT");
  ASSERT_EQ(2, without->GetResignCount());
  EXPECT_EQ("", without->GetResign(1)->Key().Sha1());
  EXPECT_EQ(5, without->GetResign(1)->Key().SignRole);
  EXPECT_EQ(4, without->GetResign(1)->Node()->Role());
}

TEST_F(TarvexSignatureTest, CheckResignaturesNamesTheFailingOne) {
  TrustChain(kUser);
  const std::string bytes = OpensslSign("signer", kContent, "");
  auto signature = NewSignature(bytes);
  signature->AddResign(OpensslSign("signer2", bytes, ""), 5);
  signature->AddResign(OpensslSign("revoked", bytes, ""), 5);
  signature->CheckResignatures(false, false);
  const std::string error = ErrorOf([&] { signature->CheckResignatures(false, true); });
  EXPECT_EQ(0u, error.find("Ошибка при проверке подписих [#1] под подписью: ")) << error;
  EXPECT_NE(std::string::npos, error.find("сертификат был отозван")) << error;
}

}  // namespace
