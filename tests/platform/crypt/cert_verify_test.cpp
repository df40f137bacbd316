#include "platform/crypt/cert_verify.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/test_pki.h"

namespace {

struct Pair {
  PCCRL_CONTEXT crl;
  PCCERT_CONTEXT issuer;
  Pair(const std::string& crl_bytes, const std::string& issuer_name)
      : crl(CertCreateCRLContext(kMsgEncoding, crl_bytes)),
        issuer(CertCreateCertificateContext(kMsgEncoding, Pki(issuer_name))) {}
  ~Pair() {
    CertFreeCRLContext(crl);
    CertFreeCertificateContext(issuer);
  }
  bool Verify() const {
    return CryptVerifyCertificateSignatureEx(nullptr, kMsgEncoding, crl, issuer);
  }
};

TEST(CertVerifyTest, CrlVerifiesOnlyWithItsIssuersKey) {
  CryptRoots roots;
  struct Case {
    const char* crl;
    const char* issuer;
    bool verifies;
  } cases[] = {
      {"intermediate.crl", "intermediate.cer", true}, {"root.crl", "root.cer", true},
      {"intermediate.crl", "root.cer", false},        {"root.crl", "intermediate.cer", false},
      {"intermediate.crl", "signer.cer", false},
  };
  for (const Case& c : cases) {
    Pair pair(Pki(c.crl), c.issuer);
    ASSERT_NE(nullptr, pair.crl);
    SetLastError(12345);
    EXPECT_EQ(c.verifies, pair.Verify()) << c.crl << " / " << c.issuer;
    EXPECT_EQ(c.verifies ? ERROR_SUCCESS : NTE_BAD_SIGNATURE, GetLastError()) << c.crl;
  }
}

TEST(CertVerifyTest, CertificateVerifiesOnlyWithItsIssuersKey) {
  CryptRoots roots;
  const struct {
    const char* subject;
    const char* issuer;
    bool verifies;
  } cases[] = {
      {"signer.cer", "intermediate.cer", true},
      {"intermediate.cer", "root.cer", true},
      {"signer.cer", "root.cer", false},
      {"intermediate.cer", "intermediate.cer", false},
  };
  for (const auto& c : cases) {
    PCCERT_CONTEXT subject = CertCreateCertificateContext(kMsgEncoding, Pki(c.subject));
    PCCERT_CONTEXT issuer = CertCreateCertificateContext(kMsgEncoding, Pki(c.issuer));
    SetLastError(12345);
    EXPECT_EQ(c.verifies, CryptVerifyCertificateSignatureEx(nullptr, kMsgEncoding, subject, issuer))
        << c.subject << " / " << c.issuer;
    EXPECT_EQ(c.verifies ? ERROR_SUCCESS : NTE_BAD_SIGNATURE, GetLastError()) << c.subject;
    EXPECT_FALSE(
        CryptVerifyCertificateSignatureEx(nullptr, kMsgEncoding, PCCERT_CONTEXT{nullptr}, issuer));
    CertFreeCertificateContext(subject);
    CertFreeCertificateContext(issuer);
  }
}

TEST(CertVerifyTest, ChangedSignatureFails) {
  CryptRoots roots;
  std::string crl = Pki("intermediate.crl");
  crl[crl.size() - 5] ^= 0x01;  // inside the signature value, the last field
  Pair pair(crl, "intermediate.cer");
  ASSERT_NE(nullptr, pair.crl);
  EXPECT_FALSE(pair.Verify());
  EXPECT_EQ(NTE_BAD_SIGNATURE, GetLastError());
}

TEST(CertVerifyTest, RefusesMissingArgumentsAndWorksOnlyWithTheProvider) {
  CryptRoots roots;
  Pair pair(Pki("intermediate.crl"), "intermediate.cer");
  EXPECT_FALSE(CryptVerifyCertificateSignatureEx(nullptr, kMsgEncoding, PCCRL_CONTEXT{nullptr},
                                                 pair.issuer));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
  EXPECT_FALSE(CryptVerifyCertificateSignatureEx(nullptr, kMsgEncoding, pair.crl, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
  EXPECT_FALSE(
      CryptVerifyCertificateSignatureEx(nullptr, PKCS_7_ASN_ENCODING, pair.crl, pair.issuer));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());

  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  EXPECT_FALSE(pair.Verify());
  EXPECT_EQ(NTE_PROV_TYPE_NOT_DEF, GetLastError());
}

}  // namespace
