#include "lib/com/tarvex_intf_tool.h"

#include "lib/com/bstr_text.h"
#include "lib/com/com_call.h"
#include "lib/com/com_server.h"
#include "lib/com/ole_error.h"
#include "lib/com/tarvex_file_class.h"
#include "lib/com/tarvex_key_class.h"
#include "lib/com/tarvex_key_context.h"
#include "lib/com/tarvex_signature_class.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/tarvex_code_tool.h"
#include "lib/package/tarvex_key.h"

namespace {

// A text field through a BSTR that is freed whatever happens.
template <typename Put>
void PutText(const std::string& text, Put put) {
  BSTR value = AnsiToBstr(text);
  const HRESULT result = put(value);
  SysFreeString(value);
  RaiseComFailure(result);
}

template <typename Get>
std::string GetText(Get get) {
  BSTR value = nullptr;
  const HRESULT result = get(&value);
  std::string text = BstrToAnsi(value);
  SysFreeString(value);
  RaiseComFailure(result);
  return text;
}

}  // namespace

ComRef<ITypeInfo> CTarvexIntfTool::TypeInfo(const IID& iid) {
  CComServer* server = CComServer::Instance();
  if (server == nullptr) RaiseError("Сервер COM библиотеки не создан");
  return server->InterfaceTypeInfo(iid);
}

ComRef<ITarvexKey> CTarvexIntfTool::KeyToIntf(const CTarvexKey* key) {
  CValueCheckTool::CheckAssigned(key, "pСTarvexKey");
  ComRef<ITarvexKey> made = CTarvexKey_class::Create();
  ITarvexKey* intf = made.get();
  PutText(key->ContainerName(), [&](BSTR value) { return intf->put_ContainerName(value); });
  PutText(key->Sha1(), [&](BSTR value) { return intf->put_Sha1(value); });
  PutText(key->SubjectCN(), [&](BSTR value) { return intf->put_SubjectCN(value); });
  RaiseComFailure(intf->put_SignRole(CTarvexCodeTool::RoleToCom(key->SignRole)));
  PutText(key->CertificateBody(), [&](BSTR value) { return intf->put_CertificateBody(value); });
  PutText(key->Subject(), [&](BSTR value) { return intf->put_Subject(value); });
  PutText(key->Issuer(), [&](BSTR value) { return intf->put_Issuer(value); });
  ITarvexKeyContext* context = nullptr;
  OleCheck(intf->QueryInterface(ITarvexKeyContext::kIid, reinterpret_cast<void**>(&context)));
  const ComRef<ITarvexKeyContext> held(context);
  RaiseComFailure(context->SetCertContext(key->CertContext));
  return made;
}

void CTarvexIntfTool::KeyFromIntf(ITarvexKey* intf, CTarvexKey* key) {
  CValueCheckTool::CheckAssigned(key, "pCTarvexKey");
  CValueCheckTool::CheckAssigned(intf, "pKey");
  key->SetContainerName(GetText([&](BSTR* value) { return intf->get_ContainerName(value); }));
  key->SetSha1(GetText([&](BSTR* value) { return intf->get_Sha1(value); }));
  key->SetSubjectCN(GetText([&](BSTR* value) { return intf->get_SubjectCN(value); }));
  SIGN_ROLE_TYPES role = SIGN_ROLE_TYPE_UNKNOWN;
  RaiseComFailure(intf->get_SignRole(&role));
  key->SignRole = static_cast<uint8_t>(CTarvexCodeTool::RoleFromCom(role));
  key->SetCertificateBody(GetText([&](BSTR* value) { return intf->get_CertificateBody(value); }));
  ITarvexKeyContext* context = nullptr;
  if (FAILED(intf->QueryInterface(ITarvexKeyContext::kIid, reinterpret_cast<void**>(&context)))) {
    RaiseError("Объект ключа создан не библиотекой: интерфейс ITarvexKeyContext не поддерживается");
  }
  const ComRef<ITarvexKeyContext> held(context);
  PCCERT_CONTEXT certificate = nullptr;
  RaiseComFailure(context->GetCertContext(&certificate));
  key->CertContext = certificate;
  key->OwnsContext = false;
}

std::unique_ptr<CTarvexKey> CTarvexIntfTool::TemporaryKey(ITarvexKey* intf) {
  if (intf == nullptr) return nullptr;
  auto key = std::make_unique<CTarvexKey>();
  KeyFromIntf(intf, key.get());
  return key;
}

ComRef<ITarvexFile> CTarvexIntfTool::DocumentToIntf(CTarvexDocument* document, int file,
                                                    std::weak_ptr<CTarvexDoc> package) {
  CValueCheckTool::CheckAssigned(document, "pCTarvexDocument");
  return CTarvexFile_class::Create(document, file, std::move(package));
}

ComRef<ITarvexSignature> CTarvexIntfTool::SignatureToIntf(CTarvexSignature* signature, int file,
                                                          std::weak_ptr<CTarvexDoc> package) {
  CValueCheckTool::CheckAssigned(signature, "pCTarvexSignature");
  return CTarvexSignature_class::Create(signature, file, std::move(package));
}
