// Import routines of CCryptoAPI20Utils: certificates from PEM, base64, DER
// and PKCS #7 bundles, CRLs from DER, and the store each certificate suits.
#include "lib/crypto/cryptoapi20_guards.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/text_routines.h"
#include "lib/foundation/value_check_tool.h"
#include "platform/crypt/crypt_refs.h"

namespace {

// Every occurrence removed, in exact case.
std::string RemoveExact(std::string text, const std::string& marker) {
  for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
    text.erase(at, marker.size());
  }
  return text;
}

// The PEM markers removed; base64 text decoded, anything else kept as DER.
std::string CertificateBytes(const std::string& text) {
  const std::string rest =
      RemoveExact(RemoveExact(text, "-----BEGIN CERTIFICATE-----"), "-----END CERTIFICATE-----");
  return IsBase64Text(rest) ? Base64Decode(rest) : rest;
}

}  // namespace

PCCERT_CONTEXT CCryptoAPI20Utils::ImportCertificate(const std::string& text) {
  CValueCheckTool::CheckNotEmpty(text, "CertificateBody");
  PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, CertificateBytes(text));
  if (context == nullptr) RaiseError("Ошибка при импорте сертификата: " + LastErrorText());
  return context;
}

PCCRL_CONTEXT CCryptoAPI20Utils::ImportCRL(const std::string& bytes) {
  CValueCheckTool::CheckNotEmpty(bytes, "CRLBody");
  PCCRL_CONTEXT context = CertCreateCRLContext(kMsgEncoding, bytes);
  if (context == nullptr) {
    RaiseError("Ошибка при импорте CRL (неверный формат?): " + LastErrorText());
  }
  return context;
}

void CCryptoAPI20Utils::ImportCertificates(HCRYPTPROV prov, int location, const std::string& text,
                                           const std::string& container) {
  const std::string bytes = CertificateBytes(text);
  DebugLog("Ready to open store: %s", {bytes});
  StoreRef bundle(CertOpenStore(CERT_STORE_PROV_PKCS7, kMsgEncoding, prov, CERT_STORE_READONLY_FLAG,
                                CryptDataBlob{bytes}));
  if (bundle.get() != nullptr) {
    CertEnumerator walk(bundle.get());
    while (walk.Next()) ImportCertificateAuto(prov, walk.Current(), container, location);
    return;
  }
  CertRef single(ImportCertificate(bytes));
  ImportCertificateAuto(prov, single.get(), container, location);
}

void CCryptoAPI20Utils::ImportCertificateAuto(HCRYPTPROV prov, PCCERT_CONTEXT certificate,
                                              const std::string& container, int location) {
  constexpr int kStoreRoot = 2, kStoreCa = 3, kStoreAddressBook = 4;
  int kind = kStoreAddressBook;
  if (IsCACertificate(certificate)) {
    kind = kStoreCa;
  } else if (IsSelfSigned(certificate)) {
    kind = kStoreRoot;
  }
  AddCertificateToStore(prov, location, kind, certificate, container);
}
