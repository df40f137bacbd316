// The dual interfaces of the QimTarvexLib type library, as both deliverables
// bind them through the vtable: IUnknown in slots 0-2, IDispatch in 3-6, the
// members from slot 7 in this order. A value result is the last parameter;
// BOOL is VARIANT_BOOL (-1 true, 0 false).
#pragma once

#include "include/tarvex_enums.h"
#include "platform/com/bstr.h"
#include "platform/com/oaidl.h"

struct ITarvexFile;
struct ITarvexSignature;
struct ITarvexKey;

struct ITarvex : IDispatch {
  static constexpr IID kIid = {
      0x5249D393, 0x44A8, 0x4C9B, {0x87, 0xF0, 0xB3, 0x92, 0xB0, 0x46, 0x07, 0x13}};

  virtual HRESULT New(TRANSACTION_TYPES enTransactionType, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT Open(BSTR wsFilename, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT Close(VARIANT_BOOL* bResult) = 0;
  virtual HRESULT Save(BSTR wsFilename, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT Encrypt(ITarvexKey* pKey, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT Decrypt(VARIANT_BOOL* bResult) = 0;
  virtual HRESULT AddFile(BSTR wsDocType, BSTR wsDocTypeCode, BSTR wsContentType, BSTR wsFilename,
                          BSTR wsContent, ITarvexFile** pResult) = 0;
  virtual HRESULT GetFileCount(int32_t* iResult) = 0;
  virtual HRESULT GetFile(int32_t iIndex, ITarvexFile** pResult) = 0;
  virtual HRESULT IsOpened(VARIANT_BOOL* bResult) = 0;
  virtual HRESULT SignFile(BSTR wsFilename, ITarvexKey* pKey, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT ReSignFile(BSTR wsFilename, ITarvexKey* pKey, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT GetFileSignatureCount(int32_t iIndex, int32_t* iResult) = 0;
  virtual HRESULT GetFileSignature(int32_t iFileIndex, int32_t iSignIndex,
                                   ITarvexSignature** pResult) = 0;
  virtual HRESULT GetFileResignCount(int32_t iFileIndex, int32_t iSignIndex, int32_t* iResult) = 0;
  virtual HRESULT GetFileResign(int32_t iFileIndex, int32_t iSignIndex, int32_t iResignIndex,
                                ITarvexSignature** pResult) = 0;
  virtual HRESULT get_IsEncrypted(VARIANT_BOOL* Value) = 0;
  virtual HRESULT get_SenderType(SIGN_ROLE_TYPES* Value) = 0;
  virtual HRESULT put_SenderType(SIGN_ROLE_TYPES Value) = 0;
  virtual HRESULT get_SenderIdentifier(BSTR* Value) = 0;
  virtual HRESULT put_SenderIdentifier(BSTR Value) = 0;
  virtual HRESULT get_ReceiverType(SIGN_ROLE_TYPES* Value) = 0;
  virtual HRESULT put_ReceiverType(SIGN_ROLE_TYPES Value) = 0;
  virtual HRESULT get_ReceiverIdentifier(BSTR* Value) = 0;
  virtual HRESULT put_ReceiverIdentifier(BSTR Value) = 0;
  virtual HRESULT get_DocTransactType(TRANSACTION_TYPES* Value) = 0;
  virtual HRESULT put_DocTransactType(TRANSACTION_TYPES Value) = 0;
  virtual HRESULT DeleteFile(int32_t iFileIndex, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT DeleteFileSignatures(int32_t iFileIndex, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT DeleteFileResignatures(int32_t iFileIndex, int32_t iSignIndex,
                                         VARIANT_BOOL* bResult) = 0;
  virtual HRESULT EncryptByCertificate(BSTR wsCertBody, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT get_FlagUsageUserStorage(VARIANT_BOOL* Value) = 0;
  virtual HRESULT put_FlagUsageUserStorage(VARIANT_BOOL Value) = 0;
  virtual HRESULT DeleteFileSignature(int32_t iFileIndex, int32_t iSignIndex,
                                      VARIANT_BOOL* bResult) = 0;

 protected:
  ~ITarvex() = default;
};

struct ITarvexFile : IDispatch {
  static constexpr IID kIid = {
      0xDBBC349B, 0xB4EE, 0x4626, {0xAA, 0x25, 0xE0, 0xAE, 0x71, 0xE0, 0xDA, 0xD1}};

  virtual HRESULT get_DocType(BSTR* Value) = 0;
  virtual HRESULT get_DocTypeCode(BSTR* Value) = 0;
  virtual HRESULT put_DocTypeCode(BSTR Value) = 0;
  virtual HRESULT get_ContentType(BSTR* Value) = 0;
  virtual HRESULT put_ContentType(BSTR Value) = 0;
  virtual HRESULT get_IsCompressed(VARIANT_BOOL* Value) = 0;
  virtual HRESULT get_IsEncrypted(VARIANT_BOOL* Value) = 0;
  virtual HRESULT get_DocumentCode(BSTR* Value) = 0;
  virtual HRESULT put_DocumentCode(BSTR Value) = 0;
  virtual HRESULT get_OriginalFilename(BSTR* Value) = 0;
  virtual HRESULT put_OriginalFilename(BSTR Value) = 0;
  virtual HRESULT get_Filename(BSTR* Value) = 0;
  virtual HRESULT put_Filename(BSTR Value) = 0;
  virtual HRESULT CheckSign(VARIANT_BOOL* bResult) = 0;
  virtual HRESULT Sign(ITarvexKey* pKey, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT Resign(ITarvexKey* pKey, VARIANT_BOOL* bResult) = 0;
  virtual HRESULT get_RawContent(BSTR* Value) = 0;
  virtual HRESULT CheckSignEx(VARIANT_BOOL bDownloadContent, VARIANT_BOOL bCheckCRL,
                              VARIANT_BOOL* bResult) = 0;
  virtual HRESULT AddSign(BSTR wsSignatureContent, SIGN_ROLE_TYPES enRole,
                          VARIANT_BOOL* bResult) = 0;

 protected:
  ~ITarvexFile() = default;
};

struct ITarvexSignature : IDispatch {
  static constexpr IID kIid = {
      0xDF9DC539, 0x20E6, 0x4A91, {0xAC, 0xB5, 0xFC, 0xB8, 0x1B, 0xBA, 0xB0, 0xE3}};

  virtual HRESULT get_Filename(BSTR* Value) = 0;
  virtual HRESULT put_Filename(BSTR Value) = 0;
  virtual HRESULT get_SignKey(ITarvexKey** Value) = 0;
  virtual HRESULT AddSign(BSTR wsSignatureContent, SIGN_ROLE_TYPES enRole,
                          VARIANT_BOOL* bResult) = 0;
  virtual HRESULT get_SignatureContent(BSTR* Value) = 0;

 protected:
  ~ITarvexSignature() = default;
};

struct ITarvexCrypt : IDispatch {
  static constexpr IID kIid = {
      0x94C77464, 0x5C3D, 0x4B92, {0xA1, 0xEB, 0x20, 0xDA, 0x6D, 0x25, 0xB1, 0x8B}};

  virtual HRESULT Init(VARIANT_BOOL* bResult) = 0;
  virtual HRESULT GetPrivateKeyCount(int32_t* iResult) = 0;
  virtual HRESULT GetPrivateKey(int32_t iIndex, ITarvexKey** pResult) = 0;
  virtual HRESULT GetOpponentKeyCount(int32_t* iResult) = 0;
  virtual HRESULT GetOpponentKey(int32_t iIndex, ITarvexKey** pResult) = 0;
  virtual HRESULT ImportP7BChain(BSTR wsP7BFileContent) = 0;
  virtual HRESULT ImportOpponentCertificate(BSTR wsCertificateBody, ITarvexKey** pResult) = 0;
  virtual HRESULT ImportPrivateCertificate(BSTR wsCertificateBody, BSTR wsContainerName,
                                           ITarvexKey** pResult) = 0;
  virtual HRESULT CheckSignature(BSTR wsContent, BSTR wsSignature) = 0;
  virtual HRESULT GetContainerCount(int32_t* iResult) = 0;
  virtual HRESULT GetContainer(int32_t iIndex, BSTR* wsResult) = 0;
  virtual HRESULT GetOpponentKeyBySha1(BSTR wsSha1, ITarvexKey** pResult) = 0;
  virtual HRESULT GetPrivateKeyBySha1(BSTR wsSha1, ITarvexKey** pResult) = 0;
  virtual HRESULT IsCryptographyOk(VARIANT_BOOL* bResult) = 0;
  virtual HRESULT get_FlagUsageUserStorage(VARIANT_BOOL* Value) = 0;
  virtual HRESULT put_FlagUsageUserStorage(VARIANT_BOOL Value) = 0;
  virtual HRESULT LinkPrivateKey(ITarvexKey* pKey, VARIANT_BOOL bCaching) = 0;
  // wsSignFileName is optional through IDispatch (default: empty string).
  virtual HRESULT SignFile(BSTR wsFilename, ITarvexKey* pKey, BSTR wsSignFileName) = 0;
  virtual HRESULT SetPrivateKeyCaching(ITarvexKey* pKey, VARIANT_BOOL bCaching) = 0;

 protected:
  ~ITarvexCrypt() = default;
};

struct ITarvexKey : IDispatch {
  static constexpr IID kIid = {
      0x2F010B65, 0x672D, 0x4345, {0xBC, 0xB5, 0xC5, 0xB9, 0x48, 0x6E, 0x48, 0x3D}};

  virtual HRESULT get_ContainerName(BSTR* Value) = 0;
  virtual HRESULT put_ContainerName(BSTR Value) = 0;
  virtual HRESULT get_Sha1(BSTR* Value) = 0;
  virtual HRESULT put_Sha1(BSTR Value) = 0;
  virtual HRESULT get_SubjectCN(BSTR* Value) = 0;
  virtual HRESULT put_SubjectCN(BSTR Value) = 0;
  virtual HRESULT get_SignRole(SIGN_ROLE_TYPES* Value) = 0;
  virtual HRESULT put_SignRole(SIGN_ROLE_TYPES Value) = 0;
  virtual HRESULT get_CertificateBody(BSTR* Value) = 0;
  virtual HRESULT put_CertificateBody(BSTR Value) = 0;
  virtual HRESULT get_Subject(BSTR* Value) = 0;
  virtual HRESULT put_Subject(BSTR Value) = 0;
  virtual HRESULT get_Issuer(BSTR* Value) = 0;
  virtual HRESULT put_Issuer(BSTR Value) = 0;
  virtual HRESULT Init() = 0;

 protected:
  ~ITarvexKey() = default;
};
