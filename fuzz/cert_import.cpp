// Certificates, CRLs and PKCS #7 bundles as the library imports them (from
// files, from packages, from addresses that certificates name), with the
// fields it reads from a certificate.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lib/crypto/cryptoapi20_guards.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/exception.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crypt_defs.h"
#include "platform/crypt/crypt_refs.h"

namespace {

void ReadFields(PCCERT_CONTEXT certificate) {
  try {
    CCryptoAPI20Utils::GetSubjectCN(certificate);
    CCryptoAPI20Utils::GetIssuerCN(certificate);
    CCryptoAPI20Utils::IsSelfSigned(certificate);
    CCryptoAPI20Utils::IsCACertificate(certificate);
    CCryptoAPI20Utils::GetThumbprint(certificate);
    CCryptoAPI20Utils::GetSerialNumber(certificate);
    CCryptoAPI20Utils::GetCRLDistributionPoints(certificate);
    CCryptoAPI20Utils::GetCAIssuersUrl(certificate);
  } catch (const Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    const CertRef certificate(CCryptoAPI20Utils::ImportCertificate(bytes));
    if (certificate) ReadFields(certificate.get());
  } catch (const Exception&) {
  }
  try {
    const CrlRef crl(CCryptoAPI20Utils::ImportCRL(bytes));
  } catch (const Exception&) {
  }
  const StoreRef bundle(CertOpenStore(CERT_STORE_PROV_PKCS7, kMsgEncoding, nullptr,
                                      CERT_STORE_READONLY_FLAG, CryptDataBlob{bytes}));
  if (bundle != nullptr) {
    CertEnumerator walk(bundle.get());
    while (walk.Next()) ReadFields(walk.Current());
  }
  return 0;
}
