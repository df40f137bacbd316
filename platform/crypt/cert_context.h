// Certificate contexts: the exact DER bytes of a certificate, its decoded
// fields and its properties, shared by reference count.
//
// A context made by CertCreateCertificateContext belongs to no store; one
// handed out by a store (enumeration, add, issuer search) belongs to that
// store, and a property set on it is written back to the store at once.
// Every context handed out carries one reference for the caller, who drops
// it with CertFreeCertificateContext.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypt/crypt_defs.h"
#include "platform/kernel/file_time.h"

struct CertExtension {
  std::string ObjId;
  bool Critical = false;
  std::string Value;  // the DER of the extension's own value (extnValue's content)
};

struct CertPublicKeyInfo {
  CryptAlgorithmIdentifier Algorithm;
  std::string PublicKey;  // the BIT STRING's bytes, without the unused-bits octet
};

// The decoded "to be signed" part. Names are kept as their DER bytes, so
// names compare as bytes.
struct CertInfo {
  uint32_t Version = 0;  // 0 = v1, 2 = v3
  // The INTEGER's content octets, least significant byte first, as the
  // platform keeps them: a leading zero octet of the encoding is kept.
  std::string SerialNumber;
  CryptAlgorithmIdentifier SignatureAlgorithm;
  std::string Issuer;
  FILETIME NotBefore{};
  FILETIME NotAfter{};
  std::string Subject;
  CertPublicKeyInfo SubjectPublicKeyInfo;
  std::vector<CertExtension> Extensions;
};

constexpr uint32_t CERT_KEY_PROV_INFO_PROP_ID = 2;
constexpr uint32_t CERT_SHA1_HASH_PROP_ID = 3;

// Flags of CryptKeyProvInfo.
constexpr uint32_t CERT_SET_KEY_CONTEXT_PROP_ID = 0x00000001;

// The value of CERT_KEY_PROV_INFO_PROP_ID: the key container that holds the
// certificate's private key.
struct CryptKeyProvInfo {
  std::u16string ContainerName;
  std::u16string ProvName;
  uint32_t ProvType = 0;
  uint32_t Flags = 0;  // CRYPT_MACHINE_KEYSET: the container is the machine's
  uint32_t KeySpec = 0;
};

namespace crypt_detail {
struct ContextState;
struct ContextAccess;
}  // namespace crypt_detail

class CertContext {
 public:
  uint32_t EncodingType() const { return encoding_type_; }
  const std::string& Encoded() const { return encoded_; }
  const CertInfo& Info() const { return info_; }

  CertContext(const CertContext&) = delete;
  CertContext& operator=(const CertContext&) = delete;

 private:
  friend struct crypt_detail::ContextAccess;
  CertContext(uint32_t encoding_type, std::string encoded, CertInfo info);
  ~CertContext();

  uint32_t encoding_type_;
  std::string encoded_;
  CertInfo info_;
  // Reference count, properties and the owning store.
  std::unique_ptr<crypt_detail::ContextState> state_;
};
using PCCERT_CONTEXT = const CertContext*;

// A new free context over a copy of the first DER element of `encoded`.
// Null and CRYPT_E_ASN1_BADTAG (or CRYPT_E_ASN1_EOD for truncated bytes)
// when it is not a certificate. The certificate's signature is not checked.
PCCERT_CONTEXT CertCreateCertificateContext(uint32_t encoding_type, std::string_view encoded);
// Takes one more reference and returns the same context; null stays null.
PCCERT_CONTEXT CertDuplicateCertificateContext(PCCERT_CONTEXT context);
// Drops one reference; the context goes with its last one. Null is allowed.
bool CertFreeCertificateContext(PCCERT_CONTEXT context);

// CERT_SHA1_HASH_PROP_ID (20 bytes, computed from the DER). With a null
// `data`, `*size` gets the length; a `*size` too small fails with
// ERROR_MORE_DATA and gets the length. An unknown id: CRYPT_E_NOT_FOUND.
bool CertGetCertificateContextProperty(PCCERT_CONTEXT context, uint32_t prop_id, void* data,
                                       uint32_t* size);
// CERT_KEY_PROV_INFO_PROP_ID; false and CRYPT_E_NOT_FOUND when it is not set.
bool CertGetCertificateContextProperty(PCCERT_CONTEXT context, uint32_t prop_id,
                                       CryptKeyProvInfo* info);
// Sets CERT_KEY_PROV_INFO_PROP_ID (null removes it). A context of a
// persistent store writes the change to the store; a read-only store
// refuses it with ERROR_ACCESS_DENIED and the context keeps its old value.
bool CertSetCertificateContextProperty(PCCERT_CONTEXT context, uint32_t prop_id, uint32_t flags,
                                       const CryptKeyProvInfo* info);

// The first extension with the OID, or null.
const CertExtension* CertFindExtension(std::string_view obj_id,
                                       const std::vector<CertExtension>& extensions);
