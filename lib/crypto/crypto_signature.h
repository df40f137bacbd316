// Detached GOST signatures: CCryptoSignatureConfig, the settings a signature
// object works with, and CCryptoSignature, which signs content with a
// personal certificate found by its thumbprint and verifies a detached
// signature, optionally followed by the chain check of its signer.
//
// A signature is the DER of a PKCS #7 SignedData: GOST R 34.11-94 hash, the
// content absent, exactly the signer's certificate, no CRLs, one signer
// named by issuer and serial number whose signed attributes are the content
// type, the signing time (UTC) and the message digest.
#pragma once

#include <cstdint>
#include <string>

#include "lib/foundation/base_class.h"
#include "lib/foundation/str_array.h"
#include "lib/xml/custom_doc.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/crypt_msg.h"

class CCryptoAPI20ChainBuilderBase;
class CCryptoProvider;

// Option bits of CCryptoSignatureConfig.
constexpr uint8_t kSignatureDownloadCACerts = 0x02;
constexpr uint8_t kSignatureCheckChain = 0x04;
constexpr uint8_t kSignatureDownloadCRLs = 0x08;
constexpr uint8_t kSignatureCheckRevocation = 0x10;

// IncludeCerts: the signing certificate goes into the signature.
constexpr uint8_t kIncludeSigningCert = 2;

class CVerifiedIssuers;

class CCryptoSignatureConfig : public CBaseClass {
 public:
  CCryptoSignatureConfig(CCryptoProvider* provider, uint8_t store_location, uint8_t options,
                         uint8_t include_certs)
      : Provider(provider),
        IncludeCerts(include_certs),
        Options(options),
        StoreLocation(store_location) {}

  // Borrowed; its handle looks the signer's certificate up.
  CCryptoProvider* Provider;
  // Only kIncludeSigningCert is implemented.
  uint8_t IncludeCerts;
  // kSignature* bits; others have no effect.
  uint8_t Options;
  // 1 the local machine, 2 the current user: where "MY" is opened for
  // signing and the chain builder opens "CA" and "ROOT".
  uint8_t StoreLocation;
  // Borrowed: issuers already verified over a run of checks, or null.
  CVerifiedIssuers* VerifiedIssuers = nullptr;
  // Borrowed: what was found before about the content and the signature
  // a verification is over (crypt_msg.h), or null.
  const PreparedChecks* Prepared = nullptr;
};

class CCryptoSignature : public CCustomDoc {
 public:
  CCryptoSignature();
  ~CCryptoSignature() override;

  // Binds `config` (a CCryptoSignatureConfig, borrowed: the caller frees it
  // after this object); refuses a missing config or one without provider.
  // A previous config is not closed first.
  bool Open(void* config) override;
  bool Open(CCryptoSignatureConfig* config) { return Open(static_cast<void*>(config)); }
  // Forgets the config, both byte strings and the signers.
  bool Close() override;
  bool IsOpened() override { return Config != nullptr; }
  void Reset();

  // Signs `signed_text` with the certificate of thumbprint `sha1` (40
  // upper-case hex digits) from "MY" of the config's store location; the
  // result is in Signature.
  bool Sign(const std::string& sha1, const std::string& signed_text);
  // Checks the detached signature over `signed_data`, then, when the
  // options have kSignatureCheckChain, runs `builder` (opened) on the
  // signer's certificate at `date` (0: now). Raises CCryptoAPI20Exception:
  // 33 for an empty argument, 32 when the signature holds no certificate of
  // its signer, 22 when it does not verify; the builder's errors pass as
  // it raises them.
  bool Verify(const std::string& signed_data, const std::string& signature_content,
              CCryptoAPI20ChainBuilderBase* builder, double date);
  // Verify with a strict chain builder made for the call, its options taken
  // from the signature options; every failure is raised as
  // CCryptoAPI20Exception code kNotVerified with the first message. A negative date
  // is refused as it is.
  bool VerifyStrict(const std::string& signed_data, const std::string& signature_content,
                    double date);

  const std::string& GetSignature() const { return Signature; }
  void SetSignature(const std::string& bytes) { Signature = bytes; }
  void SetSignedText(const std::string& bytes) { SignedText = bytes; }

  std::string Signature;
  std::string SignedText;
  CCryptoSignatureConfig* Config = nullptr;
  // After a verification with the chain check: the signer's thumbprint
  // mapped to a CKestrinCertificate of the signer, owned by the list.
  CStrArray Signers;

 private:
  void SignWithThumbprint(const std::string& sha1, const std::string& signed_text);
  void CheckSignerChain(PCCERT_CONTEXT signer, CCryptoAPI20ChainBuilderBase* builder, double date);
};
