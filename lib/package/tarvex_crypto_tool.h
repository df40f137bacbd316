// CTarvexCryptoTool: the narrow door through which package documents and
// signatures reach the cryptography: decrypting and encrypting content,
// signing and checking detached signatures, and reading who signed one.
// Never instantiated. A use-user-storage flag chooses the store location:
// true the current user's stores, false the local machine's. Byte strings
// hold raw bytes; errors of the cryptography pass with their own messages.
#pragma once

#include <string>

#include "lib/foundation/base_class.h"
#include "platform/crypt/crypt_msg.h"

class CStrArray;
class CVerifiedIssuers;

// Who signed a signature, as GetSignerInfo reads it.
struct TarvexSignerInfo {
  std::string CertificateBody;  // DER
  std::string Issuer;
  std::string Subject;
  std::string Sha1;       // 40 upper-case hex digits
  std::string SubjectCN;  // "na" when the subject has none
};

class CTarvexCryptoTool : public CBaseClass {
 public:
  CTarvexCryptoTool() = delete;

  // The DER body of the certificate of that thumbprint in "MY" when
  // `personal`, else in "addressbook".
  static std::string GetCertificateBodyBySha1(bool use_user_storage, const std::string& sha1,
                                              bool personal);
  // With a certificate of "MY" that reaches its private key.
  static std::string Decrypt(bool use_user_storage, const std::string& encrypted);
  // For the certificate of that thumbprint in "addressbook".
  static std::string EncryptBySha1(bool use_user_storage, const std::string& plain,
                                   const std::string& sha1);
  // For the certificate given as PEM, base64 or DER text.
  static std::string EncryptByCertificate(const std::string& plain, const std::string& certificate);
  // A detached signature with the personal certificate of that thumbprint.
  static std::string Sign(bool use_user_storage, const std::string& content,
                          const std::string& sha1);
  // Verifies at the current time with downloads and the revocation test.
  static bool CheckSignature(bool use_user_storage, const std::string& content,
                             const std::string& signature);
  // Verifies at the current time and raises when the signature, the chain
  // or the revocation state does not check out. `signers` (owning its
  // objects) is emptied, then takes the signer certificates found and a
  // CTarvexKey of the first one under its thumbprint.
  // `verified` keeps the issuers verified over the package's checks;
  // `prepared` is what was found before about the content and the
  // signature (or null).
  static void CheckSignatureEx(bool use_user_storage, const std::string& content,
                               bool check_revocation, bool download, CStrArray* signers,
                               const std::string& signature, CVerifiedIssuers* verified = nullptr,
                               const PreparedChecks* prepared = nullptr);
  // The signer's certificate, found in the message by the signer's issuer
  // and serial number: a message may carry its whole chain.
  static TarvexSignerInfo GetSignerInfo(const std::string& signature);
  // A GOST provider is registered on the machine.
  static bool IsCryptographyOk();
};
