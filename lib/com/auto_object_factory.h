// One class factory per creatable class of the server, made when the
// library is loaded. It creates the class's automation objects and holds
// the type info of the class's default interface for them.
#pragma once

#include <string>

#include "platform/com/class_factory.h"
#include "platform/com/com_ref.h"
#include "platform/com/oaidl.h"

class CAutoObjectBase;
class CAutoObjectFactory;
class CComServer;

using AutoObjectCreator = CAutoObjectBase* (*)(CAutoObjectFactory& factory);

// A creatable class: its coclass in the type library, the dual interface
// its objects implement, and how to make one (null while the module does
// not carry the class).
struct AutoClassEntry {
  CLSID class_id;
  const char* class_name;
  IID dual_iid;
  AutoObjectCreator create;
};

class CAutoObjectFactory final : public IClassFactory {
 public:
  // Raises "Incorrect type information for class %s" when the type library
  // has no such coclass, "Dispatch interface missing from class %s" when
  // the class does not implement the coclass's default interface.
  CAutoObjectFactory(CComServer& server, const AutoClassEntry& entry);
  CAutoObjectFactory(const CAutoObjectFactory&) = delete;
  CAutoObjectFactory& operator=(const CAutoObjectFactory&) = delete;

  // References count in the server's factory count; the server owns the factory.
  HRESULT QueryInterface(const IID& iid, void** object) override;
  uint32_t AddRef() override;
  uint32_t Release() override;

  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override;
  HRESULT LockServer(BOOL lock) override;

  CComServer& Server() const { return server_; }
  const CLSID& ClassId() const { return entry_.class_id; }
  const std::string& ProgId() const { return prog_id_; }
  const char* ThreadingModel() const { return "Apartment"; }
  // Without a reference.
  ITypeInfo* DispatchTypeInfo() const { return dispatch_type_info_.get(); }
  const IID& ErrorIid() const { return error_iid_; }

  // Writes or deletes the class's keys under HKEY_CLASSES_ROOT; raises.
  void UpdateRegistry(bool registering) const;

 private:
  CComServer& server_;
  AutoClassEntry entry_;
  std::string class_name_;
  std::string prog_id_;
  std::string description_;
  ComRef<ITypeInfo> class_type_info_;
  ComRef<ITypeInfo> dispatch_type_info_;
  IID error_iid_{};
};
