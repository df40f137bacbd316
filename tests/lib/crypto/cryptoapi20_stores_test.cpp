#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/str_array.h"
#include "lib/foundation/text_routines.h"
#include "tests/lib/crypto/cryptoapi20_test_support.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/openssl.h"

namespace {

constexpr int kUser = 2, kMachine = 1;
constexpr int kMy = 1, kRoot = 2, kAddressBook = 4;

const std::string kContainer = "\\\\.\\HDIMAGE\\Иванов";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

class StoresTest : public testing::Test {
 protected:
  void SetUp() override {
    signer_ = CCryptoAPI20Utils::ImportCertificate(Pki("signer.cer"));
    signer2_ = CCryptoAPI20Utils::ImportCertificate(Pki("signer2.cer"));
  }
  void TearDown() override {
    CertFreeCertificateContext(signer_);
    CertFreeCertificateContext(signer2_);
  }

  // The key-provider property of the store's only certificate, read
  // through a store handle opened afresh.
  static bool StoredKeyProvInfo(CryptKeyProvInfo* info) {
    HCERTSTORE store = CCryptoAPI20Utils::OpenSystemStore(nullptr, kUser, kMy);
    PCCERT_CONTEXT stored = CertEnumCertificatesInStore(store, nullptr);
    const bool found = stored != nullptr &&
                       CertGetCertificateContextProperty(stored, CERT_KEY_PROV_INFO_PROP_ID, info);
    CertFreeCertificateContext(stored);
    CertCloseStore(store, 0);
    return found;
  }

