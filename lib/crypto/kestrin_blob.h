// The part objects of a decoded certificate. Each borrows its bytes from the
// certificate context it was filled from: the context must outlive it.
#pragma once

#include <cstdint>
#include <string>

#include "lib/foundation/base_class.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_name.h"
#include "platform/crypt/crypt_defs.h"

// Of the library's family, so that a list owning its objects can free a
// certificate object among others.
class CKestrinCryptoBlob : public CBaseClass {
 public:
  // The part's value as 8-bit text.
  virtual std::string GetValue() const = 0;
  bool Valid() const { return valid_; }
  uint32_t EncodingType() const { return encoding_type_; }

 protected:
  CKestrinCryptoBlob() = default;

  bool valid_ = false;
  uint32_t encoding_type_ = kMsgEncoding;
};

// The serial number; GetValue gives it most significant byte first.
class CKestrinCryptoSerialNumberBlob : public CKestrinCryptoBlob {
 public:
  CKestrinCryptoSerialNumberBlob() = default;
  // `serial` holds the bytes least significant first (borrowed).
  bool Assign(const std::string& serial);
  // Upper-case hex, most significant byte first; empty when not valid.
  std::string GetValue() const override;
  uint32_t Length() const { return data_ ? static_cast<uint32_t>(data_->size()) : 0; }

 private:
  const std::string* data_ = nullptr;
};

// An encoded distinguished name and its decoded form.
class CKestrinCryptoObject : public CKestrinCryptoBlob {
 public:
  CKestrinCryptoObject() = default;
  // Borrows the DER name and decodes it; a name that does not decode raises
  // the system error.
  bool SetEncoded(const std::string& encoded);
  // Decodes the name into `decoded`: true, or the system error.
  bool Decode(CertNameInfo& decoded) const;
  // "OID=value" attributes in encoding order joined by ", "; raises
  // "CertNameToStr" when the name cannot be written.
  std::string GetValue() const override;
  const CertNameInfo& Decoded() const { return decoded_; }

 private:
  const std::string* encoded_ = nullptr;
  CertNameInfo decoded_;
};

class CKestrinCryptoAlgorithm : public CKestrinCryptoBlob {
 public:
  CKestrinCryptoAlgorithm() = default;
  bool Assign(const CryptAlgorithmIdentifier& identifier);
  // The algorithm's OID text.
  std::string GetValue() const override;

 private:
  const CryptAlgorithmIdentifier* identifier_ = nullptr;
};

class CKestrinCryptoPublicKeyInfo : public CKestrinCryptoBlob {
 public:
  CKestrinCryptoPublicKeyInfo() = default;
  bool Assign(const CertPublicKeyInfo& info);
  // The key has no text of its own: the empty string.
  std::string GetValue() const override { return std::string(); }
  const CKestrinCryptoAlgorithm& Algorithm() const { return algorithm_; }
  const CertPublicKeyInfo* Info() const { return info_; }

 private:
  const CertPublicKeyInfo* info_ = nullptr;
  CKestrinCryptoAlgorithm algorithm_;
};

// Every part of one attached certificate context.
class CKestrinCertificateContext : public CKestrinCryptoObject {
 public:
  CKestrinCertificateContext() = default;
  // Borrows the context and fills the parts; false for null. A name that
  // does not decode raises the system error.
  bool Attach(PCCERT_CONTEXT context);
  PCCERT_CONTEXT GetCertContext() const { return context_; }
  // One more reference to the attached context, for the caller.
  PCCERT_CONTEXT DuplicateContext() const;
  std::string GetSubjectName() const { return subject_name_.GetValue(); }
  std::string GetIssuerName() const { return issuer_name_.GetValue(); }

  const CertInfo* GetCertInfo() const { return cert_info_; }
  const CKestrinCryptoSerialNumberBlob& SerialNumber() const { return serial_number_; }
  const CKestrinCryptoObject& SubjectName() const { return subject_name_; }
  const CKestrinCryptoObject& IssuerName() const { return issuer_name_; }
  const CKestrinCryptoPublicKeyInfo& PublicKeyInfo() const { return public_key_info_; }
  const CKestrinCryptoAlgorithm& SignatureAlgorithm() const { return signature_algorithm_; }

 private:
  PCCERT_CONTEXT context_ = nullptr;
  const CertInfo* cert_info_ = nullptr;  // inside the context
  CKestrinCryptoSerialNumberBlob serial_number_;
  CKestrinCryptoObject subject_name_;
  CKestrinCryptoObject issuer_name_;
  CKestrinCryptoPublicKeyInfo public_key_info_;
  CKestrinCryptoAlgorithm signature_algorithm_;
};
