// One GET over libcurl's multi interface, driven by the caller: Start runs it
// until the response's status and headers are in, Read until more of the
// body is. Between the two calls nothing happens on the connection.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/inet/curl_errors.h"
#include "platform/inet/tls_policy.h"
#include "platform/inet/transfer_settings.h"

class CurlTransfer {
 public:
  // Null and what failed when libcurl cannot take the settings.
  static std::unique_ptr<CurlTransfer> Create(const TransferSettings& settings,
                                              TransferFailure& failure);
  ~CurlTransfer();
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // 0 or the platform's error code; a failure is final for the transfer,
  // and `Failure` holds its code and text.
  uint32_t Start();
  // Copies up to `size` bytes of the body; 0 bytes at its end.
  uint32_t Read(char* buffer, uint32_t size, uint32_t& read);

  const TransferFailure& Failure() const { return failure_; }

  // Of the final response, once Start has succeeded.
  uint32_t StatusCode() const { return status_code_; }
  const std::string& StatusText() const { return status_text_; }

 private:
  using Clock = std::chrono::steady_clock;
  struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
  };
  struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
  };
  struct ListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
  };

  explicit CurlTransfer(const TransferSettings& settings);
  CURLcode Configure(const TransferSettings& settings);
  template <typename Ready>
  uint32_t RunUntil(Ready ready);
  uint32_t Fail(TransferFailure failure);
  // libcurl's result, its own text to the debug trace.
  uint32_t FailWithResult();

  void OnHeaderLine(const char* line, size_t length);
  static size_t HeaderCallback(char* data, size_t size, size_t count, void* self);
  static size_t BodyCallback(char* data, size_t size, size_t count, void* self);
  static int RequestSentCallback(void* self, char*, char*, int, int);
  static CURLcode TlsContextCallback(CURL*, void* ssl_ctx, void* self);

  TlsPolicy tls_;
  std::unique_ptr<CURL, EasyCleanup> easy_;
  std::unique_ptr<CURLM, MultiCleanup> multi_;
  std::unique_ptr<curl_slist, ListCleanup> headers_;
  bool attached_ = false;

  std::chrono::milliseconds receive_timeout_;
  std::chrono::milliseconds transfer_timeout_;  // from `created_` on; 0: none
  Clock::time_point created_;
  bool awaiting_server_ = false;  // connected: the receive time-out runs
  Clock::time_point last_arrival_;

  uint32_t status_code_ = 0;
  std::string status_text_;
  bool headers_complete_ = false;
  size_t header_bytes_ = 0;
  std::string body_;  // received, not yet read from `read_pos_` on
  size_t read_pos_ = 0;
  bool finished_ = false;
  CURLcode result_ = CURLE_OK;
  char curl_text_[CURL_ERROR_SIZE] = {};
  TransferFailure failure_;
};
