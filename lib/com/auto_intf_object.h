// CAutoIntfObject: the base of the COM objects the library makes itself.
// It serves IDispatch of the object's dual interface `Dual` through that
// interface's type info and answers ISupportErrorInfo for it; its members
// convert their errors with the dual interface's IID. Each live one counts
// in the server's object count, so that the module is not unloaded under
// a view or a key a client still holds.
#pragma once

#include "lib/com/com_server.h"
#include "lib/com/interfaced_object.h"
#include "lib/com/safe_call.h"
#include "platform/com/com_ref.h"
#include "platform/com/error_info.h"
#include "platform/com/oaidl.h"

template <typename Dual, typename... Others>
class CAutoIntfObject : public CInterfacedObject<Dual, ISupportErrorInfo, Others...> {
 public:
  // Takes a reference on `type_info`, the type info of `Dual`.
  explicit CAutoIntfObject(ITypeInfo* type_info)
      : dispatch_iid_(Dual::kIid),
        dispatch_type_info_(ComAddRef(type_info)),
        dispatch_intf_entry_(this),
        server_(CComServer::Instance()) {
    if (server_ != nullptr) server_->ObjectCreated();
  }

  HRESULT GetTypeInfoCount(uint32_t* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  HRESULT GetTypeInfo(uint32_t index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    // The caller's reference, handed out.
    dispatch_type_info_->AddRef();
    *info = dispatch_type_info_.get();
    return S_OK;
  }

  HRESULT GetIDsOfNames(const IID&, OLECHAR** names, uint32_t count, LCID, DISPID* ids) override {
    return DispGetIDsOfNames(dispatch_type_info_.get(), names, count, ids);
  }

  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, uint32_t* arg_error) override {
    if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
      flags = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    }
    return dispatch_type_info_->Invoke(dispatch_intf_entry_, id, flags, params, result, exception,
                                       arg_error);
  }

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == dispatch_iid_ ? S_OK : S_FALSE;
  }

 protected:
  ~CAutoIntfObject() override {
    if (server_ != nullptr) server_->ObjectDestroyed();
  }

  void* FindInterface(const IID& iid) override {
    if (iid == IDispatch::kIid) return static_cast<IDispatch*>(dispatch_intf_entry_);
    return CInterfacedObject<Dual, ISupportErrorInfo, Others...>::FindInterface(iid);
  }

  // The frame of every member of the dual interface.
  template <typename Body>
  HRESULT Safe(Body&& body) noexcept {
    return SafeCall(dispatch_iid_, nullptr, std::forward<Body>(body));
  }

 private:
  IID dispatch_iid_;
  const ComRef<ITypeInfo> dispatch_type_info_;
  Dual* dispatch_intf_entry_;
  CComServer* const server_;  // null while the library has none (unit tests)
};
