#include "platform/com/type_info.h"

#include <new>
#include <string_view>

namespace {

BSTR AsciiBstr(const char* text) {
  std::u16string wide;
  for (const char* c = text; *c != 0; ++c)
    wide += static_cast<char16_t>(static_cast<unsigned char>(*c));
  return SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
}

// Automation names match without regard to the case of the Latin letters.
bool SameName(const OLECHAR* wide, const char* name) {
  auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
  for (; *wide != 0 && *name != 0; ++wide, ++name) {
    if (fold(*wide) != fold(static_cast<unsigned char>(*name))) return false;
  }
  return *wide == 0 && *name == 0;
}

template <typename Self, typename Interface>
HRESULT QueryOne(Self* self, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IUnknown::kIid || iid == Interface::kIid) {
    *object = static_cast<Interface*>(self);
    self->AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

}  // namespace

HRESULT TypeLib::QueryInterface(const IID& iid, void** object) {
  return QueryOne<TypeLib, ITypeLib>(this, iid, object);
}

uint32_t TypeLib::Release() {
  const uint32_t count = --count_;
  if (count == 0) delete this;
  return count;
}

uint32_t TypeLib::GetTypeInfoCount() { return static_cast<uint32_t>(desc_.types.size()); }

HRESULT TypeLib::GetTypeInfo(uint32_t index, ITypeInfo** info) {
  if (info == nullptr) return E_INVALIDARG;
  *info = nullptr;
  if (index >= desc_.types.size()) return TYPE_E_ELEMENTNOTFOUND;
  *info = new (std::nothrow) TypeInfo(this, index);
  return *info != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT TypeLib::GetTypeInfoOfGuid(const GUID& guid, ITypeInfo** info) {
  if (info == nullptr) return E_INVALIDARG;
  *info = nullptr;
  for (uint32_t index = 0; index < desc_.types.size(); ++index) {
    if (desc_.types[index].guid == guid) return GetTypeInfo(index, info);
  }
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeLib::GetLibAttr(TLIBATTR** attr) {
  if (attr == nullptr) return E_INVALIDARG;
  *attr = new (std::nothrow)
      TLIBATTR{desc_.libid, desc_.lcid, desc_.syskind, desc_.major, desc_.minor, 0};
  return *attr != nullptr ? S_OK : E_OUTOFMEMORY;
}

void TypeLib::ReleaseTLibAttr(TLIBATTR* attr) { delete attr; }

HRESULT TypeLib::GetDocumentation(int32_t index, BSTR* name, BSTR* doc_string) {
  const char* type_name;
  const char* help = "";
  if (index == -1) {
    type_name = desc_.name;
    help = desc_.help_string;
  } else if (index >= 0 && static_cast<size_t>(index) < desc_.types.size()) {
    type_name = desc_.types[index].name;
  } else {
    return TYPE_E_ELEMENTNOTFOUND;
  }
  if (name != nullptr) *name = AsciiBstr(type_name);
  if (doc_string != nullptr) *doc_string = AsciiBstr(help);
  return S_OK;
}

TypeInfo::TypeInfo(TypeLib* lib, uint32_t index) : lib_(lib), index_(index) { lib_->AddRef(); }

TypeInfo::~TypeInfo() { lib_->Release(); }

HRESULT TypeInfo::QueryInterface(const IID& iid, void** object) {
  return QueryOne<TypeInfo, ITypeInfo>(this, iid, object);
}

uint32_t TypeInfo::Release() {
  const uint32_t count = --count_;
  if (count == 0) delete this;
  return count;
}

HRESULT TypeInfo::GetTypeAttr(TYPEATTR** attr) {
  if (attr == nullptr) return E_INVALIDARG;
  const TypeDesc& desc = Desc();
  *attr = new (std::nothrow) TYPEATTR{desc.guid,
                                      lib_->Desc().lcid,
                                      desc.kind,
                                      static_cast<uint16_t>(desc.funcs.size()),
                                      0,
                                      static_cast<uint16_t>(desc.impl_types.size()),
                                      desc.flags,
                                      lib_->Desc().major,
                                      lib_->Desc().minor};
  return *attr != nullptr ? S_OK : E_OUTOFMEMORY;
}

void TypeInfo::ReleaseTypeAttr(TYPEATTR* attr) { delete attr; }

HRESULT TypeInfo::GetRefTypeOfImplType(uint32_t index, HREFTYPE* ref) {
  if (ref == nullptr) return E_INVALIDARG;
  if (index >= Desc().impl_types.size()) return TYPE_E_ELEMENTNOTFOUND;
  *ref = Desc().impl_types[index].type_index;
  return S_OK;
}

HRESULT TypeInfo::GetImplTypeFlags(uint32_t index, int* flags) {
  if (flags == nullptr) return E_INVALIDARG;
  if (index >= Desc().impl_types.size()) return TYPE_E_ELEMENTNOTFOUND;
  *flags = Desc().impl_types[index].flags;
  return S_OK;
}

HRESULT TypeInfo::GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) {
  return lib_->GetTypeInfo(ref, info);
}

HRESULT TypeInfo::GetIDsOfNames(OLECHAR** names, uint32_t count, MEMBERID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  // The first name is the member; the rest name its parameters.
  const FuncDesc* found = nullptr;
  for (const FuncDesc& func : Desc().funcs) {
    if (SameName(names[0], func.name)) {
      found = &func;
      break;
    }
  }
  HRESULT hr = S_OK;
  ids[0] = found != nullptr ? found->memid : -1;
  if (found == nullptr) hr = DISP_E_UNKNOWNNAME;
  for (uint32_t n = 1; n < count; ++n) {
    ids[n] = -1;
    if (found == nullptr) continue;
    for (size_t p = 0; p < found->params.size(); ++p) {
      const char* param = found->params[p].name;
      if (param != nullptr && SameName(names[n], param)) ids[n] = static_cast<MEMBERID>(p);
    }
    if (ids[n] == -1) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT TypeInfo::Invoke(void* instance, MEMBERID id, uint16_t flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, uint32_t* arg_error) {
  if (instance == nullptr || params == nullptr) return E_INVALIDARG;
  for (const FuncDesc& func : Desc().funcs) {
    if (func.memid == id && (func.invkind & flags) != 0) {
      return InvokeFunc(func, instance, params, result, exception, arg_error);
    }
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT TypeInfo::GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc_string) {
  if (id != -1) return TYPE_E_ELEMENTNOTFOUND;
  return lib_->GetDocumentation(static_cast<int32_t>(index_), name, doc_string);
}

HRESULT DispGetIDsOfNames(ITypeInfo* info, OLECHAR** names, uint32_t count, DISPID* ids) {
  if (info == nullptr) return E_INVALIDARG;
  return info->GetIDsOfNames(names, count, ids);
}
