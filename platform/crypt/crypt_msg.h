// PKCS #7 messages: detached and attached GOST signatures, their
// verification, and GOST 28147-89 enveloped data for one recipient.
//
// Outputs follow the platform's size protocol: a null output only sets
// `*size` to the length needed; a `*size` too small fails with
// ERROR_MORE_DATA and gets the length; on success `*size` is the length
// written.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crypt_prov.h"

// An attribute and the DER of each of its values.
struct CryptAttribute {
  std::string ObjId;
  std::vector<std::string> Values;
};

constexpr const char* kOidPkcs9SigningTime = "1.2.840.113549.1.9.5";

struct CryptSignMessagePara {
  uint32_t MsgEncodingType = 0;
  // Its private key is found through its CERT_KEY_PROV_INFO_PROP_ID.
  PCCERT_CONTEXT SigningCert = nullptr;
  CryptAlgorithmIdentifier HashAlgorithm;  // kOidGostR3411_94
  // Exactly the certificates the message carries.
  std::vector<PCCERT_CONTEXT> MsgCert;
  // Signed attributes besides content type and message digest, which are
  // always added.
  std::vector<CryptAttribute> AuthAttr;
};

// A SignedData over `content`: without the content when `detached`, which
// is then hashed whatever its length; content to go into the message
// above kCryptMaxMessageSize fails with TARVEX_E_MESSAGE_TOO_LARGE. The
// signing certificate without the key-provider property fails with
// CRYPT_E_NO_KEY_PROPERTY; its container's errors are those of
// CryptAcquireContextA and CryptGetUserKey; a hash other than GOST
// R 34.11-94 fails with CRYPT_E_UNKNOWN_ALGO.
bool CryptSignMessage(const CryptSignMessagePara& para, bool detached, std::string_view content,
                      uint8_t* signed_blob, uint32_t* size);

// Finds the signer's certificate for a verification. `signer_id` holds the
// issuer and serial number of the signer; `message_store` the message's own
// certificates. Returns a context with a reference that the verification
// drops, or null.
using GetSignerCertificateFn = std::function<PCCERT_CONTEXT(
    uint32_t encoding_type, const CertInfo& signer_id, HCERTSTORE message_store)>;

// What the verifications of one content's signatures found before they
// ran, on other threads, so that they need not do it again. Each entry is
// a fact of exact bytes.
struct PreparedChecks {
  // The content's digests, each under the dotted OID of its algorithm.
  std::map<std::string, std::string> digests;
  // The signers whose signed attributes verified: the signature's bytes,
  // the signer's index and the DER of the certificate whose key verified
  // them.
  std::set<std::tuple<std::string, uint32_t, std::string>> signers;
};

struct CryptVerifyMessagePara {
  uint32_t MsgAndCertEncodingType = 0;
  HCRYPTPROV Prov = nullptr;
  // Unset: the message's certificate with the signer's issuer and serial.
  GetSignerCertificateFn GetSignerCertificate;
  // Borrowed, or null: what was found before about the content and the
  // signature the verification is over. A signer with signed attributes
  // whose algorithm has a digest there is checked against it instead of
  // hashing the content, and one listed there with the certificate found
  // for it is not verified again; the result is the same.
  const PreparedChecks* Prepared = nullptr;
};

// The dotted OIDs of the digest algorithms the signers of a SignedData
// name, once each; none for bytes that are not a SignedData.
std::vector<std::string> CryptSignerDigestAlgorithms(std::string_view signature);

// The digest of `content` by the algorithm of dotted OID `oid`; false when
// that algorithm is not known. Safe to call from several threads at once.
bool CryptDigestContent(const std::string& oid, std::string_view content, std::string* digest);

// True when signer `signer_index` of the SignedData has signed attributes
// that the key of the message's certificate with its issuer and serial
// number verifies; `certificate` then has that certificate's DER. Safe to
// call from several threads at once.
bool CryptVerifySignerAttributes(std::string_view signature, uint32_t signer_index,
                                 std::string* certificate);

// Checks signer `signer_index` of the detached signature over `content`.
// Bytes that are not a SignedData: CRYPT_E_ASN1_BADTAG (or _EOD, or
// TARVEX_E_MESSAGE_TOO_LARGE above kCryptMaxMessageSize); no such
// signer: CRYPT_E_NO_SIGNER; no signer certificate: the last error the
// callback left; a content that does not match its digest:
// CRYPT_E_HASH_VALUE; a signature that does not verify: NTE_BAD_SIGNATURE.
// `signer_cert` (may be null) gets the signer's certificate with a
// reference for the caller.
bool CryptVerifyDetachedMessageSignature(const CryptVerifyMessagePara& para, uint32_t signer_index,
                                         std::string_view signature, std::string_view content,
                                         PCCERT_CONTEXT* signer_cert);

struct CryptEncryptMessagePara {
  uint32_t MsgEncodingType = 0;
  // Not used: the algorithm chooses the provider.
  HCRYPTPROV Prov = nullptr;
  // kOidGost28147_89; the provider makes its parameters, the caller passes
  // none.
  CryptAlgorithmIdentifier ContentEncryptionAlgorithm;
};

// An EnvelopedData (version 0) of `plain` as data, encrypted with GOST
// 28147-89, its key transported to each recipient (named by issuer and
// serial number) under the recipient's GOST R 34.10-2001 public key. An
// unknown algorithm: CRYPT_E_UNKNOWN_ALGO; no recipient: ERROR_INVALID_PARAMETER;
// `plain` above kCryptMaxMessageSize: TARVEX_E_MESSAGE_TOO_LARGE.
bool CryptEncryptMessage(const CryptEncryptMessagePara& para,
                         const std::vector<PCCERT_CONTEXT>& recipients, std::string_view plain,
                         uint8_t* encrypted, uint32_t* size);

struct CryptDecryptMessagePara {
  uint32_t MsgAndCertEncodingType = 0;
  std::vector<HCERTSTORE> CertStores;
};

// Decrypts with the first certificate of the stores, in order, that is a
// recipient of the message and reaches its private key; none:
// CRYPT_E_NO_DECRYPT_CERT; a message above kCryptMaxMessageSize:
// TARVEX_E_MESSAGE_TOO_LARGE. `exchange_cert` (may be null) gets that
// certificate with a reference for the caller.
bool CryptDecryptMessage(const CryptDecryptMessagePara& para, std::string_view encrypted,
                         uint8_t* plain, uint32_t* size, PCCERT_CONTEXT* exchange_cert);
