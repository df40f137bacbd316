#include "lib/crypto/crypt_object.h"

#include "lib/foundation/file_time.h"

void CCryptObject::SetHandle(const void* handle) {
  if (handle == handle_) return;
  if (handle_ != nullptr) Detach();
  handle_ = handle;
  if (handle != nullptr) {
    OnAttach();
    AddRef();
  }
}

void CCryptObject::Detach() {
  if (handle_ == nullptr) return;
  Release();
  handle_ = nullptr;
}

CCryptCertificate::CCryptCertificate(PCCERT_CONTEXT context) { SetHandle(context); }

CCryptCertificate::~CCryptCertificate() { Detach(); }

void CCryptCertificate::AddRef() { CertDuplicateCertificateContext(Context()); }

void CCryptCertificate::Release() {
  CertFreeCertificateContext(Context());
  not_before_ = 0;
  not_after_ = 0;
}

double CCryptCertificate::GetNotBefore() {
  if (not_before_ == 0 && Context() != nullptr)
    not_before_ = FileTimeToDateTime(Context()->Info().NotBefore);
  return not_before_;
}

double CCryptCertificate::GetNotAfter() {
  if (not_after_ == 0 && Context() != nullptr)
    not_after_ = FileTimeToDateTime(Context()->Info().NotAfter);
  return not_after_;
}
