#include "lib/crypto/cryptoapi20_chain_builder_strict.h"

#include "lib/crypto/chain_dates.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/file_time.h"
#include "lib/foundation/text_routines.h"
#include "lib/http/download_limit_exception.h"
#include "lib/http/http_client_tool.h"
#include "platform/kernel/last_error.h"

void CCryptoAPI20ChainBuilderStrictConfig::AssignTime(
    const CCryptoAPI20ChainBuilderBaseConfig& source) {
  const auto* strict = dynamic_cast<const CCryptoAPI20ChainBuilderStrictConfig*>(&source);
  if (strict == nullptr) {
    RaiseError(
        "Конфигурация построителя цепочки не подходит: нужна "
        "CCryptoAPI20ChainBuilderStrictConfig");
  }
  CCryptoAPI20ChainBuilderBaseConfig::AssignTime(source);
  Options = strict->Options;
  MarginHours = strict->MarginHours;
}

CCryptoAPI20ChainBuilderStrict::CCryptoAPI20ChainBuilderStrict() {
  // Addresses compare as bytes.
  tried_urls_.SetCompareMode(1);
}

void CCryptoAPI20ChainBuilderStrict::CreateConfig() {
  Config.reset();
  Config = std::make_unique<CCryptoAPI20ChainBuilderStrictConfig>();
}

CCryptoAPI20ChainBuilderStrictConfig& CCryptoAPI20ChainBuilderStrict::StrictConfig() const {
  return static_cast<CCryptoAPI20ChainBuilderStrictConfig&>(*Config);
}

std::string CCryptoAPI20ChainBuilderStrict::DownloadNote(const std::string& url) const {
  const auto stop = limit_stops_.find(url);
  return stop == limit_stops_.end() ? std::string() : ". " + stop->second;
}

std::string CCryptoAPI20ChainBuilderStrict::WithUrl(std::string text,
                                                    const std::string& urls) const {
  if (!urls.empty()) text += Format(". URL для скачивания: [%s]", {urls}) + DownloadNote(urls);
  return text;
}

bool CCryptoAPI20ChainBuilderStrict::FetchOnce(Fetch fetch, const std::string& subject_cn,
                                               const std::string& url, std::string& body,
                                               double date) {
  int index = 0;
  if (tried_urls_.IndexOf(url, index)) return false;
  try {
    (this->*fetch)(subject_cn, url, body, date);
  } catch (const CDownloadLimitException& error) {
    limit_stops_[url] = error.Limit();
    tried_urls_.Add(url);
    throw;
  } catch (const Exception&) {
    tried_urls_.Add(url);
    throw;
  }
  tried_urls_.Add(url);
  return true;
}

void CCryptoAPI20ChainBuilderStrict::DownloadCertificate(const std::string& subject_cn,
                                                         const std::string& url, std::string& body,
                                                         double date) {
  (void)subject_cn;
  (void)date;
  body = CHTTPClientTool::Download(url);
}

void CCryptoAPI20ChainBuilderStrict::DownloadCRL(const std::string& subject_cn,
                                                 const std::string& urls, std::string& body,
                                                 double date) {
  (void)subject_cn;
  (void)date;
  body = CHTTPClientTool::Download(urls);
}

void CCryptoAPI20ChainBuilderStrict::BeforeFindIssuer(PCCERT_CONTEXT certificate) {
  DownloadMissing(certificate, Config->VerificationTime);
}

void CCryptoAPI20ChainBuilderStrict::AfterFindIssuer(PCCERT_CONTEXT subject,
                                                     PCCERT_CONTEXT issuer) {
  CheckRevocation(subject, issuer);
}

void CCryptoAPI20ChainBuilderStrict::DownloadMissing(PCCERT_CONTEXT certificate, double date) {
  const uint8_t options = StrictConfig().Options;
  if (options & CCryptoAPI20ChainBuilderStrictConfig::kDownloadCACertificates) {
    try {
      DownloadIssuerFor(certificate, date);
    } catch (const Exception&) {
      DebugMsg("Не удалось скачать корневой сертификат");
    }
  }
  if (options & CCryptoAPI20ChainBuilderStrictConfig::kDownloadCRLs) {
    try {
      DownloadCRLFor(certificate, date);
    } catch (const Exception&) {
      DebugMsg("Не удалось скачать список отозванных сертификатов");
    }
  }
}

