// The server certificate checks of one request, as its security flags ask,
// installed into each TLS context libcurl makes for it. Also notes whether
// the server asked for a client certificate, which none is offered for.
#pragma once

#include <cstdint>

class TlsPolicy {
 public:
  explicit TlsPolicy(uint32_t security_flags) : security_flags_(security_flags) {}
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

 private:
  uint32_t security_flags_;
  int first_problem_ = 0;  // X509_V_OK
  bool client_certificate_requested_ = false;
};
