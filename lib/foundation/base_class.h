// Root of the library's classes: the one place a caught error is passed on.
#pragma once

#include <functional>
#include <new>
#include <string>
#include <type_traits>

#include "lib/foundation/errors.h"
#include "lib/foundation/exception.h"

class CBaseClass;

// Takes the caught error and the object that caught it. The default
// handler raises the error again, so it reaches the caller.
using ErrorEvent = std::function<void(const Exception& error, CBaseClass& sender)>;

class CBaseClass {
 public:
  CBaseClass();
  virtual ~CBaseClass() = default;

  CBaseClass(const CBaseClass&) = delete;
  CBaseClass& operator=(const CBaseClass&) = delete;

  // Raises `error` again (one debug line), prefixes the place when given,
  // then hands the fresh error to `OnError`; with the event cleared the error
  // is shown in a message box and dropped. Returns false when it returns.
  virtual bool HandleError(const Exception& error, const std::string& where);

  ErrorEvent OnError;

 protected:
  // The safe wrapper of public operations: runs `body`; an error of the
  // general family goes to `HandleError`, a failed allocation too as
  // `EOutOfMemory`, and the neutral result (false, 0, null, empty) is
  // returned when the handler lets the call go on. Other exceptions pass
  // through untouched.
  template <typename Body>
  auto Safe(Body&& body) -> decltype(body());
};

template <typename Body>
auto CBaseClass::Safe(Body&& body) -> decltype(body()) {
  using Result = decltype(body());
  try {
    return body();
  } catch (const Exception& error) {
    HandleError(error, std::string());
  } catch (const std::bad_alloc&) {
    HandleError(OutOfMemoryError(), std::string());
  }
  if constexpr (!std::is_void_v<Result>) return Result{};
}
