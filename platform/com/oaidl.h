// Automation interfaces: IDispatch and the type information behind it.
#pragma once

#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/unknwn.h"
#include "platform/com/variant.h"

using LCID = uint32_t;
using MEMBERID = DISPID;
using HREFTYPE = uint32_t;

constexpr uint16_t DISPATCH_METHOD = 1;
constexpr uint16_t DISPATCH_PROPERTYGET = 2;
constexpr uint16_t DISPATCH_PROPERTYPUT = 4;
constexpr uint16_t DISPATCH_PROPERTYPUTREF = 8;

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = static_cast<HRESULT>(0x80020007);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = static_cast<HRESULT>(0x8002000F);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = static_cast<HRESULT>(0x8002802B);
constexpr HRESULT TYPE_E_CANTLOADLIBRARY = static_cast<HRESULT>(0x80029C4A);

enum TYPEKIND : int { TKIND_ENUM = 0, TKIND_INTERFACE = 3, TKIND_DISPATCH = 4, TKIND_COCLASS = 5 };
enum SYSKIND : int { SYS_WIN16 = 0, SYS_WIN32 = 1, SYS_MAC = 2, SYS_WIN64 = 3 };

constexpr uint16_t TYPEFLAG_FCANCREATE = 0x2;
constexpr uint16_t TYPEFLAG_FDUAL = 0x40;
constexpr uint16_t TYPEFLAG_FOLEAUTOMATION = 0x100;
constexpr uint16_t TYPEFLAG_FDISPATCHABLE = 0x1000;
constexpr int IMPLTYPEFLAG_FDEFAULT = 0x1;

struct TYPEATTR {
  GUID guid;
  LCID lcid;
  TYPEKIND typekind;
  uint16_t cFuncs;
  uint16_t cVars;
  uint16_t cImplTypes;
  uint16_t wTypeFlags;
  uint16_t wMajorVerNum;
  uint16_t wMinorVerNum;
};

struct TLIBATTR {
  GUID guid;
  LCID lcid;
  SYSKIND syskind;
  uint16_t wMajorVerNum;
  uint16_t wMinorVerNum;
  uint16_t wLibFlags;
};

struct ITypeLib;

// Only the members that the server and its clients call.
struct ITypeInfo : IUnknown {
  static constexpr IID kIid = {0x00020401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
  virtual HRESULT GetRefTypeOfImplType(uint32_t index, HREFTYPE* ref) = 0;
  virtual HRESULT GetImplTypeFlags(uint32_t index, int* flags) = 0;
  virtual HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(OLECHAR** names, uint32_t count, MEMBERID* ids) = 0;
  // Calls the member `id` of the vtable interface `instance` describes.
  virtual HRESULT Invoke(void* instance, MEMBERID id, uint16_t flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, uint32_t* arg_error) = 0;
  // The type's name and help string (id -1, the only id served).
  virtual HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc_string) = 0;

 protected:
  ~ITypeInfo() = default;
};

struct ITypeLib : IUnknown {
  static constexpr IID kIid = {0x00020402, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  virtual uint32_t GetTypeInfoCount() = 0;
  virtual HRESULT GetTypeInfo(uint32_t index, ITypeInfo** info) = 0;
  virtual HRESULT GetTypeInfoOfGuid(const GUID& guid, ITypeInfo** info) = 0;
  virtual HRESULT GetLibAttr(TLIBATTR** attr) = 0;
  virtual void ReleaseTLibAttr(TLIBATTR* attr) = 0;
  // index -1: the library's name and help string.
  virtual HRESULT GetDocumentation(int32_t index, BSTR* name, BSTR* doc_string) = 0;

 protected:
  ~ITypeLib() = default;
};

struct IDispatch : IUnknown {
  static constexpr IID kIid = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;
  virtual HRESULT GetTypeInfo(uint32_t index, LCID lcid, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(const IID& iid, OLECHAR** names, uint32_t count, LCID lcid,
                                DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID id, const IID& iid, LCID lcid, uint16_t flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, uint32_t* arg_error) = 0;

 protected:
  ~IDispatch() = default;
};

COMAPI HRESULT DispGetIDsOfNames(ITypeInfo* info, OLECHAR** names, uint32_t count, DISPID* ids);
