#include "platform/com/variant.h"

#include <cstring>

#include "platform/com/oaidl.h"

void VariantInit(VARIANT* value) { std::memset(value, 0, sizeof(VARIANT)); }

HRESULT VariantClear(VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  switch (value->vt) {
    case VT_BSTR: SysFreeString(value->bstrVal); break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (value->punkVal != nullptr) value->punkVal->Release();
      break;
    default: break;
  }
  VariantInit(value);
  return S_OK;
}
