#include "lib/com/tarvex_file_class.h"

#include "lib/com/bstr_text.h"
#include "lib/com/last_place_search.h"
#include "lib/com/tarvex_intf_tool.h"
#include "lib/foundation/errors.h"
#include "lib/package/tarvex_code_tool.h"
#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_key.h"
#include "lib/package/tarvex_package_config.h"
#include "lib/package/tarvex_tool.h"
// CTarvexDoc's inline constructor needs the description's full type.
#include "lib/package/xml_gpr_package.h"

ComRef<ITarvexFile> CTarvexFile_class::Create(CTarvexDocument* document, int file,
                                              std::weak_ptr<CTarvexDoc> package) {
  const ComRef<ITypeInfo> info = CTarvexIntfTool::TypeInfo(ITarvexFile::kIid);
  // A new object has no reference yet: the first is the caller's.
  return ComAddRef<ITarvexFile>(
      new CTarvexFile_class(info.get(), *document, file, std::move(package)));
}

CTarvexFile_class::CTarvexFile_class(ITypeInfo* type_info, const CTarvexDocument& document,
                                     int file, std::weak_ptr<CTarvexDoc> package)
    : CAutoIntfObject(type_info),
      serial_(document.Serial()),
      file_(file),
      package_(std::move(package)) {}

CTarvexDocument& CTarvexFile_class::Document() const {
  const std::shared_ptr<CTarvexDoc> package = package_.lock();
  CTarvexDocument* found = FindFromLastPlace(package.get(), file_, [&](CTarvexDocument& document) {
    return document.Serial() == serial_ ? &document : nullptr;
  });
  if (found == nullptr) RaiseError("Документ больше не входит в пакет");
  return *found;
}

const rTarvexDocType& CTarvexFile_class::TypeRow() const {
  const CTarvexDocument& document = Document();
  return CTarvexTool::DocTypeByNumber(document.Config().FlowKind(), document.GetDocType());
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
  return GetText(Value, [&] { return std::string(TypeRow().name); });
}

HRESULT CTarvexFile_class::get_DocTypeCode(BSTR* Value) {
  return GetText(Value, [&] { return std::string(TypeRow().code); });
}

HRESULT CTarvexFile_class::put_DocTypeCode(BSTR Value) {
  return Safe([&] {
    CTarvexDocument& document = Document();
    document.SetDocType(
        CTarvexTool::DocTypeByCode(document.Config().FlowKind(), BstrToAnsi(Value)).number);
  });
}

HRESULT CTarvexFile_class::get_ContentType(BSTR* Value) {
  return GetText(Value, [&] { return Document().GetContentType(); });
}

HRESULT CTarvexFile_class::put_ContentType(BSTR Value) {
  return Safe([&] { Document().SetContentType(BstrToAnsi(Value)); });
}

HRESULT CTarvexFile_class::get_IsCompressed(VARIANT_BOOL* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = ToVariantBool(Document().IsCompressed()); });
}

HRESULT CTarvexFile_class::get_IsEncrypted(VARIANT_BOOL* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = ToVariantBool(Document().IsEncrypted()); });
}

HRESULT CTarvexFile_class::get_DocumentCode(BSTR* Value) {
  return GetText(Value, [&] { return Document().GetDocumentCode(); });
}

HRESULT CTarvexFile_class::put_DocumentCode(BSTR Value) {
  return Safe([&] {
    CTarvexDocument& document = Document();
    package_.lock()->SetDocumentCode(&document, BstrToAnsi(Value));
  });
}

HRESULT CTarvexFile_class::get_OriginalFilename(BSTR* Value) {
  return GetText(Value, [&] { return Document().GetOriginalFilename(); });
}

HRESULT CTarvexFile_class::put_OriginalFilename(BSTR Value) {
  return Safe([&] { Document().SetOriginalFilename(BstrToAnsiName(Value)); });
}

HRESULT CTarvexFile_class::get_Filename(BSTR* Value) {
  return GetText(Value, [&] { return Document().GetFilename(); });
}

HRESULT CTarvexFile_class::put_Filename(BSTR Value) {
  return Safe([&] {
    CTarvexDocument& document = Document();
    package_.lock()->SetDocumentFilename(&document, BstrToAnsiName(Value));
  });
}

HRESULT CTarvexFile_class::CheckSign(VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] { Document().CheckSign(true, true); });
}

HRESULT CTarvexFile_class::Sign(ITarvexKey* pKey, VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] { Document().Sign(CTarvexIntfTool::TemporaryKey(pKey).get()); });
}

HRESULT CTarvexFile_class::Resign(ITarvexKey* pKey, VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] { Document().Resign(CTarvexIntfTool::TemporaryKey(pKey).get()); });
}

HRESULT CTarvexFile_class::get_RawContent(BSTR* Value) {
  return GetText(Value, [&] { return Document().PlainContent(); });
}

HRESULT CTarvexFile_class::CheckSignEx(VARIANT_BOOL bDownloadContent, VARIANT_BOOL bCheckCRL,
                                       VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] { Document().CheckSign(bDownloadContent != 0, bCheckCRL != 0); });
}

HRESULT CTarvexFile_class::AddSign(BSTR wsSignatureContent, SIGN_ROLE_TYPES enRole,
                                   VARIANT_BOOL* bResult) {
  return Succeeds(bResult, [&] {
    const int role = CTarvexCodeTool::RoleFromCom(enRole);
    Document().AddSign(BstrToAnsi(wsSignatureContent), static_cast<uint8_t>(role));
  });
}
