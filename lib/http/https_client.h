// One synchronous HTTP(S) GET over WinInet, returning the response body.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "lib/http/https_client_config.h"
#include "platform/inet/internet_handle.h"

struct ParsedUrl;

class CHttpsClient {
 public:
  CHttpsClient() = default;
  explicit CHttpsClient(CHttpsClientConfig config) : config_(std::move(config)) {}

  CHttpsClientConfig& Config() { return config_; }
  const CHttpsClientConfig& Config() const { return config_; }

  // The complete body of `url`. Raises on every failure, each step's in its
  // own message, also for a body over `MaxBodySize` and a transfer longer
  // than `TransferTimeout`, naming the address and the limit (as
  // CDownloadLimitException); with `CheckStatus` a status other
  // than 200 raises `CHttpStatusException`. Without it the body of any status is returned. A server
  // that asks for a client certificate is sent the request again with `ClientCertSha1`'s from the
  // current user's "MY" store, when that is set, at most twice.
  std::string Get(const std::string& url);

  // "Не удалось соединиться с сервером: %s (код %d)" with the code's text.
  [[noreturn]] static void RaiseInternetError(uint32_t code);

 private:
  std::string Execute(const std::string& url);
  UniqueInternetHandle OpenInternet() const;
  UniqueInternetHandle Connect(HINTERNET internet, const ParsedUrl& url) const;
  UniqueInternetHandle OpenRequest(HINTERNET connection, const ParsedUrl& url) const;
  void SetRequestOptions(HINTERNET request, const ParsedUrl& url) const;
  using Clock = std::chrono::steady_clock;
  // `started`: when the GET began, for the whole transfer's time limit.
  void SendRequest(HINTERNET request, const std::string& url, Clock::time_point started) const;
  void SetClientCertificate(HINTERNET request) const;
  std::string ReadResponse(HINTERNET request, const std::string& url,
                           Clock::time_point started) const;
  [[noreturn]] void RaiseTransferError(uint32_t code, const std::string& url,
                                       Clock::time_point started) const;

  CHttpsClientConfig config_;
};
