#include "lib/package/tarvex_key.h"

#include "lib/foundation/errors.h"
#include "lib/foundation/value_check_tool.h"
#include "platform/crypt/crypt_defs.h"

namespace {

void TraceIfEmpty(const std::string& value, const char* field) {
  if (!value.empty()) return;
  DebugLog(
      "%0:s не определен (пусто), возможно не установлен СКЗИ либо не удалось выделить из "
      "подписи. Некритично.",
      {field});
}

}  // namespace

CTarvexKey::~CTarvexKey() {
  if (OwnsContext && CertContext != nullptr) CertFreeCertificateContext(CertContext);
  if (provider_ != nullptr) CryptReleaseContext(provider_, 0);
}

void CTarvexKey::SetSha1(const std::string& value) {
  TraceIfEmpty(value, "Отпечаток подписи");
  sha1_ = value;
}

void CTarvexKey::SetCertificateBody(const std::string& value) {
  TraceIfEmpty(value, "тело сертификата");
  certificate_body_ = value;
}

void CTarvexKey::SetSubject(const std::string& value) {
  TraceIfEmpty(value, "Субъект сертификата");
  subject_ = value;
}

void CTarvexKey::SetIssuer(const std::string& value) {
  TraceIfEmpty(value, "Изготовитель сертификата");
  issuer_ = value;
}

void CTarvexKey::SetSubjectCN(const std::string& value) {
  Safe([&] {
    TraceIfEmpty(value, "CN субъекта сертификата");
    CValueCheckTool::CheckNotEmpty(value, "SubjectCN");
    subject_cn_ = value;
  });
}

void CTarvexKey::AcquireContext() {
  Safe([&] {
    if (provider_ != nullptr) return;
    HCRYPTPROV provider = nullptr;
    if (!CryptAcquireContextA(&provider, container_name_.c_str(), nullptr, kGostProviderType, 0)) {
      RaiseLastOSError();
    }
    provider_ = provider;
  });
}
