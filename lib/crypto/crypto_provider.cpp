#include "lib/crypto/crypto_provider.h"

#include <cstring>

#include "lib/foundation/errors.h"
#include "lib/foundation/str_array.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

CCryptoProvider::~CCryptoProvider() {
  try {
    Close();
  } catch (const Exception& error) {
    DebugLog(
        "CCryptoProvider.Destroy: Close() вызвал исключение, возможно еще используется, удалим "
        "позже: %s",
        {error.Message()});
  } catch (...) {
    // Nothing leaves a destructor.
  }
}

void CCryptoProvider::SetMachineKeySet(bool value) {
  if (!active_) machine_key_set_ = value;
}

void CCryptoProvider::Open(uint32_t provider_type, const char* container, bool new_key_set,
                           bool no_raise) {
  if (active_) Close();
  if (container != nullptr) container_.Open(container);
  acquire_flags_ = 0;
  provider_type_ = provider_type;
  if (container == nullptr) {
    acquire_flags_ |= CRYPT_VERIFYCONTEXT;
  } else if (new_key_set) {
    acquire_flags_ |= CRYPT_NEWKEYSET;
  }
  if (machine_key_set_) acquire_flags_ |= CRYPT_MACHINE_KEYSET;
  try {
    AcquireContext(container, provider_name_, acquire_flags_, provider_type_);
  } catch (const Exception& error) {
    if (!no_raise) RaiseError(error.Message());
  }
}

void CCryptoProvider::OpenVerifyContext(uint32_t provider_type, bool no_raise) {
  Open(provider_type, nullptr, false, no_raise);
}

void CCryptoProvider::AcquireContext(const char* container, const std::string& provider_name,
                                     uint32_t flags, uint32_t provider_type) {
  if (active_) Close();
  provider_type_ = provider_type;
  provider_name_ = provider_name;
  acquire_flags_ = flags;
  if (container != nullptr && *container != '\0') container_.Open(container);
  active_ = CryptAcquireContextA(&handle_, container,
                                 provider_name.empty() ? nullptr : provider_name.c_str(),
                                 provider_type, flags);
  if (!active_) {
    const uint32_t code = GetLastError();
    RaiseError("CCryptoProvider.AcquireContext\n\r" + SysErrorText(code));
  }
}

bool CCryptoProvider::EnumNextContainer(CStrArray& list, uint32_t flags) {
  uint8_t buffer[260];
  uint32_t length = sizeof buffer;
  if (CryptGetProvParam(handle_, PP_ENUMCONTAINERS, buffer, &length, flags)) {
    const auto* name = reinterpret_cast<const char*>(buffer);
    list.Add(std::string(name, strnlen(name, length)));
    return true;
  }
  if (GetLastError() == ERROR_NO_MORE_ITEMS) return false;
  RaiseLastOSError();
}

void CCryptoProvider::EnumContainers(CStrArray& list, uint32_t provider_type) {
  list.Clear();
  Open(provider_type, nullptr, false, false);
  for (uint32_t flags = CRYPT_FIRST; EnumNextContainer(list, flags); flags = 0) {
  }
}

void CCryptoProvider::Close() {
  if (!active_) return;
  active_ = false;
  HCRYPTPROV handle = handle_;
  handle_ = nullptr;
  provider_type_ = 0;
  provider_name_.clear();
  container_.Close();
  if (!CryptReleaseContext(handle, 0)) DebugMsg(LastErrorText());
}
