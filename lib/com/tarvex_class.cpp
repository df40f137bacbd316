#include "lib/com/tarvex_class.h"

#include "lib/com/bstr_text.h"
#include "lib/com/tarvex_intf_tool.h"
#include "lib/package/tarvex_code_tool.h"
#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/tarvex_package_config.h"
#include "lib/package/tarvex_tool.h"
// CTarvexDoc constructs its description inline.
#include "lib/package/xml_gpr_package.h"

CAutoObjectBase* CTarvex_class::Create(CAutoObjectFactory& factory) {
  return new CTarvex_class(factory);
}

CTarvex_class::CTarvex_class(CAutoObjectFactory& factory) : CAutoObject(factory) {}

CTarvex_class::~CTarvex_class() = default;

void CTarvex_class::Initialize() {
  package_ = std::make_shared<CTarvexDoc>();
  package_->SetUseUserStorage(true);
}

template <typename T, typename Work>
HRESULT CTarvex_class::Result(T* result, Work work) {
  if (!PrepareOut(result)) return E_POINTER;
  return Safe([&] { *result = work(); });
}

HRESULT CTarvex_class::New(TRANSACTION_TYPES enTransactionType, VARIANT_BOOL* bResult) {
  return Result(bResult, [&] {
    const bool made = package_->New();
    package_->SetDocTransactType(CTarvexCodeTool::TransactTypeFromCom(enTransactionType));
    return ToVariantBool(made);
  });
}

HRESULT CTarvex_class::Open(BSTR wsFilename, VARIANT_BOOL* bResult) {
  return Result(bResult, [&] { return ToVariantBool(package_->Open(BstrToAnsiName(wsFilename))); });
}

HRESULT CTarvex_class::Close(VARIANT_BOOL* bResult) {
  return Result(bResult, [&] { return ToVariantBool(package_->Close()); });
}

HRESULT CTarvex_class::Save(BSTR wsFilename, VARIANT_BOOL* bResult) {
  return Result(bResult,
                [&] { return ToVariantBool(package_->SaveAs(BstrToAnsiName(wsFilename))); });
}

HRESULT CTarvex_class::Encrypt(ITarvexKey* pKey, VARIANT_BOOL* bResult) {
  return Result(bResult, [&] {
    return ToVariantBool(package_->Encrypt(CTarvexIntfTool::TemporaryKey(pKey).get()));
  });
}

HRESULT CTarvex_class::Decrypt(VARIANT_BOOL* bResult) {
  return Result(bResult, [&] { return ToVariantBool(package_->Decrypt()); });
}

HRESULT CTarvex_class::AddFile(BSTR, BSTR wsDocTypeCode, BSTR wsContentType, BSTR wsFilename,
                               BSTR wsContent, ITarvexFile** pResult) {
  return Result(pResult, [&] {
    // A name refused adds no document.
    const std::string name = BstrToAnsiName(wsFilename);
    CTarvexDocument* document = package_->AddFile();
    try {
      const rTarvexDocType& type =
          CTarvexTool::DocTypeByCode(document->Config().FlowKind(), BstrToAnsi(wsDocTypeCode));
      document->SetDocType(type.number);
      document->SetContentType(BstrToAnsi(wsContentType));
      document->SetOriginalFilename(name);
      // Refused before it is converted: a content too large costs no copy.
      document->CheckContentSize(SysStringLen(wsContent));
      document->SetContent(BstrToAnsi(wsContent));
      package_->CheckFileNames();
      return CTarvexIntfTool::DocumentToIntf(document, package_->GetFileCount() - 1, package_)
          .release();
    } catch (...) {
      // A document that did not get its type and content would be saved
      // broken: it goes again with the failure.
      package_->DeleteFile(package_->GetFileCount() - 1);
      throw;
    }
  });
}

HRESULT CTarvex_class::GetFileCount(int32_t* iResult) {
  return Result(iResult, [&] { return package_->GetFileCount(); });
}

HRESULT CTarvex_class::GetFile(int32_t iIndex, ITarvexFile** pResult) {
  return Result(pResult, [&] {
    return CTarvexIntfTool::DocumentToIntf(package_->GetFile(iIndex), iIndex, package_).release();
  });
}

HRESULT CTarvex_class::IsOpened(VARIANT_BOOL* bResult) {
  return Result(bResult, [&] { return ToVariantBool(package_->IsOpened()); });
}

HRESULT CTarvex_class::SignFile(BSTR wsFilename, ITarvexKey* pKey, VARIANT_BOOL* bResult) {
  return Result(bResult, [&] {
    const std::unique_ptr<CTarvexKey> key = CTarvexIntfTool::TemporaryKey(pKey);
    return ToVariantBool(package_->SignFile(BstrToAnsiName(wsFilename), key.get()));
  });
}

HRESULT CTarvex_class::ReSignFile(BSTR wsFilename, ITarvexKey* pKey, VARIANT_BOOL* bResult) {
  return Result(bResult, [&] {
    const std::unique_ptr<CTarvexKey> key = CTarvexIntfTool::TemporaryKey(pKey);
    return ToVariantBool(package_->ReSignFile(BstrToAnsiName(wsFilename), key.get()));
  });
}

HRESULT CTarvex_class::GetFileSignatureCount(int32_t iIndex, int32_t* iResult) {
  return Result(iResult, [&] { return package_->GetFileSignatureCount(iIndex); });
}

