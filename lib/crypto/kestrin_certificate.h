// CKestrinCertificate: the library's object view of one X.509 certificate,
// loaded from PEM, base64 or DER text or attached to an existing context.
#pragma once

#include <string>

#include "lib/crypto/kestrin_blob.h"
#include "platform/crypt/cert_context.h"

class CKestrinCertificate : public CKestrinCryptoBlob {
 public:
  // What DecodeText strips: 1 a certificate, 2 a certificate request.
  enum TextKind { kCertificateText = 1, kRequestText = 2 };

  CKestrinCertificate() = default;
  // Releases the context when owned.
  ~CKestrinCertificate() override;

  // A certificate from PEM, base64 or DER text; the object owns the new
  // context. Text that is none of these raises the system error.
  void LoadFromText(const std::string& text);
  // Attaches the context, owned (released by this object) or not. Null
  // leaves the object not valid and keeps its previous context.
  void Attach(PCCERT_CONTEXT context, bool owned);
  // Attaches the context and takes a reference of its own, released when
  // the object goes; the caller's reference stays the caller's.
  bool AttachOwned(PCCERT_CONTEXT context);
  void SetUserData(void* data) { user_data_ = data; }
  void* GetUserData() const { return user_data_; }

  // 40 upper-case hex digits of the SHA-1 hash; the system error on failure.
  std::string GetThumbprint() const;
  // Always the empty string: the certificate's texts are in its parts.
  std::string GetValue() const override { return std::string(); }

  PCCERT_CONTEXT Context() const { return context_; }
  bool Owned() const { return owned_; }
  const CKestrinCertificateContext& Parts() const { return parts_; }

  // The markers of the kind and CR LF pairs removed (a-z folded); base64
  // text decoded, anything else returned exactly as given.
  static std::string DecodeText(const std::string& text, TextKind kind);
  // Every character is of "A-Za-z0-9+/= " or CR or LF ('-' is not).
  static bool IsBase64(const std::string& text);

 private:
  // Releases the owned context, if any, and holds `next`, not owned.
  void DropOwned(PCCERT_CONTEXT next);

  PCCERT_CONTEXT context_ = nullptr;
  CKestrinCertificateContext parts_;
  bool owned_ = false;
  void* user_data_ = nullptr;
};
