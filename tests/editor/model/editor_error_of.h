// The message of the editor error that a call raises, or "no error".
#pragma once

#include <functional>
#include <string>

#include "editor/model/editor_error.h"

inline std::string ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EditorError& e) {
    return e.Message();
  }
  return "no error";
}
