// The server object: one per loaded library. It holds the module's type
// library, counts the live objects (of the creatable classes, and the
// views and keys the library makes) with the server locks and the
// outstanding factory references, and serves the four exports.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "lib/com/auto_object_factory.h"
#include "platform/com/com_ref.h"
#include "platform/com/oaidl.h"

class CComServer {
 public:
  // Loads the type library of the module file `module_path` (cp1251) without
  // registering it and makes one factory per class, in order; raises.
  CComServer(std::string module_path, std::span<const AutoClassEntry> classes);
  ~CComServer();
  CComServer(const CComServer&) = delete;
  CComServer& operator=(const CComServer&) = delete;

  // The server of the loaded library, or null while there is none.
  static CComServer* Instance();

  ITypeLib* TypeLib() const { return type_lib_.get(); }
  const std::string& ServerName() const { return server_name_; }
  const std::string& ModulePath() const { return module_path_; }

  // The type info of one of the library's interfaces, for the objects the
  // library makes itself; raises when the library lacks it.
  ComRef<ITypeInfo> InterfaceTypeInfo(const IID& iid) const;

  HRESULT GetClassObject(const CLSID& class_id, const IID& iid, void** object);
  bool CanUnloadNow() const;
  // Raise on failure.
  void Register();
  void Unregister();

  void ObjectCreated();
  void ObjectDestroyed();
  void FactoryReferenced();
  void FactoryReleased();
  int32_t ObjectCount() const;
  int32_t FactoryCount() const;

 private:
  std::string module_path_;
  // Released after the factories (members go in reverse order).
  ComRef<ITypeLib> type_lib_;
  std::string server_name_;
  int32_t object_count_ = 0;
  int32_t factory_count_ = 0;
  std::vector<std::unique_ptr<CAutoObjectFactory>> factories_;
};