  CryptRoots roots_;
  VerifyContext prov_;
  PCCERT_CONTEXT signer_ = nullptr;
  PCCERT_CONTEXT signer2_ = nullptr;
};

TEST_F(StoresTest, KindsAndLocationsMapToNamesAndFlags) {
  EXPECT_EQ("MY", CCryptoAPI20Utils::GetStoreName(1));
  EXPECT_EQ("ROOT", CCryptoAPI20Utils::GetStoreName(2));
  EXPECT_EQ("CA", CCryptoAPI20Utils::GetStoreName(3));
  EXPECT_EQ("addressbook", CCryptoAPI20Utils::GetStoreName(4));
  EXPECT_EQ(0x21001u, CCryptoAPI20Utils::GetStoreLocationFlags(1));
  EXPECT_EQ(0x11001u, CCryptoAPI20Utils::GetStoreLocationFlags(2));
  for (int bad : {0, 5, -1}) {
    EXPECT_EQ("Недоступное имя хранилища: [" + std::to_string(bad) + "]",
              ErrorOf([&] { CCryptoAPI20Utils::GetStoreName(bad); }));
  }
  for (int bad : {0, 3}) {
    EXPECT_EQ("Недоступное хранилище: [" + std::to_string(bad) + "]",
              ErrorOf([&] { CCryptoAPI20Utils::OpenSystemStore(prov_.Get(), bad, kMy); }));
  }
}

TEST_F(StoresTest, ListingAndSearchFollowTheStoreAndExactThumbprints) {
  CCryptoAPI20Utils::AddCertificateToStore(prov_.Get(), kUser, kAddressBook, signer_, "");
  CCryptoAPI20Utils::AddCertificateToStore(prov_.Get(), kUser, kAddressBook, signer2_, "");
  CCryptoAPI20Utils::AddCertificateToStore(prov_.Get(), kMachine, kRoot, signer2_, "");
  const std::string thumbprint = OpensslSha1(PkiPath("signer.cer"));
  const std::string thumbprint2 = OpensslSha1(PkiPath("signer2.cer"));

  CStrArray list;
  CCryptoAPI20Utils::ListStoreCertificates(prov_.Get(), kUser, kAddressBook, &list);
  ASSERT_EQ(2, list.Count());
  EXPECT_EQ(thumbprint, list.GetString(0));
  EXPECT_EQ(thumbprint2, list.GetString(1));
  for (int i = 0; i < list.Count(); ++i) {
    auto* context = static_cast<PCCERT_CONTEXT>(list.GetObject(i));
    EXPECT_EQ(list.GetString(i), CCryptoAPI20Utils::GetThumbprint(context));
    CertFreeCertificateContext(context);
  }
  // A list that ignores duplicate keys keeps one of two equal entries, and
  // the reference of the other is not lost.
  CStrArray unique;
  unique.SortMode = StrArraySort::ByKey;
  unique.Duplicates = StrArrayDuplicates::Ignore;
  CCryptoAPI20Utils::ListStoreCertificates(prov_.Get(), kUser, kAddressBook, &unique);
  CCryptoAPI20Utils::ListStoreCertificates(prov_.Get(), kUser, kAddressBook, &unique);
  EXPECT_EQ(2, unique.Count());
  for (int i = 0; i < unique.Count(); ++i) {
    CertFreeCertificateContext(static_cast<PCCERT_CONTEXT>(unique.GetObject(i)));
  }

  PCCERT_CONTEXT found =
      CCryptoAPI20Utils::FindCertificateByThumbprint(prov_.Get(), kUser, kAddressBook, thumbprint2);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(Pki("signer2.cer"), found->Encoded());
  CertFreeCertificateContext(found);
  const struct {
    const char* what;
    int location, kind;
    std::string thumbprint;
  } misses[] = {
      {"lower case", kUser, kAddressBook, Lower(thumbprint2)},
      {"other store", kUser, kRoot, thumbprint2},
      {"other location", kMachine, kAddressBook, thumbprint2},
      {"empty", kUser, kAddressBook, ""},
  };
  for (const auto& miss : misses) {
    EXPECT_EQ(nullptr, CCryptoAPI20Utils::FindCertificateByThumbprint(prov_.Get(), miss.location,
                                                                      miss.kind, miss.thumbprint))
        << miss.what;
  }
}

TEST_F(StoresTest, ListingRefusesUnknownStoresAndAMissingList) {
  CStrArray list;
  const struct {
    int location, kind;
    CStrArray* list;
    const char* message;
  } cases[] = {
      {0, kMy, &list, "Неизвестное хранилище"},
      {kUser, 0, &list, "Неизвестное имя хранилища"},
      {kUser, kMy, nullptr, "Передан пустой аргумент: certArray"},
      {7, kMy, &list, "Недоступное хранилище: [7]"},
      {kUser, 9, &list, "Недоступное имя хранилища: [9]"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.message, ErrorOf([&] {
                CCryptoAPI20Utils::ListStoreCertificates(prov_.Get(), c.location, c.kind, c.list);
              }));
  }
}

TEST_F(StoresTest, APersonalCertificateIsBoundToItsContainerAcrossReopening) {
  PutKeyInContainer(kContainer, "signer");
  CCryptoAPI20Utils::AddCertificateToStore(prov_.Get(), kUser, kMy, signer_, kContainer);

  CryptKeyProvInfo info;
  ASSERT_TRUE(StoredKeyProvInfo(&info));
  EXPECT_EQ(kContainer, WideToAnsi(info.ContainerName));
  EXPECT_EQ(kGostProviderName, WideToAnsi(info.ProvName));
  EXPECT_EQ(kGostProviderType, info.ProvType);
  EXPECT_EQ(CERT_SET_KEY_CONTEXT_PROP_ID, info.Flags);
  EXPECT_EQ(AT_KEYEXCHANGE, info.KeySpec);
  EXPECT_EQ(std::vector<std::string>{Pki("signer.cer")}, StoreBodies(kUser, kMy));

  // Outside "MY" a container binds nothing.
  CCryptoAPI20Utils::AddCertificateToStore(prov_.Get(), kUser, kAddressBook, signer2_, kContainer);
  PCCERT_CONTEXT other = CCryptoAPI20Utils::FindCertificateByThumbprint(
      prov_.Get(), kUser, kAddressBook, OpensslSha1(PkiPath("signer2.cer")));
  ASSERT_NE(nullptr, other);
  EXPECT_FALSE(CertGetCertificateContextProperty(other, CERT_KEY_PROV_INFO_PROP_ID, &info));
  CertFreeCertificateContext(other);
}

TEST_F(StoresTest, AFailedBindingLeavesThePersonalStoreAsItWas) {
  PutKeyInContainer(kContainer, "signer");
  PutKeyInContainer("другой", "signer2");
  // The stored certificate again, as a context without the binding.
  PCCERT_CONTEXT unbound = CCryptoAPI20Utils::ImportCertificate(Pki("signer.cer"));
  const struct {
    const char* what;
    PCCERT_CONTEXT certificate;
    std::string container;
    std::string message;
  } cases[] = {
      {"no such container", signer2_, "нет такого",
       "Ошибка при инициализации с контейнером [нет такого] криптопровайдера: 0x80090016 "
       "(-2146893802): Набор ключей не существует"},
      {"the key of another certificate", signer2_, kContainer,
       "Ошибка при импорте сертификата в контейнер: 0x80090015 (-2146893803): Неправильный "
       "открытый ключ поставщика"},
      // The certificate already there keeps its binding when a second
      // import names the wrong container.
      {"the stored certificate with a wrong key", unbound, "другой",
       "Ошибка при импорте сертификата в контейнер: 0x80090015 (-2146893803): Неправильный "
       "открытый ключ поставщика"},
  };
  CCryptoAPI20Utils::AddCertificateToStore(prov_.Get(), kUser, kMy, signer_, kContainer);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.message, ErrorOf([&] {
                CCryptoAPI20Utils::AddCertificateToStore(prov_.Get(), kUser, kMy, c.certificate,
                                                         c.container);
              }));
    EXPECT_EQ(std::vector<std::string>{Pki("signer.cer")}, StoreBodies(kUser, kMy));
    CryptKeyProvInfo info;
    ASSERT_TRUE(StoredKeyProvInfo(&info));
    EXPECT_EQ(kContainer, WideToAnsi(info.ContainerName));
  }
  CertFreeCertificateContext(unbound);
}

TEST_F(StoresTest, TheProviderIsFoundInTheMachineRegistry) {
  EXPECT_TRUE(CCryptoAPI20Utils::IsGostProviderInstalled());
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  EXPECT_FALSE(CCryptoAPI20Utils::IsGostProviderInstalled());
  ::unsetenv("TARVEX_GOST_ABSENT");
}

}  // namespace
