// The message of the library error that a call raises, or "no error".
#pragma once

#include <functional>
#include <string>

#include "lib/foundation/exception.h"

inline std::string ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
}
