#include "lib/com/com_server.h"

#include <atomic>

#include "lib/com/ole_error.h"
#include "lib/foundation/errors.h"
#include "platform/com/guid_text.h"
#include "platform/com/interlocked.h"
#include "platform/com/type_lib.h"
#include "platform/kernel/codepage.h"

namespace {

CComServer* instance = nullptr;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

int32_t Load(const int32_t& count) {
  return std::atomic_ref<int32_t>(const_cast<int32_t&>(count)).load();
}

}  // namespace

CComServer::CComServer(std::string module_path, std::span<const AutoClassEntry> classes)
    : module_path_(std::move(module_path)) {
  ITypeLib* loaded = nullptr;
  OleCheck(LoadTypeLibEx(AnsiToWide(module_path_).c_str(), REGKIND_NONE, &loaded),
           "Не загружена библиотека типов модуля [" + module_path_ + "]");
  type_lib_.reset(loaded);
  BSTR name = nullptr;
  if (SUCCEEDED(type_lib_->GetDocumentation(-1, &name, nullptr, nullptr, nullptr))) {
    server_name_ = WideToAnsi(std::u16string_view(name, SysStringLen(name)));
  }
  SysFreeString(name);
  for (const AutoClassEntry& entry : classes) {
    factories_.push_back(std::make_unique<CAutoObjectFactory>(*this, entry));
  }
  instance = this;
}

CComServer::~CComServer() {
  if (instance == this) instance = nullptr;
}

CComServer* CComServer::Instance() { return instance; }

ComRef<ITypeInfo> CComServer::InterfaceTypeInfo(const IID& iid) const {
  ITypeInfo* info = nullptr;
  OleCheck(type_lib_->GetTypeInfoOfGuid(iid, &info),
           "Нет описания интерфейса " + GuidToRegistryString(iid) + " в библиотеке типов");
  return ComRef<ITypeInfo>(info);
}

HRESULT CComServer::GetClassObject(const CLSID& class_id, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  for (const auto& factory : factories_) {
    if (factory->ClassId() == class_id) return factory->QueryInterface(iid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

bool CComServer::CanUnloadNow() const { return ObjectCount() == 0 && FactoryCount() == 0; }

void CComServer::Register() {
  OleCheck(RegisterTypeLib(type_lib_.get(), AnsiToWide(module_path_).c_str(),
                           AnsiToWide(FolderOf(module_path_)).c_str()),
           "Не зарегистрирована библиотека типов модуля [" + module_path_ + "]");
  for (const auto& factory : factories_) factory->UpdateRegistry(true);
}

void CComServer::Unregister() {
  TLIBATTR* attr = nullptr;
  OleCheck(type_lib_->GetLibAttr(&attr));
  const TLIBATTR lib = *attr;
  type_lib_->ReleaseTLibAttr(attr);
  OleCheck(UnRegisterTypeLib(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind),
           "Не снята регистрация библиотеки типов модуля [" + module_path_ + "]");
  for (const auto& factory : factories_) factory->UpdateRegistry(false);
}

void CComServer::ObjectCreated() { InterlockedIncrement(&object_count_); }
void CComServer::ObjectDestroyed() { InterlockedDecrement(&object_count_); }
void CComServer::FactoryReferenced() { InterlockedIncrement(&factory_count_); }
void CComServer::FactoryReleased() { InterlockedDecrement(&factory_count_); }
int32_t CComServer::ObjectCount() const { return Load(object_count_); }
int32_t CComServer::FactoryCount() const { return Load(factory_count_); }
