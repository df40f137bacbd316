// Keys and containers with CCryptoAPI20Utils: the provider's name and type,
// binding a certificate to its key container, and the provider test.
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/errors.h"
#include "platform/crypt/provider_registry.h"
#include "platform/kernel/codepage.h"

namespace {

// A container's context and its key, released in that order at the end.
class ContainerKey {
 public:
  ContainerKey() = default;
  ~ContainerKey() {
    if (prov_ != nullptr) CryptReleaseContext(prov_, 0);
    if (key_ != nullptr) CryptDestroyKey(key_);
  }
  ContainerKey(const ContainerKey&) = delete;
  ContainerKey& operator=(const ContainerKey&) = delete;

  HCRYPTPROV prov_ = nullptr;
  HCRYPTKEY key_ = nullptr;
};

// A failed name query is reported like the type query, rather than binding
// certificates under an empty provider name.
[[noreturn]] void RaiseProvInfoFailure() {
  RaiseErrorFmt("CCryptoAPI20Utils.GetProvInfo: %s", {LastErrorText()});
}

}  // namespace

void CCryptoAPI20Utils::GetProvInfo(HCRYPTPROV prov, std::string& name, uint32_t& type) {
  uint8_t type_bytes[4] = {};
  uint32_t size = sizeof type_bytes;
  if (!CryptGetProvParam(prov, PP_PROVTYPE, type_bytes, &size, 0)) RaiseProvInfoFailure();
  type = type_bytes[0] | (type_bytes[1] << 8) | (type_bytes[2] << 16) |
         (static_cast<uint32_t>(type_bytes[3]) << 24);
  if (!CryptGetProvParam(prov, PP_NAME, nullptr, &size, 0)) RaiseProvInfoFailure();
  std::string text(size, '\0');
  if (!CryptGetProvParam(prov, PP_NAME, reinterpret_cast<uint8_t*>(text.data()), &size, 0)) {
    RaiseProvInfoFailure();
  }
  text.resize(size);
  name = text.substr(0, text.find('\0'));  // without the terminating zero
}

void CCryptoAPI20Utils::SetKeyCertificate(PCCERT_CONTEXT certificate, HCRYPTKEY key) {
  if (!CryptSetKeyParam(key, KP_CERTIFICATE, certificate->Encoded(), 0)) {
    RaiseErrorFmt("Ошибка при импорте сертификата в контейнер: %s", {LastErrorText()});
  }
}

void CCryptoAPI20Utils::SetKeyProvInfo(HCRYPTPROV prov, PCCERT_CONTEXT certificate,
                                       const std::string& container, bool caching) {
  try {
    CryptKeyProvInfo info;
    std::string provider_name;
    GetProvInfo(prov, provider_name, info.ProvType);
    info.ContainerName = AnsiToWide(container);
    info.ProvName = AnsiToWide(provider_name);
    info.Flags = caching ? CERT_SET_KEY_CONTEXT_PROP_ID : 0;
    info.KeySpec = AT_KEYEXCHANGE;
    if (!CertSetCertificateContextProperty(certificate, CERT_KEY_PROV_INFO_PROP_ID, 0, &info)) {
      RaiseError("Ошибка присвоения свойств сертификата");
    }
  } catch (const Exception& error) {
    RaiseErrorFmt("Ошибка при связывании сертификата с контейнером: [%s]", {error.Message()});
  }
}

void CCryptoAPI20Utils::BindCertificateToContainer(PCCERT_CONTEXT certificate,
                                                   const std::string& provider_name,
                                                   uint32_t provider_type,
                                                   const std::string& container) {
  ContainerKey held;
  if (!CryptAcquireContextA(&held.prov_, container.c_str(), provider_name.c_str(), provider_type,
                            0)) {
    RaiseErrorFmt("Ошибка при инициализации с контейнером [%s] криптопровайдера: %s",
                  {container, LastErrorText()});
  }
  if (!CryptGetUserKey(held.prov_, AT_KEYEXCHANGE, &held.key_)) {
    RaiseError("Ошибка при получении закрытого ключа из контейнера: " + LastErrorText());
  }
  SetKeyCertificate(certificate, held.key_);
  SetKeyProvInfo(held.prov_, certificate, container, true);
}

bool CCryptoAPI20Utils::IsGostProviderInstalled() {
  return RegGetMachineValueA(
             "SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider Types\\Type 075", "",
             nullptr) ||
         RegGetMachineValueA(
             "SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider Types\\Type 002", "", nullptr);
}
