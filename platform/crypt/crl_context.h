// CRL contexts: the exact DER bytes of a certificate revocation list and its
// decoded fields, shared by reference count like certificate contexts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypt/cert_context.h"

struct CrlEntry {
  std::string SerialNumber;  // content octets, least significant byte first
  FILETIME RevocationDate{};
  std::vector<CertExtension> Extensions;
};

struct CrlInfo {
  uint32_t Version = 0;  // 0 = v1, 1 = v2
  CryptAlgorithmIdentifier SignatureAlgorithm;
  std::string Issuer;  // DER name
  FILETIME ThisUpdate{};
  FILETIME NextUpdate{};  // zero when the list has none
  std::vector<CrlEntry> Entries;
  std::vector<CertExtension> Extensions;
};

class CrlContext {
 public:
  uint32_t EncodingType() const { return encoding_type_; }
  const std::string& Encoded() const { return encoded_; }
  const CrlInfo& Info() const { return info_; }

  CrlContext(const CrlContext&) = delete;
  CrlContext& operator=(const CrlContext&) = delete;

 private:
  friend struct crypt_detail::ContextAccess;
  CrlContext(uint32_t encoding_type, std::string encoded, CrlInfo info);
  ~CrlContext();

  uint32_t encoding_type_;
  std::string encoded_;
  CrlInfo info_;
  std::unique_ptr<crypt_detail::ContextState> state_;
};
using PCCRL_CONTEXT = const CrlContext*;

// A new free context over a copy of the first DER element of `encoded`;
// null and CRYPT_E_ASN1_BADTAG / CRYPT_E_ASN1_EOD when it is not a CRL.
PCCRL_CONTEXT CertCreateCRLContext(uint32_t encoding_type, std::string_view encoded);
PCCRL_CONTEXT CertDuplicateCRLContext(PCCRL_CONTEXT context);
bool CertFreeCRLContext(PCCRL_CONTEXT context);
