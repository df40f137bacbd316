#include "platform/com/class_factory.h"

HRESULT CoLockObjectExternal(IUnknown* object, BOOL lock, BOOL) {
  if (object == nullptr) return E_INVALIDARG;
  if (lock) {
    object->AddRef();
  } else {
    object->Release();
  }
  return S_OK;
}
