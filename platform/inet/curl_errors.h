// libcurl's results as the platform's error codes, each with our text of
// its cause in code page 1251 (libcurl's own text is for the debug trace).
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>

class TlsPolicy;

// What ended a transfer. Trivially destructible, since a thread keeps its
// last one: a thread-local with a destructor in a dlopen'd module trips
// LeakSanitizer's walk over the threads' dynamic TLS at exit.
struct TransferFailure {
  uint32_t code = 0;
  const char* text = "";  // static text of the cause
  int curl_result = 0;    // libcurl's result where the cause has no text of its own
};

// The cause in words: the text, with libcurl's result when there is one.
std::string TransferFailureText(const TransferFailure& failure);

// How far a transfer had come when libcurl gave up, which tells apart
// causes that libcurl reports with one result.
struct TransferStage {
  bool sent = false;              // connected, the request on its way
  uint32_t status = 0;            // of the last response begun; 0 before any
  bool headers_complete = false;  // of the final response
  size_t header_bytes = 0;        // of the header lines received whole
};

// `tls` tells certificate problems and client-certificate requests apart.
TransferFailure FailureFromCurl(CURLcode result, const TlsPolicy& tls, const TransferStage& stage);
