// A download stopped by one of the client's bounds on its size and its
// time. The message is the error as it reached the caller; `Limit` is the
// bound's own sentence, which names the address and the limit, so that a
// check that fails for want of what was downloaded can say why.
#pragma once

#include <string>

#include "lib/foundation/exception.h"

class CDownloadLimitException : public Exception {
 public:
  CDownloadLimitException(std::string message, std::string limit)
      : Exception(std::move(message)), limit_(std::move(limit)) {}

  const std::string& Limit() const { return limit_; }

 private:
  std::string limit_;
};
