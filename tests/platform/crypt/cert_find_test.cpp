// The current user's "MY" store opened by name, a certificate found in it by
// its SHA-1 hash, and the private key its key-provider property leads to.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/crypt/cert_store.h"
#include "platform/crypt/crypt_prov.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/crypt/ossl_ptr.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/openssl.h"
#include "tests/support/test_pki.h"

namespace {

std::string HexBytes(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

// The SHA-1 hash as the openssl command computes it.
std::string Sha1Of(const std::string& name) { return HexBytes(OpensslSha1(PkiPath(name))); }

CryptKeyProvInfo KeyProv(const char16_t* container) {
  CryptKeyProvInfo info;
  info.ContainerName = container;
  info.ProvType = kGostProviderType;
  info.KeySpec = AT_KEYEXCHANGE;
  return info;
}

class CertFindTest : public testing::Test {
 protected:
  // Adds the test PKI's certificate to the current user's "MY", bound to
  // `container` when one is named.
  void AddToMy(const std::string& name, const char16_t* container = nullptr) {
    StoreRef my(CertOpenSystemStoreA(nullptr, "MY"));
    ASSERT_NE(nullptr, my);
    CertRef certificate(CertCreateCertificateContext(kMsgEncoding, Pki(name + ".cer")));
    ASSERT_NE(nullptr, certificate);
    const CryptKeyProvInfo info = KeyProv(container == nullptr ? u"" : container);
    if (container != nullptr) {
      ASSERT_TRUE(CertSetCertificateContextProperty(certificate.get(), CERT_KEY_PROV_INFO_PROP_ID,
                                                    0, &info));
    }
    ASSERT_TRUE(
        CertAddCertificateContextToStore(my.get(), certificate.get(), CERT_STORE_ADD_NEW, nullptr));
  }

  // A new container of the current user with the test PKI's key `name`.
  static void MakeContainer(const char* container, const std::string& name) {
    HCRYPTPROV prov = nullptr;
    ASSERT_TRUE(
        CryptAcquireContextA(&prov, container, nullptr, kGostProviderType, CRYPT_NEWKEYSET));
    ASSERT_TRUE(CryptImportPemKey(prov, Pki(name + ".key"), nullptr));
    CryptReleaseContext(prov, 0);
  }

  CryptRoots roots_;
};

TEST_F(CertFindTest, FindsBySha1AmongOthersAndMovesOn) {
  AddToMy("signer");
  AddToMy("signer2");
  AddToMy("root");
  StoreRef my(CertOpenSystemStoreA(nullptr, "my"));  // the name's case does not matter
  ASSERT_NE(nullptr, my);
  const std::string sha1 = Sha1Of("signer2.cer");
  const CryptDataBlob hash{sha1};
  CertRef found(
      CertFindCertificateInStore(my.get(), kMsgEncoding, 0, CERT_FIND_SHA1_HASH, &hash, nullptr));
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(Pki("signer2.cer"), found->Encoded());

  // The search goes on after `previous`, which it frees: no second match.
  EXPECT_EQ(nullptr, CertFindCertificateInStore(my.get(), kMsgEncoding, 0, CERT_FIND_SHA1_HASH,
                                                &hash, found.release()));
  EXPECT_EQ(CRYPT_E_NOT_FOUND, GetLastError());
}

TEST_F(CertFindTest, MissesAndRefusals) {
  AddToMy("signer");
  StoreRef my(CertOpenSystemStoreA(nullptr, "MY"));
  ASSERT_NE(nullptr, my);
  const std::string sha1 = Sha1Of("signer.cer");
  struct Case {
    const char* what;
    std::string hash;
    uint32_t find_type;
    uint32_t error;
  } cases[] = {
      {"another certificate", Sha1Of("signer2.cer"), CERT_FIND_SHA1_HASH, CRYPT_E_NOT_FOUND},
      {"hash cut short", sha1.substr(0, 19), CERT_FIND_SHA1_HASH, CRYPT_E_NOT_FOUND},
      {"hash with a byte more", sha1 + '\0', CERT_FIND_SHA1_HASH, CRYPT_E_NOT_FOUND},
      {"empty hash", "", CERT_FIND_SHA1_HASH, CRYPT_E_NOT_FOUND},
      {"another find type", sha1, 0x00080007, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CryptDataBlob blob{c.hash};
    EXPECT_EQ(nullptr,
              CertFindCertificateInStore(my.get(), kMsgEncoding, 0, c.find_type, &blob, nullptr));
    EXPECT_EQ(c.error, GetLastError());
  }
  EXPECT_EQ(nullptr, CertFindCertificateInStore(my.get(), kMsgEncoding, 0, CERT_FIND_SHA1_HASH,
                                                nullptr, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
  EXPECT_EQ(nullptr, CertOpenSystemStoreA(nullptr, ""));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
}

TEST_F(CertFindTest, SystemStoreOpensReadOnlyWhereItCannotBeWritten) {
  AddToMy("signer");
  const std::string folder = roots_.User() + "/stores/my";
  ASSERT_EQ(0, ::chmod(folder.c_str(), 0555));
  StoreRef my(CertOpenSystemStoreA(nullptr, "MY"));
  ::chmod(folder.c_str(), 0755);
  ASSERT_NE(nullptr, my);
  const std::string sha1 = Sha1Of("signer.cer");
  const CryptDataBlob hash{sha1};
  CertRef found(
      CertFindCertificateInStore(my.get(), kMsgEncoding, 0, CERT_FIND_SHA1_HASH, &hash, nullptr));
  EXPECT_NE(nullptr, found);
}

TEST_F(CertFindTest, KeyOfTheCertificateSigns) {
  MakeContainer("клиент", "signer2");
  AddToMy("signer2", u"клиент");
  StoreRef my(CertOpenSystemStoreA(nullptr, "MY"));
  ASSERT_NE(nullptr, my);
  CertRef certificate(CertEnumCertificatesInStore(my.get(), nullptr));
  ASSERT_NE(nullptr, certificate);
  PkeyPtr key(CryptAcquireCertificateEvpKey(certificate.get()));
  ASSERT_NE(nullptr, key);
  EXPECT_STREQ("gost2001", OBJ_nid2sn(EVP_PKEY_get_base_id(key.get())));
}

TEST_F(CertFindTest, KeyOfTheCertificateRefused) {
  MakeContainer("чужой", "signer");
  struct Case {
    const char* what;
    const char16_t* container;  // null: no key-provider property
    uint32_t error;
  } cases[] = {
      {"no property", nullptr, CRYPT_E_NO_KEY_PROPERTY},
      {"no such container", u"нет такого", NTE_BAD_KEYSET},
      {"another certificate's key", u"чужой", NTE_BAD_PUBLIC_KEY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CertRef certificate(CertCreateCertificateContext(kMsgEncoding, Pki("signer2.cer")));
    ASSERT_NE(nullptr, certificate);
    if (c.container != nullptr) {
      const CryptKeyProvInfo info = KeyProv(c.container);
      ASSERT_TRUE(CertSetCertificateContextProperty(certificate.get(), CERT_KEY_PROV_INFO_PROP_ID,
                                                    0, &info));
    }
    EXPECT_EQ(nullptr, CryptAcquireCertificateEvpKey(certificate.get()));
    EXPECT_EQ(c.error, GetLastError());
  }
  EXPECT_EQ(nullptr, CryptAcquireCertificateEvpKey(nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
}

}  // namespace
