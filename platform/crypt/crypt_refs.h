// CertRef, CrlRef and StoreRef: the one owner of a certificate context, a
// CRL context and an open store, in every layer. Each lets its handle go
// when it goes, and gives it up with release() where a caller takes it
// over.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crl_context.h"

struct CertContextFree {
  void operator()(PCCERT_CONTEXT context) const { CertFreeCertificateContext(context); }
};
using CertRef = std::unique_ptr<const CertContext, CertContextFree>;

struct CrlContextFree {
  void operator()(PCCRL_CONTEXT context) const { CertFreeCRLContext(context); }
};
using CrlRef = std::unique_ptr<const CrlContext, CrlContextFree>;

// A store whose closing can fail the caller is closed with
// CertCloseStore(store.release(), 0) instead.
struct StoreClose {
  void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};
using StoreRef = std::unique_ptr<std::remove_pointer_t<HCERTSTORE>, StoreClose>;
