/* The platform's automation types and interfaces as a C client declares
 * them for 64-bit Linux (LP64): no header of the library is used, so the
 * module must match these layouts on its own. Slots this client never calls
 * are kept as plain pointers, to hold their places in the tables. */
#ifndef TARVEX_C_CLIENT_AUTOMATION_H
#define TARVEX_C_CLIENT_AUTOMATION_H

#include <stddef.h>
#include <stdint.h>
#include <uchar.h>

typedef int32_t HRESULT;
typedef char16_t OLECHAR;
typedef OLECHAR* BSTR;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;
typedef int32_t DISPID;
typedef DISPID MEMBERID;
typedef uint32_t LCID;
typedef uint32_t HREFTYPE;

typedef struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID;

enum {
  VT_EMPTY = 0,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_BOOL = 11,
  VT_UNKNOWN = 13,
  VT_USERDEFINED = 29
};
enum { DISPATCH_METHOD = 1, DISPATCH_PROPERTYGET = 2, DISPATCH_PROPERTYPUT = 4 };
enum { DISPID_PROPERTYPUT = -3, MEMBERID_NIL = -1 };
enum { TKIND_ENUM = 0 };
enum { VAR_CONST = 2 };

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_UNEXPECTED ((HRESULT)0x8000FFFF)
#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005)
#define DISP_E_EXCEPTION ((HRESULT)0x80020009)

struct IUnknown;
struct IDispatch;

typedef struct VARIANT {
  VARTYPE vt;
  uint16_t wReserved1;
  uint16_t wReserved2;
  uint16_t wReserved3;
  union {
    int64_t llVal;
    int32_t lVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    struct IUnknown* punkVal;
    struct IDispatch* pdispVal;
    struct {
      void* pvRecord;
      void* pRecInfo;
    } brecVal;
  };
} VARIANT;

typedef struct DISPPARAMS {
  VARIANT* rgvarg;
  DISPID* rgdispidNamedArgs;
  uint32_t cArgs;
  uint32_t cNamedArgs;
} DISPPARAMS;

typedef struct EXCEPINFO {
  uint16_t wCode;
  uint16_t wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  uint32_t dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(struct EXCEPINFO*);
  HRESULT scode;
} EXCEPINFO;

typedef struct TYPEDESC {
  union {
    struct TYPEDESC* lptdesc;
    void* lpadesc;
    HREFTYPE hreftype;
  };
  VARTYPE vt;
} TYPEDESC;

typedef struct ELEMDESC {
  TYPEDESC tdesc;
  union {
    struct {
      uintptr_t dwReserved;
      uint16_t wIDLFlags;
    } idldesc;
    struct {
      void* pparamdescex;
      uint16_t wParamFlags;
    } paramdesc;
  };
} ELEMDESC;

typedef struct TYPEATTR {
  GUID guid;
  LCID lcid;
  uint32_t dwReserved;
  MEMBERID memidConstructor;
  MEMBERID memidDestructor;
  OLECHAR* lpstrSchema;
  uint32_t cbSizeInstance;
  int typekind;
  uint16_t cFuncs;
  uint16_t cVars;
  uint16_t cImplTypes;
  uint16_t cbSizeVft;
  uint16_t cbAlignment;
  uint16_t wTypeFlags;
  uint16_t wMajorVerNum;
  uint16_t wMinorVerNum;
  TYPEDESC tdescAlias;
  struct {
    uintptr_t dwReserved;
    uint16_t wIDLFlags;
  } idldescType;
} TYPEATTR;

typedef struct FUNCDESC {
  MEMBERID memid;
  HRESULT* lprgscode;
  ELEMDESC* lprgelemdescParam;
  int funckind;
  int invkind;
  int callconv;
  int16_t cParams;
  int16_t cParamsOpt;
  int16_t oVft;
  int16_t cScodes;
  ELEMDESC elemdescFunc;
  uint16_t wFuncFlags;
} FUNCDESC;

typedef struct VARDESC {
  MEMBERID memid;
  OLECHAR* lpstrSchema;
  union {
    uint32_t oInst;
    VARIANT* lpvarValue;
  };
  ELEMDESC elemdescVar;
  uint16_t wVarFlags;
  int varkind;
} VARDESC;

typedef struct IUnknown {
  const struct IUnknownVtbl* lpVtbl;
} IUnknown;
struct IUnknownVtbl {
  HRESULT (*QueryInterface)(IUnknown*, const GUID*, void**);
  uint32_t (*AddRef)(IUnknown*);
  uint32_t (*Release)(IUnknown*);
};

typedef struct ITypeLib ITypeLib;

