#include "lib/com/auto_object_factory.h"

#include "lib/com/auto_object.h"
#include "lib/com/com_server.h"
#include "lib/com/ole_error.h"
#include "lib/com/registry_keys.h"
#include "lib/foundation/errors.h"
#include "platform/com/guid_text.h"
#include "platform/com/module_file.h"
#include "platform/kernel/codepage.h"

namespace {

// The type info of the coclass's default interface; null when it has none.
ComRef<ITypeInfo> DefaultInterface(ITypeInfo* coclass) {
  TYPEATTR* attr = nullptr;
  OleCheck(coclass->GetTypeAttr(&attr));
  const uint16_t count = attr->cImplTypes;
  coclass->ReleaseTypeAttr(attr);
  for (uint32_t index = 0; index < count; ++index) {
    int flags = 0;
    HREFTYPE ref = 0;
    ITypeInfo* info = nullptr;
    if (SUCCEEDED(coclass->GetImplTypeFlags(index, &flags)) && (flags & IMPLTYPEFLAG_FDEFAULT) &&
        SUCCEEDED(coclass->GetRefTypeOfImplType(index, &ref)) &&
        SUCCEEDED(coclass->GetRefTypeInfo(ref, &info))) {
      return ComRef<ITypeInfo>(info);
    }
  }
  return nullptr;
}

GUID TypeGuid(ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  OleCheck(info->GetTypeAttr(&attr));
  const GUID guid = attr->guid;
  info->ReleaseTypeAttr(attr);
  return guid;
}

}  // namespace

CAutoObjectFactory::CAutoObjectFactory(CComServer& server, const AutoClassEntry& entry)
    : server_(server),
      entry_(entry),
      class_name_(entry.class_name),
      prog_id_(server.ServerName() + "." + entry.class_name) {
  ITypeInfo* coclass = nullptr;
  if (FAILED(server.TypeLib()->GetTypeInfoOfGuid(entry.class_id, &coclass))) {
    RaiseErrorFmt("Incorrect type information for class %s", {class_name_});
  }
  class_type_info_.reset(coclass);
  dispatch_type_info_ = DefaultInterface(coclass);
  if (dispatch_type_info_ == nullptr || TypeGuid(dispatch_type_info_.get()) != entry.dual_iid) {
    RaiseErrorFmt("Dispatch interface missing from class %s", {class_name_});
  }
  error_iid_ = entry.dual_iid;
  BSTR help = nullptr;
  if (SUCCEEDED(
          class_type_info_->GetDocumentation(MEMBERID_NIL, nullptr, &help, nullptr, nullptr))) {
    description_ = WideToAnsi(std::u16string_view(help, SysStringLen(help)));
  }
  SysFreeString(help);
}

HRESULT CAutoObjectFactory::QueryInterface(const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid != IUnknown::kIid && iid != IClassFactory::kIid) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

uint32_t CAutoObjectFactory::AddRef() {
  server_.FactoryReferenced();
  return static_cast<uint32_t>(server_.FactoryCount());
}

uint32_t CAutoObjectFactory::Release() {
  server_.FactoryReleased();
  return static_cast<uint32_t>(server_.FactoryCount());
}

HRESULT CAutoObjectFactory::CreateInstance(IUnknown* outer, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  // Our objects cannot be aggregated: an inner object that answers for
  // itself would break the outer object's identity.
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (entry_.create == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  CAutoObjectBase* created = nullptr;
  const HRESULT made = SafeCall(error_iid_, prog_id_.c_str(), [&] {
    created = entry_.create(*this);
    created->Initialize();
  });
  if (created == nullptr) return FAILED(made) ? made : E_OUTOFMEMORY;
  // The first reference decides the object's life: a failure frees it.
  const ComRef<IUnknown> first = ComAddRef(created->Unknown());
  return FAILED(made) ? made : first->QueryInterface(iid, object);
}

HRESULT CAutoObjectFactory::LockServer(BOOL lock) {
  const HRESULT hr = CoLockObjectExternal(this, lock, 1);
  if (lock) {
    server_.ObjectCreated();
  } else {
    server_.ObjectDestroyed();
  }
  return hr;
}

void CAutoObjectFactory::UpdateRegistry(bool registering) const {
  const std::string class_key = "CLSID\\" + GuidToRegistryString(entry_.class_id);
  if (registering) {
    std::string path = server_.ModulePath();
    if (path.find(' ') != std::string::npos) path = GetShortPathNameA(path);
    TLIBATTR* attr = nullptr;
    OleCheck(server_.TypeLib()->GetLibAttr(&attr));
    const std::string version =
        std::to_string(attr->wMajorVerNum) + "." + std::to_string(attr->wMinorVerNum);
    const std::string libid = GuidToRegistryString(attr->guid);
    server_.TypeLib()->ReleaseTLibAttr(attr);

    CreateRegKey(class_key, "", description_);
    CreateRegKey(class_key + "\\InprocServer32", "", path);
    CreateRegKey(class_key + "\\InprocServer32", "ThreadingModel", ThreadingModel());
    CreateRegKey(prog_id_, "", description_);
    CreateRegKey(prog_id_ + "\\Clsid", "", GuidToRegistryString(entry_.class_id));
    CreateRegKey(class_key + "\\ProgID", "", prog_id_);
    CreateRegKey(class_key + "\\Version", "", version);
    CreateRegKey(class_key + "\\TypeLib", "", libid);
  } else {
    for (const std::string& key :
         {class_key + "\\TypeLib", class_key + "\\Version", class_key + "\\ProgID",
          prog_id_ + "\\Clsid", prog_id_, class_key + "\\InprocServer32", class_key}) {
      DeleteRegKey(key);
    }
  }
}
