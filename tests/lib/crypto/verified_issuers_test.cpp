#include "lib/crypto/verified_issuers.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/crypt_roots.h"
#include "tests/support/test_pki.h"

namespace {

TEST(VerifiedIssuersTest, AnIssuerIsVerifiedOnceAndAWrongOneNever) {
  CryptRoots roots;
  PCCERT_CONTEXT signer = CertCreateCertificateContext(kMsgEncoding, Pki("signer.cer"));
  PCCERT_CONTEXT intermediate = CertCreateCertificateContext(kMsgEncoding, Pki("intermediate.cer"));
  PCCERT_CONTEXT root = CertCreateCertificateContext(kMsgEncoding, Pki("root.cer"));
  PCCRL_CONTEXT crl = CertCreateCRLContext(kMsgEncoding, Pki("intermediate.crl"));
  CVerifiedIssuers issuers;
  EXPECT_TRUE(issuers.Signed(signer, intermediate));
  EXPECT_TRUE(issuers.Signed(crl, intermediate));
  EXPECT_FALSE(issuers.Signed(signer, root));
  EXPECT_FALSE(issuers.Signed(crl, root));

  // Without the provider nothing can be verified any more: what was
  // verified stays so, and what was not still is not.
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  EXPECT_TRUE(issuers.Signed(signer, intermediate));
  EXPECT_TRUE(issuers.Signed(crl, intermediate));
  EXPECT_FALSE(issuers.Signed(signer, root));
  EXPECT_FALSE(issuers.Signed(intermediate, root));
  EXPECT_FALSE(CVerifiedIssuers().Signed(signer, intermediate));

  CertFreeCRLContext(crl);
  CertFreeCertificateContext(root);
  CertFreeCertificateContext(intermediate);
  CertFreeCertificateContext(signer);
}

}  // namespace
