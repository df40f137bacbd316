#include "lib/crypto/cryptoapi20_tool.h"

#include <memory>

#include "lib/crypto/crypto_provider.h"
#include "lib/crypto/crypto_signature.h"
#include "lib/crypto/crypto_store.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/crypto/kestrin_certificate.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/str_array.h"
#include "lib/foundation/value_check_tool.h"
#include "platform/crypt/crypt_defs.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr int kLocalMachine = 1;
constexpr int kCurrentUser = 2;
constexpr int kStoreAddressBook = 4;

int LocationOf(bool current_user) { return current_user ? kCurrentUser : kLocalMachine; }

// A verify context of the GOST provider in the machine's key set or the
// current user's; closed when the object goes.
class VerifyProvider {
 public:
  explicit VerifyProvider(bool machine_key_set) {
    provider_.SetMachineKeySet(machine_key_set);
    provider_.OpenVerifyContext(kGostProviderType, false);
  }
  CCryptoProvider* Get() { return &provider_; }

 private:
  CCryptoProvider provider_;
};

// A key container's context and its exchange key, released and destroyed
// when the object goes.
class ContainerKey {
 public:
  ContainerKey(const std::string& container, const std::string& provider_name,
               uint32_t provider_type) {
    if (!CryptAcquireContextA(&prov_, container.c_str(), provider_name.c_str(), provider_type, 0)) {
      prov_ = nullptr;
      RaiseErrorFmt("Ошибка при инициализации с контейнером [%s] криптопровайдера: %s",
                    {container, LastErrorText()});
    }
    if (!CryptGetUserKey(prov_, AT_KEYEXCHANGE, &key_)) {
      key_ = nullptr;
      const std::string text = LastErrorText();
      CryptReleaseContext(prov_, 0);
      RaiseError("Ошибка при получении закрытого ключа из контейнера: " + text);
    }
  }
  ~ContainerKey() {
    CryptReleaseContext(prov_, 0);
    CryptDestroyKey(key_);
  }
  ContainerKey(const ContainerKey&) = delete;
  ContainerKey& operator=(const ContainerKey&) = delete;

  HCRYPTPROV Prov() const { return prov_; }
  HCRYPTKEY Key() const { return key_; }

 private:
  HCRYPTPROV prov_ = nullptr;
  HCRYPTKEY key_ = nullptr;
};

// Takes a signer out of the owning list without freeing it.
std::unique_ptr<CKestrinCertificate> TakeSigner(CStrArray& signers, int index) {
  auto* signer = static_cast<CKestrinCertificate*>(signers.GetObject(index));
  signers.OwnsObjects = StrArrayOwnership::None;
  signers.Delete(index);
  signers.OwnsObjects = StrArrayOwnership::Destroy;
  return std::unique_ptr<CKestrinCertificate>(signer);
}

}  // namespace

CCryptoAPI20Tool::CCryptoAPI20Tool()
    : ProviderName(kGostProviderName),
      ProviderType(kGostProviderType),
      StoreLocation(kCurrentUser) {
  if (!CryptAcquireContextA(&ProviderHandle, nullptr, ProviderName.c_str(), ProviderType,
                            CRYPT_VERIFYCONTEXT)) {
    ProviderHandle = nullptr;
    RaiseErrorFmt("Ошибка при инициализации криптопровайдера: %s", {LastErrorText()});
  }
}

CCryptoAPI20Tool::~CCryptoAPI20Tool() {
  if (ProviderHandle != nullptr) CryptReleaseContext(ProviderHandle, 0);
  ProviderHandle = nullptr;
}

void CCryptoAPI20Tool::CheckStore(int kind) const {
  if (StoreLocation == 0) RaiseError("Неизвестное хранилище");
  if (kind == 0) RaiseError("Неизвестное имя хранилища");
}

PCCERT_CONTEXT CCryptoAPI20Tool::CertificateFromBody(const std::string& body) {
  return Safe([&] {
    CValueCheckTool::CheckNotEmpty(body, "CertificateBody");
    return CCryptoAPI20Utils::ImportCertificate(body);
  });
}

std::string CCryptoAPI20Tool::GetSubjectCN(PCCERT_CONTEXT context) {
  return Safe([&] {
    CValueCheckTool::CheckAssigned(context, "certcontext");
    return CCryptoAPI20Utils::GetSubjectCN(context);
  });
}

void CCryptoAPI20Tool::ListCertificates(int kind, CStrArray* list) {
  Safe([&] {
    CheckStore(kind);
    CValueCheckTool::CheckAssigned(list, "certArray");
    CCryptoAPI20Utils::ListStoreCertificates(ProviderHandle, StoreLocation, kind, list);
  });
}

PCCERT_CONTEXT CCryptoAPI20Tool::FindCertificateBySha1(int kind, const std::string& sha1) {
  return Safe([&] {
    CheckStore(kind);
    CValueCheckTool::CheckNotEmpty(sha1, "sSha1");
    return CCryptoAPI20Utils::FindCertificateByThumbprint(ProviderHandle, StoreLocation, kind,
                                                          sha1);
  });
}

std::string CCryptoAPI20Tool::GetCertificateBody(PCCERT_CONTEXT context) {
  return Safe([&] {
    CValueCheckTool::CheckAssigned(context, "CertContext");
    return CCryptoAPI20Utils::GetCertificateBody(context);
  });
}

void CCryptoAPI20Tool::ImportP7B(const std::string& text) {
  Safe([&] {
    CValueCheckTool::CheckNotEmpty(text, "p7b-body");
    CCryptoAPI20Utils::ImportCertificates(ProviderHandle, StoreLocation, text, std::string());
  });
}

