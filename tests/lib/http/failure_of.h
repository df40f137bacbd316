// The message of the error a download with the HTTPS client raises, or
// "(no error)".
#pragma once

#include <string>

#include "lib/foundation/exception.h"
#include "lib/http/https_client.h"

inline std::string FailureOf(CHttpsClient& client, const std::string& url) {
  try {
    client.Get(url);
  } catch (const Exception& error) {
    return error.Message();
  }
  return "(no error)";
}
