// Owners of the stores and certificate references that the routines of
// CCryptoAPI20Utils take for themselves: released on every path, never
// raising from a destructor.
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

// One certificate reference, freed unless handed over.
class CertGuard {
 public:
  explicit CertGuard(PCCERT_CONTEXT context = nullptr) : context_(context) {}
  ~CertGuard() { CertFreeCertificateContext(context_); }
  CertGuard(const CertGuard&) = delete;
  CertGuard& operator=(const CertGuard&) = delete;

  PCCERT_CONTEXT Get() const { return context_; }
  // Hands the reference over to the caller.
  PCCERT_CONTEXT Release() {
    PCCERT_CONTEXT context = context_;
    context_ = nullptr;
    return context;
  }

 private:
  PCCERT_CONTEXT context_;
};
