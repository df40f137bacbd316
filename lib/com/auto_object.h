// The automation objects behind the creatable classes. Each live one counts
// in its server's object count; its IDispatch uses the type info of the
// class's default interface that the factory holds, and its members convert
// their errors with that interface's IID and the ProgID as source.
#pragma once

#include "lib/com/auto_object_factory.h"
#include "lib/com/com_server.h"
#include "lib/com/interfaced_object.h"
#include "lib/com/safe_call.h"
#include "platform/com/error_info.h"
#include "platform/com/oaidl.h"

// What a factory needs of the objects it makes, whatever their interfaces.
class CAutoObjectBase {
 public:
  CAutoObjectBase(const CAutoObjectBase&) = delete;
  CAutoObjectBase& operator=(const CAutoObjectBase&) = delete;
  virtual ~CAutoObjectBase() { factory_.Server().ObjectDestroyed(); }

  // Called by the factory right after construction: the class makes its
  // owned model object here. May raise.
  virtual void Initialize() {}
  // The object's IUnknown, without a reference.
  virtual IUnknown* Unknown() = 0;

 protected:
  explicit CAutoObjectBase(CAutoObjectFactory& factory) : factory_(factory) {
    factory_.Server().ObjectCreated();
  }
  CAutoObjectFactory& Factory() const { return factory_; }

 private:
  CAutoObjectFactory& factory_;
};

template <typename Dual, typename... Others>
class CAutoObject : public CInterfacedObject<Dual, ISupportErrorInfo, Others...>,
                    public CAutoObjectBase {
 public:
  explicit CAutoObject(CAutoObjectFactory& factory) : CAutoObjectBase(factory) {}

  IUnknown* Unknown() override { return static_cast<Dual*>(this); }

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
    *info = Factory().DispatchTypeInfo();
    (*info)->AddRef();
    return S_OK;
  }

  HRESULT GetIDsOfNames(const IID&, OLECHAR** names, uint32_t count, LCID, DISPID* ids) override {
    return DispGetIDsOfNames(Factory().DispatchTypeInfo(), names, count, ids);
  }

  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, uint32_t* arg_error) override {
    if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
      flags = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    }
    return Factory().DispatchTypeInfo()->Invoke(static_cast<Dual*>(this), id, flags, params, result,
                                                exception, arg_error);
  }

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return this->FindInterface(iid) != nullptr ? S_OK : S_FALSE;
  }

 protected:
  void* FindInterface(const IID& iid) override {
    if (iid == IDispatch::kIid) return static_cast<IDispatch*>(static_cast<Dual*>(this));
    return CInterfacedObject<Dual, ISupportErrorInfo, Others...>::FindInterface(iid);
  }

  // The frame of every member of the class's interfaces.
  template <typename Body>
  HRESULT Safe(Body&& body) noexcept {
    return SafeCall(Factory().ErrorIid(), Factory().ProgId().c_str(), std::forward<Body>(body));
  }
};
