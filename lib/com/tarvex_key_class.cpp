#include "lib/com/tarvex_key_class.h"

#include "lib/com/bstr_text.h"
#include "lib/com/tarvex_intf_tool.h"
#include "lib/package/tarvex_code_tool.h"
#include "lib/package/tarvex_key.h"

ComRef<ITarvexKey> CTarvexKey_class::Create() {
  const ComRef<ITypeInfo> info = CTarvexIntfTool::TypeInfo(ITarvexKey::kIid);
  // A new object has no reference yet: the first is the caller's.
  return ComAddRef<ITarvexKey>(new CTarvexKey_class(info.get()));
}

CTarvexKey_class::CTarvexKey_class(ITypeInfo* type_info)
    : CAutoIntfObject(type_info), key_(std::make_unique<CTarvexKey>()) {}

CTarvexKey_class::~CTarvexKey_class() = default;

template <typename Get>
HRESULT CTarvexKey_class::GetText(BSTR* value, Get get) {
  if (!PrepareOut(value)) return E_POINTER;
  return Safe([&] { *value = AnsiToBstr(get(*key_)); });
}

template <typename Put>
HRESULT CTarvexKey_class::PutText(BSTR value, Put put) {
  return Safe([&] { put(*key_, BstrToAnsi(value)); });
}

HRESULT CTarvexKey_class::get_ContainerName(BSTR* Value) {
  return GetText(Value, [](const CTarvexKey& key) { return key.ContainerName(); });
}

HRESULT CTarvexKey_class::put_ContainerName(BSTR Value) {
  return PutText(Value,
                 [](CTarvexKey& key, const std::string& text) { key.SetContainerName(text); });
}

HRESULT CTarvexKey_class::get_Sha1(BSTR* Value) {
  return GetText(Value, [](const CTarvexKey& key) { return key.Sha1(); });
}

HRESULT CTarvexKey_class::put_Sha1(BSTR Value) {
  return PutText(Value, [](CTarvexKey& key, const std::string& text) { key.SetSha1(text); });
}

HRESULT CTarvexKey_class::get_SubjectCN(BSTR* Value) {
  return GetText(Value, [](const CTarvexKey& key) { return key.SubjectCN(); });
}

HRESULT CTarvexKey_class::put_SubjectCN(BSTR Value) {
  return PutText(Value, [](CTarvexKey& key, const std::string& text) { key.SetSubjectCN(text); });
}

HRESULT CTarvexKey_class::get_SignRole(SIGN_ROLE_TYPES* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  return Safe([&] { *Value = CTarvexCodeTool::RoleToCom(key_->SignRole); });
}

HRESULT CTarvexKey_class::put_SignRole(SIGN_ROLE_TYPES Value) {
  return Safe([&] { key_->SignRole = static_cast<uint8_t>(CTarvexCodeTool::RoleFromCom(Value)); });
}

HRESULT CTarvexKey_class::get_CertificateBody(BSTR* Value) {
  return GetText(Value, [](const CTarvexKey& key) { return key.CertificateBody(); });
}

HRESULT CTarvexKey_class::put_CertificateBody(BSTR Value) {
  return PutText(Value,
                 [](CTarvexKey& key, const std::string& text) { key.SetCertificateBody(text); });
}

HRESULT CTarvexKey_class::get_Subject(BSTR* Value) {
  return GetText(Value, [](const CTarvexKey& key) { return key.Subject(); });
}

HRESULT CTarvexKey_class::put_Subject(BSTR Value) {
  return PutText(Value, [](CTarvexKey& key, const std::string& text) { key.SetSubject(text); });
}

HRESULT CTarvexKey_class::get_Issuer(BSTR* Value) {
  return GetText(Value, [](const CTarvexKey& key) { return key.Issuer(); });
}

HRESULT CTarvexKey_class::put_Issuer(BSTR Value) {
  return PutText(Value, [](CTarvexKey& key, const std::string& text) { key.SetIssuer(text); });
}

HRESULT CTarvexKey_class::Init() {
  return Safe([&] { key_->AcquireContext(); });
}

HRESULT CTarvexKey_class::GetCertContext(PCCERT_CONTEXT* context) {
  if (context == nullptr) return E_POINTER;
  *context = key_->CertContext;
  return S_OK;
}

HRESULT CTarvexKey_class::SetCertContext(PCCERT_CONTEXT context) {
  // A reference of the record's own: the same context, kept alive while
  // this copy lives even when its source goes first.
  PCCERT_CONTEXT previous = key_->OwnsContext ? key_->CertContext : nullptr;
  key_->CertContext = CertDuplicateCertificateContext(context);
  key_->OwnsContext = true;
  CertFreeCertificateContext(previous);
  return S_OK;
}
