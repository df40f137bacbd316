// Automation interfaces: IDispatch and the type information behind it, in
// the platform's binary layout (vtable order, 64-bit structures), so that
// a client compiled against the platform's headers can read them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/unknwn.h"
#include "platform/com/variant.h"

using LCID = uint32_t;
using MEMBERID = DISPID;
using HREFTYPE = uint32_t;
using BOOL = int32_t;

constexpr MEMBERID MEMBERID_NIL = -1;

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

enum TYPEKIND : int {
  TKIND_ENUM = 0,
  TKIND_RECORD = 1,
  TKIND_MODULE = 2,
  TKIND_INTERFACE = 3,
  TKIND_DISPATCH = 4,
  TKIND_COCLASS = 5,
};
enum SYSKIND : int { SYS_WIN16 = 0, SYS_WIN32 = 1, SYS_MAC = 2, SYS_WIN64 = 3 };
enum FUNCKIND : int { FUNC_VIRTUAL = 0, FUNC_PUREVIRTUAL = 1, FUNC_DISPATCH = 4 };
enum INVOKEKIND : int {
  INVOKE_FUNC = 1,
  INVOKE_PROPERTYGET = 2,
  INVOKE_PROPERTYPUT = 4,
  INVOKE_PROPERTYPUTREF = 8,
};
enum CALLCONV : int { CC_CDECL = 1, CC_STDCALL = 4 };
enum VARKIND : int { VAR_PERINSTANCE = 0, VAR_STATIC = 1, VAR_CONST = 2, VAR_DISPATCH = 3 };

constexpr uint16_t TYPEFLAG_FCANCREATE = 0x2;
constexpr uint16_t TYPEFLAG_FDUAL = 0x40;
constexpr uint16_t TYPEFLAG_FOLEAUTOMATION = 0x100;
constexpr uint16_t TYPEFLAG_FDISPATCHABLE = 0x1000;
constexpr int IMPLTYPEFLAG_FDEFAULT = 0x1;
constexpr uint16_t PARAMFLAG_FIN = 0x1;
constexpr uint16_t PARAMFLAG_FOUT = 0x2;
constexpr uint16_t PARAMFLAG_FRETVAL = 0x8;
constexpr uint16_t PARAMFLAG_FOPT = 0x10;

// A type: `vt`, and for VT_USERDEFINED the type referred to.
struct TYPEDESC {
  union {
    TYPEDESC* lptdesc;  // VT_PTR: the type pointed to
    void* lpadesc;      // VT_CARRAY: the array's description
    HREFTYPE hreftype;  // VT_USERDEFINED
  };
  VARTYPE vt;
};

struct IDLDESC {
  uintptr_t dwReserved;
  uint16_t wIDLFlags;
};

struct PARAMDESC {
  void* pparamdescex;  // the default value; none is described here
  uint16_t wParamFlags;
};

struct ELEMDESC {
  TYPEDESC tdesc;
  union {
    IDLDESC idldesc;
    PARAMDESC paramdesc;
  };
};

struct TYPEATTR {
  GUID guid;
  LCID lcid;
  uint32_t dwReserved;
  MEMBERID memidConstructor;
  MEMBERID memidDestructor;
  OLECHAR* lpstrSchema;
  uint32_t cbSizeInstance;
  TYPEKIND typekind;
  uint16_t cFuncs;
  uint16_t cVars;
  uint16_t cImplTypes;
  uint16_t cbSizeVft;
  uint16_t cbAlignment;
  uint16_t wTypeFlags;
  uint16_t wMajorVerNum;
  uint16_t wMinorVerNum;
  TYPEDESC tdescAlias;
  IDLDESC idldescType;
};

struct FUNCDESC {
  MEMBERID memid;
  HRESULT* lprgscode;
  ELEMDESC* lprgelemdescParam;
  FUNCKIND funckind;
  INVOKEKIND invkind;
  CALLCONV callconv;
  int16_t cParams;
  int16_t cParamsOpt;
  int16_t oVft;
  int16_t cScodes;
  ELEMDESC elemdescFunc;
  uint16_t wFuncFlags;
};

