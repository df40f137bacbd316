#include "platform/inet/tls_policy.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include "platform/inet/wininet.h"

namespace {

enum class Problem { Date, UnknownIssuer, Revoked, Other };

Problem Classify(int verify_error) {
  switch (verify_error) {
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_CERT_HAS_EXPIRED: return Problem::Date;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED: return Problem::UnknownIssuer;
    case X509_V_ERR_CERT_REVOKED: return Problem::Revoked;
    default: return Problem::Other;
  }
}

TlsPolicy* PolicyOf(SSL* ssl) {
  return static_cast<TlsPolicy*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
}

int VerifyCallback(int ok, X509_STORE_CTX* store) {
  if (ok) return 1;
  auto* ssl =
      static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
  if (ssl == nullptr || !PolicyOf(ssl)->Accepts(X509_STORE_CTX_get_error(store))) return 0;
  // Cleared, so that the verify result of the handshake reads as passed.
  X509_STORE_CTX_set_error(store, X509_V_OK);
  return 1;
}

int ClientCertificateCallback(SSL* ssl, X509** certificate, EVP_PKEY** key) {
  TlsPolicy* policy = PolicyOf(ssl);
  policy->NoteClientCertificateRequest();
  const ClientCertificate* offered = policy->OfferedCertificate();
  if (offered == nullptr) return 0;
  // OpenSSL rates no GOST hash, so above level 0 it refuses to send a
  // certificate that a GOST CA signed. Lowered for this connection only, once
  // the server's certificate has been checked.
  SSL_set_security_level(ssl, 0);
  *certificate = offered->Certificate();
  *key = offered->Key();
  return 1;
}

}  // namespace

void TlsPolicy::Install(void* ssl_ctx) {
  auto* ctx = static_cast<SSL_CTX*>(ssl_ctx);
  SSL_CTX_set_app_data(ctx, this);
  SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, VerifyCallback);
  SSL_CTX_set_client_cert_cb(ctx, ClientCertificateCallback);
}

bool TlsPolicy::Accepts(int verify_error) {
  const Problem problem = Classify(verify_error);
  if (problem == Problem::Date && (security_flags_ & SECURITY_FLAG_IGNORE_CERT_DATE_INVALID)) {
    return true;
  }
  if (problem == Problem::UnknownIssuer && (security_flags_ & SECURITY_FLAG_IGNORE_UNKNOWN_CA)) {
    return true;
  }
  if (first_problem_ == X509_V_OK) first_problem_ = verify_error;
  return false;
}

uint32_t TlsPolicy::CertificateErrorCode() const {
  if (first_problem_ == X509_V_OK) return ERROR_INTERNET_SEC_CERT_CN_INVALID;
  switch (Classify(first_problem_)) {
    case Problem::Date: return ERROR_INTERNET_SEC_CERT_DATE_INVALID;
    case Problem::UnknownIssuer: return ERROR_INTERNET_INVALID_CA;
    case Problem::Revoked: return ERROR_INTERNET_SEC_CERT_REVOKED;
    case Problem::Other: break;
  }
  return ERROR_INTERNET_SEC_INVALID_CERT;
}
