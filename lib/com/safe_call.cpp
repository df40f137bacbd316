#include "lib/com/safe_call.h"

#include <exception>
#include <string>

#include "lib/com/ole_error.h"
#include "platform/com/com_ref.h"
#include "platform/com/error_info.h"
#include "platform/kernel/codepage.h"

namespace {

struct Caught {
  HRESULT result = E_UNEXPECTED;
  bool has_message = false;
  std::string message;
};

Caught Classify() {
  Caught caught;
  try {
    throw;
  } catch (const EOleSysError& error) {
    caught.has_message = true;
    caught.message = error.Message();
    if (error.ErrorCode() < 0) caught.result = error.ErrorCode();
  } catch (const Exception& error) {
    caught.has_message = true;
    caught.message = error.Message();
  } catch (const std::exception& error) {
    caught.has_message = true;
    caught.message = error.what();
  } catch (...) {
  }
  return caught;
}

}  // namespace

HRESULT SafeCallException(const IID& error_iid, const char* prog_id) noexcept {
  try {
    const Caught caught = Classify();
    ICreateErrorInfo* made = nullptr;
    if (FAILED(CreateErrorInfo(&made))) return E_UNEXPECTED;
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
  } catch (...) {
    return E_UNEXPECTED;
  }
}
