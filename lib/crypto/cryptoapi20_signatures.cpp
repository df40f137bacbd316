// Signature routines of CCryptoAPI20Utils: the signer's certificate of a
// PKCS #7 signature and the signer-certificate callback of a verification.
#include "lib/crypto/cryptoapi20_guards.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/str_array.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/last_error.h"

PCCERT_CONTEXT CCryptoAPI20Utils::GetSignerFromSignature(const std::string& signature) {
  // The signature is read as it is, in memory: no temporary file to leave
  // behind or to race for.
  StoreRef store(
      CertOpenStore(CERT_STORE_PROV_PKCS7, kMsgEncoding, nullptr, 0, CryptDataBlob{signature}));
  if (store.get() == nullptr) {
    RaiseErrorFmt("Не удалось извлечь подписанта из подписи. Неверный формат подписи: %s",
                  {LastErrorText()});
  }
  return CertEnumCertificatesInStore(store.get(), nullptr);
}

PCCERT_CONTEXT CCryptoAPI20Utils::GetSignerCertificate(CStrArray* list, uint32_t,
                                                       const CertInfo& signer_id,
                                                       HCERTSTORE message_store) {
  CertEnumerator walk(message_store);
  while (walk.Next()) {
    const CertInfo& info = walk.Current()->Info();
    if (!BlobsEqual(info.SerialNumber, signer_id.SerialNumber) ||
        !BlobsEqual(info.Issuer, signer_id.Issuer)) {
      continue;
    }
    if (list != nullptr) {
      CertRef kept(CertDuplicateCertificateContext(walk.Current()));
      // A list that ignores a duplicate does not keep the reference.
      if (list->AddObject(std::string(), const_cast<CertContext*>(kept.get())) >= 0) {
        kept.release();
      }
    }
    return walk.Take();  // the verification releases this reference
  }
  // Zero tells the caller that the signer's certificate is missing.
  SetLastError(0);
  return nullptr;
}
