#include "lib/com/tarvex_signature_class.h"

#include "lib/com/bstr_text.h"
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

// Whether `signature` is among the countersignatures below `parent`, at any
// depth.
bool HoldsResign(const CTarvexSignature& parent, const CTarvexSignature* signature) {
  for (int index = 0; index < parent.GetResignCount(); ++index) {
    const CTarvexSignature* resign = parent.GetResign(index);
    if (resign == signature || HoldsResign(*resign, signature)) return true;
  }
  return false;
}

bool Holds(CTarvexDoc& package, const CTarvexSignature* signature) {
  if (!package.IsOpened()) return false;
  for (int file = 0; file < package.GetFileCount(); ++file) {
    const CTarvexDocument* document = package.GetFile(file);
    for (int index = 0; index < document->GetSignatureCount(); ++index) {
      const CTarvexSignature* own = document->GetSignature(index);
      if (own == signature || HoldsResign(*own, signature)) return true;
    }
  }
  return false;
}

}  // namespace

ITarvexSignature* CTarvexSignature_class::Create(CTarvexSignature* signature,
                                                 std::weak_ptr<CTarvexDoc> package) {
  ITypeInfo* info = CTarvexIntfTool::TypeInfo(ITarvexSignature::kIid);
  auto* view = new CTarvexSignature_class(info, signature, std::move(package));
  info->Release();
  view->AddRef();
  return view;
}

CTarvexSignature& CTarvexSignature_class::Signature() const {
  const std::shared_ptr<CTarvexDoc> package = package_.lock();
  if (package == nullptr || !Holds(*package, signature_)) {
    RaiseError("Подпись больше не входит в пакет");
  }
  return *signature_;
}

HRESULT CTarvexSignature_class::get_Filename(BSTR* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = AnsiToBstr(Signature().GetFileName()); });
}

HRESULT CTarvexSignature_class::put_Filename(BSTR Value) {
  return Safe([&] {
    const std::string name = BstrToAnsi(Value);
    CValueCheckTool::CheckNotEmpty(name, "signFilename");
    Signature().SetFileName(name);
  });
}

HRESULT CTarvexSignature_class::get_SignKey(ITarvexKey** Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = CTarvexIntfTool::KeyToIntf(&Signature().Key()); });
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
