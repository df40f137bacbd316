// The editor's errors: every action catches them and shows the message.
// Messages are cp1251.
#pragma once

#include <stdexcept>
#include <string>

class EditorError : public std::runtime_error {
 public:
  explicit EditorError(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};
