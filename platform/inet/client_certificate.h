// A client certificate with its private key, as a TLS handshake offers them.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

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
  struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
  };
  struct PkeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  };

  ClientCertificate(X509* certificate, EVP_PKEY* key) : certificate_(certificate), key_(key) {}

  std::unique_ptr<X509, X509Free> certificate_;
  std::unique_ptr<EVP_PKEY, PkeyFree> key_;
};