HRESULT CTarvex_class::GetFileSignature(int32_t iFileIndex, int32_t iSignIndex,
                                        ITarvexSignature** pResult) {
  return Result(pResult, [&] {
    return CTarvexIntfTool::SignatureToIntf(package_->GetFileSignature(iFileIndex, iSignIndex),
                                            iFileIndex, package_)
        .release();
  });
}

HRESULT CTarvex_class::GetFileResignCount(int32_t iFileIndex, int32_t iSignIndex,
                                          int32_t* iResult) {
  return Result(iResult, [&] { return package_->GetFileResignCount(iFileIndex, iSignIndex); });
}

HRESULT CTarvex_class::GetFileResign(int32_t iFileIndex, int32_t iSignIndex, int32_t iResignIndex,
                                     ITarvexSignature** pResult) {
  return Result(pResult, [&] {
    return CTarvexIntfTool::SignatureToIntf(
               package_->GetFileResign(iFileIndex, iSignIndex, iResignIndex), iFileIndex, package_)
        .release();
  });
}

HRESULT CTarvex_class::get_IsEncrypted(VARIANT_BOOL* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  *Value = VARIANT_FALSE;
  return Safe([&] {
    const int count = package_->GetFileCount();
    for (int index = 0; index < count; ++index) {
      if (package_->GetFile(index)->IsEncrypted()) {
        *Value = VARIANT_TRUE;
        return;
      }
    }
  });
}

HRESULT CTarvex_class::get_SenderType(SIGN_ROLE_TYPES* Value) {
  return Result(Value,
                [&] { return CTarvexCodeTool::SubjectTypeToCom(package_->GetSenderType()); });
}

HRESULT CTarvex_class::put_SenderType(SIGN_ROLE_TYPES Value) {
  return Safe([&] {
    package_->SetSenderType(static_cast<uint8_t>(CTarvexCodeTool::SubjectTypeFromCom(Value)));
  });
}

HRESULT CTarvex_class::get_SenderIdentifier(BSTR* Value) {
  return Result(Value, [&] { return AnsiToBstr(package_->GetSenderIdentifier()); });
}

HRESULT CTarvex_class::put_SenderIdentifier(BSTR Value) {
  return Safe([&] { package_->SetSenderIdentifier(BstrToAnsi(Value)); });
}

HRESULT CTarvex_class::get_ReceiverType(SIGN_ROLE_TYPES* Value) {
  return Result(Value,
                [&] { return CTarvexCodeTool::SubjectTypeToCom(package_->GetReceiverType()); });
}

HRESULT CTarvex_class::put_ReceiverType(SIGN_ROLE_TYPES Value) {
  return Safe([&] {
    package_->SetReceiverType(static_cast<uint8_t>(CTarvexCodeTool::SubjectTypeFromCom(Value)));
  });
}

HRESULT CTarvex_class::get_ReceiverIdentifier(BSTR* Value) {
  return Result(Value, [&] { return AnsiToBstr(package_->GetReceiverIdentifier()); });
}

HRESULT CTarvex_class::put_ReceiverIdentifier(BSTR Value) {
  return Safe([&] { package_->SetReceiverIdentifier(BstrToAnsi(Value)); });
}

HRESULT CTarvex_class::get_DocTransactType(TRANSACTION_TYPES* Value) {
  return Result(Value,
                [&] { return CTarvexCodeTool::TransactTypeToCom(package_->GetDocTransactType()); });
}

HRESULT CTarvex_class::put_DocTransactType(TRANSACTION_TYPES Value) {
  return Safe([&] { package_->SetDocTransactType(CTarvexCodeTool::TransactTypeFromCom(Value)); });
}

HRESULT CTarvex_class::DeleteFile(int32_t iFileIndex, VARIANT_BOOL* bResult) {
  return Result(bResult, [&] { return ToVariantBool(package_->DeleteFile(iFileIndex)); });
}

HRESULT CTarvex_class::DeleteFileSignatures(int32_t iFileIndex, VARIANT_BOOL* bResult) {
  return Result(bResult, [&] { return ToVariantBool(package_->DeleteFileSignatures(iFileIndex)); });
}

HRESULT CTarvex_class::DeleteFileResignatures(int32_t iFileIndex, int32_t iSignIndex,
                                              VARIANT_BOOL* bResult) {
  return Result(bResult, [&] {
    return ToVariantBool(package_->DeleteFileResignatures(iFileIndex, iSignIndex));
  });
}

HRESULT CTarvex_class::EncryptByCertificate(BSTR wsCertBody, VARIANT_BOOL* bResult) {
  return Result(bResult, [&] {
    CTarvexKey key;
    key.SetCertificateBody(BstrToAnsi(wsCertBody));
    return ToVariantBool(package_->Encrypt(&key));
  });
}

HRESULT CTarvex_class::get_FlagUsageUserStorage(VARIANT_BOOL* Value) {
  if (Value == nullptr) return E_POINTER;
  *Value = ToVariantBool(package_->UseUserStorage());
  return S_OK;
}

HRESULT CTarvex_class::put_FlagUsageUserStorage(VARIANT_BOOL Value) {
  package_->SetUseUserStorage(Value != 0);
  return S_OK;
}

HRESULT CTarvex_class::DeleteFileSignature(int32_t iFileIndex, int32_t iSignIndex,
                                           VARIANT_BOOL* bResult) {
  return Result(bResult, [&] {
    return ToVariantBool(package_->DeleteFileSignature(iFileIndex, iSignIndex));
  });
}
