// The server certificate checks of one request, as its security flags ask,
// installed into each TLS context libcurl makes for it. Also notes whether
// the server asked for a client certificate, and offers the request's one
// when it has one.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/inet/client_certificate.h"

class TlsPolicy {
 public:
  TlsPolicy(uint32_t security_flags, std::shared_ptr<const ClientCertificate> client_certificate)
      : security_flags_(security_flags), client_certificate_(std::move(client_certificate)) {}
  TlsPolicy(const TlsPolicy&) = delete;
  TlsPolicy& operator=(const TlsPolicy&) = delete;

  // Takes the OpenSSL SSL_CTX that the CURLOPT_SSL_CTX_FUNCTION hook gets.
  // The policy must outlive the TLS connections made with it.
  void Install(void* ssl_ctx);

  // The platform's code for a failed certificate check: the first problem
  // that was not ignored, or a wrong name when the chain itself passed (the
  // name is checked after the handshake).
  uint32_t CertificateErrorCode() const;
  bool ClientCertificateRequested() const { return client_certificate_requested_; }

  // For the OpenSSL callbacks.
  bool Accepts(int verify_error);
  void NoteClientCertificateRequest() { client_certificate_requested_ = true; }
  // Null when the request has none.
  const ClientCertificate* OfferedCertificate() const { return client_certificate_.get(); }

 private:
  uint32_t security_flags_;
  std::shared_ptr<const ClientCertificate> client_certificate_;
  int first_problem_ = 0;  // X509_V_OK
  bool client_certificate_requested_ = false;
};
