// CInterfacedObject: the reference-counted root of the library's COM
// objects. One set of IUnknown members serves every interface listed; each
// interface is found by its `kIid`, IUnknown by the first one.
#pragma once

#include <cstdint>

#include "platform/com/interlocked.h"
#include "platform/com/unknwn.h"

template <typename First, typename... Rest>
class CInterfacedObject : public First, public Rest... {
 public:
  CInterfacedObject() = default;
  CInterfacedObject(const CInterfacedObject&) = delete;
  CInterfacedObject& operator=(const CInterfacedObject&) = delete;

  uint32_t AddRef() override { return static_cast<uint32_t>(InterlockedIncrement(&ref_count_)); }

  uint32_t Release() override {
    const int32_t count = InterlockedDecrement(&ref_count_);
    if (count == 0) delete this;
    return static_cast<uint32_t>(count);
  }

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = FindInterface(iid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

 protected:
  virtual ~CInterfacedObject() = default;

  // The interface pointer for `iid`, or null; without a reference.
  virtual void* FindInterface(const IID& iid) {
    if (iid == IUnknown::kIid) return static_cast<IUnknown*>(static_cast<First*>(this));
    if (iid == First::kIid) return static_cast<First*>(this);
    void* found = nullptr;
    ((found == nullptr&& iid == Rest::kIid ? found = static_cast<Rest*>(this) : found), ...);
    return found;
  }

 private:
  int32_t ref_count_ = 0;
};
