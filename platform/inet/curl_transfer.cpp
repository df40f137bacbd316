#include "platform/inet/curl_transfer.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "platform/inet/curl_errors.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/debug_output.h"
#include "platform/kernel/error_codes.h"

namespace {

// The platform follows this many redirects.
constexpr long kMaxRedirects = 5;
// How long one wait for the sockets may last when no time-out is closer.
constexpr int kPollMs = 1000;
constexpr const char* kCurlFailed = "внутренняя ошибка libcurl";

}  // namespace

CurlTransfer::CurlTransfer(const TransferSettings& settings)
    : tls_(settings.security_flags, settings.client_certificate),
      easy_(curl_easy_init()),
      multi_(curl_multi_init()),
      receive_timeout_(settings.receive_timeout_ms),
      transfer_timeout_(settings.transfer_timeout_ms),
      created_(Clock::now()) {}

CurlTransfer::~CurlTransfer() {
  if (attached_) curl_multi_remove_handle(multi_.get(), easy_.get());
}

std::unique_ptr<CurlTransfer> CurlTransfer::Create(const TransferSettings& settings,
                                                   TransferFailure& failure) {
  std::unique_ptr<CurlTransfer> transfer(new CurlTransfer(settings));
  if (!transfer->easy_ || !transfer->multi_) {
    failure = {ERROR_NOT_ENOUGH_MEMORY, "недостаточно памяти"};
    return nullptr;
  }
  const CURLcode result = transfer->Configure(settings);
  if (result != CURLE_OK) {
    failure = FailureFromCurl(result, transfer->tls_, {});
    return nullptr;
  }
  return transfer;
}

CURLcode CurlTransfer::Configure(const TransferSettings& settings) {
  CURL* easy = easy_.get();
  CURLcode result = CURLE_OK;
  // Values go through curl's varargs: longs as long, texts as char pointers.
  auto set = [&](CURLoption option, auto value) {
    if (result == CURLE_OK) result = curl_easy_setopt(easy, option, value);
  };
  set(CURLOPT_ERRORBUFFER, curl_text_);
  set(CURLOPT_URL, settings.url.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  set(CURLOPT_FOLLOWLOCATION, 1L);
  set(CURLOPT_MAXREDIRS, kMaxRedirects);
  set(CURLOPT_HTTP_VERSION,
      static_cast<long>(settings.http_1_0 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1));
  if (!settings.user_agent.empty()) set(CURLOPT_USERAGENT, settings.user_agent.c_str());
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.connect_timeout_ms));

  switch (settings.proxy_mode) {
    case ProxyMode::Environment: break;  // libcurl reads the environment itself
    case ProxyMode::Direct: set(CURLOPT_PROXY, ""); break;
    case ProxyMode::Named:
      set(CURLOPT_PROXY, settings.proxy.c_str());
      set(CURLOPT_NOPROXY, "");  // a named proxy has no bypass list
      break;
  }
  if (settings.proxy_user) set(CURLOPT_PROXYUSERNAME, settings.proxy_user->c_str());
  if (settings.proxy_password) set(CURLOPT_PROXYPASSWORD, settings.proxy_password->c_str());
  // The tunnel's own response must not pass for the server's.
  set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

  if (settings.reload) {
    // No cache of ours to skip; these keep caches on the way from answering.
    headers_.reset(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    if (!headers_ || curl_slist_append(headers_.get(), "Pragma: no-cache") == nullptr) {
      return CURLE_OUT_OF_MEMORY;
    }
    set(CURLOPT_HTTPHEADER, headers_.get());
  }

  set(CURLOPT_SSL_VERIFYPEER, 1L);
  if (settings.security_flags & SECURITY_FLAG_IGNORE_UNKNOWN_CA) {
    // No issuer is trusted or distrusted then: the system's CA bundle is not
    // needed, nor is a machine without one a reason to fail.
    set(CURLOPT_CAINFO, static_cast<const char*>(nullptr));
    set(CURLOPT_CAPATH, static_cast<const char*>(nullptr));
  }
  set(CURLOPT_SSL_VERIFYHOST,
      (settings.security_flags & SECURITY_FLAG_IGNORE_CERT_CN_INVALID) ? 0L : 2L);
  set(CURLOPT_SSL_CTX_FUNCTION, &CurlTransfer::TlsContextCallback);
  set(CURLOPT_SSL_CTX_DATA, static_cast<void*>(this));

  set(CURLOPT_HEADERFUNCTION, &CurlTransfer::HeaderCallback);
  set(CURLOPT_HEADERDATA, static_cast<void*>(this));
  set(CURLOPT_WRITEFUNCTION, &CurlTransfer::BodyCallback);
  set(CURLOPT_WRITEDATA, static_cast<void*>(this));
  set(CURLOPT_PREREQFUNCTION, &CurlTransfer::RequestSentCallback);
  set(CURLOPT_PREREQDATA, static_cast<void*>(this));
  return result;
}

uint32_t CurlTransfer::Start() {
  if (failure_.code != 0) return failure_.code;
  if (!attached_) {
    if (curl_multi_add_handle(multi_.get(), easy_.get()) != CURLM_OK) {
      return Fail({ERROR_INTERNET_INTERNAL_ERROR, kCurlFailed});
    }
    attached_ = true;
  }
  return RunUntil([this] { return headers_complete_ || read_pos_ < body_.size(); });
}

