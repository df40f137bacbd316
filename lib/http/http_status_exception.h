// A response whose status was not 200, when the client checks the status.
#pragma once

#include <cstdint>
#include <string>

#include "lib/foundation/exception.h"

class CHttpStatusException : public Exception {
 public:
  // `status_text` is the response's own reason phrase, the whole message.
  CHttpStatusException(std::string status_text, uint32_t status_code)
      : Exception(std::move(status_text)), status_code_(status_code) {}

  uint32_t StatusCode() const { return status_code_; }

 private:
  uint32_t status_code_;
};
