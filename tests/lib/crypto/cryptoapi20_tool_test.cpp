#include "lib/crypto/cryptoapi20_tool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "lib/crypto/crypt_object.h"
#include "lib/crypto/crypt_tool.h"
#include "lib/crypto/crypto_exception.h"
#include "lib/crypto/crypto_provider.h"
#include "lib/crypto/crypto_signature.h"
#include "lib/crypto/kestrin_certificate.h"
#include "lib/foundation/str_array.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/codepage.h"
#include "tests/lib/crypto/signature_test_support.h"
#include "tests/support/error_of.h"

namespace {

const std::string kContent = std::string("Решение\0\x98", 9);

// The list's certificate references, freed when the list goes.
class ContextList {
 public:
  ContextList() {
    list.OnDeleteObject = [](CStrArray&, void* object, int) {
      CertFreeCertificateContext(static_cast<PCCERT_CONTEXT>(object));
    };
  }
  bool Has(const std::string& thumbprint) {
    int index = 0;
    return list.IndexOf(thumbprint, index);
  }
  CStrArray list;
};

// A context of a PKI certificate.
CertRef Certificate(const std::string& name) {
  return CertRef(CertCreateCertificateContext(kMsgEncoding, Pki(name + ".cer")));
}

// Puts a PKI key alone into a new container of the current user.
void PutKey(const std::string& container, const std::string& key) {
  HCRYPTPROV prov = nullptr;
  ASSERT_TRUE(
      CryptAcquireContextA(&prov, container.c_str(), nullptr, kGostProviderType, CRYPT_NEWKEYSET));
  EXPECT_TRUE(CryptImportPemKey(prov, Pki(key + ".key"), nullptr));
  CryptReleaseContext(prov, 0);
}

class CryptoAPI20ToolTest : public SignatureTest {};

class CryptoAPI20ToolStoreTest : public SignatureTest, public testing::WithParamInterface<int> {};

TEST_P(CryptoAPI20ToolStoreTest, ListsFindsAndImportsAtItsLocation) {
  const int location = GetParam();
  const int other = location == kUser ? kMachine : kUser;
  CCryptoAPI20Tool tool;
  tool.StoreLocation = static_cast<uint8_t>(location);

  // Both certificates of the bundle are CA certificates, the root too.
  tool.ImportP7B(Pki("chain.p7b"));
  ContextList cas, elsewhere;
  tool.ListCertificates(kStoreCA, &cas.list);
  EXPECT_EQ(2, cas.list.Count());
  EXPECT_TRUE(cas.Has(ThumbprintOf("root")));
  EXPECT_TRUE(cas.Has(ThumbprintOf("intermediate")));

  PCCERT_CONTEXT body = tool.CertificateFromBody(Pki("signer2.cer"));
  ASSERT_NE(nullptr, body);
  EXPECT_EQ("Петров Пётр Петрович", tool.GetSubjectCN(body));
  tool.ImportCertificate(kStoreAddressBook, body, "не для MY");
  CertFreeCertificateContext(body);

  const std::string thumbprint = ThumbprintOf("signer2");
  PCCERT_CONTEXT found = tool.FindCertificateBySha1(kStoreAddressBook, thumbprint);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(Pki("signer2.cer"), tool.GetCertificateBody(found));
  EXPECT_EQ("", tool.GetContainerName(found));
  CertFreeCertificateContext(found);
  std::string lower = thumbprint;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(nullptr, tool.FindCertificateBySha1(kStoreAddressBook, lower));

  // Into "MY" the certificate goes bound to its container.
  PutKey("Петров", "signer2");
  const CertRef signer2 = Certificate("signer2");
  tool.ImportCertificate(kStoreMy, signer2.get(), "Петров");
  found = tool.FindCertificateBySha1(kStoreMy, thumbprint);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ("Петров", tool.GetContainerName(found));
  CertFreeCertificateContext(found);

  // The other location saw none of it.
  tool.StoreLocation = static_cast<uint8_t>(other);
  tool.ListCertificates(kStoreCA, &elsewhere.list);
  tool.ListCertificates(kStoreAddressBook, &elsewhere.list);
  tool.ListCertificates(kStoreMy, &elsewhere.list);
  EXPECT_EQ(0, elsewhere.list.Count());
  EXPECT_EQ(nullptr, tool.FindCertificateBySha1(kStoreAddressBook, thumbprint));
  EXPECT_EQ(nullptr, CCryptoAPI20Tool::FindCertificate(other, kStoreAddressBook, thumbprint));
  found = CCryptoAPI20Tool::FindCertificate(location, kStoreAddressBook, thumbprint);
  EXPECT_NE(nullptr, found);
  CertFreeCertificateContext(found);
}

TEST_P(CryptoAPI20ToolStoreTest, SignsEncryptsAndDecryptsWithTheLocationsKeys) {
  const int location = GetParam();
  const bool current_user = location == kUser;
  ImportKey("Иванов", "signer", location);
  const std::string thumbprint = ThumbprintOf("signer");

  const std::string signature = CCryptoAPI20Tool::Sign(current_user, nullptr, kContent, thumbprint);
  EXPECT_EQ(0, OpensslVerify(signature, kContent));
  CCryptoProvider provider;
  provider.SetMachineKeySet(!current_user);
  provider.OpenVerifyContext(kGostProviderType, false);
  EXPECT_EQ(0, OpensslVerify(CCryptoAPI20Tool::Sign(current_user, &provider, kContent, thumbprint),
                             kContent));
  EXPECT_EQ("Личный сертификат с отпечатком [" + thumbprint + "] не найден",
            ErrorOf([&] { CCryptoAPI20Tool::Sign(!current_user, nullptr, kContent, thumbprint); }));

  // Encryption looks only in "addressbook".
  EXPECT_EQ("Сертификат для шифрования с отпечатком [" + thumbprint +
                "] не найден в храниилище \"Другие пользователи\"",
            ErrorOf([&] { CCryptoAPI20Tool::EncryptBySha1(current_user, thumbprint, kContent); }));
  AddToStore(location, kStoreAddressBook, {"signer"});
  const std::string message = CCryptoAPI20Tool::EncryptBySha1(current_user, thumbprint, kContent);
  EXPECT_EQ(kContent, CCryptoAPI20Tool::Decrypt(current_user, message));
}

INSTANTIATE_TEST_SUITE_P(BothLocations, CryptoAPI20ToolStoreTest, testing::Values(kMachine, kUser),
                         [](const auto& param_info) {
                           return param_info.param == kUser ? "User" : "Machine";
                         });

TEST_F(CryptoAPI20ToolTest, InstanceOperationsRefuseThroughTheHandler) {
  CCryptoAPI20Tool tool;
  const CertRef signer = Certificate("signer");
  const struct {
    std::function<void()> call;
    std::string message;
  } cases[] = {
      {[&] { tool.CertificateFromBody(""); }, "Передан пустой аргумент: CertificateBody"},
      {[&] { tool.GetSubjectCN(nullptr); }, "Передан пустой аргумент: certcontext"},
      {[&] { tool.ListCertificates(kStoreMy, nullptr); }, "Передан пустой аргумент: certArray"},
      {[&] { tool.ListCertificates(0, nullptr); }, "Неизвестное имя хранилища"},
      {[&] { tool.FindCertificateBySha1(kStoreMy, ""); }, "Передан пустой аргумент: sSha1"},
      {[&] { tool.FindCertificateBySha1(0, "A"); }, "Неизвестное имя хранилища"},
      {[&] { tool.GetCertificateBody(nullptr); }, "Передан пустой аргумент: CertContext"},
      {[&] { tool.ImportP7B(""); }, "Передан пустой аргумент: p7b-body"},
      {[&] { tool.ImportCertificate(0, signer.get(), "c"); }, "Неизвестное имя хранилища"},
      {[&] { tool.ImportCertificate(kStoreAddressBook, signer.get(), ""); },
       "Передан пустой аргумент: containerName"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.message, ErrorOf(c.call));

  tool.StoreLocation = 0;
  ContextList list;
  EXPECT_EQ("Неизвестное хранилище", ErrorOf([&] { tool.ListCertificates(kStoreMy, &list.list); }));
  EXPECT_EQ("Неизвестное хранилище", ErrorOf([&] { tool.FindCertificateBySha1(kStoreMy, "A"); }));
  EXPECT_EQ("Неизвестное хранилище",
            ErrorOf([&] { tool.ImportCertificate(kStoreMy, signer.get(), "c"); }));

  // A handler that lets the call go on gets the error; the call gives null.
  std::string handled;
  tool.OnError = [&handled](const Exception& error, CBaseClass&) { handled = error.Message(); };
  EXPECT_EQ(nullptr, tool.FindCertificateBySha1(kStoreMy, "A"));
  EXPECT_EQ("Неизвестное хранилище", handled);
}

TEST_F(CryptoAPI20ToolTest, LinksACertificateToItsContainer) {
  CCryptoAPI20Tool tool;
  PutKey("Петров", "signer2");
  const CertRef signer2 = Certificate("signer2");
  EXPECT_EQ("", tool.GetContainerName(signer2.get()));
  tool.LinkPrivateKey(signer2.get(), "Петров", true);
  EXPECT_EQ("Петров", tool.GetContainerName(signer2.get()));
  CryptKeyProvInfo info;
  ASSERT_TRUE(CertGetCertificateContextProperty(signer2.get(), CERT_KEY_PROV_INFO_PROP_ID, &info));
  EXPECT_EQ(CERT_SET_KEY_CONTEXT_PROP_ID, info.Flags);
  EXPECT_EQ(kGostProviderType, info.ProvType);
  EXPECT_EQ(AT_KEYEXCHANGE, info.KeySpec);
  // The link reaches the key: the certificate signs.
  CCryptCertificate certificate(signer2.get());
  EXPECT_EQ(0, OpensslVerify(CCryptTool::SignMessage(&certificate, kContent, 0), kContent));
}

TEST_F(CryptoAPI20ToolTest, AFailedLinkLeavesTheCertificateAsItWas) {
  CCryptoAPI20Tool tool;
  PutKey("Петров", "signer2");
  const CertRef signer = Certificate("signer");  // not the container's key
  const std::string error = ErrorOf([&] { tool.LinkPrivateKey(signer.get(), "Петров", true); });
  EXPECT_EQ(0u, error.find("Ошибка при импорте сертификата в контейнер: 0x80090015")) << error;
  EXPECT_EQ("", tool.GetContainerName(signer.get()));
  EXPECT_EQ("Передан пустой аргумент: certcontext",
            ErrorOf([&] { tool.LinkPrivateKey(nullptr, "Петров", true); }));

  EXPECT_EQ(0u, ErrorOf([&] { tool.LinkPrivateKey(signer.get(), "Нет такого", true); })
                    .find("Ошибка при инициализации с контейнером [Нет такого] криптопровайдера: "
                          "0x80090016"));
  HCRYPTPROV empty = nullptr;
  ASSERT_TRUE(CryptAcquireContextA(&empty, "Пустой", nullptr, kGostProviderType, CRYPT_NEWKEYSET));
  CryptReleaseContext(empty, 0);
  EXPECT_EQ(0u, ErrorOf([&] {
                  tool.LinkPrivateKey(signer.get(), "Пустой", true);
                }).find("Ошибка при получении закрытого ключа из контейнера: 0x8009000D"));
}

TEST_F(CryptoAPI20ToolTest, SetsTheKeyProviderOfACertificate) {
  CCryptoAPI20Tool tool;
  const CertRef signer = Certificate("signer");
  tool.SetKeyProvInfo(signer.get(), "Любой", false);
  EXPECT_EQ("Любой", tool.GetContainerName(signer.get()));
  CryptKeyProvInfo info;
  ASSERT_TRUE(CertGetCertificateContextProperty(signer.get(), CERT_KEY_PROV_INFO_PROP_ID, &info));
  EXPECT_EQ(0u, info.Flags);
  EXPECT_EQ(AnsiToWide(kGostProviderName), info.ProvName);
}

TEST_F(CryptoAPI20ToolTest, IsNotMadeWithoutTheProvider) {
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  const std::string error = ErrorOf([] { CCryptoAPI20Tool tool; });
  ::unsetenv("TARVEX_GOST_ABSENT");
  EXPECT_EQ(0u, error.find("Ошибка при инициализации криптопровайдера: 0x80090017 (")) << error;
}

TEST_F(CryptoAPI20ToolTest, VerificationHandsTheSignerToTheList) {
  TrustChain(kUser);
  ImportKey("Иванов", "signer", kUser);
  const std::string signature =
      CCryptoAPI20Tool::Sign(true, nullptr, kContent, ThumbprintOf("signer"));
  CStrArray list;
  list.OwnsObjects = StrArrayOwnership::Destroy;
  EXPECT_TRUE(CCryptoAPI20Tool::VerifySignature(true, kContent, true, false, 0, &list, signature));
  ASSERT_EQ(1, list.Count());
  EXPECT_EQ(ThumbprintOf("signer"), list.GetString(0));
  EXPECT_EQ(Pki("signer.cer"),
            static_cast<CKestrinCertificate*>(list.GetObject(0))->Context()->Encoded());
  EXPECT_TRUE(
      CCryptoAPI20Tool::VerifySignature(true, kContent, false, false, 0, nullptr, signature));

  EXPECT_EQ("Передан пустой аргумент: content", ErrorOf([&] {
              CCryptoAPI20Tool::VerifySignature(true, "", false, false, 0, nullptr, signature);
            }));
  EXPECT_EQ("Передан пустой аргумент: signature", ErrorOf([&] {
              CCryptoAPI20Tool::VerifySignature(true, kContent, false, false, 0, nullptr, "");
            }));
  // The chain is looked for at the location asked for.
  try {
    CCryptoAPI20Tool::VerifySignature(false, kContent, false, false, 0, nullptr, signature);
    ADD_FAILURE() << "verified without the machine's stores";
  } catch (const CCryptoAPI20Exception& error) {
    EXPECT_EQ(CheckResult::kNotVerified, error.Code());
    EXPECT_EQ(0u, error.Message().find("Не найден сертификат УЦ [Тестовый УЦ]")) << error.Message();
  }
}

TEST_F(CryptoAPI20ToolTest, CheckSignatureFailsOnAnIssuerThatCannotBeFound) {
  // Every download goes to a proxy where nothing listens.
  ::setenv("http_proxy", "http://127.0.0.1:1", 1);
  ::unsetenv("no_proxy");
  ::unsetenv("NO_PROXY");
  TrustChain(kUser, false);
  ImportKey("Иванов", "signer", kUser);
  const std::string signature =
      CCryptoAPI20Tool::Sign(true, nullptr, kContent, ThumbprintOf("signer"));
  try {
    CCryptoAPI20Tool::CheckSignature(true, kContent, 0, signature);
    ADD_FAILURE() << "verified without the issuer";
  } catch (const CCryptoAPI20Exception& error) {
    EXPECT_EQ(CheckResult::kNotVerified, error.Code());
    EXPECT_EQ(
        "Не найден сертификат УЦ [Тестовый УЦ]. URL для скачивания: "
        "[http://127.0.0.1:18080/intermediate.cer]",
        error.Message());
  }
  ::unsetenv("http_proxy");
}

}  // namespace
