#include "lib/package/tarvex_crypt.h"

#include "lib/crypto/crypt_object.h"
#include "lib/crypto/crypt_tool.h"
#include "lib/crypto/crypto_provider.h"
#include "lib/crypto/cryptoapi20_tool.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/crypto/kestrin_certificate.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/file_routines.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/tarvex_key.h"
#include "platform/crypt/crypt_refs.h"

namespace {

constexpr const char* kNoProvider =
    "Не установлен СКЗИ КриптоПро, который требуется для операции: %s";
constexpr const char* kLinking = "привязка ключа к контейнеру";
constexpr int kLocalMachine = 1;
constexpr int kCurrentUser = 2;
constexpr int kStoreMy = 1;
constexpr int kStoreAddressBook = 4;
constexpr int kDetached = 0;

// Thumbprints are hex digits: only a-z needs folding.
std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Frees the contexts a store listing left in a list that does not own them.
class ContextListGuard {
 public:
  explicit ContextListGuard(CStrArray& list) : list_(list) {}
  ~ContextListGuard() {
    for (int i = 0; i < list_.Count(); ++i) {
      CertFreeCertificateContext(static_cast<PCCERT_CONTEXT>(list_.GetObject(i)));
    }
  }
  ContextListGuard(const ContextListGuard&) = delete;
  ContextListGuard& operator=(const ContextListGuard&) = delete;

  // Hands the context of item `index` over to the caller.
  PCCERT_CONTEXT Take(int index) {
    auto* context = static_cast<PCCERT_CONTEXT>(list_.GetObject(index));
    list_.SetObject(index, nullptr);
    return context;
  }

 private:
  CStrArray& list_;
};

}  // namespace

CTarvexCrypt::CTarvexCrypt() {
  // Thumbprints compare exactly: only upper-case hex digits match.
  for (CStrArray* keys : {&private_keys_, &opponent_keys_}) {
    keys->OwnsObjects = StrArrayOwnership::Destroy;
    keys->SetCompareMode(1);
  }
}

CTarvexCrypt::~CTarvexCrypt() = default;

void CTarvexCrypt::CheckProvider(const std::string& operation) const {
  if (!cryptography_installed_) RaiseErrorFmt(kNoProvider, {operation});
}

CCryptoAPI20Tool& CTarvexCrypt::Tool(const std::string& operation) const {
  // An Init that found the provider but could not open it leaves no tool.
  if (!tool_) RaiseErrorFmt("Каталог ключей не построен, операция недоступна: %s", {operation});
  return *tool_;
}

bool CTarvexCrypt::Init(bool use_user_storage) {
  return Safe([&] {
    cryptography_installed_ = IsCryptographyOk();
    CheckProvider("инициализация");
    tool_.reset();
    tool_ = std::make_unique<CCryptoAPI20Tool>();
    tool_->StoreLocation = use_user_storage ? kCurrentUser : kLocalMachine;
    LoadKeys(kStoreMy, private_keys_);
    LoadKeys(kStoreAddressBook, opponent_keys_);
    containers_.Clear();
    CCryptoProvider provider;
    provider.SetMachineKeySet(!use_user_storage);
    provider.EnumContainers(containers_, kGostProviderType);
    provider.Close();
    return true;
  });
}

void CTarvexCrypt::LoadKeys(int kind, CStrArray& list) {
  list.Clear();
  CStrArray contexts;
  ContextListGuard guard(contexts);
  tool_->ListCertificates(kind, &contexts);
  for (int i = 0; i < contexts.Count(); ++i) {
    auto key = std::make_unique<CTarvexKey>();
    FillKey(*tool_, *key, guard.Take(i));
    list.AddObject(contexts.GetString(i), key.release());
  }
}

void CTarvexCrypt::FillKey(CCryptoAPI20Tool& tool, CTarvexKey& key, PCCERT_CONTEXT context) {
  // The record owns the context before anything can fail, so nothing leaks.
  if (key.OwnsContext && key.CertContext != nullptr) CertFreeCertificateContext(key.CertContext);
  key.CertContext = context;
  key.OwnsContext = true;
  CKestrinCertificate certificate;
  certificate.Attach(context, false);
  key.SetSha1(certificate.GetThumbprint());
  key.SetSubjectCN(tool.GetSubjectCN(context));
  key.SetSubject(certificate.Parts().GetSubjectName());
  key.SetIssuer(certificate.Parts().GetIssuerName());
  key.SetCertificateBody(tool.GetCertificateBody(context));
  key.SetContainerName(tool.GetContainerName(context));
}

CTarvexKey* CTarvexCrypt::KeyAt(CStrArray& list, int index, const std::string& operation,
                                const std::string& name) {
  return Safe([&] {
    CheckProvider(operation);
    CValueCheckTool::CheckIntRange(index, 0, list.Count() - 1, name);
    return static_cast<CTarvexKey*>(static_cast<CBaseClass*>(list.GetObject(index)));
  });
}

CTarvexKey* CTarvexCrypt::GetPrivateKey(int index) {
  return KeyAt(private_keys_, index, "получение личного ключа", "privateKeyIndex");
}

CTarvexKey* CTarvexCrypt::GetOpponentKey(int index) {
  return KeyAt(opponent_keys_, index, "получение ключа оппонента", "opponentKeyIndex");
}

std::string CTarvexCrypt::GetContainer(int index) {
  return Safe([&] {
    CheckProvider("получение имени контейнера");
    CValueCheckTool::CheckIntRange(index, 0, containers_.Count() - 1, "containerIndex");
    return containers_.GetString(index);
  });
}

