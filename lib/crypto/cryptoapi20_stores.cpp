// Store routines of CCryptoAPI20Utils: names, flags, listing, search and
// adding a certificate (bound to its container for "MY").
#include "lib/crypto/cryptoapi20_guards.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/str_array.h"
#include "lib/foundation/value_check_tool.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/compare_string.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr int kStoreMy = 1;

// Maximum allowed, so that a store that cannot be written still opens for
// reading; the store never releases the caller's provider handle.
constexpr uint32_t kOpenFlags = CERT_STORE_MAXIMUM_ALLOWED_FLAG | CERT_STORE_NO_CRYPT_RELEASE_FLAG;

// The system store, raising the system error when it does not open.
HCERTSTORE OpenOrRaise(HCRYPTPROV prov, int location, int kind) {
  HCERTSTORE store = CCryptoAPI20Utils::OpenSystemStore(prov, location, kind);
  if (store == nullptr) RaiseLastOSError();
  return store;
}

// The first certificate with exactly that thumbprint, or null.
PCCERT_CONTEXT FindInStore(HCERTSTORE store, const std::string& thumbprint) {
  CertEnumerator walk(store);
  while (walk.Next()) {
    const std::string candidate = CCryptoAPI20Utils::GetThumbprint(walk.Current());
    if (CompareStringA(LOCALE_USER_DEFAULT, 0, candidate, thumbprint) == CSTR_EQUAL) {
      return walk.Take();
    }
  }
  return nullptr;
}

[[noreturn]] void RaiseAddFailure() {
  RaiseError("Не удалось импортировать сертификат" + LastErrorText());
}

}  // namespace

uint32_t CCryptoAPI20Utils::GetStoreLocationFlags(int location) {
  switch (location) {
    case 1: return CERT_SYSTEM_STORE_LOCAL_MACHINE | kOpenFlags;
    case 2: return CERT_SYSTEM_STORE_CURRENT_USER | kOpenFlags;
    default: RaiseErrorFmt("Недоступное хранилище: [%d]", {location});
  }
}

std::string CCryptoAPI20Utils::GetStoreName(int kind) {
  switch (kind) {
    case 1: return "MY";
    case 2: return "ROOT";
    case 3: return "CA";
    case 4: return "addressbook";
    default: RaiseErrorFmt("Недоступное имя хранилища: [%d]", {kind});
  }
}

HCERTSTORE CCryptoAPI20Utils::OpenSystemStore(HCRYPTPROV prov, int location, int kind) {
  const uint32_t flags = GetStoreLocationFlags(location);
  const std::u16string name = AnsiToWide(GetStoreName(kind));
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kMsgEncoding, prov, flags, name);
}

void CCryptoAPI20Utils::ListStoreCertificates(HCRYPTPROV prov, int location, int kind,
                                              CStrArray* list) {
  if (location == 0) RaiseError("Неизвестное хранилище");
  if (kind == 0) RaiseError("Неизвестное имя хранилища");
  CValueCheckTool::CheckAssigned(list, "certArray");
  StoreRef store(OpenOrRaise(prov, location, kind));
  CertEnumerator walk(store.get());
  while (walk.Next()) {
    CertRef entry(CertDuplicateCertificateContext(walk.Current()));
    // A list that ignores a duplicate does not keep the reference.
    if (list->AddObject(GetThumbprint(entry.get()), const_cast<CertContext*>(entry.get())) >= 0) {
      entry.release();
    }
  }
}

PCCERT_CONTEXT CCryptoAPI20Utils::FindCertificateByThumbprint(HCRYPTPROV prov, int location,
                                                              int kind,
                                                              const std::string& thumbprint) {
  StoreRef store(OpenOrRaise(prov, location, kind));
  CertRef found(FindInStore(store.get(), thumbprint));
  if (!CertCloseStore(store.release(), 0)) RaiseLastOSError();
  return found.release();
}

void CCryptoAPI20Utils::AddCertificateToStore(HCRYPTPROV prov, int location, int kind,
                                              PCCERT_CONTEXT certificate,
                                              const std::string& container) {
  StoreRef store(OpenSystemStore(prov, location, kind));
  std::string provider_name;
  uint32_t provider_type = 0;
  if (!container.empty()) GetProvInfo(prov, provider_name, provider_type);
  const bool bind = kind == kStoreMy && !container.empty();
  // A personal certificate is bound before it is added: a binding that
  // fails must not leave a certificate without its key in "MY". A store
  // that did not open binds nothing; the add below reports it.
  if (bind && store.get() != nullptr) {
    BindCertificateToContainer(certificate, provider_name, provider_type, container);
  }
  const uint32_t disposition =
      kind == kStoreMy ? CERT_STORE_ADD_REPLACE_EXISTING : CERT_STORE_ADD_USE_EXISTING;
  if (!CertAddCertificateContextToStore(store.get(), certificate, disposition, nullptr)) {
    RaiseAddFailure();
  }
}
