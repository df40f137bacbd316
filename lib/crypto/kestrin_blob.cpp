#include "lib/crypto/kestrin_blob.h"

#include "lib/foundation/errors.h"
#include "lib/foundation/text_routines.h"
#include "platform/crypt/crypt_encode.h"

bool CKestrinCryptoSerialNumberBlob::Assign(const std::string& serial) {
  data_ = &serial;
  valid_ = true;
  return true;
}

std::string CKestrinCryptoSerialNumberBlob::GetValue() const {
  if (!valid_ || data_ == nullptr) return std::string();
  const std::string hex = BinToHex(data_->data(), data_->size());
  // The bytes are kept least significant first: reverse the digit pairs.
  std::string value;
  for (size_t i = hex.size(); i >= 2; i -= 2) value.append(hex, i - 2, 2);
  return value;
}

bool CKestrinCryptoObject::SetEncoded(const std::string& encoded) {
  encoded_ = &encoded;
  valid_ = Decode(decoded_);
  return valid_;
}

bool CKestrinCryptoObject::Decode(CertNameInfo& decoded) const {
  if (encoded_ == nullptr || !CryptDecodeObject(encoding_type_, *encoded_, &decoded)) {
    RaiseLastOSError();
  }
  return true;
}

std::string CKestrinCryptoObject::GetValue() const {
  constexpr uint32_t kFlags = CERT_OID_NAME_STR | CERT_NAME_STR_NO_PLUS_FLAG;
  const std::string_view name = encoded_ != nullptr ? std::string_view(*encoded_) : "";
  const uint32_t length = CertNameToStrA(encoding_type_, name, kFlags, nullptr, 0);
  std::string text(length, '\0');
  if (length == 0 || CertNameToStrA(encoding_type_, name, kFlags, text.data(), length) == 0) {
    RaiseError("CertNameToStr");
  }
  text.resize(length - 1);
  return text;
}

bool CKestrinCryptoAlgorithm::Assign(const CryptAlgorithmIdentifier& identifier) {
  identifier_ = &identifier;
  valid_ = true;
  return true;
}

std::string CKestrinCryptoAlgorithm::GetValue() const {
  return identifier_ != nullptr ? identifier_->ObjId : std::string();
}

bool CKestrinCryptoPublicKeyInfo::Assign(const CertPublicKeyInfo& info) {
  info_ = &info;
  valid_ = algorithm_.Assign(info.Algorithm);
  return valid_;
}

bool CKestrinCertificateContext::Attach(PCCERT_CONTEXT context) {
  if (context == nullptr) return false;
  context_ = context;
  cert_info_ = &context->Info();
  serial_number_.Assign(cert_info_->SerialNumber);
  if (!subject_name_.SetEncoded(cert_info_->Subject)) return false;
  if (!issuer_name_.SetEncoded(cert_info_->Issuer)) return false;
  if (!public_key_info_.Assign(cert_info_->SubjectPublicKeyInfo)) return false;
  return signature_algorithm_.Assign(cert_info_->SignatureAlgorithm);
}

PCCERT_CONTEXT CKestrinCertificateContext::DuplicateContext() const {
  return CertDuplicateCertificateContext(context_);
}
