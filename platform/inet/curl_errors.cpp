#include "platform/inet/curl_errors.h"

#include "platform/inet/tls_policy.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/error_codes.h"

namespace {

constexpr const char* kCertificateNeeded =
    "сервер требует сертификат клиента, а его нет или сервер его не принял";
// libcurl takes at most 300 KB of a response's header lines, each at most
// 100 KB: a transfer that broke off with this much of them whole broke on
// that bound.
constexpr size_t kHeadersNearTheirBound = size_t{200} << 10;

TransferFailure CertificateFailure(uint32_t code) {
  switch (code) {
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
      return {code, "сертификат сервера выдан на другое имя"};
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
      return {code, "срок действия сертификата сервера истёк или ещё не наступил"};
    case ERROR_INTERNET_INVALID_CA:
      return {code, "сертификат сервера выдан неизвестным удостоверяющим центром"};
    case ERROR_INTERNET_SEC_CERT_REVOKED: return {code, "сертификат сервера отозван"};
    default: return {code, "сертификат сервера недействителен"};
  }
}

}  // namespace

TransferFailure FailureFromCurl(CURLcode result, const TlsPolicy& tls, const TransferStage& stage) {
  const bool redirected = stage.status >= 300 && stage.status < 400;
  switch (result) {
    case CURLE_OK: return {ERROR_SUCCESS, ""};
    case CURLE_URL_MALFORMAT:
      return {ERROR_INTERNET_INVALID_URL, redirected
                                              ? "сервер перенаправил запрос по неверному адресу"
                                              : "адрес записан неверно"};
    // Also libcurl's answer to a reply without a status line it can read.
    case CURLE_UNSUPPORTED_PROTOCOL:
      if (redirected) {
        return {ERROR_HTTP_REDIRECT_FAILED,
                "сервер перенаправил запрос по адресу со схемой, отличной от http и https"};
      }
      return {ERROR_HTTP_INVALID_SERVER_RESPONSE,
              "ответ сервера не начинается со строки состояния HTTP"};
    case CURLE_TOO_MANY_REDIRECTS:
      return {ERROR_HTTP_REDIRECT_FAILED, "сервер перенаправил запрос больше пяти раз"};
    case CURLE_COULDNT_RESOLVE_PROXY:
      return {ERROR_INTERNET_PROXY_SERVER_UNREACHABLE, "имя прокси-сервера не найдено"};
    case CURLE_PROXY:
      return {ERROR_INTERNET_PROXY_SERVER_UNREACHABLE,
              "прокси-сервер не установил соединение с сервером"};
    case CURLE_COULDNT_RESOLVE_HOST:
      return {ERROR_INTERNET_NAME_NOT_RESOLVED, "имя сервера не найдено"};
    case CURLE_COULDNT_CONNECT:
      return {ERROR_INTERNET_CANNOT_CONNECT, "не удалось подключиться к серверу"};
    case CURLE_OPERATION_TIMEDOUT:
      return {ERROR_INTERNET_TIMEOUT, "соединение с сервером не установлено за отведённое время"};
    case CURLE_PARTIAL_FILE:
      return {ERROR_INTERNET_CONNECTION_ABORTED,
              "сервер оборвал ответ, не передав его до объявленной длины"};
    // Once the request is out, libcurl runs short of room only for a header
    // line beyond its 100 KB.
    case CURLE_OUT_OF_MEMORY:
      if (stage.sent && !stage.headers_complete) {
        return {ERROR_HTTP_INVALID_SERVER_RESPONSE,
                "строка заголовка ответа сервера длиннее 100 КБ"};
      }
      return {ERROR_NOT_ENOUGH_MEMORY, "недостаточно памяти"};
    case CURLE_WEIRD_SERVER_REPLY:
      return {ERROR_HTTP_INVALID_SERVER_RESPONSE, "ответ сервера нарушает протокол HTTP"};
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return {ERROR_HTTP_INVALID_SERVER_RESPONSE, "ответ сервера нарушает протокол HTTP/2"};
    case CURLE_BAD_CONTENT_ENCODING:
      return {ERROR_HTTP_INVALID_SERVER_RESPONSE, "содержимое ответа сервера закодировано неверно"};
    case CURLE_PEER_FAILED_VERIFICATION: return CertificateFailure(tls.CertificateErrorCode());
    case CURLE_SSL_CLIENTCERT: return {ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED, kCertificateNeeded};
    default: break;
  }
  // A server that wants a client certificate drops the connection, during the
  // handshake or, with TLS 1.3, at the first read after it.
  if (tls.ClientCertificateRequested() &&
      (result == CURLE_GOT_NOTHING || result == CURLE_SEND_ERROR || result == CURLE_RECV_ERROR ||
       result == CURLE_SSL_CONNECT_ERROR)) {
    return {ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED, kCertificateNeeded};
  }
  switch (result) {
    case CURLE_GOT_NOTHING:
      return {ERROR_HTTP_INVALID_SERVER_RESPONSE, "сервер закрыл соединение, ничего не ответив"};
    case CURLE_SEND_ERROR:
      return {ERROR_INTERNET_CONNECTION_RESET,
              "соединение с сервером разорвано при отправке запроса"};
    case CURLE_RECV_ERROR:
      if (!stage.headers_complete && stage.header_bytes >= kHeadersNearTheirBound) {
        return {ERROR_HTTP_INVALID_SERVER_RESPONSE, "заголовок ответа сервера длиннее 300 КБ"};
      }
      return {ERROR_INTERNET_CONNECTION_RESET,
              "соединение с сервером разорвано при получении ответа, или ответ искажён"};
    case CURLE_SSL_CONNECT_ERROR:
      return {ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
              "не удалось установить защищённое соединение с сервером"};
    case CURLE_SSL_CERTPROBLEM:
      return {ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
              "сертификат клиента или его ключ не годятся для защищённого соединения"};
    case CURLE_SSL_CIPHER:
      return {ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
              "шифры защищённого соединения не могут быть выбраны"};
    case CURLE_SSL_CACERT_BADFILE:
      return {ERROR_INTERNET_SECURITY_CHANNEL_ERROR, "файл доверенных сертификатов не читается"};
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
      return {ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
              "криптографический модуль защищённого соединения не загружен"};
    case CURLE_SSL_SHUTDOWN_FAILED:
      return {ERROR_INTERNET_SECURITY_CHANNEL_ERROR, "защищённое соединение закрыто с ошибкой"};
    case CURLE_SSL_CRL_BADFILE:
      return {ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
              "файл списка отозванных сертификатов не читается"};
    case CURLE_SSL_ISSUER_ERROR:
      return {ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
              "сертификат сервера выдан не тем удостоверяющим центром"};
    default:
      return {ERROR_INTERNET_INTERNAL_ERROR, "непредвиденный отказ загрузки",
              static_cast<int>(result)};
  }
}

std::string TransferFailureText(const TransferFailure& failure) {
  std::string text = failure.text;
  if (failure.curl_result != 0) {
    text += " (результат libcurl " + std::to_string(failure.curl_result) + ")";
  }
  return text;
}
