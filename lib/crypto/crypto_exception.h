// CCryptoAPI20Exception: the error of the chain and signature checks, with
// its result code and the system error current when it was made.
#pragma once

#include <cstdint>
#include <string>

#include "lib/crypto/check_result.h"
#include "lib/foundation/exception.h"

class CCryptoAPI20Exception : public Exception {
 public:
  // Takes the thread's last error before anything else can change it.
  CCryptoAPI20Exception(CheckResult code, std::string message);

  CheckResult Code() const { return code_; }
  uint32_t LastError() const { return last_error_; }
  // LastErrorText of that error.
  const std::string& ErrorText() const { return error_text_; }

 private:
  CCryptoAPI20Exception(uint32_t last_error, CheckResult code, std::string message);

  CheckResult code_;
  uint32_t last_error_;
  std::string error_text_;
};