CTarvexKey* CTarvexCrypt::KeyBySha1(CStrArray& list, const std::string& sha1,
                                    const std::string& operation, const std::string& missing) {
  return Safe([&] {
    CheckProvider(operation);
    CValueCheckTool::CheckNotEmpty(sha1, "sha1");
    int index = -1;
    if (!list.IndexOf(sha1, index)) RaiseErrorFmt(missing, {sha1});
    return static_cast<CTarvexKey*>(static_cast<CBaseClass*>(list.GetObject(index)));
  });
}

CTarvexKey* CTarvexCrypt::GetPrivateKeyBySha1(const std::string& sha1) {
  return KeyBySha1(private_keys_, sha1, "получение ключа по отпечатку",
                   "Не найден личный сертификат по отпечатку [%s]");
}

CTarvexKey* CTarvexCrypt::GetOpponentKeyBySha1(const std::string& sha1) {
  return KeyBySha1(opponent_keys_, sha1, "получение ключа по отпечатку",
                   "Не найден сертификат по отпечатку [%s]");
}

void CTarvexCrypt::ImportP7BChain(const std::string& p7b) {
  Safe([&] {
    const std::string operation = "импорт цепочки сертификатов";
    CheckProvider(operation);
    CValueCheckTool::CheckNotEmpty(p7b, "P7B-content");
    Tool(operation).ImportP7B(p7b);
  });
}

void CTarvexCrypt::ImportPrivateCertificate(const std::string& body, const std::string& container,
                                            CTarvexKey* key) {
  Safe([&] {
    const std::string operation = "импорт личного сертификата";
    CheckProvider(operation);
    CValueCheckTool::CheckNotEmpty(body, "certificateBody");
    CValueCheckTool::CheckNotEmpty(container, "ContainerName");
    CValueCheckTool::CheckAssigned(key, "pKey");
    Import(Tool(operation), kStoreMy, body, container, key);
  });
}

void CTarvexCrypt::ImportOpponentCertificate(const std::string& body, CTarvexKey* key) {
  Safe([&] {
    const std::string operation = "импорт ключа оппонента";
    CheckProvider(operation);
    CValueCheckTool::CheckNotEmpty(body, "certificateBody");
    CValueCheckTool::CheckAssigned(key, "pKey");
    Import(Tool(operation), kStoreAddressBook, body, std::string(), key);
  });
}

void CTarvexCrypt::Import(CCryptoAPI20Tool& tool, int kind, const std::string& body,
                          const std::string& container, CTarvexKey* key) {
  CertRef context(tool.CertificateFromBody(body));
  if (container.empty()) {
    // The tool's import insists on a container, which a certificate of
    // another party never has: it is added to the store as it is.
    CCryptoAPI20Utils::AddCertificateToStore(tool.ProviderHandle, tool.StoreLocation, kind,
                                             context.get(), container);
  } else {
    tool.ImportCertificate(kind, context.get(), container);
  }
  FillKey(tool, *key, context.release());
}

void CTarvexCrypt::CheckSignature(const std::string& content, const std::string& signature) {
  CValueCheckTool::CheckNotEmpty(content, "content");
  CValueCheckTool::CheckNotEmpty(signature, "signature");
  const bool current_user = Tool("проверка подписи").StoreLocation == kCurrentUser;
  // A verification that answers false has not checked the signature out.
  if (!CCryptoAPI20Tool::CheckSignature(current_user, content, 0, signature)) {
    RaiseError("Подпись не прошла проверку");
  }
}

bool CTarvexCrypt::IsCryptographyOk() { return CCryptoAPI20Utils::IsGostProviderInstalled(); }

void CTarvexCrypt::SignFile(const std::string& file_name, const std::string& sha1,
                            const std::string& signature_file) {
  Safe([&] {
    CValueCheckTool::CheckNotEmpty(file_name, "FileName");
    CValueCheckTool::CheckNotEmpty(sha1, "Sha1");
    const std::string content = LoadFileToString(file_name);
    int index = -1;
    if (!private_keys_.IndexOf(AsciiUpper(sha1), index)) {
      RaiseErrorFmt("Ключ по отпечатку [%s] не найден", {sha1});
    }
    const auto* key =
        static_cast<CTarvexKey*>(static_cast<CBaseClass*>(private_keys_.GetObject(index)));
    CCryptCertificate certificate(key->CertContext);
    const std::string signature = CCryptTool::SignMessage(&certificate, content, kDetached);
    WriteStringToFile(signature_file.empty() ? file_name + ".p7s" : signature_file, signature);
  });
}

void CTarvexCrypt::LinkPrivateKey(CTarvexKey* key, bool caching) {
  Safe([&] {
    CheckProvider(kLinking);
    CValueCheckTool::CheckAssigned(key, "pKey");
    CCryptoAPI20Tool& tool = Tool(kLinking);
    CertRef certificate(tool.FindCertificateBySha1(kStoreMy, key->Sha1()));
    if (certificate.get() == nullptr) {
      RaiseErrorFmt("Не найден личный сертификат по отпечатку [%s]", {key->Sha1()});
    }
    tool.LinkPrivateKey(certificate.get(), key->ContainerName(), caching);
  });
}

void CTarvexCrypt::SetPrivateKeyCaching(CTarvexKey* key, bool caching) {
  Safe([&] {
    CheckProvider(kLinking);
    CValueCheckTool::CheckAssigned(key, "pKey");
    CValueCheckTool::CheckAssigned(key->CertContext, "CertContext", "pKey");
    Tool(kLinking).SetKeyProvInfo(key->CertContext, key->ContainerName(), caching);
  });
}
