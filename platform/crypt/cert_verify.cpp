#include "platform/crypt/cert_verify.h"

#include <openssl/err.h>
#include <openssl/x509.h>

#include "platform/crypt/detail/gost_engine.h"
#include "platform/crypt/detail/ossl.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

bool Fail(uint32_t error) {
  ERR_clear_error();
  SetLastError(error);
  return false;
}

// Checks the arguments and the provider, then whether the issuer's public
// key verifies with `verify`.
template <typename Subject, typename Verify>
bool VerifiedWithKeyOf(uint32_t encoding_type, Subject subject, PCCERT_CONTEXT issuer,
                       Verify verify) {
  if (subject == nullptr || issuer == nullptr || (encoding_type & X509_ASN_ENCODING) == 0) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (!crypt_detail::RequireGost()) return false;
  auto certificate = crypt_detail::ToX509(issuer->Encoded());
  EVP_PKEY* key = certificate ? X509_get0_pubkey(certificate.get()) : nullptr;
  if (key == nullptr || !verify(key)) return Fail(NTE_BAD_SIGNATURE);
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace

bool CryptVerifyCertificateSignatureEx(HCRYPTPROV, uint32_t encoding_type, PCCRL_CONTEXT crl,
                                       PCCERT_CONTEXT issuer) {
  return VerifiedWithKeyOf(encoding_type, crl, issuer, [&](EVP_PKEY* key) {
    const std::string& der = crl->Encoded();
    const auto* p = reinterpret_cast<const unsigned char*>(der.data());
    X509CrlPtr list(d2i_X509_CRL(nullptr, &p, static_cast<long>(der.size())));
    return list && X509_CRL_verify(list.get(), key) == 1;
  });
}

bool CryptVerifyCertificateSignatureEx(HCRYPTPROV, uint32_t encoding_type, PCCERT_CONTEXT subject,
                                       PCCERT_CONTEXT issuer) {
  return VerifiedWithKeyOf(encoding_type, subject, issuer, [&](EVP_PKEY* key) {
    auto signed_certificate = crypt_detail::ToX509(subject->Encoded());
    return signed_certificate && X509_verify(signed_certificate.get(), key) == 1;
  });
}
