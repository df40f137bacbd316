#include "lib/crypto/crypto_exception.h"

#include "lib/foundation/errors.h"
#include "platform/kernel/last_error.h"

CCryptoAPI20Exception::CCryptoAPI20Exception(CheckResult code, std::string message)
    : CCryptoAPI20Exception(GetLastError(), code, std::move(message)) {}

CCryptoAPI20Exception::CCryptoAPI20Exception(uint32_t last_error, CheckResult code,
                                             std::string message)
    : Exception(std::move(message)),
      code_(code),
      last_error_(last_error),
      error_text_(LastErrorText()) {}
