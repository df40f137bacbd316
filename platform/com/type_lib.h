// Type libraries: a module describes its types in a `TypeLibDesc` and makes
// it its TYPELIB resource; LoadTypeLibEx of the module's file finds it.
// The type infos serve IDispatch of dual interfaces (names to ids, and calls
// through the interface's vtable) and describe the members, parameters and
// enumerations to late-bound clients.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/com/com_export.h"
#include "platform/com/oaidl.h"

struct ParamDesc {
  VARTYPE vt;                  // VT_I4, VT_BOOL, VT_BSTR, VT_DISPATCH or VT_UNKNOWN
  const IID* iid = nullptr;    // interfaces: the interface the member takes
  const char* name = nullptr;  // null for the unnamed parameter of a put
  bool optional = false;       // a BSTR with the empty string as its default
  // A VT_I4 that holds a value of an enumeration: the enumeration's index
  // in the library, which clients see as the parameter's type; -1 for none.
  int32_t enum_type = -1;
};

struct FuncDesc {
  const char* name;
  MEMBERID memid;
  uint16_t invkind;  // DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT
  uint16_t slot;     // vtable slot of the member
  std::vector<ParamDesc> params;
  ParamDesc retval = {VT_EMPTY};  // the [out, retval] parameter; VT_EMPTY: none
};

// A member of an enumeration.
struct ConstDesc {
  const char* name;
  int32_t value;
};

struct ImplTypeDesc {
  uint32_t type_index;  // index of the interface in the library
  int flags;            // IMPLTYPEFLAG_*
};

struct TypeDesc {
  TYPEKIND kind;
  const char* name;
  GUID guid;
  uint16_t flags = 0;
  std::vector<FuncDesc> funcs;           // interfaces
  std::vector<ImplTypeDesc> impl_types;  // coclasses
  std::vector<ConstDesc> consts = {};    // enumerations
};

struct TypeLibDesc {
  const char* name;
  GUID libid;
  uint16_t major;
  uint16_t minor;
  LCID lcid;
  SYSKIND syskind;
  const char* help_string;
  std::vector<TypeDesc> types;
};

// The TYPELIB resource of the module that holds `address_in_module`, for as
// long as this object lives (make it a static object of the module).
class COM_SHARED TypeLibResource {
 public:
  TypeLibResource(const void* address_in_module, const TypeLibDesc& desc);
  ~TypeLibResource();
  TypeLibResource(const TypeLibResource&) = delete;
  TypeLibResource& operator=(const TypeLibResource&) = delete;

 private:
  const TypeLibDesc* desc_;
};

enum REGKIND : int { REGKIND_DEFAULT = 0, REGKIND_REGISTER = 1, REGKIND_NONE = 2 };

// `file` names a module (cp1251 path as UTF-16); TYPE_E_CANTLOADLIBRARY
// when no loaded module of that file has a type library. Only REGKIND_NONE
// (load without registering) is served; other kinds give E_INVALIDARG.
COMAPI HRESULT LoadTypeLibEx(const OLECHAR* file, REGKIND kind, ITypeLib** lib);
// Writes TypeLib\{LIBID}\<major.minor> (help string, 0\win32 = `path`,
// FLAGS, HELPDIR = `help_dir`) and Interface\{IID} for every interface.
COMAPI HRESULT RegisterTypeLib(ITypeLib* lib, const OLECHAR* path, const OLECHAR* help_dir);
// Removes what RegisterTypeLib wrote for that library and version.
COMAPI HRESULT UnRegisterTypeLib(const GUID& libid, uint16_t major, uint16_t minor, LCID lcid,
                                 SYSKIND syskind);
