// Owners of the stores that the routines of CCryptoAPI20Utils open for
// themselves, and the walk over a store's certificates: released on every
// path, never raising from a destructor. One certificate reference is a
// CertRef (platform/crypt/context_refs.h).
#pragma once

#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_store.h"

class StoreGuard {
 public:
  explicit StoreGuard(HCERTSTORE store) : store_(store) {}
  ~StoreGuard() {
    if (store_ != nullptr) CertCloseStore(store_, 0);
  }
  StoreGuard(const StoreGuard&) = delete;
  StoreGuard& operator=(const StoreGuard&) = delete;

  HCERTSTORE Get() const { return store_; }
  // Closes the store now; false with the last error when that fails.
  bool Close() {
    HCERTSTORE store = store_;
    store_ = nullptr;
    return CertCloseStore(store, 0);
  }

 private:
  HCERTSTORE store_;
};

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
