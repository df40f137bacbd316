// A type info: one type of the library described to its clients, and the
// dispatch calls of a dual interface.
#include "platform/com/type_info.h"

#include <new>

#include "platform/com/type_descs.h"
#include "platform/com/type_names.h"

TypeInfo::TypeInfo(TypeLib* lib, uint32_t index) : lib_(ComAddRef(lib)), index_(index) {}

TypeInfo::~TypeInfo() = default;

HRESULT TypeInfo::QueryInterface(const IID& iid, void** object) {
  return QueryOne<ITypeInfo>(this, iid, object);
}

uint32_t TypeInfo::Release() {
  const uint32_t count = --count_;
  if (count == 0) delete this;
  return count;
}

HRESULT TypeInfo::GetTypeAttr(TYPEATTR** attr) {
  if (attr == nullptr) return E_INVALIDARG;
  *attr = NewTypeAttr(lib_->Desc(), Desc());
  return *attr != nullptr ? S_OK : E_OUTOFMEMORY;
}

void TypeInfo::ReleaseTypeAttr(TYPEATTR* attr) { FreeTypeAttr(attr); }

HRESULT TypeInfo::GetFuncDesc(uint32_t index, FUNCDESC** desc) {
  if (desc == nullptr) return E_INVALIDARG;
  *desc = nullptr;
  if (index >= Desc().funcs.size()) return TYPE_E_ELEMENTNOTFOUND;
  *desc = NewFuncDesc(Desc().funcs[index]);
  return *desc != nullptr ? S_OK : E_OUTOFMEMORY;
}

void TypeInfo::ReleaseFuncDesc(FUNCDESC* desc) { FreeFuncDesc(desc); }

HRESULT TypeInfo::GetVarDesc(uint32_t index, VARDESC** desc) {
  if (desc == nullptr) return E_INVALIDARG;
  *desc = nullptr;
  if (index >= Desc().consts.size()) return TYPE_E_ELEMENTNOTFOUND;
  *desc = NewVarDesc(Desc().consts[index], index);
  return *desc != nullptr ? S_OK : E_OUTOFMEMORY;
}

void TypeInfo::ReleaseVarDesc(VARDESC* desc) { FreeVarDesc(desc); }

HRESULT TypeInfo::GetNames(MEMBERID id, BSTR* names, uint32_t max_names, uint32_t* count) {
  if (count == nullptr || (names == nullptr && max_names > 0)) return E_INVALIDARG;
  *count = 0;
  const char* member = MemberName(Desc(), id);
  if (member == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  std::vector<const char*> all{member};
  if (const FuncDesc* func = FuncById(Desc(), id)) {
    for (const ParamDesc& param : func->params) {
      if (param.name != nullptr) all.push_back(param.name);
    }
  }
  for (; *count < max_names && *count < all.size(); ++*count)
    names[*count] = AsciiBstr(all[*count]);
  return S_OK;
}

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

// A reference is the index of the type in the library.
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
    if (func.memid != id || (func.invkind & flags) == 0) continue;
    // The arguments' lists are the only allocations; the member itself
    // answers its own failures.
    try {
      return InvokeFunc(func, instance, params, result, exception, arg_error);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT TypeInfo::GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc_string,
                                   uint32_t* help_context, BSTR* help_file) {
  if (id == MEMBERID_NIL) {
    return lib_->GetDocumentation(static_cast<int32_t>(index_), name, doc_string, help_context,
                                  help_file);
  }
  const char* member = MemberName(Desc(), id);
  if (member == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  if (name != nullptr) *name = AsciiBstr(member);
  if (doc_string != nullptr) *doc_string = AsciiBstr("");
  if (help_context != nullptr) *help_context = 0;
  if (help_file != nullptr) *help_file = nullptr;
  return S_OK;
}

HRESULT TypeInfo::GetContainingTypeLib(ITypeLib** lib, uint32_t* index) {
  if (lib == nullptr) return E_INVALIDARG;
  // The caller's reference, handed out.
  lib_->AddRef();
  *lib = lib_.get();
  if (index != nullptr) *index = index_;
  return S_OK;
}

HRESULT DispGetIDsOfNames(ITypeInfo* info, OLECHAR** names, uint32_t count, DISPID* ids) {
  if (info == nullptr) return E_INVALIDARG;
  return info->GetIDsOfNames(names, count, ids);
}
