// The type library object: its type infos by index and GUID, its
// attributes, and names looked up for late-bound clients.
#include <new>
#include <vector>

#include "platform/com/com_ref.h"
#include "platform/com/type_info.h"
#include "platform/com/type_names.h"

HRESULT TypeLib::QueryInterface(const IID& iid, void** object) {
  return QueryOne<ITypeLib>(this, iid, object);
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

HRESULT TypeLib::GetTypeInfoType(uint32_t index, TYPEKIND* kind) {
  if (kind == nullptr) return E_INVALIDARG;
  if (index >= desc_.types.size()) return TYPE_E_ELEMENTNOTFOUND;
  *kind = desc_.types[index].kind;
  return S_OK;
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

HRESULT TypeLib::GetDocumentation(int32_t index, BSTR* name, BSTR* doc_string,
                                  uint32_t* help_context, BSTR* help_file) {
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
  if (help_context != nullptr) *help_context = 0;
  if (help_file != nullptr) *help_file = nullptr;  // the library has no help file
  return S_OK;
}

HRESULT TypeLib::IsName(OLECHAR* name, uint32_t, BOOL* found) {
  if (name == nullptr || found == nullptr) return E_INVALIDARG;
  MEMBERID id = MEMBERID_NIL;
  *found = 0;
  for (const TypeDesc& type : desc_.types) {
    if (FindInType(type, name, &id)) {
      *found = 1;
      break;
    }
  }
  return S_OK;
}

HRESULT TypeLib::FindName(OLECHAR* name, uint32_t, ITypeInfo** infos, MEMBERID* ids,
                          uint16_t* found) {
  if (name == nullptr || infos == nullptr || ids == nullptr || found == nullptr) {
    return E_INVALIDARG;
  }
  // Handed out only once all are had.
  std::vector<ComRef<ITypeInfo>> matches;
  for (uint32_t index = 0; index < desc_.types.size() && matches.size() < *found; ++index) {
    if (!FindInType(desc_.types[index], name, &ids[matches.size()])) continue;
    ITypeInfo* info = nullptr;
    if (HRESULT hr = GetTypeInfo(index, &info); FAILED(hr)) {
      *found = 0;
      return hr;
    }
    matches.emplace_back(info);
  }
  *found = static_cast<uint16_t>(matches.size());
  for (size_t n = 0; n < matches.size(); ++n) infos[n] = matches[n].release();
  return S_OK;
}
