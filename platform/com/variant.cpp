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

HRESULT VariantCopy(VARIANT* dest, const VARIANT* source) {
  if (dest == nullptr || source == nullptr) return E_INVALIDARG;
  if (dest == source) return S_OK;
  VariantClear(dest);
  const bool owned_block = (source->vt & VT_ARRAY) != 0 || source->vt == VT_RECORD;
  if (owned_block && (source->vt & VT_BYREF) == 0) return DISP_E_BADVARTYPE;
  VARIANT copy = *source;
  if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
    copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
    if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
  } else if ((source->vt == VT_UNKNOWN || source->vt == VT_DISPATCH) &&
             source->punkVal != nullptr) {
    source->punkVal->AddRef();
  }
  *dest = copy;
  return S_OK;
}
