#include "platform/inet/wininet.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crypt_env.h"
#include "platform/inet/client_certificate.h"
#include "platform/inet/curl_errors.h"
#include "platform/inet/curl_transfer.h"
#include "platform/inet/transfer_settings.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

struct InternetObject {
  virtual ~InternetObject() = default;
};

namespace {

constexpr uint32_t kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE |
                                   INTERNET_FLAG_IGNORE_CERT_DATE_INVALID |
                                   INTERNET_FLAG_IGNORE_CERT_CN_INVALID;
constexpr uint32_t kSecurityFlags = SECURITY_FLAG_IGNORE_UNKNOWN_CA |
                                    SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                                    SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;

// libcurl's process-wide state, held while any handle lives.
class CurlLibrary {
 public:
  CurlLibrary() {
    // The gost engine goes in first: OpenSSL settles the cipher suites that a
    // TLS context may use when the context is made.
    IsGostEngineAvailable();
    ready_ = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  }
  ~CurlLibrary() {
    if (ready_) curl_global_cleanup();
  }
  CurlLibrary(const CurlLibrary&) = delete;
  CurlLibrary& operator=(const CurlLibrary&) = delete;
  bool Ready() const { return ready_; }

 private:
  bool ready_ = false;
};

struct SessionSettings {
  CurlLibrary library;
  std::string agent;
  ProxyMode proxy_mode = ProxyMode::Environment;
  std::string proxy;
};

struct Session : InternetObject {
  std::shared_ptr<const SessionSettings> settings;
};

struct Connection : InternetObject {
  std::shared_ptr<const SessionSettings> session;
  std::string server;
  uint16_t port = 0;
};

struct Request : InternetObject {
  std::shared_ptr<const SessionSettings> session;  // keeps libcurl up
  TransferSettings settings;
  std::unique_ptr<CurlTransfer> transfer;  // set once sent
};

template <typename T>
T* HandleAs(HINTERNET handle) {
  if (handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto* object = dynamic_cast<T*>(handle);
  if (object == nullptr) SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  return object;
}

Request* SentRequest(HINTERNET handle) {
  Request* request = HandleAs<Request>(handle);
  if (request != nullptr && !request->transfer) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return nullptr;
  }
  return request;
}

// The thread's last failed send or read: what InternetGetLastResponseInfoA
// gives, as the platform keeps it per thread.
thread_local TransferFailure last_transfer_failure;

bool Fail(uint32_t code) {
  SetLastError(code);
  return false;
}

bool FailTransfer(const TransferFailure& failure) {
  last_transfer_failure = failure;
  return Fail(failure.code);
}

bool IsEmpty(const char* text) { return text == nullptr || *text == '\0'; }

// The path as a URL carries it: bytes that may not stand in one are escaped,
// while "%" is left alone, as the address may already be escaped.
std::string UrlPath(std::string_view object_name) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  static constexpr std::string_view kUnsafe = "\"<>\\^`{|}";
  std::string path;
  if (!object_name.starts_with('/')) path += '/';
  for (const char c : object_name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || kUnsafe.find(c) != std::string_view::npos) {
      path += '%';
      path += kDigits[byte >> 4];
      path += kDigits[byte & 0x0F];
    } else {
      path += c;
    }
  }
  return path;
}

bool CopyText(const std::string& text, void* buffer, uint32_t* length) {
  const auto needed = static_cast<uint32_t>(text.size() + 1);
  if (buffer == nullptr || *length < needed) {
    *length = needed;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, text.c_str(), needed);
  *length = needed - 1;
  return true;
}

bool CopyNumber(uint32_t value, void* buffer, uint32_t* length) {
  if (buffer == nullptr || *length < sizeof value) {
    *length = sizeof value;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, &value, sizeof value);
  *length = sizeof value;
  return true;
}

}  // namespace

