// A package object that passes every call on to the library's and counts
// the files asked for, so that a test can tell how many walks of the
// package an action makes without timing it. Put in a packet's place of
// its package with Wrap; it frees itself with its last reference.
#pragma once

#include <cstdint>

#include "include/tarvex_interfaces.h"
#include "platform/com/com_ref.h"

class CountingPackage final : public ITarvex {
 public:
  // Puts a counting package in `package`'s place, around it.
  static CountingPackage* Wrap(ComRef<ITarvex>& package) {
    auto* counting = new CountingPackage(std::move(package));
    package = ComRef<ITarvex>(counting);
    return counting;
  }

  // GetFile calls; a test sets it to 0 before the action it counts.
  int64_t files_asked = 0;

  HRESULT QueryInterface(const IID& iid, void** object) override {
    return inner_->QueryInterface(iid, object);
  }
  uint32_t AddRef() override { return ++references_; }
  uint32_t Release() override {
    const uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT GetFile(int32_t index, ITarvexFile** result) override {
    ++files_asked;
    return inner_->GetFile(index, result);
  }

#define TARVEX_FORWARD(name, params, args) \
  HRESULT name params override { return inner_->name args; }
  TARVEX_FORWARD(GetTypeInfoCount, (uint32_t * count), (count))
  TARVEX_FORWARD(GetTypeInfo, (uint32_t index, LCID lcid, ITypeInfo** info), (index, lcid, info))
  TARVEX_FORWARD(GetIDsOfNames,
                 (const IID& iid, OLECHAR** names, uint32_t count, LCID lcid, DISPID* ids),
                 (iid, names, count, lcid, ids))
  TARVEX_FORWARD(Invoke,
                 (DISPID id, const IID& iid, LCID lcid, uint16_t flags, DISPPARAMS* params,
                  VARIANT* result, EXCEPINFO* exception, uint32_t* arg_error),
                 (id, iid, lcid, flags, params, result, exception, arg_error))
  TARVEX_FORWARD(New, (TRANSACTION_TYPES type, VARIANT_BOOL* done), (type, done))
  TARVEX_FORWARD(Open, (BSTR name, VARIANT_BOOL* done), (name, done))
  TARVEX_FORWARD(Close, (VARIANT_BOOL * done), (done))
  TARVEX_FORWARD(Save, (BSTR name, VARIANT_BOOL* done), (name, done))
  TARVEX_FORWARD(Encrypt, (ITarvexKey * key, VARIANT_BOOL* done), (key, done))
  TARVEX_FORWARD(Decrypt, (VARIANT_BOOL * done), (done))
  TARVEX_FORWARD(AddFile,
                 (BSTR type, BSTR type_code, BSTR content_type, BSTR name, BSTR content,
                  ITarvexFile** result),
                 (type, type_code, content_type, name, content, result))
  TARVEX_FORWARD(GetFileCount, (int32_t * count), (count))
  TARVEX_FORWARD(IsOpened, (VARIANT_BOOL * opened), (opened))
  TARVEX_FORWARD(SignFile, (BSTR name, ITarvexKey* key, VARIANT_BOOL* done), (name, key, done))
  TARVEX_FORWARD(ReSignFile, (BSTR name, ITarvexKey* key, VARIANT_BOOL* done), (name, key, done))
  TARVEX_FORWARD(GetFileSignatureCount, (int32_t file, int32_t* count), (file, count))
  TARVEX_FORWARD(GetFileSignature, (int32_t file, int32_t sign, ITarvexSignature** result),
                 (file, sign, result))
  TARVEX_FORWARD(GetFileResignCount, (int32_t file, int32_t sign, int32_t* count),
                 (file, sign, count))
  TARVEX_FORWARD(GetFileResign,
                 (int32_t file, int32_t sign, int32_t resign, ITarvexSignature** result),
                 (file, sign, resign, result))
  TARVEX_FORWARD(get_IsEncrypted, (VARIANT_BOOL * value), (value))
  TARVEX_FORWARD(get_SenderType, (SIGN_ROLE_TYPES * value), (value))
  TARVEX_FORWARD(put_SenderType, (SIGN_ROLE_TYPES value), (value))
  TARVEX_FORWARD(get_SenderIdentifier, (BSTR * value), (value))
  TARVEX_FORWARD(put_SenderIdentifier, (BSTR value), (value))
  TARVEX_FORWARD(get_ReceiverType, (SIGN_ROLE_TYPES * value), (value))
  TARVEX_FORWARD(put_ReceiverType, (SIGN_ROLE_TYPES value), (value))
  TARVEX_FORWARD(get_ReceiverIdentifier, (BSTR * value), (value))
  TARVEX_FORWARD(put_ReceiverIdentifier, (BSTR value), (value))
  TARVEX_FORWARD(get_DocTransactType, (TRANSACTION_TYPES * value), (value))
  TARVEX_FORWARD(put_DocTransactType, (TRANSACTION_TYPES value), (value))
  TARVEX_FORWARD(DeleteFile, (int32_t file, VARIANT_BOOL* done), (file, done))
  TARVEX_FORWARD(DeleteFileSignatures, (int32_t file, VARIANT_BOOL* done), (file, done))
  TARVEX_FORWARD(DeleteFileResignatures, (int32_t file, int32_t sign, VARIANT_BOOL* done),
                 (file, sign, done))
  TARVEX_FORWARD(EncryptByCertificate, (BSTR body, VARIANT_BOOL* done), (body, done))
  TARVEX_FORWARD(get_FlagUsageUserStorage, (VARIANT_BOOL * value), (value))
  TARVEX_FORWARD(put_FlagUsageUserStorage, (VARIANT_BOOL value), (value))
  TARVEX_FORWARD(DeleteFileSignature, (int32_t file, int32_t sign, VARIANT_BOOL* done),
                 (file, sign, done))
#undef TARVEX_FORWARD

 private:
  explicit CountingPackage(ComRef<ITarvex> inner) : inner_(std::move(inner)) {}
  ~CountingPackage() = default;

  ComRef<ITarvex> inner_;
  uint32_t references_ = 1;
};
