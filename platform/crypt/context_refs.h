// CertRef and CrlRef: the one owner of a certificate or CRL context
// reference, in every layer. It frees the reference when it goes and gives
// it up with release() where a caller takes it over.
#pragma once

#include <memory>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crl_context.h"

struct CertContextFree {
  void operator()(PCCERT_CONTEXT context) const { CertFreeCertificateContext(context); }
};
using CertRef = std::unique_ptr<const CertContext, CertContextFree>;

struct CrlContextFree {
  void operator()(PCCRL_CONTEXT context) const { CertFreeCRLContext(context); }
};
using CrlRef = std::unique_ptr<const CrlContext, CrlContextFree>;
