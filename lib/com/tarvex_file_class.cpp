#include "lib/com/tarvex_file_class.h"

#include "lib/com/bstr_text.h"
#include "lib/com/tarvex_intf_tool.h"
#include "lib/package/tarvex_code_tool.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/tarvex_package_config.h"
#include "lib/package/tarvex_tool.h"

ITarvexFile* CTarvexFile_class::Create(CTarvexDocument* document) {
  ITypeInfo* info = CTarvexIntfTool::TypeInfo(ITarvexFile::kIid);
  auto* file = new CTarvexFile_class(info, document);
  info->Release();
  file->AddRef();
  return file;
}

template <typename Get>
HRESULT CTarvexFile_class::GetText(BSTR* value, Get get) {
  if (!PrepareOut(value)) return E_POINTER;
  return Safe([&] { *value = AnsiToBstr(get()); });
}

template <typename Work>
HRESULT CTarvexFile_class::Succeeds(VARIANT_BOOL* result, Work work) {
  if (!PrepareOut(result)) return E_POINTER;
  *result = VARIANT_TRUE;
  return Safe(work);
}

HRESULT CTarvexFile_class::get_DocType(BSTR* Value) {
  return GetText(Value, [&] {
    return std::string(
        CTarvexTool::DocTypeByNumber(document_->Config().FlowKind(), document_->GetDocType()).name);
  });
}

HRESULT CTarvexFile_class::get_DocTypeCode(BSTR* Value) {
  return GetText(Value, [&] {
    return std::string(
        CTarvexTool::DocTypeByNumber(document_->Config().FlowKind(), document_->GetDocType()).code);
  });
}

HRESULT CTarvexFile_class::put_DocTypeCode(BSTR Value) {
  return Safe([&] {
    document_->SetDocType(
        CTarvexTool::DocTypeByCode(document_->Config().FlowKind(), BstrToAnsi(Value)).number);
  });
}

HRESULT CTarvexFile_class::get_ContentType(BSTR* Value) {
  return GetText(Value, [&] { return document_->GetContentType(); });
}

HRESULT CTarvexFile_class::put_ContentType(BSTR Value) {
  return Safe([&] { document_->SetContentType(BstrToAnsi(Value)); });
}

HRESULT CTarvexFile_class::get_IsCompressed(VARIANT_BOOL* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = ToVariantBool(document_->IsCompressed()); });
}

HRESULT CTarvexFile_class::get_IsEncrypted(VARIANT_BOOL* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = ToVariantBool(document_->IsEncrypted()); });
}

HRESULT CTarvexFile_class::get_DocumentCode(BSTR* Value) {
  return GetText(Value, [&] { return document_->GetDocumentCode(); });
}

HRESULT CTarvexFile_class::put_DocumentCode(BSTR Value) {
  return Safe([&] { document_->SetDocumentCode(BstrToAnsi(Value)); });
}

HRESULT CTarvexFile_class::get_OriginalFilename(BSTR* Value) {
  return GetText(Value, [&] { return document_->GetOriginalFilename(); });
}

HRESULT CTarvexFile_class::put_OriginalFilename(BSTR Value) {
  return Safe([&] { document_->SetOriginalFilename(BstrToAnsi(Value)); });
}

HRESULT CTarvexFile_class::get_Filename(BSTR* Value) {
  return GetText(Value, [&] { return document_->GetFilename(); });
}

HRESULT CTarvexFile_class::put_Filename(BSTR Value) {
  return Safe([&] { document_->SetFilename(BstrToAnsi(Value)); });
}

HRESULT CTarvexFile_class::CheckSign(VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] { document_->CheckSign(true, true); });
}

HRESULT CTarvexFile_class::Sign(ITarvexKey* pKey, VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] { document_->Sign(CTarvexIntfTool::TemporaryKey(pKey).get()); });
}

HRESULT CTarvexFile_class::Resign(ITarvexKey* pKey, VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] { document_->Resign(CTarvexIntfTool::TemporaryKey(pKey).get()); });
}

HRESULT CTarvexFile_class::get_RawContent(BSTR* Value) {
  return GetText(Value, [&] { return document_->PlainContent(); });
}

HRESULT CTarvexFile_class::CheckSignEx(VARIANT_BOOL bDownloadContent, VARIANT_BOOL bCheckCRL,
                                       VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] { document_->CheckSign(bDownloadContent != 0, bCheckCRL != 0); });
}

HRESULT CTarvexFile_class::AddSign(BSTR wsSignatureContent, SIGN_ROLE_TYPES enRole,
                                   VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] {
    const int role = CTarvexCodeTool::RoleFromCom(enRole);
    document_->AddSign(BstrToAnsi(wsSignatureContent), static_cast<uint8_t>(role));
  });
}