void CCryptoAPI20ChainBuilderStrict::DownloadIssuerFor(PCCERT_CONTEXT certificate, double date) {
  const std::string subject = CCryptoAPI20Utils::GetSubjectCN(certificate);
  const std::string issuer = CCryptoAPI20Utils::GetIssuerCN(certificate);
  if (subject == issuer) return;  // self-issued: no issuer to fetch
  const std::string url = CCryptoAPI20Utils::GetCAIssuersUrl(certificate);
  if (url.empty()) {
    RaiseErrorFmt("В сертификате [%s] нет URL для корневого УЦ [%s]", {subject, issuer});
  }
  std::string body;
  if (!FetchOnce(&CCryptoAPI20ChainBuilderStrict::DownloadCertificate, subject, url, body, date) ||
      body.empty()) {
    return;
  }

  CertRef downloaded;
  try {
    downloaded.reset(CCryptoAPI20Utils::ImportCertificate(body));
  } catch (const Exception&) {
    OnBadCertificate(subject, date);
    DebugLog("По URL [%s] не CRT: %s", {url, LastErrorText()});
    return;
  }
  // A root never enters the work store by download: roots come from "ROOT".
  if (CCryptoAPI20Utils::IsSelfSigned(downloaded.get())) return;
  if (!CertAddCertificateContextToStore(WorkStore, downloaded.get(), CERT_STORE_ADD_NEWER,
                                        nullptr)) {
    DebugLog("%s", {LastErrorText()});
  }
}

void CCryptoAPI20ChainBuilderStrict::DownloadCRLFor(PCCERT_CONTEXT certificate, double date) {
  const std::string urls = CCryptoAPI20Utils::GetCRLDistributionPoints(certificate);
  const std::string subject = CCryptoAPI20Utils::GetSubjectCN(certificate);
  const std::string issuer = CCryptoAPI20Utils::GetIssuerCN(certificate);
  if (subject == issuer) return;
  if (urls.empty()) {
    RaiseErrorFmt("В сертификате [%s] нет URL со списком отозванных сертификатов [%s]",
                  {subject, issuer});
  }
  std::string body;
  if (!FetchOnce(&CCryptoAPI20ChainBuilderStrict::DownloadCRL, subject, urls, body, date) ||
      body.empty()) {
    return;
  }

  CrlRef crl(CCryptoAPI20Utils::ImportCRL(body));
  // A list its issuer did not sign must not take the place of a true one.
  if (!SignedByIssuerOf(crl.get(), certificate)) {
    OnBadCRL(subject, date);
    DebugLog("По URL [%s] список отозванных сертификатов не подписан УЦ [%s]", {urls, issuer});
    return;
  }
  // Replaces the list of the same issuer only by a newer one; a refusal
  // keeps the one there.
  CertAddCRLContextToStore(WorkStore, crl.get(), CERT_STORE_ADD_NEWER, nullptr);
}

bool CCryptoAPI20ChainBuilderStrict::SignedByIssuerOf(PCCRL_CONTEXT crl,
                                                      PCCERT_CONTEXT certificate) {
  CertRef candidate;
  for (;;) {
    uint32_t flags = 0;
    candidate.reset(
        CertGetIssuerCertificateFromStore(WorkStore, certificate, candidate.release(), &flags));
    if (candidate == nullptr) return false;
    if (Issuers().Signed(certificate, candidate.get()) && Issuers().Signed(crl, candidate.get())) {
      return true;
    }
  }
}

CrlRef CCryptoAPI20ChainBuilderStrict::FindIssuerCRL(PCCERT_CONTEXT issuer) {
  CrlRef crl;
  for (;;) {
    crl.reset(CertFindCRLInStore(WorkStore, 0, 0, CRL_FIND_ISSUED_BY, issuer, crl.release()));
    if (crl == nullptr) return crl;
    if (Issuers().Signed(crl.get(), issuer)) return crl;
    DebugLog("Список отозванных сертификатов [%s] не подписан этим УЦ",
             {CCryptoAPI20Utils::GetSubjectCN(issuer)});
  }
}

void CCryptoAPI20ChainBuilderStrict::CheckRevocation(PCCERT_CONTEXT subject,
                                                     PCCERT_CONTEXT issuer) {
  CCryptoAPI20ChainBuilderStrictConfig& config = StrictConfig();
  if ((config.Options & CCryptoAPI20ChainBuilderStrictConfig::kCheckRevocation) == 0) return;
  if (config.VerificationTime == 0) config.VerificationTime = LocalNow();
  if (!CheckAgainstIssuerCRL(subject, issuer, config.VerificationTime)) {
    ChainError(CheckResult::kChainError,
               Format("Статус актуальности сертификата [%s] не может быть проверен",
                      {CCryptoAPI20Utils::GetSubjectCN(subject)}));
  }
}