HINTERNET InternetOpenA(const char* agent, uint32_t access_type, const char* proxy,
                        const char* proxy_bypass, uint32_t flags) {
  if (flags != 0 || !IsEmpty(proxy_bypass)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto settings = std::make_shared<SessionSettings>();
  switch (access_type) {
    case INTERNET_OPEN_TYPE_PRECONFIG: settings->proxy_mode = ProxyMode::Environment; break;
    case INTERNET_OPEN_TYPE_DIRECT: settings->proxy_mode = ProxyMode::Direct; break;
    case INTERNET_OPEN_TYPE_PROXY:
      if (IsEmpty(proxy)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      settings->proxy_mode = ProxyMode::Named;
      settings->proxy = proxy;
      break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
  if (!settings->library.Ready()) {
    SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
    return nullptr;
  }
  if (agent != nullptr) settings->agent = agent;
  auto* session = new Session;
  session->settings = std::move(settings);
  return session;
}

HINTERNET InternetConnectA(HINTERNET internet, const char* server, uint16_t port, const char* user,
                           const char* password, uint32_t service, uint32_t flags, uintptr_t) {
  Session* session = HandleAs<Session>(internet);
  if (session == nullptr) return nullptr;
  if (IsEmpty(server) || !IsEmpty(user) || !IsEmpty(password) || service != INTERNET_SERVICE_HTTP ||
      flags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* connection = new Connection;
  connection->session = session->settings;
  connection->server = server;
  connection->port = port;
  return connection;
}

HINTERNET HttpOpenRequestA(HINTERNET connection_handle, const char* verb, const char* object_name,
                           const char* version, const char*, const char** accept_types,
                           uint32_t flags, uintptr_t) {
  Connection* connection = HandleAs<Connection>(connection_handle);
  if (connection == nullptr) return nullptr;
  const std::string_view http_version = version == nullptr ? "HTTP/1.1" : version;
  if ((verb != nullptr && std::string_view(verb) != "GET") ||
      (http_version != "HTTP/1.1" && http_version != "HTTP/1.0") || accept_types != nullptr ||
      (flags & ~kRequestFlags) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool secure = flags & INTERNET_FLAG_SECURE;
  const uint16_t port = connection->port != 0 ? connection->port : (secure ? 443 : 80);
  const bool ipv6 = connection->server.find(':') != std::string::npos;

  auto* request = new Request;
  request->session = connection->session;
  TransferSettings& settings = request->settings;
  settings.url = secure ? "https://" : "http://";
  settings.url += ipv6 ? "[" + connection->server + "]" : connection->server;
  settings.url += ':';  // appended apart: GCC 12 at -O3 sees an overlap in ":" + text
  settings.url += std::to_string(port);
  settings.url += UrlPath(object_name == nullptr ? "" : object_name);
  settings.user_agent = connection->session->agent;
  settings.proxy_mode = connection->session->proxy_mode;
  settings.proxy = connection->session->proxy;
  settings.http_1_0 = http_version == "HTTP/1.0";
  settings.reload = flags & INTERNET_FLAG_RELOAD;
  // The two certificate flags of a request share their values with the
  // security flags they stand for.
  settings.security_flags =
      flags & (INTERNET_FLAG_IGNORE_CERT_DATE_INVALID | INTERNET_FLAG_IGNORE_CERT_CN_INVALID);
  return request;
}

bool HttpSendRequestA(HINTERNET handle, const char* headers, uint32_t headers_length,
                      void* optional, uint32_t optional_length) {
  last_transfer_failure = {};
  Request* request = HandleAs<Request>(handle);
  if (request == nullptr) return false;
  if ((headers != nullptr && headers_length != 0 && *headers != '\0') || optional != nullptr ||
      optional_length != 0) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  request->transfer.reset();
  TransferFailure failure;
  std::unique_ptr<CurlTransfer> transfer = CurlTransfer::Create(request->settings, failure);
  if (!transfer) return FailTransfer(failure);
  if (transfer->Start() != ERROR_SUCCESS) return FailTransfer(transfer->Failure());
  request->transfer = std::move(transfer);
  return true;
}

bool HttpQueryInfoA(HINTERNET handle, uint32_t info_level, void* buffer, uint32_t* length,
                    uint32_t*) {
  Request* request = SentRequest(handle);
  if (request == nullptr) return false;
  if (length == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const bool as_number = info_level & HTTP_QUERY_FLAG_NUMBER;
  switch (info_level & ~HTTP_QUERY_FLAG_NUMBER) {
    case HTTP_QUERY_STATUS_CODE: {
      const uint32_t code = request->transfer->StatusCode();
      return as_number ? CopyNumber(code, buffer, length)
                       : CopyText(std::to_string(code), buffer, length);
    }
    case HTTP_QUERY_STATUS_TEXT:
      if (as_number) return Fail(ERROR_INVALID_PARAMETER);
      return CopyText(request->transfer->StatusText(), buffer, length);
    default: return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
  }
}

bool InternetReadFile(HINTERNET handle, void* buffer, uint32_t to_read, uint32_t* read) {
  last_transfer_failure = {};
  Request* request = SentRequest(handle);
  if (request == nullptr) return false;
  if (read == nullptr || (buffer == nullptr && to_read != 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const uint32_t error = request->transfer->Read(static_cast<char*>(buffer), to_read, *read);
  return error == ERROR_SUCCESS || FailTransfer(request->transfer->Failure());
}

bool InternetGetLastResponseInfoA(uint32_t* error, char* buffer, uint32_t* length) {
  if (error == nullptr || length == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *error = last_transfer_failure.code;
  return CopyText(TransferFailureText(last_transfer_failure), buffer, length);
}

bool InternetQueryOptionA(HINTERNET handle, uint32_t option, void* buffer, uint32_t* length) {
  Request* request = HandleAs<Request>(handle);
  if (request == nullptr) return false;
  if (length == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const TransferSettings& settings = request->settings;
  switch (option) {
    case INTERNET_OPTION_SECURITY_FLAGS: return CopyNumber(settings.security_flags, buffer, length);
    case INTERNET_OPTION_CONNECT_TIMEOUT:
      return CopyNumber(settings.connect_timeout_ms, buffer, length);
    case INTERNET_OPTION_RECEIVE_TIMEOUT:
      return CopyNumber(settings.receive_timeout_ms, buffer, length);
    case INTERNET_OPTION_TRANSFER_TIMEOUT:
      return CopyNumber(settings.transfer_timeout_ms, buffer, length);
    default: return Fail(ERROR_INTERNET_INVALID_OPTION);
  }
}

bool InternetSetOptionA(HINTERNET handle, uint32_t option, const void* buffer, uint32_t length) {
  Request* request = HandleAs<Request>(handle);
  if (request == nullptr) return false;
  if (buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  TransferSettings& settings = request->settings;
  uint32_t number = 0;
  switch (option) {
    case INTERNET_OPTION_CLIENT_CERT_CONTEXT: {
      if (length != sizeof(CertContext)) return Fail(ERROR_INTERNET_BAD_OPTION_LENGTH);
      auto certificate = ClientCertificate::Load(static_cast<const CertContext*>(buffer));
      if (!certificate) return Fail(ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP);
      settings.client_certificate = std::move(certificate);
      return true;
    }
    case INTERNET_OPTION_SECURITY_FLAGS:
    case INTERNET_OPTION_CONNECT_TIMEOUT:
    case INTERNET_OPTION_RECEIVE_TIMEOUT:
    case INTERNET_OPTION_TRANSFER_TIMEOUT:
      if (length != sizeof number) return Fail(ERROR_INTERNET_BAD_OPTION_LENGTH);
      std::memcpy(&number, buffer, sizeof number);
      break;
    case INTERNET_OPTION_PROXY_USERNAME:
    case INTERNET_OPTION_PROXY_PASSWORD: {
      std::string text(static_cast<const char*>(buffer), length);
      text.resize(std::strlen(text.c_str()));  // a counted terminating zero
      (option == INTERNET_OPTION_PROXY_USERNAME ? settings.proxy_user : settings.proxy_password) =
          std::move(text);
      return true;
    }
    default: return Fail(ERROR_INTERNET_INVALID_OPTION);
  }
  switch (option) {
    case INTERNET_OPTION_SECURITY_FLAGS:
      if ((number & ~kSecurityFlags) != 0) return Fail(ERROR_INVALID_PARAMETER);
      settings.security_flags = number;
      break;
    case INTERNET_OPTION_CONNECT_TIMEOUT: settings.connect_timeout_ms = number; break;
    case INTERNET_OPTION_RECEIVE_TIMEOUT: settings.receive_timeout_ms = number; break;
    case INTERNET_OPTION_TRANSFER_TIMEOUT: settings.transfer_timeout_ms = number; break;
  }
  return true;
}

bool InternetCloseHandle(HINTERNET handle) {
  if (handle == nullptr) return Fail(ERROR_INVALID_HANDLE);
  delete handle;
  return true;
}
