#include "platform/crypt/cert_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/crypt/crypt_prov.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/test_pki.h"

namespace {

constexpr uint32_t kOpenFlags = CERT_STORE_MAXIMUM_ALLOWED_FLAG | CERT_STORE_NO_CRYPT_RELEASE_FLAG;

CertRef Load(const std::string& name) {
  return CertRef(CertCreateCertificateContext(kMsgEncoding, Pki(name)));
}

StoreRef OpenSystem(uint32_t location, const char16_t* name, uint32_t flags = kOpenFlags) {
  return StoreRef(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kMsgEncoding, nullptr, location | flags, name));
}

std::vector<std::string> Certificates(HCERTSTORE store) {
  std::vector<std::string> all;
  PCCERT_CONTEXT context = nullptr;
  while ((context = CertEnumCertificatesInStore(store, context)) != nullptr) {
    all.push_back(context->Encoded());
  }
  return all;
}

CryptKeyProvInfo KeyProv(const std::u16string& container) {
  CryptKeyProvInfo info;
  info.ContainerName = container;
  info.ProvName = u"Crypto-Pro GOST R 34.10-2001 Cryptographic Service Provider";
  info.ProvType = kGostProviderType;
  info.KeySpec = AT_KEYEXCHANGE;
  return info;
}

std::u16string ContainerOf(PCCERT_CONTEXT context) {
  CryptKeyProvInfo info;
  if (!CertGetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, &info)) return u"-";
  return info.ContainerName;
}

class CertStoreTest : public testing::Test {
 protected:
  CryptRoots roots_;
};

