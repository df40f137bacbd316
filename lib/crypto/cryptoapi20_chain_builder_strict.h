// CCryptoAPI20ChainBuilderStrict and its configuration: the chain walk of
// CCryptoAPI20ChainBuilderBase with downloads of missing CA certificates
// (AIA) and CRLs (CDP) before each issuer search, and after each link the
// checks of the certificate's validity, its issuer's CRL and the CRL's
// entries at the signing date, with a tolerance in hours around every bound.
//
// A failed download never fails the check by itself: it leaves a debug
// line, and the check fails on what is missing, naming the address and,
// when a size or time limit stopped the download, that limit. Each address
// is fetched at most once per builder object.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "lib/crypto/cryptoapi20_chain_builder_base.h"
#include "lib/foundation/str_array.h"

class CCryptoAPI20ChainBuilderStrictConfig : public CCryptoAPI20ChainBuilderBaseConfig {
 public:
  static constexpr uint8_t kDownloadCACertificates = 0x02;
  static constexpr uint8_t kDownloadCRLs = 0x04;
  static constexpr uint8_t kCheckRevocation = 0x08;

  CCryptoAPI20ChainBuilderStrictConfig() = default;

  // Also copies Options and MarginHours; the source must be a strict
  // configuration.
  void AssignTime(const CCryptoAPI20ChainBuilderBaseConfig& source) override;

  int32_t MarginHours = 0;
  uint8_t Options = kDownloadCACertificates | kDownloadCRLs | kCheckRevocation;
};

class CCryptoAPI20ChainBuilderStrict : public CCryptoAPI20ChainBuilderBase {
 public:
  CCryptoAPI20ChainBuilderStrict();

  // The addresses (a CA address, or a CRL address list as one string)
  // already fetched by this builder, also across runs and failures.
  const CStrArray& TriedUrls() const { return tried_urls_; }

 protected:
  // DownloadMissing for the certificate.
  void BeforeFindIssuer(PCCERT_CONTEXT certificate) override;
  // CheckRevocation of the link.
  void AfterFindIssuer(PCCERT_CONTEXT subject, PCCERT_CONTEXT issuer) override;
  void CreateConfig() override;
  // The limit that stopped the download from the address, when one did.
  std::string DownloadNote(const std::string& url) const override;

  // Fetch the body at the address (a ","-separated list for CRLs); the
  // subject name and date are for descendants.
  virtual void DownloadCertificate(const std::string& subject_cn, const std::string& url,
                                   std::string& body, double date);
  virtual void OnBadCertificate(const std::string& subject_cn, double date) {
    (void)subject_cn;
    (void)date;
  }
  virtual void DownloadCRL(const std::string& subject_cn, const std::string& urls,
                           std::string& body, double date);
  // A downloaded CRL that its issuer did not sign.
  virtual void OnBadCRL(const std::string& subject_cn, double date) {
    (void)subject_cn;
    (void)date;
  }

 private:
  CCryptoAPI20ChainBuilderStrictConfig& StrictConfig() const;
  using Fetch = void (CCryptoAPI20ChainBuilderStrict::*)(const std::string& subject_cn,
                                                         const std::string& url, std::string& body,
                                                         double date);
  // Fetches the body at the address unless it was tried before (false
  // then). The address counts as tried whatever the outcome, and the limit
  // that stopped its download is kept for the messages; a failure goes on
  // to the caller.
  bool FetchOnce(Fetch fetch, const std::string& subject_cn, const std::string& url,
                 std::string& body, double date);

  void DownloadMissing(PCCERT_CONTEXT certificate, double date);
  void DownloadIssuerFor(PCCERT_CONTEXT certificate, double date);
  void DownloadCRLFor(PCCERT_CONTEXT certificate, double date);
  // Some issuer of the certificate in the work store, one whose key verifies
  // the certificate, also verifies the CRL.
  bool SignedByIssuerOf(PCCRL_CONTEXT crl, PCCERT_CONTEXT certificate);
  // The first CRL of the work store that the issuer signed; null with
  // CRYPT_E_NOT_FOUND when there is none.
  CrlRef FindIssuerCRL(PCCERT_CONTEXT issuer);

  void CheckRevocation(PCCERT_CONTEXT subject, PCCERT_CONTEXT issuer);
  bool CheckAgainstIssuerCRL(PCCERT_CONTEXT subject, PCCERT_CONTEXT issuer, double date);
  // 0 inside [start, end), 1 outside, 2 within MarginHours of a bound.
  int ClassifyDate(double date, double start, double end) const;
  bool CheckCertificate(PCCERT_CONTEXT subject, PCCRL_CONTEXT crl, double date,
                        const std::string& cdp_list);
  // The text, then the download address and its note.
  std::string WithUrl(std::string text, const std::string& urls) const;

  CStrArray tried_urls_;
  // Address (or address list) -> the sentences of the limits that stopped
  // its download, kept as long as the address counts as tried.
  std::map<std::string, std::string> limit_stops_;
};
