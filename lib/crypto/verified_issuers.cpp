#include "lib/crypto/verified_issuers.h"

#include "platform/crypt/cert_verify.h"
#include "platform/crypt/crypt_defs.h"

namespace {

template <typename Verify>
bool Remembered(std::set<std::pair<std::string, std::string>>& verified,
                const std::string& signed_der, const std::string& issuer_der, Verify verify) {
  std::pair<std::string, std::string> key(signed_der, issuer_der);
  if (verified.count(key) != 0) return true;
  if (!verify()) return false;
  verified.insert(std::move(key));
  return true;
}

}  // namespace

bool CVerifiedIssuers::Signed(PCCERT_CONTEXT subject, PCCERT_CONTEXT issuer) {
  return Remembered(verified_, subject->Encoded(), issuer->Encoded(), [&] {
    return CryptVerifyCertificateSignatureEx(nullptr, kMsgEncoding, subject, issuer);
  });
}

bool CVerifiedIssuers::Signed(PCCRL_CONTEXT crl, PCCERT_CONTEXT issuer) {
  return Remembered(verified_, crl->Encoded(), issuer->Encoded(), [&] {
    return CryptVerifyCertificateSignatureEx(nullptr, kMsgEncoding, crl, issuer);
  });
}
