// The walk over a store's certificates that the routines of
// CCryptoAPI20Utils make: the current certificate's reference is released
// on every path. Stores and single references are owned by StoreRef and
// CertRef (platform/crypt/crypt_refs.h).
#pragma once

#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_store.h"

// Walks a store's certificates, holding the reference of the current one.
class CertEnumerator {
 public:
  explicit CertEnumerator(HCERTSTORE store) : store_(store) {}
  ~CertEnumerator() { CertFreeCertificateContext(current_); }
  CertEnumerator(const CertEnumerator&) = delete;
  CertEnumerator& operator=(const CertEnumerator&) = delete;

  // Moves to the next certificate, releasing the current one; false at the
  // end.
  bool Next() {
    current_ = CertEnumCertificatesInStore(store_, current_);
    return current_ != nullptr;
  }
  PCCERT_CONTEXT Current() const { return current_; }
  // Hands the current reference over to the caller and ends the walk.
  PCCERT_CONTEXT Take() {
    PCCERT_CONTEXT context = current_;
    current_ = nullptr;
    return context;
  }

 private:
  HCERTSTORE store_;
  PCCERT_CONTEXT current_ = nullptr;
};
