#include "lib/crypto/crypt_object.h"

#include "platform/kernel/file_time.h"

namespace {

int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// The file time as an OLE automation date, with no shift to local time.
double UtcOleDate(const FILETIME& time) {
  SYSTEMTIME st{};
  if (!FileTimeToSystemTime(&time, &st)) return 0;
  const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - DaysFromCivil(1899, 12, 30);
  const double seconds =
      st.wHour * 3600.0 + st.wMinute * 60.0 + st.wSecond + st.wMilliseconds / 1000.0;
  return static_cast<double>(days) + seconds / 86400.0;
}

}  // namespace

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
    not_before_ = UtcOleDate(Context()->Info().NotBefore);
  return not_before_;
}

double CCryptCertificate::GetNotAfter() {
  if (not_after_ == 0 && Context() != nullptr) not_after_ = UtcOleDate(Context()->Info().NotAfter);
  return not_after_;
}