void CCryptoAPI20Tool::ImportCertificate(int kind, PCCERT_CONTEXT context,
                                         const std::string& container) {
  Safe([&] {
    CheckStore(kind);
    CValueCheckTool::CheckNotEmpty(container, "containerName");
    CValueCheckTool::CheckAssigned(context, "certcontext");
    CCryptoAPI20Utils::AddCertificateToStore(ProviderHandle, StoreLocation, kind, context,
                                             container);
  });
}

void CCryptoAPI20Tool::LinkPrivateKey(PCCERT_CONTEXT context, const std::string& container,
                                      bool cache) {
  CValueCheckTool::CheckAssigned(context, "certcontext");
  ContainerKey key(container, ProviderName, ProviderType);
  // The container takes the certificate first: it refuses one that is not
  // its key's, and the certificate must then not name the container.
  CCryptoAPI20Utils::SetKeyCertificate(context, key.Key());
  CCryptoAPI20Utils::SetKeyProvInfo(key.Prov(), context, container, cache);
}

std::string CCryptoAPI20Tool::GetContainerName(PCCERT_CONTEXT context) {
  CryptKeyProvInfo info;
  if (!CertGetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, &info)) {
    if (GetLastError() == CRYPT_E_NOT_FOUND) return std::string();
    RaiseLastOSError();
  }
  return WideToAnsi(info.ContainerName);
}

void CCryptoAPI20Tool::SetKeyProvInfo(PCCERT_CONTEXT context, const std::string& container,
                                      bool cache) {
  CCryptoAPI20Utils::SetKeyProvInfo(ProviderHandle, context, container, cache);
}

std::string CCryptoAPI20Tool::Sign(bool current_user, CCryptoProvider* provider,
                                   const std::string& content, const std::string& sha1) {
  CValueCheckTool::CheckNotEmpty(content, "content");
  CValueCheckTool::CheckExactLength(sha1, "sha1", 40);
  std::unique_ptr<VerifyProvider> own;
  if (provider == nullptr) {
    own = std::make_unique<VerifyProvider>(!current_user);
    provider = own->Get();
  }
  CCryptoSignatureConfig config(provider, LocationOf(current_user), 0, kIncludeSigningCert);
  CCryptoSignature signature;
  signature.Open(&config);
  signature.Sign(sha1, content);
  return signature.GetSignature();
}

bool CCryptoAPI20Tool::VerifySignature(bool current_user, const std::string& content,
                                       bool revocation, bool full_chain, double date,
                                       CStrArray* list, const std::string& signature,
                                       CVerifiedIssuers* verified, const PreparedChecks* prepared) {
  CValueCheckTool::CheckNotEmpty(content, "content");
  CValueCheckTool::CheckNotEmpty(signature, "signature");
  VerifyProvider provider(false);
  uint8_t options = kSignatureCheckChain;
  if (full_chain) options |= kSignatureDownloadCACerts | kSignatureDownloadCRLs;
  if (revocation) options |= kSignatureCheckRevocation;
  CCryptoSignatureConfig config(provider.Get(), LocationOf(current_user), options,
                                kIncludeSigningCert);
  config.VerifiedIssuers = verified;
  config.Prepared = prepared;
  CCryptoSignature verifier;
  if (!verifier.Open(&config)) return false;
  const bool result = verifier.VerifyStrict(content, signature, date);
  for (int i = verifier.Signers.Count() - 1; list != nullptr && i >= 0; --i) {
    const std::string thumbprint = verifier.Signers.GetString(i);
    std::unique_ptr<CKestrinCertificate> signer = TakeSigner(verifier.Signers, i);
    // A list that ignores a duplicate does not keep the object.
    if (list->AddObject(thumbprint, signer.get()) >= 0) signer.release();
  }
  return result;
}

bool CCryptoAPI20Tool::CheckSignature(bool current_user, const std::string& content, double date,
                                      const std::string& signature) {
  return VerifySignature(current_user, content, true, true, date, nullptr, signature);
}

PCCERT_CONTEXT CCryptoAPI20Tool::FindCertificate(int location, int kind, const std::string& sha1) {
  VerifyProvider provider(location == kLocalMachine);
  return CCryptoAPI20Utils::FindCertificateByThumbprint(provider.Get()->GetHandle(), location, kind,
                                                        sha1);
}

std::string CCryptoAPI20Tool::Encrypt(PCCERT_CONTEXT recipient, const std::string& data) {
  return CCryptoAPI20Utils::EncryptForRecipient(recipient, data);
}

std::string CCryptoAPI20Tool::EncryptBySha1(bool current_user, const std::string& sha1,
                                            const std::string& data) {
  CertRef recipient(FindCertificate(LocationOf(current_user), kStoreAddressBook, sha1));
  if (recipient.get() == nullptr) {
    RaiseErrorFmt(
        "Сертификат для шифрования с отпечатком [%s] не найден в храниилище \"Другие "
        "пользователи\"",
        {sha1});
  }
  return Encrypt(recipient.get(), data);
}

std::string CCryptoAPI20Tool::Decrypt(bool current_user, const std::string& message) {
  VerifyProvider provider(!current_user);
  CCryptoStore store;
  store.SetProvider(provider.Get());
  store.Open(CERT_STORE_PROV_SYSTEM_W, u"MY");
  return CCryptoAPI20Utils::DecryptWithStore(store.Handle(), message);
}
