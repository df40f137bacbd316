// The automation argument block in the platform's 64-bit layout: a 16-bit
// type, three reserved words, then a union two pointers wide (its widest
// arm is a record and its type), 24 bytes in all. Only the value kinds our
// dual interfaces use have named arms: 32- and 16-bit integers, booleans,
// strings, interfaces, and references to them.
#pragma once

#include <cstddef>
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
constexpr VARTYPE VT_VARIANT = 12;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_VOID = 24;
constexpr VARTYPE VT_HRESULT = 25;
constexpr VARTYPE VT_PTR = 26;
constexpr VARTYPE VT_USERDEFINED = 29;
constexpr VARTYPE VT_RECORD = 36;
constexpr VARTYPE VT_ARRAY = 0x2000;
constexpr VARTYPE VT_BYREF = 0x4000;

constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008);

struct VariantRecord {
  void* pvRecord;
  IUnknown* pRecInfo;
};

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
    VariantRecord record;
  };
};
static_assert(offsetof(VARIANT, lVal) == 8 && sizeof(VARIANT) == 8 + 2 * sizeof(void*));

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
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  HRESULT scode;
};

constexpr DISPID DISPID_PROPERTYPUT = -3;

COMAPI void VariantInit(VARIANT* value);
// Frees what the variant owns (a string, an interface reference) and empties it.
COMAPI HRESULT VariantClear(VARIANT* value);
// Clears `dest`, then makes it a copy of `source`: a string of its own, one
// more reference on an interface, a reference or a plain value as it is.
// Arrays and records by value, which this runtime never makes, give
// DISP_E_BADVARTYPE.
COMAPI HRESULT VariantCopy(VARIANT* dest, const VARIANT* source);
