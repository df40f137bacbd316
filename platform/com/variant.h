// The automation argument block: only the value kinds our dual interfaces
// use (32- and 16-bit integers, booleans, strings, interfaces, and references
// to them).
#pragma once

#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/com_export.h"
#include "platform/com/unknwn.h"

struct IDispatch;

using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using DISPID = int32_t;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_BYREF = 0x4000;

struct VARIANT {
  VARTYPE vt;
  uint16_t reserved[3];
  union {
    int32_t lVal;
    int16_t iVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    int32_t* plVal;
    int16_t* piVal;
    VARIANT_BOOL* pboolVal;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
  };
};

struct DISPPARAMS {
  VARIANT* rgvarg;  // the arguments, last one first
  DISPID* rgdispidNamedArgs;
  uint32_t cArgs;
  uint32_t cNamedArgs;
};

struct EXCEPINFO {
  uint16_t wCode;
  uint16_t wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  uint32_t dwHelpContext;
  void* pvReserved;
  void* pfnDeferredFillIn;
  HRESULT scode;
};

constexpr DISPID DISPID_PROPERTYPUT = -3;

COMAPI void VariantInit(VARIANT* value);
// Frees what the variant owns (a string, an interface reference) and empties it.
COMAPI HRESULT VariantClear(VARIANT* value);
