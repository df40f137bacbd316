#include "platform/com/error_info.h"

#include <atomic>
#include <new>
#include <string>

#include "platform/com/com_ref.h"

namespace {

class ErrorInfo final : public IErrorInfo, public ICreateErrorInfo {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IUnknown::kIid || iid == IErrorInfo::kIid) {
      *object = static_cast<IErrorInfo*>(this);
    } else if (iid == ICreateErrorInfo::kIid) {
      *object = static_cast<ICreateErrorInfo*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  uint32_t AddRef() override { return ++count_; }
  uint32_t Release() override {
    const uint32_t count = --count_;
    if (count == 0) delete this;
    return count;
  }

  HRESULT GetGUID(GUID* guid) override {
    if (guid == nullptr) return E_POINTER;
    *guid = guid_;
    return S_OK;
  }
  HRESULT GetSource(BSTR* source) override { return Copy(source_, source); }
  HRESULT GetDescription(BSTR* description) override { return Copy(description_, description); }
  HRESULT GetHelpFile(BSTR* help_file) override { return Copy(help_file_, help_file); }
  HRESULT GetHelpContext(uint32_t* help_context) override {
    if (help_context == nullptr) return E_POINTER;
    *help_context = help_context_;
    return S_OK;
  }

  HRESULT SetGUID(const GUID& guid) override {
    guid_ = guid;
    return S_OK;
  }
  HRESULT SetSource(const OLECHAR* source) override { return Assign(source_, source); }
  HRESULT SetDescription(const OLECHAR* description) override {
    return Assign(description_, description);
  }
  HRESULT SetHelpFile(const OLECHAR* help_file) override { return Assign(help_file_, help_file); }
  HRESULT SetHelpContext(uint32_t help_context) override {
    help_context_ = help_context;
    return S_OK;
  }

 private:
  ~ErrorInfo() = default;

  static HRESULT Copy(const std::u16string& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  static HRESULT Assign(std::u16string& field, const OLECHAR* text) {
    field = text != nullptr ? std::u16string(text) : std::u16string();
    return S_OK;
  }

  std::atomic<uint32_t> count_{1};
  GUID guid_{};
  std::u16string source_;
  std::u16string description_;
  std::u16string help_file_;
  uint32_t help_context_ = 0;
};

// The thread's error info; its reference is given back when the thread ends.
thread_local ComRef<IErrorInfo> thread_error_info;

}  // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = new (std::nothrow) ErrorInfo;
  return *info != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetErrorInfo(uint32_t, IErrorInfo* info) {
  thread_error_info = ComAddRef(info);
  return S_OK;
}

HRESULT GetErrorInfo(uint32_t, IErrorInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = thread_error_info.release();
  return *info != nullptr ? S_OK : S_FALSE;
}
