#include "lib/com/tarvex_signature_class.h"

#include "lib/com/bstr_text.h"
#include "lib/com/last_place_search.h"
#include "lib/com/tarvex_intf_tool.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/tarvex_code_tool.h"
#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_signature.h"
// CTarvexDoc's inline constructor needs the description's full type.
#include "lib/package/xml_gpr_package.h"

namespace {

// The signature numbered `serial` among `parent`'s countersignatures, at any
// depth, or null.
CTarvexSignature* FindResign(const CTarvexSignature& parent, uint64_t serial) {
  for (int index = 0; index < parent.GetResignCount(); ++index) {
    CTarvexSignature* resign = parent.GetResign(index);
    if (resign->Serial() == serial) return resign;
    if (CTarvexSignature* found = FindResign(*resign, serial)) return found;
  }
  return nullptr;
}

// The signature numbered `serial` of `document`, at any depth, or null.
CTarvexSignature* FindIn(const CTarvexDocument& document, uint64_t serial) {
  for (int index = 0; index < document.GetSignatureCount(); ++index) {
    CTarvexSignature* own = document.GetSignature(index);
    if (own->Serial() == serial) return own;
    if (CTarvexSignature* found = FindResign(*own, serial)) return found;
  }
  return nullptr;
}

}  // namespace

ComRef<ITarvexSignature> CTarvexSignature_class::Create(CTarvexSignature* signature, int file,
                                                        std::weak_ptr<CTarvexDoc> package) {
  const ComRef<ITypeInfo> info = CTarvexIntfTool::TypeInfo(ITarvexSignature::kIid);
  // A new object has no reference yet: the first is the caller's.
  return ComAddRef<ITarvexSignature>(
      new CTarvexSignature_class(info.get(), *signature, file, std::move(package)));
}

CTarvexSignature_class::CTarvexSignature_class(ITypeInfo* type_info,
                                               const CTarvexSignature& signature, int file,
                                               std::weak_ptr<CTarvexDoc> package)
    : CAutoIntfObject(type_info),
      serial_(signature.Serial()),
      file_(file),
      package_(std::move(package)) {}

CTarvexSignature& CTarvexSignature_class::Signature() const {
  const std::shared_ptr<CTarvexDoc> package = package_.lock();
  CTarvexSignature* signature =
      FindFromLastPlace(package.get(), file_,
                        [&](const CTarvexDocument& document) { return FindIn(document, serial_); });
  if (signature == nullptr) RaiseError("Подпись больше не входит в пакет");
  return *signature;
}

HRESULT CTarvexSignature_class::get_Filename(BSTR* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = AnsiToBstr(Signature().GetFileName()); });
}

HRESULT CTarvexSignature_class::put_Filename(BSTR Value) {
  return Safe([&] {
    const std::string name = BstrToAnsiName(Value);
    CValueCheckTool::CheckNotEmpty(name, "signFilename");
    Signature().SetFileName(name);
  });
}

HRESULT CTarvexSignature_class::get_SignKey(ITarvexKey** Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = CTarvexIntfTool::KeyToIntf(&Signature().Key()).release(); });
}

HRESULT CTarvexSignature_class::AddSign(BSTR wsSignatureContent, SIGN_ROLE_TYPES enRole,
                                        VARIANT_BOOL* bResult) {
  if (!PrepareOut(bResult)) return E_POINTER;
  *bResult = VARIANT_TRUE;
  return Safe([&] {
    const int role = CTarvexCodeTool::RoleFromCom(enRole);
    Signature().AddResign(BstrToAnsi(wsSignatureContent), static_cast<uint8_t>(role));
  });
}

HRESULT CTarvexSignature_class::get_SignatureContent(BSTR* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = AnsiToBstr(Signature().Content()); });
}
