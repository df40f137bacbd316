// The runtime's type library and type info objects over a `TypeLibDesc`.
#pragma once

#include <atomic>

#include "platform/com/com_ref.h"
#include "platform/com/type_lib.h"

// QueryInterface of an object that has one interface besides IUnknown.
template <typename Interface>
HRESULT QueryOne(Interface* self, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IUnknown::kIid || iid == Interface::kIid) {
    *object = self;
    self->AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

class TypeLib final : public ITypeLib {
 public:
  explicit TypeLib(const TypeLibDesc& desc) : desc_(desc) {}

  HRESULT QueryInterface(const IID& iid, void** object) override;
  uint32_t AddRef() override { return ++count_; }
  uint32_t Release() override;

  uint32_t GetTypeInfoCount() override;
  HRESULT GetTypeInfo(uint32_t index, ITypeInfo** info) override;
  HRESULT GetTypeInfoType(uint32_t index, TYPEKIND* kind) override;
  HRESULT GetTypeInfoOfGuid(const GUID& guid, ITypeInfo** info) override;
  HRESULT GetLibAttr(TLIBATTR** attr) override;
  HRESULT GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
  HRESULT GetDocumentation(int32_t index, BSTR* name, BSTR* doc_string, uint32_t* help_context,
                           BSTR* help_file) override;
  HRESULT IsName(OLECHAR* name, uint32_t hash, BOOL* found) override;
  HRESULT FindName(OLECHAR* name, uint32_t hash, ITypeInfo** infos, MEMBERID* ids,
                   uint16_t* found) override;
  void ReleaseTLibAttr(TLIBATTR* attr) override;

  const TypeLibDesc& Desc() const { return desc_; }

 private:
  ~TypeLib() = default;

  const TypeLibDesc& desc_;
  std::atomic<uint32_t> count_{1};
};

class TypeInfo final : public ITypeInfo {
 public:
  TypeInfo(TypeLib* lib, uint32_t index);

  HRESULT QueryInterface(const IID& iid, void** object) override;
  uint32_t AddRef() override { return ++count_; }
  uint32_t Release() override;

  HRESULT GetTypeAttr(TYPEATTR** attr) override;
  HRESULT GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
  HRESULT GetFuncDesc(uint32_t index, FUNCDESC** desc) override;
  HRESULT GetVarDesc(uint32_t index, VARDESC** desc) override;
  HRESULT GetNames(MEMBERID id, BSTR* names, uint32_t max_names, uint32_t* count) override;
  HRESULT GetRefTypeOfImplType(uint32_t index, HREFTYPE* ref) override;
  HRESULT GetImplTypeFlags(uint32_t index, int* flags) override;
  HRESULT GetIDsOfNames(OLECHAR** names, uint32_t count, MEMBERID* ids) override;
  HRESULT Invoke(void* instance, MEMBERID id, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, uint32_t* arg_error) override;
  HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc_string, uint32_t* help_context,
                           BSTR* help_file) override;
  HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, uint16_t*) override { return E_NOTIMPL; }
  HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) override;
  HRESULT AddressOfMember(MEMBERID, INVOKEKIND, void**) override { return E_NOTIMPL; }
  HRESULT CreateInstance(IUnknown*, const IID&, void**) override { return E_NOTIMPL; }
  HRESULT GetMops(MEMBERID, BSTR*) override { return E_NOTIMPL; }
  HRESULT GetContainingTypeLib(ITypeLib** lib, uint32_t* index) override;
  void ReleaseTypeAttr(TYPEATTR* attr) override;
  void ReleaseFuncDesc(FUNCDESC* desc) override;
  void ReleaseVarDesc(VARDESC* desc) override;

 private:
  ~TypeInfo();
  const TypeDesc& Desc() const { return lib_->Desc().types[index_]; }

  const ComRef<TypeLib> lib_;
  uint32_t index_;
  std::atomic<uint32_t> count_{1};
};

// Calls `func` on `instance` with the dispatch arguments (type_invoke.cpp).
HRESULT InvokeFunc(const FuncDesc& func, void* instance, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, uint32_t* arg_error);
