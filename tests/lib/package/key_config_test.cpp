#include <gtest/gtest.h>

#include <memory>

#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/tarvex_package_config.h"
#include "lib/package/xml_gpr_document.h"
#include "platform/crypt/crypt_defs.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/debug_capture.h"
#include "tests/support/error_of.h"
#include "tests/support/test_pki.h"

namespace {

const char kTraceTail[] =
    " не определен (пусто), возможно не установлен СКЗИ либо не удалось выделить из подписи. "
    "Некритично.]";

TEST(TarvexKeyTest, ANewRecordIsAnApplicantWithNothingElse) {
  CTarvexKey key;
  EXPECT_EQ(5, key.SignRole);
  for (const std::string* field : {&key.Sha1(), &key.SubjectCN(), &key.ContainerName(),
                                   &key.CertificateBody(), &key.Subject(), &key.Issuer()}) {
    EXPECT_EQ("", *field);
  }
  EXPECT_EQ(nullptr, key.CertContext);
  EXPECT_FALSE(key.OwnsContext);
  EXPECT_EQ(nullptr, key.ProviderHandle());
}

TEST(TarvexKeyTest, EmptyValuesAreTracedAndStoredExceptTheCommonName) {
  const struct {
    void (CTarvexKey::*set)(const std::string&);
    const std::string& (CTarvexKey::*get)() const;
    const char* description;
  } fields[] = {
      {&CTarvexKey::SetSha1, &CTarvexKey::Sha1, "Отпечаток подписи"},
      {&CTarvexKey::SetCertificateBody, &CTarvexKey::CertificateBody, "тело сертификата"},
      {&CTarvexKey::SetSubject, &CTarvexKey::Subject, "Субъект сертификата"},
      {&CTarvexKey::SetIssuer, &CTarvexKey::Issuer, "Изготовитель сертификата"},
  };
  for (const auto& field : fields) {
    SCOPED_TRACE(field.description);
    CTarvexKey key;
    DebugCapture debug;
    const std::string bytes("A\0B", 3);
    (key.*field.set)(bytes);
    EXPECT_EQ(bytes, (key.*field.get)());
    EXPECT_TRUE(debug.Lines().empty());
    (key.*field.set)("");
    EXPECT_EQ("", (key.*field.get)());
    ASSERT_EQ(1u, debug.Lines().size());
    std::string line = "[";
    line += field.description;
    line += kTraceTail;
    EXPECT_EQ(line, debug.Lines()[0]);
  }

  CTarvexKey key;
  key.SetSubjectCN("Иванов Иван");
  DebugCapture debug;
  EXPECT_EQ("Передан пустой аргумент: SubjectCN", ErrorOf([&] { key.SetSubjectCN(""); }));
  EXPECT_EQ("Иванов Иван", key.SubjectCN());
  ASSERT_FALSE(debug.Lines().empty());
  EXPECT_EQ("[CN субъекта сертификата" + std::string(kTraceTail), debug.Lines()[0]);

  key.SetContainerName("");
  EXPECT_EQ("", key.ContainerName());
}

TEST(TarvexKeyTest, AcquiresTheContainerOnceAndReportsTheSystemError) {
  CryptRoots roots;
  HCRYPTPROV prov = nullptr;
  ASSERT_TRUE(
      CryptAcquireContextA(&prov, "Ключ Иванова", nullptr, kGostProviderType, CRYPT_NEWKEYSET));
  ASSERT_TRUE(CryptImportPemKey(prov, Pki("signer.key"), nullptr));
  CryptReleaseContext(prov, 0);

  CTarvexKey key;
  key.SetContainerName("Ключ Иванова");
  key.AcquireContext();
  const HCRYPTPROV held = key.ProviderHandle();
  ASSERT_NE(nullptr, held);
  // Once held, the handle stays even when the name no longer fits.
  key.SetContainerName("Нет такого");
  key.AcquireContext();
  EXPECT_EQ(held, key.ProviderHandle());

  CTarvexKey unknown;
  unknown.SetContainerName("Нет такого");
  try {
    unknown.AcquireContext();
    ADD_FAILURE() << "acquired a container that does not exist";
  } catch (const EOSError& error) {
    EXPECT_EQ(NTE_BAD_KEYSET, error.ErrorCode());
    const std::string prefix = "System Error.  Code: -2146893802.\r\n";
    EXPECT_EQ(prefix, error.Message().substr(0, prefix.size())) << error.Message();
    EXPECT_LT(prefix.size(), error.Message().size());
  }
  EXPECT_EQ(nullptr, unknown.ProviderHandle());
}

TEST(TarvexKeyTest, FreesTheContextOnlyWhenItOwnsIt) {
  PCCERT_CONTEXT owned = CertCreateCertificateContext(kMsgEncoding, Pki("signer.cer"));
  PCCERT_CONTEXT shared = CertCreateCertificateContext(kMsgEncoding, Pki("signer2.cer"));
  ASSERT_NE(nullptr, owned);
  ASSERT_NE(nullptr, shared);
  {
    CTarvexKey owner;
    owner.CertContext = owned;
    owner.OwnsContext = true;
    CTarvexKey borrower;
    borrower.CertContext = shared;
  }
  // The leak check of the sanitized build tells whether the owned one went.
  EXPECT_EQ(Pki("signer2.cer"), CCryptoAPI20Utils::GetCertificateBody(shared));
  CertFreeCertificateContext(shared);
}

TEST(TarvexPackageConfigTest, CopiesAreIndependentAndStartWithTheUsersStores) {
  auto empty = CTarvexPackageConfig::CreateEmpty();
  EXPECT_EQ(nullptr, empty->Node());
  EXPECT_EQ(0, empty->FlowKind());
  EXPECT_EQ("", empty->WorkFolder());
  EXPECT_TRUE(empty->UseUserStorage());

  auto node = CXMLGprExtDocument::Create();
  auto config = CTarvexPackageConfig::Create(node.get(), 2, "/tmp/{ПАКЕТ}");
  EXPECT_TRUE(config->UseUserStorage());
  config->SetUseUserStorage(false);

  auto copy = CTarvexPackageConfig::CreateEmpty();
  copy->Assign(*config);
  EXPECT_EQ(node.get(), copy->Node());
  EXPECT_EQ(2, copy->FlowKind());
  EXPECT_EQ("/tmp/{ПАКЕТ}", copy->WorkFolder());
  EXPECT_FALSE(copy->UseUserStorage());

  copy->SetNode(nullptr);
  copy->SetUseUserStorage(true);
  EXPECT_EQ(node.get(), config->Node());
  EXPECT_FALSE(config->UseUserStorage());
}

}  // namespace
