// CTarvexFile_class: one document of a package as ITarvexFile. A view: the
// package owns the document, and the view shows it only while the package
// holds it; afterwards its members fail. The view knows the document by its
// serial, so a document added later at the same address is not taken for
// it. The view never frees the document and does not keep the package
// alive. It looks first where it found the document last, so that a view
// costs the same in a package of any size while no document before its
// own comes or goes.
#pragma once

#include <cstdint>
#include <memory>

#include "include/tarvex_interfaces.h"
#include "lib/com/auto_intf_object.h"
#include "platform/com/com_ref.h"

class CTarvexDoc;
class CTarvexDocument;
struct rTarvexDocType;

class CTarvexFile_class final : public CAutoIntfObject<ITarvexFile> {
 public:
  // A new view of `document` (not null), file `file` of `package`; raises.
  static ComRef<ITarvexFile> Create(CTarvexDocument* document, int file,
                                    std::weak_ptr<CTarvexDoc> package);

  HRESULT get_DocType(BSTR* Value) override;
  HRESULT get_DocTypeCode(BSTR* Value) override;
  HRESULT put_DocTypeCode(BSTR Value) override;
  HRESULT get_ContentType(BSTR* Value) override;
  HRESULT put_ContentType(BSTR Value) override;
  HRESULT get_IsCompressed(VARIANT_BOOL* Value) override;
  HRESULT get_IsEncrypted(VARIANT_BOOL* Value) override;
  HRESULT get_DocumentCode(BSTR* Value) override;
  HRESULT put_DocumentCode(BSTR Value) override;
  HRESULT get_OriginalFilename(BSTR* Value) override;
  HRESULT put_OriginalFilename(BSTR Value) override;
  HRESULT get_Filename(BSTR* Value) override;
  HRESULT put_Filename(BSTR Value) override;
  HRESULT CheckSign(VARIANT_BOOL* bResult) override;
  HRESULT Sign(ITarvexKey* pKey, VARIANT_BOOL* bResult) override;
  HRESULT Resign(ITarvexKey* pKey, VARIANT_BOOL* bResult) override;
  HRESULT get_RawContent(BSTR* Value) override;
  HRESULT CheckSignEx(VARIANT_BOOL bDownloadContent, VARIANT_BOOL bCheckCRL,
                      VARIANT_BOOL* bResult) override;
  HRESULT AddSign(BSTR wsSignatureContent, SIGN_ROLE_TYPES enRole, VARIANT_BOOL* bResult) override;

 private:
  CTarvexFile_class(ITypeInfo* type_info, const CTarvexDocument& document, int file,
                    std::weak_ptr<CTarvexDoc> package);
  ~CTarvexFile_class() override = default;

  template <typename Get>
  HRESULT GetText(BSTR* value, Get get);
  // The document operations answer True or raise.
  template <typename Work>
  HRESULT Succeeds(VARIANT_BOOL* result, Work work);

  // The document while the package holds it; raises afterwards.
  CTarvexDocument& Document() const;
  // The document type's row in the package's flow kind.
  const rTarvexDocType& TypeRow() const;

  const uint64_t serial_;
  // Where the document was found last.
  mutable int file_;
  const std::weak_ptr<CTarvexDoc> package_;
};