struct VARDESC {
  MEMBERID memid;
  OLECHAR* lpstrSchema;
  union {
    uint32_t oInst;
    VARIANT* lpvarValue;  // VAR_CONST
  };
  ELEMDESC elemdescVar;
  uint16_t wVarFlags;
  VARKIND varkind;
};

struct TLIBATTR {
  GUID guid;
  LCID lcid;
  SYSKIND syskind;
  uint16_t wMajorVerNum;
  uint16_t wMinorVerNum;
  uint16_t wLibFlags;
};

// The 64-bit sizes, as a client compiled for the platform allocates them.
static_assert(sizeof(void*) != 8 ||
              (sizeof(TYPEATTR) == 96 && sizeof(FUNCDESC) == 88 && sizeof(VARDESC) == 64 &&
               sizeof(ELEMDESC) == 32 && offsetof(TYPEATTR, typekind) == 44));

struct ITypeComp;
struct ITypeLib;

// Every slot in the platform's order; those this runtime does not serve
// return E_NOTIMPL.
struct ITypeInfo : IUnknown {
  static constexpr IID kIid = {0x00020401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** comp) = 0;
  virtual HRESULT GetFuncDesc(uint32_t index, FUNCDESC** desc) = 0;
  virtual HRESULT GetVarDesc(uint32_t index, VARDESC** desc) = 0;
  // The member's name, then its parameters' names.
  virtual HRESULT GetNames(MEMBERID id, BSTR* names, uint32_t max_names, uint32_t* count) = 0;
  virtual HRESULT GetRefTypeOfImplType(uint32_t index, HREFTYPE* ref) = 0;
  virtual HRESULT GetImplTypeFlags(uint32_t index, int* flags) = 0;
  virtual HRESULT GetIDsOfNames(OLECHAR** names, uint32_t count, MEMBERID* ids) = 0;
  // Calls the member `id` of the vtable interface `instance` describes.
  virtual HRESULT Invoke(void* instance, MEMBERID id, uint16_t flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, uint32_t* arg_error) = 0;
  // The type's (MEMBERID_NIL) or a member's name and help string.
  virtual HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc_string,
                                   uint32_t* help_context, BSTR* help_file) = 0;
  virtual HRESULT GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dll, BSTR* name,
                              uint16_t* ordinal) = 0;
  virtual HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) = 0;
  virtual HRESULT AddressOfMember(MEMBERID id, INVOKEKIND kind, void** address) = 0;
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT GetMops(MEMBERID id, BSTR* mops) = 0;
  virtual HRESULT GetContainingTypeLib(ITypeLib** lib, uint32_t* index) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
  virtual void ReleaseFuncDesc(FUNCDESC* desc) = 0;
  virtual void ReleaseVarDesc(VARDESC* desc) = 0;

 protected:
  ~ITypeInfo() = default;
};

struct ITypeLib : IUnknown {
  static constexpr IID kIid = {0x00020402, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  virtual uint32_t GetTypeInfoCount() = 0;
  virtual HRESULT GetTypeInfo(uint32_t index, ITypeInfo** info) = 0;
  virtual HRESULT GetTypeInfoType(uint32_t index, TYPEKIND* kind) = 0;
  virtual HRESULT GetTypeInfoOfGuid(const GUID& guid, ITypeInfo** info) = 0;
  virtual HRESULT GetLibAttr(TLIBATTR** attr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** comp) = 0;
  // index -1: the library's name and help string.
  virtual HRESULT GetDocumentation(int32_t index, BSTR* name, BSTR* doc_string,
                                   uint32_t* help_context, BSTR* help_file) = 0;
  // Whether a type or a member has the name; the name's letters take the
  // case they have in the library.
  virtual HRESULT IsName(OLECHAR* name, uint32_t hash, BOOL* found) = 0;
  // Up to *found types that have the name or a member of that name, with
  // the member's id (MEMBERID_NIL for a type's own name); *found becomes
  // their number.
  virtual HRESULT FindName(OLECHAR* name, uint32_t hash, ITypeInfo** infos, MEMBERID* ids,
                           uint16_t* found) = 0;
  virtual void ReleaseTLibAttr(TLIBATTR* attr) = 0;

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
