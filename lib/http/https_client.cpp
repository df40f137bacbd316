#include "lib/http/https_client.h"

#include <memory>

#include "lib/foundation/errors.h"
#include "lib/foundation/text_routines.h"
#include "lib/http/download_limit_exception.h"
#include "lib/http/http_status_exception.h"
#include "lib/http/internet_error_texts.h"
#include "lib/http/parsed_url.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr const char* kDefaultUserAgent = "QIM-KESTRIN-HTTPSClient";
constexpr uint32_t kHttpsRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE |
                                        INTERNET_FLAG_IGNORE_CERT_DATE_INVALID |
                                        INTERNET_FLAG_IGNORE_CERT_CN_INVALID;
constexpr uint32_t kHttpRequestFlags = INTERNET_FLAG_RELOAD;
constexpr uint32_t kReadChunk = 1024;
constexpr uint32_t kStatusTextSize = 1024;
// Sends with the client certificate attached before a server that keeps
// asking for one fails the request.
constexpr int kClientCertificateSends = 2;

// Raises a download limit's error, with its debug line.
[[noreturn]] void RaiseLimit(const std::string& message, const std::string& limit) {
  RaiseTraced(CDownloadLimitException(message, limit));
}

// Runs one step of a request; its failure is wrapped in the step's message,
// a limit's keeping its kind, except a refused status, which reaches the
// caller as it is.
template <typename Body>
auto Step(const char* message, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const CHttpStatusException&) {
    throw;
  } catch (const CDownloadLimitException& error) {
    RaiseLimit(Format(message, {error.Message()}), error.Limit());
  } catch (const Exception& error) {
    RaiseErrorFmt(message, {error.Message()});
  }
}

void SetNumberOption(HINTERNET request, uint32_t option, uint32_t value) {
  InternetSetOptionA(request, option, &value, sizeof value);
}

}  // namespace

std::string CHttpsClient::Get(const std::string& url) {
  if (url.empty()) RaiseError("Передан пустой URL");
  return Execute(url);
}

void CHttpsClient::RaiseInternetError(uint32_t code) {
  RaiseErrorFmt("Не удалось соединиться с сервером: %s (код %d)", {InternetErrorText(code), code});
}

// The handles close in the order request, connection, internet handle, also
// when a step fails.
std::string CHttpsClient::Execute(const std::string& url) {
  const Clock::time_point started = Clock::now();
  const ParsedUrl parsed = ParseUrl(url);
  UniqueInternetHandle internet =
      Step("Ошибка при открытии соединения: [%s]", [&] { return OpenInternet(); });
  UniqueInternetHandle connection = Step("Ошибка при установке соединения: [%s]",
                                         [&] { return Connect(internet.get(), parsed); });
  UniqueInternetHandle request = Step("Ошибка при открытии запроса: [%s]",
                                      [&] { return OpenRequest(connection.get(), parsed); });
  Step("Ошибка при установки параметров соединения: [%s]",
       [&] { SetRequestOptions(request.get(), parsed); });
  Step("Ошибка при отправке запроса: [%s]", [&] { SendRequest(request.get(), url, started); });
  return Step("Ошибка при получении ответа: [%s]",
              [&] { return ReadResponse(request.get(), url, started); });
}

UniqueInternetHandle CHttpsClient::OpenInternet() const {
  const std::string agent = config_.UserAgent.empty() ? kDefaultUserAgent : config_.UserAgent;
  HINTERNET handle = nullptr;
  if (!config_.UseProxy) {
    handle = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  } else if (config_.Proxy.ProxyHost.empty()) {
    handle = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  } else {
    const std::string proxy = Format("%s:%s", {config_.Proxy.ProxyHost, config_.Proxy.ProxyPort});
    handle = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), nullptr, 0);
  }
  if (handle == nullptr) RaiseInternetError(GetLastError());
  return UniqueInternetHandle(handle);
}

UniqueInternetHandle CHttpsClient::Connect(HINTERNET internet, const ParsedUrl& url) const {
  const int32_t port = url.Port > 0 ? url.Port : (url.IsHttps ? 443 : 80);
  HINTERNET handle = InternetConnectA(internet, url.Host.c_str(), static_cast<uint16_t>(port),
                                      nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1);
  if (handle == nullptr) RaiseInternetError(GetLastError());
  return UniqueInternetHandle(handle);
}

UniqueInternetHandle CHttpsClient::OpenRequest(HINTERNET connection, const ParsedUrl& url) const {
  HINTERNET handle =
      HttpOpenRequestA(connection, "GET", url.ObjectName.c_str(), "HTTP/1.1", nullptr, nullptr,
                       url.IsHttps ? kHttpsRequestFlags : kHttpRequestFlags, 2);
  if (handle == nullptr) RaiseInternetError(GetLastError());
  return UniqueInternetHandle(handle);
}