bool CCryptoAPI20ChainBuilderStrict::CheckAgainstIssuerCRL(PCCERT_CONTEXT subject,
                                                           PCCERT_CONTEXT issuer, double date) {
  std::string cdp_list;
  try {
    cdp_list = CCryptoAPI20Utils::GetCRLDistributionPoints(subject);
  } catch (const Exception&) {
    // Only the messages use the list.
  }
  const std::string issuer_name = CCryptoAPI20Utils::GetIssuerCN(subject);
  CrlRef crl = FindIssuerCRL(issuer);
  if (crl != nullptr) return CheckCertificate(subject, crl.get(), date, cdp_list);
  if (GetLastError() != CRYPT_E_NOT_FOUND) {
    ChainError(
        CheckResult::kChainError,
        Format("Ошибка при проверке по списку отозванных сертификатов [%s]", {LastErrorText()}));
  }
  ChainError(CheckResult::kCrlNotFound,
             WithUrl(Format("Список отозванных сертификатов для [%s] не найден", {issuer_name}),
                     cdp_list));
}

int CCryptoAPI20ChainBuilderStrict::ClassifyDate(double date, double start, double end) const {
  const double margin = StrictConfig().MarginHours / 24.0;
  if (date < start - margin) return 1;
  if (date < start + margin) return 2;
  if (date < end - margin) return 0;
  if (date < end + margin) return 2;
  return 1;
}

bool CCryptoAPI20ChainBuilderStrict::CheckCertificate(PCCERT_CONTEXT subject, PCCRL_CONTEXT crl,
                                                      double date, const std::string& cdp_list) {
  const double now = LocalNow();
  if (date > now) {
    ChainError(CheckResult::kChainError, Format("Дата подписи [%s] больше текущей даты [%s]",
                                                {DateTimeText(date), DateTimeText(now)}));
  }
  const double not_before = FileTimeToDateTime(subject->Info().NotBefore);
  const double not_after = FileTimeToDateTime(subject->Info().NotAfter);
  const double next_update = FileTimeToDateTime(crl->Info().NextUpdate);

  switch (ClassifyDate(date, not_before, not_after)) {
    case 1:
      ChainError(CheckResult::kCertificateDate,
                 Format("Дата подписи [%s] вне срока действия сертификата [%s - %s]",
                        {DateTimeText(date), DateTimeText(not_before), DateTimeText(not_after)}));
    case 2:
      ChainError(CheckResult::kCertificateDate,
                 Format("Дата подписи [%s] недопустимо близка к окончанию срока действия "
                        "сертификата [%s - %s]",
                        {DateTimeText(date), DateTimeText(not_before), DateTimeText(not_after)}));
  }
  switch (ClassifyDate(date, 0, next_update)) {
    case 1:
      ChainError(CheckResult::kChainError,
                 WithUrl(Format("Нет актуального списка отозванных сертификатов [%s] на дату "
                                "подписи [%s]",
                                {DateTimeText(next_update), DateTimeText(date)}),
                         cdp_list));
    case 2:
      ChainError(CheckResult::kChainError,
                 WithUrl(Format("Дата подписи [%s] недопустимо близка к сроку действия списка "
                                "отозванных сертификатов [%s]",
                                {DateTimeText(date), DateTimeText(next_update)}),
                         cdp_list));
  }

  const std::string serial = CCryptoAPI20Utils::GetSerialNumber(subject);
  const auto& entries = crl->Info().Entries;
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if (BinToHexStr(entry->SerialNumber) != serial) continue;
    const double revoked = FileTimeToDateTime(entry->RevocationDate);
    switch (ClassifyDate(date, 0, revoked)) {
      case 1:
        ChainError(CheckResult::kCertificateDate,
                   Format("На момент подписания [%s] сертификат был отозван [%s]",
                          {DateText(date), DateText(revoked)}));
      case 2:
        ChainError(CheckResult::kCertificateDate,
                   Format("Дата подписи [%s] недопустимо близка к дате отзыва "
                          "сертификата [%s]",
                          {DateText(date), DateText(revoked)}));
    }
  }
  return true;
}