typedef struct ITypeInfo {
  const struct ITypeInfoVtbl* lpVtbl;
} ITypeInfo;
struct ITypeInfoVtbl {
  HRESULT (*QueryInterface)(ITypeInfo*, const GUID*, void**);
  uint32_t (*AddRef)(ITypeInfo*);
  uint32_t (*Release)(ITypeInfo*);
  HRESULT (*GetTypeAttr)(ITypeInfo*, TYPEATTR**);
  void* GetTypeComp;
  HRESULT (*GetFuncDesc)(ITypeInfo*, uint32_t, FUNCDESC**);
  HRESULT (*GetVarDesc)(ITypeInfo*, uint32_t, VARDESC**);
  HRESULT (*GetNames)(ITypeInfo*, MEMBERID, BSTR*, uint32_t, uint32_t*);
  void* GetRefTypeOfImplType;
  void* GetImplTypeFlags;
  HRESULT (*GetIDsOfNames)(ITypeInfo*, OLECHAR**, uint32_t, MEMBERID*);
  void* Invoke;
  HRESULT (*GetDocumentation)(ITypeInfo*, MEMBERID, BSTR*, BSTR*, uint32_t*, BSTR*);
  void* GetDllEntry;
  HRESULT (*GetRefTypeInfo)(ITypeInfo*, HREFTYPE, ITypeInfo**);
  void* AddressOfMember;
  void* CreateInstance;
  void* GetMops;
  HRESULT (*GetContainingTypeLib)(ITypeInfo*, ITypeLib**, uint32_t*);
  void (*ReleaseTypeAttr)(ITypeInfo*, TYPEATTR*);
  void (*ReleaseFuncDesc)(ITypeInfo*, FUNCDESC*);
  void (*ReleaseVarDesc)(ITypeInfo*, VARDESC*);
};

struct ITypeLib {
  const struct ITypeLibVtbl* lpVtbl;
};
struct ITypeLibVtbl {
  HRESULT (*QueryInterface)(ITypeLib*, const GUID*, void**);
  uint32_t (*AddRef)(ITypeLib*);
  uint32_t (*Release)(ITypeLib*);
  uint32_t (*GetTypeInfoCount)(ITypeLib*);
  void* GetTypeInfo;
  void* GetTypeInfoType;
  HRESULT (*GetTypeInfoOfGuid)(ITypeLib*, const GUID*, ITypeInfo**);
  void* GetLibAttr;
  void* GetTypeComp;
  void* GetDocumentation;
  void* IsName;
  HRESULT (*FindName)(ITypeLib*, OLECHAR*, uint32_t, ITypeInfo**, MEMBERID*, uint16_t*);
  void* ReleaseTLibAttr;
};

typedef struct IDispatch IDispatch;
typedef HRESULT DispatchInvoke(IDispatch*, DISPID, const GUID*, LCID, uint16_t, DISPPARAMS*,
                               VARIANT*, EXCEPINFO*, uint32_t*);
struct IDispatch {
  const struct IDispatchVtbl* lpVtbl;
};
struct IDispatchVtbl {
  HRESULT (*QueryInterface)(IDispatch*, const GUID*, void**);
  uint32_t (*AddRef)(IDispatch*);
  uint32_t (*Release)(IDispatch*);
  HRESULT (*GetTypeInfoCount)(IDispatch*, uint32_t*);
  HRESULT (*GetTypeInfo)(IDispatch*, uint32_t, LCID, ITypeInfo**);
  HRESULT (*GetIDsOfNames)(IDispatch*, const GUID*, OLECHAR**, uint32_t, LCID, DISPID*);
  DispatchInvoke* Invoke;
};

typedef struct IClassFactory {
  const struct IClassFactoryVtbl* lpVtbl;
} IClassFactory;
struct IClassFactoryVtbl {
  HRESULT (*QueryInterface)(IClassFactory*, const GUID*, void**);
  uint32_t (*AddRef)(IClassFactory*);
  uint32_t (*Release)(IClassFactory*);
  HRESULT (*CreateInstance)(IClassFactory*, IUnknown*, const GUID*, void**);
  HRESULT (*LockServer)(IClassFactory*, int32_t);
};

typedef struct IErrorInfo {
  const struct IErrorInfoVtbl* lpVtbl;
} IErrorInfo;
struct IErrorInfoVtbl {
  HRESULT (*QueryInterface)(IErrorInfo*, const GUID*, void**);
  uint32_t (*AddRef)(IErrorInfo*);
  uint32_t (*Release)(IErrorInfo*);
  HRESULT (*GetGUID)(IErrorInfo*, GUID*);
  HRESULT (*GetSource)(IErrorInfo*, BSTR*);
  HRESULT (*GetDescription)(IErrorInfo*, BSTR*);
  HRESULT (*GetHelpFile)(IErrorInfo*, BSTR*);
  HRESULT (*GetHelpContext)(IErrorInfo*, uint32_t*);
};

typedef struct ICreateErrorInfo {
  const struct ICreateErrorInfoVtbl* lpVtbl;
} ICreateErrorInfo;
struct ICreateErrorInfoVtbl {
  HRESULT (*QueryInterface)(ICreateErrorInfo*, const GUID*, void**);
  uint32_t (*AddRef)(ICreateErrorInfo*);
  uint32_t (*Release)(ICreateErrorInfo*);
  HRESULT (*SetGUID)(ICreateErrorInfo*, const GUID*);
  HRESULT (*SetSource)(ICreateErrorInfo*, const OLECHAR*);
  HRESULT (*SetDescription)(ICreateErrorInfo*, const OLECHAR*);
  HRESULT (*SetHelpFile)(ICreateErrorInfo*, const OLECHAR*);
  HRESULT (*SetHelpContext)(ICreateErrorInfo*, uint32_t);
};

/* The platform's 64-bit sizes. */
_Static_assert(sizeof(VARIANT) == 24, "VARIANT");
_Static_assert(sizeof(DISPPARAMS) == 24, "DISPPARAMS");
_Static_assert(sizeof(EXCEPINFO) == 64, "EXCEPINFO");
_Static_assert(sizeof(TYPEATTR) == 96, "TYPEATTR");
_Static_assert(sizeof(FUNCDESC) == 88, "FUNCDESC");
_Static_assert(sizeof(VARDESC) == 64, "VARDESC");

#endif