// Whether each option took is not looked at: a request goes out with what it has.
void CHttpsClient::SetRequestOptions(HINTERNET request, const ParsedUrl& url) const {
  if (url.IsHttps) {
    // Only certificates and CRLs come this way, each checked later by its
    // own signature: an unknown issuer of the server's certificate is fine.
    uint32_t flags = 0;
    uint32_t length = sizeof flags;
    InternetQueryOptionA(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &length);
    SetNumberOption(request, INTERNET_OPTION_SECURITY_FLAGS,
                    flags | SECURITY_FLAG_IGNORE_UNKNOWN_CA);
  }
  if (config_.UseProxy && !config_.Proxy.ProxyUser.empty()) {
    const std::string& user = config_.Proxy.ProxyUser;
    const std::string& password = config_.Proxy.ProxyPassword;
    InternetSetOptionA(request, INTERNET_OPTION_PROXY_USERNAME, user.c_str(),
                       static_cast<uint32_t>(user.size()));
    InternetSetOptionA(request, INTERNET_OPTION_PROXY_PASSWORD, password.c_str(),
                       static_cast<uint32_t>(password.size()));
  }
  if (config_.ConnectTimeout > 0) {
    SetNumberOption(request, INTERNET_OPTION_CONNECT_TIMEOUT,
                    static_cast<uint32_t>(config_.ConnectTimeout));
  }
  if (config_.ReceiveTimeout > 0) {
    SetNumberOption(request, INTERNET_OPTION_RECEIVE_TIMEOUT,
                    static_cast<uint32_t>(config_.ReceiveTimeout));
  }
  if (config_.TransferTimeout > 0) {
    SetNumberOption(request, INTERNET_OPTION_TRANSFER_TIMEOUT,
                    static_cast<uint32_t>(config_.TransferTimeout));
  }
}

// A time-out once the whole transfer's time is up is that limit's. Any
// other failure is told in the platform's text of its cause, which tells
// apart causes that share a code; the code's own text when it has none.
void CHttpsClient::RaiseTransferError(uint32_t code, const std::string& url,
                                      Clock::time_point started) const {
  const auto limit = std::chrono::milliseconds(config_.TransferTimeout);
  if (code == ERROR_INTERNET_TIMEOUT && limit.count() > 0 && Clock::now() - started >= limit) {
    const std::string text =
        Format("Загрузка с адреса [%0:s] не завершилась за %1:d мс", {url, limit.count()});
    RaiseLimit(text, text);
  }
  uint32_t described = 0;
  char text[kStatusTextSize];
  uint32_t length = sizeof text;
  if (!InternetGetLastResponseInfoA(&described, text, &length) || described != code ||
      length == 0) {
    RaiseInternetError(code);
  }
  RaiseErrorFmt("Не удалось соединиться с сервером: %s (код %d)",
                {std::string(text, length), code});
}

// A server that asks for a client certificate gets `ClientCertSha1`'s, when
// one is set, and the request goes again.
void CHttpsClient::SendRequest(HINTERNET request, const std::string& url,
                               Clock::time_point started) const {
  for (int sends_with_certificate = 0;; ++sends_with_certificate) {
    if (HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return;
    const uint32_t error = GetLastError();
    if (error != ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED || config_.ClientCertSha1.empty() ||
        sends_with_certificate == kClientCertificateSends) {
      RaiseTransferError(error, url, started);
    }
    SetClientCertificate(request);
  }
}

void CHttpsClient::SetClientCertificate(HINTERNET request) const {
  Step("Ошибка установки сертификата: [%s]", [&] {
    const std::string hash = HexToBin(config_.ClientCertSha1);
    const StoreRef store(CertOpenSystemStoreA(nullptr, "MY"));
    if (!store) RaiseLastOSError();
    const CryptDataBlob blob{hash};
    const CertRef context(CertFindCertificateInStore(store.get(), kMsgEncoding, 0,
                                                     CERT_FIND_SHA1_HASH, &blob, nullptr));
    if (!context) RaiseError("Ошибка получения контекста сертификата");
    if (!InternetSetOptionA(request, INTERNET_OPTION_CLIENT_CERT_CONTEXT, context.get(),
                            sizeof *context)) {
      RaiseInternetError(GetLastError());
    }
  });
}

std::string CHttpsClient::ReadResponse(HINTERNET request, const std::string& url,
                                       Clock::time_point started) const {
  if (config_.CheckStatus) {
    uint32_t status = 0;
    uint32_t length = sizeof status;
    HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                   nullptr);
    if (status != 200) {
      char text[kStatusTextSize];
      uint32_t text_length = sizeof text;
      if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_TEXT, text, &text_length, nullptr)) {
        text_length = 0;
      }
      RaiseTraced(CHttpStatusException(std::string(text, text_length), status));
    }
  }
  std::string body;
  char buffer[kReadChunk];
  uint32_t read = 0;
  do {
    // A failed read is a failed download, not the end of the body.
    if (!InternetReadFile(request, buffer, sizeof buffer, &read)) {
      RaiseTransferError(GetLastError(), url, started);
    }
    if (config_.MaxBodySize > 0 && static_cast<int64_t>(body.size() + read) > config_.MaxBodySize) {
      const std::string text =
          Format("Ответ сервера по адресу [%0:s] больше %1:d байт", {url, config_.MaxBodySize});
      RaiseLimit(text, text);
    }
    body.append(buffer, read);
  } while (read != 0);
  return body;
}
