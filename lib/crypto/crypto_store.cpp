#include "lib/crypto/crypto_store.h"

#include "lib/crypto/crypto_provider.h"
#include "lib/foundation/errors.h"

namespace {

constexpr uint32_t kStoreFlags = CERT_STORE_MAXIMUM_ALLOWED_FLAG | CERT_STORE_NO_CRYPT_RELEASE_FLAG;

}  // namespace

CCryptoStore::~CCryptoStore() {
  try {
    Close(0);
  } catch (...) {
    // Nothing leaves a destructor.
  }
}

void CCryptoStore::Open(uint32_t store_provider, std::u16string_view parameter) {
  HCRYPTPROV provider_handle = provider_ != nullptr ? provider_->GetHandle() : nullptr;
  Close(0);
  const uint32_t location = provider_ != nullptr && provider_->MachineKeySet()
                                ? CERT_SYSTEM_STORE_LOCAL_MACHINE
                                : CERT_SYSTEM_STORE_CURRENT_USER;
  handle_ = CertOpenStore(store_provider, encoding_type_, provider_handle, location | kStoreFlags,
                          parameter);
  if (handle_ == nullptr) RaiseLastOSError();
}

void CCryptoStore::Close(uint32_t flags) {
  if (handle_ == nullptr) return;
  HCERTSTORE store = handle_;
  handle_ = nullptr;
  if (!CertCloseStore(store, flags)) RaiseLastOSError();
}
