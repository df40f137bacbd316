#include "lib/crypto/kestrin_certificate.h"

#include "lib/foundation/errors.h"
#include "lib/foundation/text_routines.h"

CKestrinCertificate::~CKestrinCertificate() {
  if (owned_ && context_ != nullptr) CertFreeCertificateContext(context_);
}

void CKestrinCertificate::DropOwned(PCCERT_CONTEXT next) {
  // An owned context that is attached again was handed over once more:
  // the reference held so far goes either way.
  if (owned_ && context_ != nullptr) CertFreeCertificateContext(context_);
  context_ = next;
  owned_ = false;
}

void CKestrinCertificate::LoadFromText(const std::string& text) {
  const std::string bytes = DecodeText(text, kCertificateText);
  PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, bytes);
  if (context == nullptr) RaiseLastOSError();
  DropOwned(context);
  owned_ = true;
  valid_ = false;
  valid_ = parts_.Attach(context_);
  if (!valid_) RaiseError("Error open certificate");
}

void CKestrinCertificate::Attach(PCCERT_CONTEXT context, bool owned) {
  valid_ = false;
  if (!parts_.Attach(context)) return;
  DropOwned(context);
  owned_ = owned;
  valid_ = true;
}

bool CKestrinCertificate::AttachOwned(PCCERT_CONTEXT context) {
  Attach(context, true);
  // Only a context that was attached gets the reference the destructor drops.
  if (valid_) parts_.DuplicateContext();
  return valid_;
}

std::string CKestrinCertificate::GetThumbprint() const {
  uint32_t size = 0;
  if (!CertGetCertificateContextProperty(context_, CERT_SHA1_HASH_PROP_ID, nullptr, &size)) {
    RaiseLastOSError();
  }
  std::string hash(size, '\0');
  if (!CertGetCertificateContextProperty(context_, CERT_SHA1_HASH_PROP_ID, hash.data(), &size)) {
    RaiseLastOSError();
  }
  return BinToHex(hash.data(), size);
}

std::string CKestrinCertificate::DecodeText(const std::string& text, TextKind kind) {
  const bool request = kind == kRequestText;
  const std::string begin =
      request ? "-----BEGIN CERTIFICATE REQUEST-----" : "-----BEGIN CERTIFICATE-----";
  const std::string end =
      request ? "-----END CERTIFICATE REQUEST-----" : "-----END CERTIFICATE-----";
  const std::string rest = ReplaceAll(ReplaceAll(ReplaceAll(text, begin, ""), end, ""), "\r\n", "");
  if (IsBase64(rest)) return Base64Decode(rest);
  return text;
}

bool CKestrinCertificate::IsBase64(const std::string& text) {
  for (unsigned char c : text) {
    const bool alphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '+' || c == '/' || c == '=' || c == ' ';
    if (!alphabet && c != '\r' && c != '\n') return false;
  }
  return true;
}