TEST_F(CertStoreTest, SystemStoresPersistAcrossReopenInBothLocations) {
  for (uint32_t location : {CERT_SYSTEM_STORE_CURRENT_USER, CERT_SYSTEM_STORE_LOCAL_MACHINE}) {
    SCOPED_TRACE(location);
    CertRef signer = Load("signer.cer");
    const CryptKeyProvInfo info = KeyProv(u"Контейнер\\1");
    ASSERT_TRUE(
        CertSetCertificateContextProperty(signer.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
    {
      StoreRef my = OpenSystem(location, u"MY");
      ASSERT_TRUE(my);
      ASSERT_TRUE(CertAddCertificateContextToStore(my.get(), signer.get(),
                                                   CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
      CertRef root = Load("root.cer");
      StoreRef trusted = OpenSystem(location, u"Root");
      ASSERT_TRUE(CertAddCertificateContextToStore(trusted.get(), root.get(),
                                                   CERT_STORE_ADD_USE_EXISTING, nullptr));
    }
    StoreRef my = OpenSystem(location, u"my");  // names fold a-z
    ASSERT_EQ(std::vector<std::string>{Pki("signer.cer")}, Certificates(my.get()));
    PCCERT_CONTEXT found = CertEnumCertificatesInStore(my.get(), nullptr);
    EXPECT_EQ(u"Контейнер\\1", ContainerOf(found));
    CertFreeCertificateContext(found);
    EXPECT_EQ(std::vector<std::string>{Pki("root.cer")},
              Certificates(OpenSystem(location, u"ROOT").get()));
    EXPECT_TRUE(Certificates(OpenSystem(location, u"CA").get()).empty());
  }
  // Each location has a root of its own.
  EXPECT_TRUE(std::filesystem::exists(roots_.User() + "/stores/my"));
  EXPECT_TRUE(std::filesystem::exists(roots_.Machine() + "/stores/root"));
}

TEST_F(CertStoreTest, APropertySetOnAStoreContextIsWrittenBack) {
  CertRef signer = Load("signer.cer");
  {
    StoreRef my = OpenSystem(CERT_SYSTEM_STORE_CURRENT_USER, u"MY");
    PCCERT_CONTEXT added = nullptr;
    ASSERT_TRUE(
        CertAddCertificateContextToStore(my.get(), signer.get(), CERT_STORE_ADD_NEW, &added));
    const CryptKeyProvInfo info = KeyProv(u"later");
    ASSERT_TRUE(CertSetCertificateContextProperty(added, CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
    my.reset();
    // The context outlives its store and still writes to it.
    const CryptKeyProvInfo after = KeyProv(u"after close");
    ASSERT_TRUE(CertSetCertificateContextProperty(added, CERT_KEY_PROV_INFO_PROP_ID, 0, &after));
    CertFreeCertificateContext(added);
  }
  EXPECT_EQ(u"-", ContainerOf(signer.get()));  // the free context is not the store's
  StoreRef my = OpenSystem(CERT_SYSTEM_STORE_CURRENT_USER, u"MY");
  PCCERT_CONTEXT found = CertEnumCertificatesInStore(my.get(), nullptr);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(u"after close", ContainerOf(found));
  ASSERT_TRUE(CertSetCertificateContextProperty(found, CERT_KEY_PROV_INFO_PROP_ID, 0, nullptr));
  CertFreeCertificateContext(found);
  StoreRef again = OpenSystem(CERT_SYSTEM_STORE_CURRENT_USER, u"MY");
  found = CertEnumCertificatesInStore(again.get(), nullptr);
  EXPECT_EQ(u"-", ContainerOf(found));
  CertFreeCertificateContext(found);
}

TEST_F(CertStoreTest, DispositionsDecideWhatAMatchBecomes) {
  StoreRef store(CertOpenStore(CERT_STORE_PROV_MEMORY, kMsgEncoding, nullptr, 0));
  CertRef first = Load("signer.cer");
  const CryptKeyProvInfo a = KeyProv(u"a");
  CertSetCertificateContextProperty(first.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, &a);
  ASSERT_TRUE(
      CertAddCertificateContextToStore(store.get(), first.get(), CERT_STORE_ADD_NEW, nullptr));

  CertRef second = Load("signer.cer");
  const CryptKeyProvInfo b = KeyProv(u"b");
  CertSetCertificateContextProperty(second.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, &b);
  struct Case {
    uint32_t disposition;
    bool ok;
    uint32_t error;
    std::u16string container;
  } cases[] = {
      {CERT_STORE_ADD_NEW, false, CRYPT_E_EXISTS, u"a"},
      {CERT_STORE_ADD_NEWER, false, CRYPT_E_EXISTS, u"a"},  // not newer: the same certificate
      {CERT_STORE_ADD_USE_EXISTING, true, 0, u"a"},
      {CERT_STORE_ADD_REPLACE_EXISTING, true, 0, u"b"},
      {4, false, ERROR_INVALID_PARAMETER, u"b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.disposition);
    PCCERT_CONTEXT in_store = nullptr;
    EXPECT_EQ(c.ok, CertAddCertificateContextToStore(store.get(), second.get(), c.disposition,
                                                     &in_store));
    if (!c.ok) {
      EXPECT_EQ(c.error, GetLastError());
    }
    CertFreeCertificateContext(in_store);
    EXPECT_EQ(1u, Certificates(store.get()).size());
    PCCERT_CONTEXT held = CertEnumCertificatesInStore(store.get(), nullptr);
    EXPECT_EQ(c.container, ContainerOf(held));
    CertFreeCertificateContext(held);
  }
}

TEST_F(CertStoreTest, AMachineRootThatCannotBeWrittenOpensReadOnly) {
  CertRef signer = Load("signer.cer");
  {
    StoreRef ca = OpenSystem(CERT_SYSTEM_STORE_LOCAL_MACHINE, u"CA");
    ASSERT_TRUE(
        CertAddCertificateContextToStore(ca.get(), signer.get(), CERT_STORE_ADD_NEW, nullptr));
  }
  const std::string folder = roots_.Machine() + "/stores/ca";
  ASSERT_EQ(0, ::chmod(folder.c_str(), 0555));
  ASSERT_EQ(0, ::chmod((roots_.Machine() + "/stores").c_str(), 0555));

  StoreRef ca = OpenSystem(CERT_SYSTEM_STORE_LOCAL_MACHINE, u"CA");
  ASSERT_TRUE(ca);
  EXPECT_EQ(1u, Certificates(ca.get()).size());
  CertRef root = Load("root.cer");
  EXPECT_FALSE(CertAddCertificateContextToStore(ca.get(), root.get(), CERT_STORE_ADD_NEW, nullptr));
  EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
  PCCERT_CONTEXT held = CertEnumCertificatesInStore(ca.get(), nullptr);
  const CryptKeyProvInfo info = KeyProv(u"x");
  EXPECT_FALSE(CertSetCertificateContextProperty(held, CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
  EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
  EXPECT_EQ(u"-", ContainerOf(held));
  CertFreeCertificateContext(held);

  // A store that does not exist yet cannot be made there: empty, read-only.
  StoreRef fresh = OpenSystem(CERT_SYSTEM_STORE_LOCAL_MACHINE, u"addressbook");
  ASSERT_TRUE(fresh);
  EXPECT_TRUE(Certificates(fresh.get()).empty());
  // Without CERT_STORE_MAXIMUM_ALLOWED_FLAG the open is refused.
  EXPECT_FALSE(OpenSystem(CERT_SYSTEM_STORE_LOCAL_MACHINE, u"CA", 0));
  EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
  ::chmod((roots_.Machine() + "/stores").c_str(), 0755);
  ::chmod(folder.c_str(), 0755);
}

TEST_F(CertStoreTest, RefusesBadLocationsAndNames) {
  EXPECT_FALSE(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kMsgEncoding, nullptr, kOpenFlags, u"MY"));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
  for (const char16_t* name : {u"", u"../MY", u".hidden", u"Мой"}) {
    EXPECT_FALSE(OpenSystem(CERT_SYSTEM_STORE_CURRENT_USER, name));
    EXPECT_EQ(ERROR_INVALID_NAME, GetLastError());
  }
  EXPECT_FALSE(OpenSystem(CERT_SYSTEM_STORE_CURRENT_USER, u"Never", CERT_STORE_OPEN_EXISTING_FLAG));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
  EXPECT_FALSE(CertCloseStore(nullptr, 0));
}

// Without a data folder nothing may land below the file system root.
TEST_F(CertStoreTest, AUserWithoutAHomeFolderHasNoStoresAndNoKeys) {
  ScopedEnv root("TARVEX_CRYPT_USER_ROOT", nullptr);
  ScopedEnv data("XDG_DATA_HOME", "relative");
  ScopedEnv home("HOME", nullptr);
  EXPECT_FALSE(OpenSystem(CERT_SYSTEM_STORE_CURRENT_USER, u"MY"));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError());
  HCRYPTPROV prov = 0;
  EXPECT_FALSE(
      CryptAcquireContextA(&prov, "Без дома", nullptr, kGostProviderType, CRYPT_NEWKEYSET));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError());
  EXPECT_FALSE(std::filesystem::exists("/stores") || std::filesystem::exists("/keys"));
}

TEST_F(CertStoreTest, Pkcs7BundleOpensReadOnlyInItsOrder) {
  const std::string bundle = Pki("chain.p7b");
  StoreRef store(CertOpenStore(CERT_STORE_PROV_PKCS7, kMsgEncoding, nullptr,
                               CERT_STORE_READONLY_FLAG, CryptDataBlob{bundle}));
  ASSERT_TRUE(store);
  EXPECT_EQ((std::vector<std::string>{Pki("root.cer"), Pki("intermediate.cer")}),
            Certificates(store.get()));
  CertRef signer = Load("signer.cer");
  EXPECT_FALSE(
      CertAddCertificateContextToStore(store.get(), signer.get(), CERT_STORE_ADD_NEW, nullptr));
  EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());

  EXPECT_FALSE(CertOpenStore(CERT_STORE_PROV_PKCS7, kMsgEncoding, nullptr, 0,
                             CryptDataBlob{Pki("signer.cer")}));
  EXPECT_EQ(CRYPT_E_ASN1_BADTAG, GetLastError());

  // A file store takes a PKCS #7 message or one certificate.
  const std::string file = roots_.Dir().File("bundle.p7b");
  WriteBytes(file, bundle);
  EXPECT_EQ(2u, Certificates(StoreRef(CertOpenStore(CERT_STORE_PROV_FILENAME_W, kMsgEncoding,
                                                    nullptr, 0, AnsiToWide(file)))
                                 .get())
                    .size());
  WriteBytes(file, Pki("signer.cer"));
  EXPECT_EQ(1u, Certificates(StoreRef(CertOpenStore(CERT_STORE_PROV_FILENAME_W, kMsgEncoding,
                                                    nullptr, 0, AnsiToWide(file)))
                                 .get())
                    .size());
  EXPECT_FALSE(CertOpenStore(CERT_STORE_PROV_FILENAME_W, kMsgEncoding, nullptr, 0,
                             AnsiToWide(roots_.Dir().File("missing"))));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
}

TEST_F(CertStoreTest, IssuerSearchWalksToTheSelfSignedRoot) {
  const std::string bundle = Pki("chain.p7b");
  StoreRef store(
      CertOpenStore(CERT_STORE_PROV_PKCS7, kMsgEncoding, nullptr, 0, CryptDataBlob{bundle}));
  CertRef signer = Load("signer.cer");

  uint32_t flags = CERT_STORE_SIGNATURE_FLAG;
  PCCERT_CONTEXT issuer =
      CertGetIssuerCertificateFromStore(store.get(), signer.get(), nullptr, &flags);
  ASSERT_NE(nullptr, issuer);
  EXPECT_EQ(Pki("intermediate.cer"), issuer->Encoded());
  EXPECT_EQ(0u, flags);  // the intermediate's key verifies the signer

  // No further candidate after it.
  flags = 0;
  PCCERT_CONTEXT again = CertDuplicateCertificateContext(issuer);
  EXPECT_EQ(nullptr, CertGetIssuerCertificateFromStore(store.get(), signer.get(), again, &flags));
  EXPECT_EQ(CRYPT_E_NOT_FOUND, GetLastError());

  flags = CERT_STORE_SIGNATURE_FLAG;
  PCCERT_CONTEXT root = CertGetIssuerCertificateFromStore(store.get(), issuer, nullptr, &flags);
  ASSERT_NE(nullptr, root);
  EXPECT_EQ(Pki("root.cer"), root->Encoded());
  EXPECT_EQ(nullptr, CertGetIssuerCertificateFromStore(store.get(), root, nullptr, &flags));
  EXPECT_EQ(CRYPT_E_SELF_SIGNED, GetLastError());

  // A store without the signer's issuer.
  StoreRef roots(CertOpenStore(CERT_STORE_PROV_MEMORY, kMsgEncoding, nullptr, 0));
  CertAddCertificateContextToStore(roots.get(), root, CERT_STORE_ADD_NEW, nullptr);
  EXPECT_EQ(nullptr, CertGetIssuerCertificateFromStore(roots.get(), signer.get(), nullptr, &flags));
  EXPECT_EQ(CRYPT_E_NOT_FOUND, GetLastError());
  CertFreeCertificateContext(root);
  CertFreeCertificateContext(issuer);
}

TEST_F(CertStoreTest, CrlsAreFoundByIssuerAndPersist) {
  PCCRL_CONTEXT crl = CertCreateCRLContext(kMsgEncoding, Pki("intermediate.crl"));
  ASSERT_NE(nullptr, crl);
  CertRef intermediate = Load("intermediate.cer");
  CertRef revoked = Load("revoked.cer");
  EXPECT_EQ(intermediate->Info().Subject, crl->Info().Issuer);
  ASSERT_EQ(1u, crl->Info().Entries.size());
  EXPECT_EQ(revoked->Info().SerialNumber, crl->Info().Entries[0].SerialNumber);
  EXPECT_NE(0u, crl->Info().NextUpdate.dwHighDateTime);
  {
    StoreRef ca = OpenSystem(CERT_SYSTEM_STORE_CURRENT_USER, u"CA");
    ASSERT_TRUE(CertAddCRLContextToStore(ca.get(), crl, CERT_STORE_ADD_NEWER, nullptr));
    EXPECT_FALSE(CertAddCRLContextToStore(ca.get(), crl, CERT_STORE_ADD_NEWER, nullptr));
    EXPECT_EQ(CRYPT_E_EXISTS, GetLastError());
  }
  CertFreeCRLContext(crl);

  StoreRef ca = OpenSystem(CERT_SYSTEM_STORE_CURRENT_USER, u"CA");
  PCCRL_CONTEXT found =
      CertFindCRLInStore(ca.get(), 0, 0, CRL_FIND_ISSUED_BY, intermediate.get(), nullptr);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(Pki("intermediate.crl"), found->Encoded());
  EXPECT_EQ(nullptr,
            CertFindCRLInStore(ca.get(), 0, 0, CRL_FIND_ISSUED_BY, intermediate.get(), found));
  EXPECT_EQ(CRYPT_E_NOT_FOUND, GetLastError());
  CertRef root = Load("root.cer");
  EXPECT_EQ(nullptr, CertFindCRLInStore(ca.get(), 0, 0, CRL_FIND_ISSUED_BY, root.get(), nullptr));
}

}  // namespace
