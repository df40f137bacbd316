// CCryptoAPI20Tool: the door through which the package layer reaches
// certificates, key containers, signatures and encryption.
//
// An instance holds a verify context of the GOST provider and works on the
// system stores of its StoreLocation; the class operations make and free
// what they need. Store kinds: 1 "MY", 2 "ROOT", 3 "CA", 4 "addressbook";
// locations: 1 the local machine, 2 the current user. A certificate context
// an operation returns belongs to the caller, who frees it.
#pragma once

#include <cstdint>
#include <string>

#include "lib/foundation/base_class.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/crypt_msg.h"
#include "platform/crypt/crypt_prov.h"

class CCryptoProvider;
class CStrArray;

class CVerifiedIssuers;

class CCryptoAPI20Tool : public CBaseClass {
 public:
  // Acquires the verify context; raises "Ошибка при инициализации
  // криптопровайдера: %s" when it cannot, and no tool is made.
  CCryptoAPI20Tool();
  ~CCryptoAPI20Tool() override;

  // These seven pass an error to the tool's handler and give null or empty.

  // A certificate from PEM, base64 or DER text.
  PCCERT_CONTEXT CertificateFromBody(const std::string& body);
  // The subject's common name; "na" when there is none.
  std::string GetSubjectCN(PCCERT_CONTEXT context);
  // Adds (thumbprint, new reference) for each certificate of the store.
  void ListCertificates(int kind, CStrArray* list);
  // The first certificate whose thumbprint is exactly `sha1`, or null.
  PCCERT_CONTEXT FindCertificateBySha1(int kind, const std::string& sha1);
  // The DER bytes.
  std::string GetCertificateBody(PCCERT_CONTEXT context);
  // A PKCS #7 bundle or one certificate, each into the store that suits it.
  void ImportP7B(const std::string& text);
  // Adds the certificate to the store, bound to the container for "MY".
  void ImportCertificate(int kind, PCCERT_CONTEXT context, const std::string& container);

  // These three raise.

  // Writes the certificate into the container of the current user's key set
  // and names the container in the certificate's key-provider property
  // (flags CERT_SET_KEY_CONTEXT_PROP_ID when `cache`).
  void LinkPrivateKey(PCCERT_CONTEXT context, const std::string& container, bool cache);
  // The container of the certificate's key-provider property; empty when
  // it has none.
  std::string GetContainerName(PCCERT_CONTEXT context);
  // Names the container, with this tool's provider, in the certificate's
  // key-provider property.
  void SetKeyProvInfo(PCCERT_CONTEXT context, const std::string& container, bool cache);

  // Class operations.

  // A detached signature of `content` with the "MY" certificate of
  // thumbprint `sha1`; `provider` may be null.
  static std::string Sign(bool current_user, CCryptoProvider* provider, const std::string& content,
                          const std::string& sha1);
  // Verifies the signature and the signer's chain over the local stores,
  // downloading CA certificates and CRLs with `full_chain` and testing
  // revocation with `revocation`, at `date` (0: now). Every failure is
  // raised as CCryptoAPI20Exception code kNotVerified. A given `list` takes over the
  // signers (thumbprint, CKestrinCertificate): it must own its objects.
  // `verified` keeps the issuers verified over a run of checks (or null);
  // `prepared` is what was found before about the content and the
  // signature (or null).
  static bool VerifySignature(bool current_user, const std::string& content, bool revocation,
                              bool full_chain, double date, CStrArray* list,
                              const std::string& signature, CVerifiedIssuers* verified = nullptr,
                              const PreparedChecks* prepared = nullptr);
  // VerifySignature with downloads and the revocation test.
  static bool CheckSignature(bool current_user, const std::string& content, double date,
                             const std::string& signature);
  static PCCERT_CONTEXT FindCertificate(int location, int kind, const std::string& sha1);
  // A GOST 28147-89 enveloped message for the recipient.
  static std::string Encrypt(PCCERT_CONTEXT recipient, const std::string& data);
  // Encrypt for the certificate of thumbprint `sha1` in "addressbook".
  static std::string EncryptBySha1(bool current_user, const std::string& sha1,
                                   const std::string& data);
  // Decrypts with a certificate of "MY" that reaches its private key.
  static std::string Decrypt(bool current_user, const std::string& message);

  std::string ProviderName;
  uint32_t ProviderType;
  // 0 is refused as an unknown store.
  uint8_t StoreLocation;
  HCRYPTPROV ProviderHandle = nullptr;

 private:
  void CheckStore(int kind) const;
};