uint32_t CurlTransfer::Read(char* buffer, uint32_t size, uint32_t& read) {
  read = 0;
  if (size == 0) return 0;
  if (read_pos_ == body_.size()) {
    body_.clear();
    read_pos_ = 0;
    if (const uint32_t error = RunUntil([this] { return read_pos_ < body_.size(); })) {
      return error;
    }
  }
  const size_t count = std::min<size_t>(size, body_.size() - read_pos_);
  std::memcpy(buffer, body_.data() + read_pos_, count);
  read_pos_ += count;
  read = static_cast<uint32_t>(count);
  return 0;
}

template <typename Ready>
uint32_t CurlTransfer::RunUntil(Ready ready) {
  while (!ready()) {
    if (failure_.code != 0) return failure_.code;
    if (finished_) return result_ == CURLE_OK ? 0 : FailWithResult();
    int running = 0;
    // Checked before each step, so that a server sending fast enough to
    // keep the transfer busy is held to the limit too.
    if (transfer_timeout_.count() > 0 && Clock::now() - created_ >= transfer_timeout_) {
      return Fail({ERROR_INTERNET_TIMEOUT, "загрузка не завершилась за отведённое ей время"});
    }
    if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
      return Fail({ERROR_INTERNET_INTERNAL_ERROR, kCurlFailed});
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
      if (message->msg == CURLMSG_DONE) {
        finished_ = true;
        result_ = message->data.result;
      }
    }
    if (finished_ || ready()) continue;

    int wait_ms = kPollMs;
    if (awaiting_server_ && receive_timeout_.count() > 0) {
      const auto waited = Clock::now() - last_arrival_;
      if (waited >= receive_timeout_) {
        return Fail({ERROR_INTERNET_TIMEOUT, "сервер молчит дольше отведённого времени"});
      }
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(receive_timeout_ - waited);
      wait_ms = static_cast<int>(std::min<long long>(wait_ms, left.count()));
    }
    if (transfer_timeout_.count() > 0) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(transfer_timeout_ -
                                                                     (Clock::now() - created_));
      wait_ms = static_cast<int>(std::clamp<long long>(left.count(), 0, wait_ms));
    }
    if (curl_multi_poll(multi_.get(), nullptr, 0, wait_ms, nullptr) != CURLM_OK) {
      return Fail({ERROR_INTERNET_INTERNAL_ERROR, kCurlFailed});
    }
  }
  return 0;
}

uint32_t CurlTransfer::Fail(TransferFailure failure) {
  failure_ = std::move(failure);
  return failure_.code;
}

uint32_t CurlTransfer::FailWithResult() {
  const std::string own = curl_text_[0] != '\0' ? curl_text_ : curl_easy_strerror(result_);
  OutputDebugStringA(("[libcurl: " + own + "]").c_str());
  const TransferStage stage{awaiting_server_, status_code_, headers_complete_, header_bytes_};
  return Fail(FailureFromCurl(result_, tls_, stage));
}

void CurlTransfer::OnHeaderLine(const char* data, size_t length) {
  last_arrival_ = Clock::now();
  header_bytes_ += length;
  std::string_view line(data, length);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.starts_with("HTTP/")) {
    // "HTTP/1.1 404 Not Found": a new response begins, perhaps after a
    // redirect or an interim one.
    const size_t code_at = std::min(line.find(' '), line.size());
    std::string_view rest = line.substr(code_at);
    rest.remove_prefix(std::min<size_t>(1, rest.size()));
    uint32_t code = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), code);
    rest.remove_prefix(end - rest.data());
    rest.remove_prefix(std::min<size_t>(1, rest.size()));
    status_code_ = error == std::errc() ? code : 0;
    status_text_ = std::string(rest);
    headers_complete_ = false;
  } else if (line.empty()) {
    // The end of a response's headers. An interim response is followed by
    // another; after a redirect libcurl goes on to the new address or, when
    // it does not, finishes the transfer.
    const bool interim = status_code_ < 200;
    const bool redirect = status_code_ >= 300 && status_code_ < 400;
    if (!interim && !redirect) headers_complete_ = true;
  }
}

size_t CurlTransfer::HeaderCallback(char* data, size_t size, size_t count, void* self) {
  static_cast<CurlTransfer*>(self)->OnHeaderLine(data, size * count);
  return size * count;
}

size_t CurlTransfer::BodyCallback(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<CurlTransfer*>(self);
  transfer->last_arrival_ = Clock::now();
  transfer->body_.append(data, size * count);
  return size * count;
}

int CurlTransfer::RequestSentCallback(void* self, char*, char*, int, int) {
  // Connected (and through the TLS handshake): from here on the server's
  // silence counts against the receive time-out.
  auto* transfer = static_cast<CurlTransfer*>(self);
  transfer->awaiting_server_ = true;
  transfer->last_arrival_ = Clock::now();
  return CURL_PREREQFUNC_OK;
}

CURLcode CurlTransfer::TlsContextCallback(CURL*, void* ssl_ctx, void* self) {
  static_cast<CurlTransfer*>(self)->tls_.Install(ssl_ctx);
  return CURLE_OK;
}
