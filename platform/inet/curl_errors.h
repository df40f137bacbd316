// libcurl's results as the platform's error codes.
#pragma once

#include <curl/curl.h>

#include <cstdint>

class TlsPolicy;

// `tls` tells certificate problems and client-certificate requests apart.
uint32_t InternetErrorFromCurl(CURLcode result, const TlsPolicy& tls);
