// CTarvex_class: the automation object behind Tarvex. It owns one
// transport package from creation to its last release; every member reads
// or changes that package. Files and signatures leave it as new views onto
// the package's items, keys as new key objects.
#pragma once

#include <memory>

#include "include/tarvex_interfaces.h"
#include "lib/com/auto_object.h"

class CTarvexDoc;

class CTarvex_class final : public CAutoObject<ITarvex> {
 public:
  static CAutoObjectBase* Create(CAutoObjectFactory& factory);

  // Makes the closed package, using the current user's stores.
  void Initialize() override;

  HRESULT New(TRANSACTION_TYPES enTransactionType, VARIANT_BOOL* bResult) override;
  HRESULT Open(BSTR wsFilename, VARIANT_BOOL* bResult) override;
  HRESULT Close(VARIANT_BOOL* bResult) override;
  HRESULT Save(BSTR wsFilename, VARIANT_BOOL* bResult) override;
  HRESULT Encrypt(ITarvexKey* pKey, VARIANT_BOOL* bResult) override;
  HRESULT Decrypt(VARIANT_BOOL* bResult) override;
  HRESULT AddFile(BSTR wsDocType, BSTR wsDocTypeCode, BSTR wsContentType, BSTR wsFilename,
                  BSTR wsContent, ITarvexFile** pResult) override;
  HRESULT GetFileCount(int32_t* iResult) override;
  HRESULT GetFile(int32_t iIndex, ITarvexFile** pResult) override;
  HRESULT IsOpened(VARIANT_BOOL* bResult) override;
  HRESULT SignFile(BSTR wsFilename, ITarvexKey* pKey, VARIANT_BOOL* bResult) override;
  HRESULT ReSignFile(BSTR wsFilename, ITarvexKey* pKey, VARIANT_BOOL* bResult) override;
  HRESULT GetFileSignatureCount(int32_t iIndex, int32_t* iResult) override;
  HRESULT GetFileSignature(int32_t iFileIndex, int32_t iSignIndex,
                           ITarvexSignature** pResult) override;
  HRESULT GetFileResignCount(int32_t iFileIndex, int32_t iSignIndex, int32_t* iResult) override;
  HRESULT GetFileResign(int32_t iFileIndex, int32_t iSignIndex, int32_t iResignIndex,
                        ITarvexSignature** pResult) override;
  HRESULT get_IsEncrypted(VARIANT_BOOL* Value) override;
  HRESULT get_SenderType(SIGN_ROLE_TYPES* Value) override;
  HRESULT put_SenderType(SIGN_ROLE_TYPES Value) override;
  HRESULT get_SenderIdentifier(BSTR* Value) override;
  HRESULT put_SenderIdentifier(BSTR Value) override;
  HRESULT get_ReceiverType(SIGN_ROLE_TYPES* Value) override;
  HRESULT put_ReceiverType(SIGN_ROLE_TYPES Value) override;
  HRESULT get_ReceiverIdentifier(BSTR* Value) override;
  HRESULT put_ReceiverIdentifier(BSTR Value) override;
  HRESULT get_DocTransactType(TRANSACTION_TYPES* Value) override;
  HRESULT put_DocTransactType(TRANSACTION_TYPES Value) override;
  HRESULT DeleteFile(int32_t iFileIndex, VARIANT_BOOL* bResult) override;
  HRESULT DeleteFileSignatures(int32_t iFileIndex, VARIANT_BOOL* bResult) override;
  HRESULT DeleteFileResignatures(int32_t iFileIndex, int32_t iSignIndex,
                                 VARIANT_BOOL* bResult) override;
  HRESULT EncryptByCertificate(BSTR wsCertBody, VARIANT_BOOL* bResult) override;
  HRESULT get_FlagUsageUserStorage(VARIANT_BOOL* Value) override;
  HRESULT put_FlagUsageUserStorage(VARIANT_BOOL Value) override;
  HRESULT DeleteFileSignature(int32_t iFileIndex, int32_t iSignIndex,
                              VARIANT_BOOL* bResult) override;

 private:
  explicit CTarvex_class(CAutoObjectFactory& factory);
  ~CTarvex_class() override;

  // A member whose result is a value `work` returns.
  template <typename T, typename Work>
  HRESULT Result(T* result, Work work);

  // Shared only so that the views can tell whether it is still there.
  std::shared_ptr<CTarvexDoc> package_;
};
