// Calls a member of a dual interface through its vtable with the dispatch
// arguments converted to the member's parameter types. libffi makes the
// call, so any parameter list of the described kinds works.
#include <ffi.h>

#include <vector>

#include "platform/com/com_ref.h"
#include "platform/com/error_info.h"
#include "platform/com/type_info.h"

namespace {

struct ArgValue {
  int32_t i4 = 0;
  VARIANT_BOOL boolean = 0;
  void* pointer = nullptr;
  bool owned_bstr = false;  // a default we made
  ComRef<IUnknown> held;    // a reference we took by QueryInterface
};

bool IsInterface(VARTYPE vt) { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }

// The variant's value without its reference level.
VARIANT Deref(const VARIANT& v) {
  VARIANT plain;
  VariantInit(&plain);
  if ((v.vt & VT_BYREF) == 0) return v;
  plain.vt = v.vt & ~VT_BYREF;
  switch (plain.vt) {
    case VT_I4: plain.lVal = *v.plVal; break;
    case VT_I2: plain.iVal = *v.piVal; break;
    case VT_BOOL: plain.boolVal = *v.pboolVal; break;
    case VT_BSTR: plain.bstrVal = *v.pbstrVal; break;
    case VT_UNKNOWN:
    case VT_DISPATCH: plain.punkVal = *v.ppunkVal; break;
    default: plain.vt = VT_EMPTY; break;
  }
  return plain;
}

bool AsInteger(const VARIANT& v, int32_t* value) {
  switch (v.vt) {
    case VT_I4: *value = v.lVal; return true;
    case VT_I2: *value = v.iVal; return true;
    case VT_BOOL: *value = v.boolVal; return true;
    default: return false;
  }
}

bool Convert(const ParamDesc& param, const VARIANT& given, ArgValue* arg) {
  const VARIANT v = Deref(given);
  int32_t integer = 0;
  switch (param.vt) {
    case VT_I4:
      if (!AsInteger(v, &integer)) return false;
      arg->i4 = integer;
      return true;
    case VT_BOOL:
      if (!AsInteger(v, &integer)) return false;
      arg->boolean = v.vt == VT_BOOL ? v.boolVal : (integer != 0 ? VARIANT_TRUE : VARIANT_FALSE);
      return true;
    case VT_BSTR:
      if (v.vt != VT_BSTR) return false;
      arg->pointer = v.bstrVal;
      return true;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (!IsInterface(v.vt)) return false;
      if (v.punkVal == nullptr) return true;
      if (FAILED(v.punkVal->QueryInterface(param.iid != nullptr ? *param.iid : IUnknown::kIid,
                                           &arg->pointer))) {
        return false;
      }
      arg->held.reset(static_cast<IUnknown*>(arg->pointer));
      return true;
    default: return false;
  }
}

ffi_type* FfiType(VARTYPE vt) {
  switch (vt) {
    case VT_I4: return &ffi_type_sint32;
    case VT_BOOL: return &ffi_type_sint16;
    default: return &ffi_type_pointer;
  }
}

void* ValueSlot(VARTYPE vt, ArgValue& arg) {
  switch (vt) {
    case VT_I4: return &arg.i4;
    case VT_BOOL: return &arg.boolean;
    default: return &arg.pointer;
  }
}

void FillException(HRESULT hr, EXCEPINFO* exception) {
  IErrorInfo* taken = nullptr;
  const bool have = GetErrorInfo(0, &taken) == S_OK;
  const ComRef<IErrorInfo> info(taken);
  if (exception == nullptr) return;
  *exception = EXCEPINFO{};
  exception->scode = hr;
  if (!have) return;
  info->GetSource(&exception->bstrSource);
  info->GetDescription(&exception->bstrDescription);
  info->GetHelpFile(&exception->bstrHelpFile);
  info->GetHelpContext(&exception->dwHelpContext);
}

// Puts the [out, retval] value into the result (or frees it).
void StoreResult(VARTYPE vt, ArgValue& out, VARIANT* result) {
  VARIANT value;
  VariantInit(&value);
  value.vt = vt;
  switch (vt) {
    case VT_I4: value.lVal = out.i4; break;
    case VT_BOOL: value.boolVal = out.boolean; break;
    case VT_BSTR: value.bstrVal = static_cast<BSTR>(out.pointer); break;
    default: value.punkVal = static_cast<IUnknown*>(out.pointer); break;
  }
  if (result != nullptr) {
    *result = value;
  } else {
    VariantClear(&value);
  }
}

}  // namespace

HRESULT InvokeFunc(const FuncDesc& func, void* instance, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, uint32_t* arg_error) {
  const bool put = func.invkind == DISPATCH_PROPERTYPUT;
  if (params->cNamedArgs > 0 &&
      !(put && params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT)) {
    return DISP_E_NONAMEDARGS;
  }
  const size_t count = func.params.size();
  size_t required = 0;
  for (const ParamDesc& p : func.params) required += p.optional ? 0 : 1;
  if (params->cArgs > count) return DISP_E_BADPARAMCOUNT;
  if (params->cArgs < required) return DISP_E_PARAMNOTOPTIONAL;

  const bool has_retval = func.retval.vt != VT_EMPTY;
  std::vector<ArgValue> args(count + (has_retval ? 1 : 0));
  std::vector<ffi_type*> types{&ffi_type_pointer};
  std::vector<void*> values{&instance};
  auto release_args = [&] {
    for (ArgValue& arg : args) {
      arg.held.reset();
      if (arg.owned_bstr) SysFreeString(static_cast<BSTR>(arg.pointer));
    }
  };

  HRESULT hr = S_OK;
  for (size_t i = 0; i < count && hr == S_OK; ++i) {
    const ParamDesc& param = func.params[i];
    if (i < params->cArgs) {
      const uint32_t position = params->cArgs - 1 - static_cast<uint32_t>(i);
      if (!Convert(param, params->rgvarg[position], &args[i])) {
        if (arg_error != nullptr) *arg_error = position;
        hr = DISP_E_TYPEMISMATCH;
      }
    } else {
      args[i].pointer = SysAllocStringLen(nullptr, 0);
      args[i].owned_bstr = true;
      if (args[i].pointer == nullptr) hr = E_OUTOFMEMORY;
    }
    types.push_back(FfiType(param.vt));
    values.push_back(ValueSlot(param.vt, args[i]));
  }
  if (hr != S_OK) {
    release_args();
    return hr;
  }
  ArgValue* out = has_retval ? &args[count] : nullptr;
  void* out_address = out != nullptr ? ValueSlot(func.retval.vt, *out) : nullptr;
  if (has_retval) {
    types.push_back(&ffi_type_pointer);
    values.push_back(&out_address);
  }

  ffi_cif cif;
  if (ffi_prep_cif(&cif, FFI_DEFAULT_ABI, static_cast<unsigned>(types.size()), &ffi_type_sint32,
                   types.data()) != FFI_OK) {
    release_args();
    return E_UNEXPECTED;
  }
  void* method = (*static_cast<void***>(instance))[func.slot];
  ffi_arg returned = 0;
  // FFI_FN is a C cast; the member is called through the vtable slot.
  ffi_call(&cif, reinterpret_cast<void (*)()>(method), &returned, values.data());
  hr = static_cast<HRESULT>(static_cast<int32_t>(returned));
  release_args();

  if (FAILED(hr)) {
    if (out != nullptr) StoreResult(func.retval.vt, *out, nullptr);
    FillException(hr, exception);
    return DISP_E_EXCEPTION;
  }
  if (out != nullptr) StoreResult(func.retval.vt, *out, result);
  return S_OK;
}
