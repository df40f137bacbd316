#include "lib/com/safe_call.h"

#include <exception>
#include <new>
#include <string>

#include "lib/com/ole_error.h"
#include "lib/foundation/errors.h"
#include "platform/com/com_ref.h"
#include "platform/com/error_info.h"
#include "platform/kernel/codepage.h"

CaughtError ClassifyCaught(HRESULT otherwise) noexcept {
  CaughtError caught{otherwise, false, std::string()};
  // The result is settled before the text is copied, which may itself run
  // out of memory.
  const auto describe = [&](HRESULT result, const std::string& message) {
    caught.result = result;
    caught.message = message;
    caught.has_message = true;
  };
  try {
    try {
      throw;
    } catch (const EOleSysError& error) {
      describe(error.ErrorCode() < 0 ? error.ErrorCode() : otherwise, error.Message());
    } catch (const EOutOfMemory& error) {
      describe(E_OUTOFMEMORY, error.Message());
    } catch (const Exception& error) {
      describe(otherwise, error.Message());
    } catch (const std::bad_alloc&) {
      // An allocation that failed outside the library's safe wrappers.
      caught.result = E_OUTOFMEMORY;
      describe(E_OUTOFMEMORY, OutOfMemoryError().Message());
    } catch (const std::exception& error) {
      describe(otherwise, error.what());
    }
  } catch (...) {
    // A foreign throw, or a text that could not be made: no description.
  }
  return caught;
}

HRESULT SafeCallException(const IID& error_iid, const char* prog_id) noexcept {
  try {
    const CaughtError caught = ClassifyCaught(E_UNEXPECTED);
    ICreateErrorInfo* made = nullptr;
    if (FAILED(CreateErrorInfo(&made))) return caught.result;
    const ComRef<ICreateErrorInfo> create(made);
    create->SetGUID(error_iid);
    if (prog_id != nullptr) create->SetSource(AnsiToWide(prog_id).c_str());
    if (caught.has_message) {
      create->SetDescription(AnsiToWide(caught.message).c_str());
      create->SetHelpContext(0);
    }
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IErrorInfo::kIid, reinterpret_cast<void**>(&info)))) {
      const ComRef<IErrorInfo> held(info);
      SetErrorInfo(0, held.get());
    }
    return caught.result;
  } catch (const std::bad_alloc&) {
    // The error info could not be made.
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}
