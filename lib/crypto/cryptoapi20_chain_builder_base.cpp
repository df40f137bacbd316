#include "lib/crypto/cryptoapi20_chain_builder_base.h"

#include "lib/crypto/chain_dates.h"
#include "lib/crypto/crypto_exception.h"
#include "lib/crypto/cryptoapi20_guards.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/file_time.h"
#include "lib/foundation/value_check_tool.h"
#include "platform/kernel/last_error.h"

void CCryptoAPI20ChainBuilderBaseConfig::Assign(const CCryptoAPI20ChainBuilderBaseConfig& source) {
  InitialCertContext = source.InitialCertContext;
  ProviderHandle = source.ProviderHandle;
  StoreLocation = source.StoreLocation;
  VerifiedIssuers = source.VerifiedIssuers;
  AssignTime(source);
}

void CCryptoAPI20ChainBuilderBaseConfig::AssignTime(
    const CCryptoAPI20ChainBuilderBaseConfig& source) {
  VerificationTime = source.VerificationTime;
}

void CCryptoAPI20ChainBuilderBaseConfig::SetInitialCertContext(PCCERT_CONTEXT context) {
  CValueCheckTool::CheckAssigned(context, "pInitialCertContext");
  InitialCertContext = context;
}

void CCryptoAPI20ChainBuilderBaseConfig::SetVerificationTime(double date) {
  if (date < 0) RaiseErrorFmt("Неверное значение аргумента [%s]", {DateText(date)});
  VerificationTime = date == 0 ? LocalNow() : date;
}

CCryptoAPI20ChainBuilderBase::~CCryptoAPI20ChainBuilderBase() {
  root_certificate_.reset();
  CloseOnDestroy();
}

bool CCryptoAPI20ChainBuilderBase::Open(CCryptoAPI20ChainBuilderBaseConfig* config) {
  return Safe([&] {
    CValueCheckTool::CheckAssigned(config, "config");
    if (IsOpened()) Close();
    try {
      CreateConfig();
      Config->Assign(*config);
      OpenStores();
    } catch (...) {
      // A builder that could not fill its work store stays closed.
      CloseStores();
      Config.reset();
      throw;
    }
    return true;
  });
}

bool CCryptoAPI20ChainBuilderBase::Open(void* source) {
  return Open(static_cast<CCryptoAPI20ChainBuilderBaseConfig*>(source));
}

bool CCryptoAPI20ChainBuilderBase::Close() {
  return Safe([&] {
    if (IsOpened()) {
      CloseStores();
      Config.reset();
    }
    return true;
  });
}

void CCryptoAPI20ChainBuilderBase::CreateConfig() {
  Config.reset();
  Config = std::make_unique<CCryptoAPI20ChainBuilderBaseConfig>();
}

void CCryptoAPI20ChainBuilderBase::RaiseChainError(CheckResult code, const std::string& text) {
  throw CCryptoAPI20Exception(code, text);
}

void CCryptoAPI20ChainBuilderBase::ChainError(CheckResult code, const std::string& text) {
  RaiseChainError(code, text);
  throw CCryptoAPI20Exception(code, text);
}

void CCryptoAPI20ChainBuilderBase::OpenStores() {
  WorkStore = CertOpenStore(CERT_STORE_PROV_MEMORY, kMsgEncoding, Config->ProviderHandle,
                            CERT_STORE_MAXIMUM_ALLOWED_FLAG);
  if (WorkStore == nullptr) RaiseLastOSError();
  const uint32_t location = CCryptoAPI20Utils::GetStoreLocationFlags(Config->StoreLocation);
  CopySystemStore(u"CA", location, true);
  CopySystemStore(u"ROOT", location, false);
}

void CCryptoAPI20ChainBuilderBase::CopySystemStore(const char16_t* name, uint32_t location_flags,
                                                   bool crls) {
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kMsgEncoding, Config->ProviderHandle,
                                   location_flags, name);
  // Without its stores the builder would trust nothing and say only that
  // every issuer is missing.
  if (store == nullptr) RaiseLastOSError();
  PCCERT_CONTEXT certificate = nullptr;
  while ((certificate = CertEnumCertificatesInStore(store, certificate)) != nullptr) {
    if (!CertAddCertificateContextToStore(WorkStore, certificate, CERT_STORE_ADD_REPLACE_EXISTING,
                                          nullptr)) {
      DebugLog("%s", {LastErrorText()});
    }
  }
  PCCRL_CONTEXT crl = nullptr;
  while (crls && (crl = CertEnumCRLsInStore(store, crl)) != nullptr) {
    CertAddCRLContextToStore(WorkStore, crl, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  }
  CertCloseStore(store, 0);
}

