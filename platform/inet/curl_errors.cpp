#include "platform/inet/curl_errors.h"

#include "platform/inet/tls_policy.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/error_codes.h"

uint32_t InternetErrorFromCurl(CURLcode result, const TlsPolicy& tls) {
  switch (result) {
    case CURLE_OK: return ERROR_SUCCESS;
    case CURLE_URL_MALFORMAT: return ERROR_INTERNET_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_PROXY: return ERROR_INTERNET_PROXY_SERVER_UNREACHABLE;
    case CURLE_COULDNT_RESOLVE_HOST: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_PARTIAL_FILE: return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_OUT_OF_MEMORY: return ERROR_NOT_ENOUGH_MEMORY;
    // A redirect to a scheme other than http and https, or too many of them.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_TOO_MANY_REDIRECTS: return ERROR_HTTP_REDIRECT_FAILED;
    case CURLE_PEER_FAILED_VERIFICATION: return tls.CertificateErrorCode();
    default: break;
  }
  // A server that wants a client certificate drops the connection, during the
  // handshake or, with TLS 1.3, at the first read after it.
  const bool refused_without_certificate = tls.ClientCertificateRequested();
  switch (result) {
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING: return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_GOT_NOTHING:
      return refused_without_certificate ? ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED
                                         : ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
      return refused_without_certificate ? ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED
                                         : ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_SSL_CONNECT_ERROR:
      return refused_without_certificate ? ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED
                                         : ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR: return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    default: return ERROR_INTERNET_INTERNAL_ERROR;
  }
}
