// The library's error kinds. `Exception` is the general family that the
// safe wrappers catch; `EOSError` adds the system error code; `EOutOfMemory`
// is what a failed allocation (std::bad_alloc) becomes inside the library.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}

  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

class EOSError : public Exception {
 public:
  EOSError(std::string message, uint32_t error_code)
      : Exception(std::move(message)), error_code_(error_code) {}

  uint32_t ErrorCode() const { return error_code_; }

 private:
  uint32_t error_code_;
};

class EOutOfMemory : public Exception {
 public:
  using Exception::Exception;
};