void CCryptoAPI20ChainBuilderBase::CloseStores() {
  if (WorkStore != nullptr) CertCloseStore(WorkStore, 0);
  WorkStore = nullptr;
}

void CCryptoAPI20ChainBuilderBase::BuildChain(PCCERT_CONTEXT certificate, double date) {
  if (!IsOpened()) RaiseError("Документ не открыт");
  root_certificate_.reset();
  if (certificate != nullptr) Config->SetInitialCertContext(certificate);
  CValueCheckTool::CheckAssigned(Config->InitialCertContext, "pInitialCertContext");
  Config->SetVerificationTime(date);

  std::vector<CertRef> visited;
  CertRef current(CertDuplicateCertificateContext(Config->InitialCertContext));
  for (;;) {
    std::string aia_url;
    try {
      aia_url = CCryptoAPI20Utils::GetCAIssuersUrl(current.get());
    } catch (const Exception&) {
      // Only the message of a missing issuer uses the address.
    }
    BeforeFindIssuer(current.get());
    const std::string issuer_name = CCryptoAPI20Utils::GetIssuerCN(current.get());
    CertRef issuer = FindIssuer(current.get(), Config->VerificationTime, visited);
    if (issuer == nullptr) {
      const uint32_t error = GetLastError();
      const bool self_signed = error == 0 || error == CRYPT_E_SELF_SIGNED;
      // A self-signed end is a root only when the stores hold it: one that
      // came with the signature alone is trusted by nobody.
      if (self_signed && InWorkStore(current.get())) {
        root_certificate_ = std::move(current);
        return;
      }
      if (!self_signed && error != CRYPT_E_NOT_FOUND) {
        ChainError(CheckResult::kChainError, "Ошибка при построении цепочки");
      }
      std::string text = Format("Не найден сертификат УЦ [%s]", {issuer_name});
      if (!aia_url.empty()) {
        text += Format(". URL для скачивания: [%s]", {aia_url}) + DownloadNote(aia_url);
      }
      ChainError(CheckResult::kCaCertificateNotFound, text);
    }
    visited.emplace_back(CertDuplicateCertificateContext(issuer.get()));
    AfterFindIssuer(current.get(), issuer.get());
    current = std::move(issuer);
  }
}

CertRef CCryptoAPI20ChainBuilderBase::FindIssuer(PCCERT_CONTEXT current, double date,
                                                 const std::vector<CertRef>& visited) {
  CertRef candidate;
  for (;;) {
    // The signature is checked here, once for a run of checks.
    uint32_t flags = 0;
    candidate.reset(
        CertGetIssuerCertificateFromStore(WorkStore, current, candidate.release(), &flags));
    if (candidate == nullptr) return candidate;
    // A candidate whose key does not verify the certificate is another
    // certificate under the issuer's name.
    if (!Issuers().Signed(current, candidate.get())) continue;
    bool seen = false;
    for (const CertRef& issuer : visited) {
      seen = seen || issuer->Encoded() == candidate->Encoded();
    }
    if (seen) continue;
    const CertInfo& info = candidate->Info();
    if (FileTimeToDateTime(info.NotBefore) <= date && date <= FileTimeToDateTime(info.NotAfter)) {
      return candidate;
    }
  }
}

CVerifiedIssuers& CCryptoAPI20ChainBuilderBase::Issuers() {
  return Config != nullptr && Config->VerifiedIssuers != nullptr ? *Config->VerifiedIssuers
                                                                 : own_issuers_;
}

bool CCryptoAPI20ChainBuilderBase::InWorkStore(PCCERT_CONTEXT certificate) {
  CertEnumerator walk(WorkStore);
  while (walk.Next()) {
    if (walk.Current()->Encoded() == certificate->Encoded()) return true;
  }
  return false;
}
