// CCryptoAPI20Utils: the stateless CryptoAPI 2.0 routines that the chain
// builder, the signatures, the key and store tool and the package layer
// share. Never instantiated: every routine is a class-level one.
//
// Store kinds: 1 "MY", 2 "ROOT", 3 "CA", 4 "addressbook". Store locations:
// 1 the local machine, 2 the current user. Byte strings may hold any byte.
// A context a routine returns belongs to the caller, who frees it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/foundation/base_class.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crl_context.h"
#include "platform/crypt/crypt_prov.h"

class CStrArray;

class CCryptoAPI20Utils : public CBaseClass {
 public:
  CCryptoAPI20Utils() = delete;

  // Store routines.

  // CertOpenStore flags of a location; "Недоступное хранилище: [%d]" else.
  static uint32_t GetStoreLocationFlags(int location);
  // The system store name of a kind; "Недоступное имя хранилища: [%d]" else.
  static std::string GetStoreName(int kind);
  // The system store of that kind and location, or null when it does not
  // open (the caller's next call then fails).
  static HCERTSTORE OpenSystemStore(HCRYPTPROV prov, int location, int kind);
  // Adds (thumbprint, new reference) for every certificate of the store, in
  // store order; the list's owner frees the contexts.
  static void ListStoreCertificates(HCRYPTPROV prov, int location, int kind, CStrArray* list);
  // The first certificate whose thumbprint is exactly `thumbprint` (upper
  // case), or null.
  static PCCERT_CONTEXT FindCertificateByThumbprint(HCRYPTPROV prov, int location, int kind,
                                                    const std::string& thumbprint);
  // Adds the certificate to the store; into "MY" with a container it is
  // bound to the container first, so a failure leaves the store as it was.
  static void AddCertificateToStore(HCRYPTPROV prov, int location, int kind,
                                    PCCERT_CONTEXT certificate, const std::string& container);

  // Import.

  // A certificate from PEM, base64 or DER text.
  static PCCERT_CONTEXT ImportCertificate(const std::string& text);
  // A CRL from its DER bytes.
  static PCCRL_CONTEXT ImportCRL(const std::string& bytes);
  // Every certificate of a PKCS #7 bundle, or the one certificate of the
  // text, into the store that suits it; stops at the first failure, and
  // what was added before it stays.
  static void ImportCertificates(HCRYPTPROV prov, int location, const std::string& text,
                                 const std::string& container);
  // "CA" for a CA certificate, else "ROOT" for a self-signed one, else
  // "addressbook"; never "MY".
  static void ImportCertificateAuto(HCRYPTPROV prov, PCCERT_CONTEXT certificate,
                                    const std::string& container, int location);

  // Reading a certificate.

  // The first common name of the subject (issuer); "na" when there is none.
  static std::string GetSubjectCN(PCCERT_CONTEXT certificate);
  static std::string GetIssuerCN(PCCERT_CONTEXT certificate);
  static bool IsSelfSigned(PCCERT_CONTEXT certificate);
  // The cA flag of a critical basic-constraints extension; false without one.
  static bool IsCACertificate(PCCERT_CONTEXT certificate);
  // 40 upper-case hex digits of the SHA-1 hash.
  static std::string GetThumbprint(PCCERT_CONTEXT certificate);
  // Upper-case hex, least significant byte first, as CRL entries are read.
  static std::string GetSerialNumber(PCCERT_CONTEXT certificate);
  // The DER bytes.
  static std::string GetCertificateBody(PCCERT_CONTEXT certificate);
  static std::string MemToStr(const void* data, size_t length);
  // "https://", "http://" or "ftp://", case-sensitive.
  static bool IsSupportedUrl(const std::string& text);
  // The supported URLs of the CRL distribution points joined by ",".
  static std::string GetCRLDistributionPoints(PCCERT_CONTEXT certificate);
  // The last supported CA-issuers URL of the authority information access;
  // empty without the extension, an error when it holds none.
  static std::string GetCAIssuersUrl(PCCERT_CONTEXT certificate);

  // Signatures.

  // The first certificate of a PKCS #7 signature, or null when it holds
  // none; read in memory.
  static PCCERT_CONTEXT GetSignerFromSignature(const std::string& signature);
  // The signer-certificate callback of a verification: the message's
  // certificate of the signer's issuer and serial number, with one more
  // reference added to `list` (may be null) under the empty key. No match:
  // last error 0 and null.
  static PCCERT_CONTEXT GetSignerCertificate(CStrArray* list, uint32_t encoding_type,
                                             const CertInfo& signer_id, HCERTSTORE message_store);
  static bool BlobsEqual(std::string_view a, std::string_view b) { return a == b; }

  // Keys and containers.

  static void GetProvInfo(HCRYPTPROV prov, std::string& name, uint32_t& type);
  // Binds the certificate to the key's container.
  static void SetKeyCertificate(PCCERT_CONTEXT certificate, HCRYPTKEY key);
  // Sets the certificate's key-provider property to the container of the
  // provider's name and type, key spec AT_KEYEXCHANGE.
  static void SetKeyProvInfo(HCRYPTPROV prov, PCCERT_CONTEXT certificate,
                             const std::string& container, bool caching);
  // Writes the certificate into the container and names the container in
  // the certificate's key-provider property.
  static void BindCertificateToContainer(PCCERT_CONTEXT certificate,
                                         const std::string& provider_name, uint32_t provider_type,
                                         const std::string& container);

  // Encryption.

  // DER EnvelopedData of `plain` for the recipient, GOST 28147-89.
  static std::string EncryptForRecipient(PCCERT_CONTEXT recipient, const std::string& plain);
  // The plain content, decrypted with a certificate of the store that is a
  // recipient and reaches its private key.
  static std::string DecryptWithStore(HCERTSTORE store, const std::string& encrypted);

  // Provider test.

  static bool IsGostProviderInstalled();
};
