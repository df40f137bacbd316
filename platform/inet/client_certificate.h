// A client certificate with its private key, as a TLS handshake offers them.
#pragma once

#include <memory>
#include <utility>

#include "platform/crypt/ossl_ptr.h"

class CertContext;

class ClientCertificate {
 public:
  // The certificate of `context` and the key of the container its
  // key-provider property names; null when either cannot be had.
  static std::shared_ptr<const ClientCertificate> Load(const CertContext* context);

  // Each with a new reference for the caller.
  X509* Certificate() const;
  EVP_PKEY* Key() const;

 private:
  ClientCertificate(X509Ptr certificate, PkeyPtr key)
      : certificate_(std::move(certificate)), key_(std::move(key)) {}

  X509Ptr certificate_;
  PkeyPtr key_;
};
