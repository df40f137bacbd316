#include "lib/com/tarvex_signature_class.h"

#include "lib/com/bstr_text.h"
#include "lib/com/tarvex_intf_tool.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/tarvex_code_tool.h"
#include "lib/package/tarvex_signature.h"

ITarvexSignature* CTarvexSignature_class::Create(CTarvexSignature* signature) {
  ITypeInfo* info = CTarvexIntfTool::TypeInfo(ITarvexSignature::kIid);
  auto* view = new CTarvexSignature_class(info, signature);
  info->Release();
  view->AddRef();
  return view;
}

HRESULT CTarvexSignature_class::get_Filename(BSTR* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = AnsiToBstr(signature_->GetFileName()); });
}

HRESULT CTarvexSignature_class::put_Filename(BSTR Value) {
  return Safe([&] {
    const std::string name = BstrToAnsi(Value);
    CValueCheckTool::CheckNotEmpty(name, "signFilename");
    signature_->SetFileName(name);
  });
}

HRESULT CTarvexSignature_class::get_SignKey(ITarvexKey** Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = CTarvexIntfTool::KeyToIntf(&signature_->Key()); });
}

HRESULT CTarvexSignature_class::AddSign(BSTR wsSignatureContent, SIGN_ROLE_TYPES enRole,
                                        VARIANT_BOOL* bResult) {
  if (!PrepareOut(bResult)) return E_POINTER;
  *bResult = VARIANT_TRUE;
  return Safe([&] {
    const int role = CTarvexCodeTool::RoleFromCom(enRole);
    signature_->AddResign(BstrToAnsi(wsSignatureContent), static_cast<uint8_t>(role));
  });
}

HRESULT CTarvexSignature_class::get_SignatureContent(BSTR* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = AnsiToBstr(signature_->Content()); });
}
