// The runtime's type library and type info objects over a `TypeLibDesc`.
#pragma once

#include <atomic>

#include "platform/com/type_lib.h"

class TypeLib final : public ITypeLib {
 public:
  explicit TypeLib(const TypeLibDesc& desc) : desc_(desc) {}

  HRESULT QueryInterface(const IID& iid, void** object) override;
  uint32_t AddRef() override { return ++count_; }
  uint32_t Release() override;

  uint32_t GetTypeInfoCount() override;
  HRESULT GetTypeInfo(uint32_t index, ITypeInfo** info) override;
  HRESULT GetTypeInfoOfGuid(const GUID& guid, ITypeInfo** info) override;
  HRESULT GetLibAttr(TLIBATTR** attr) override;
  void ReleaseTLibAttr(TLIBATTR* attr) override;
  HRESULT GetDocumentation(int32_t index, BSTR* name, BSTR* doc_string) override;

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
  void ReleaseTypeAttr(TYPEATTR* attr) override;
  HRESULT GetRefTypeOfImplType(uint32_t index, HREFTYPE* ref) override;
  HRESULT GetImplTypeFlags(uint32_t index, int* flags) override;
  HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(OLECHAR** names, uint32_t count, MEMBERID* ids) override;
  HRESULT Invoke(void* instance, MEMBERID id, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, uint32_t* arg_error) override;
  HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc_string) override;

 private:
  ~TypeInfo();
  const TypeDesc& Desc() const { return lib_->Desc().types[index_]; }

  TypeLib* lib_;  // holds a reference
  uint32_t index_;
  std::atomic<uint32_t> count_{1};
};

// Calls `func` on `instance` with the dispatch arguments (type_invoke.cpp).
HRESULT InvokeFunc(const FuncDesc& func, void* instance, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, uint32_t* arg_error);
