// CCryptoAPI20ChainBuilderBase and its configuration: the walk from a
// certificate, issuer by issuer, to a self-signed root, over an in-memory
// work store filled from the system stores "CA" and "ROOT".
//
// Dates are OLE automation dates in local time (chain_dates.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib/crypto/check_result.h"
#include "lib/crypto/verified_issuers.h"
#include "lib/xml/custom_doc.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crypt_prov.h"
#include "platform/crypt/crypt_refs.h"

class CCryptoAPI20ChainBuilderBaseConfig : public CBaseClass {
 public:
  CCryptoAPI20ChainBuilderBaseConfig() = default;

  // Copies the certificate, the provider and the store location, then the
  // kind's own fields through AssignTime.
  void Assign(const CCryptoAPI20ChainBuilderBaseConfig& source);
  // Copies VerificationTime; a derived kind copies its own fields too and
  // needs a source of its kind.
  virtual void AssignTime(const CCryptoAPI20ChainBuilderBaseConfig& source);

  // The context must be given; it stays the caller's.
  void SetInitialCertContext(PCCERT_CONTEXT context);
  // A negative date is refused; 0 stores now.
  void SetVerificationTime(double date);

  PCCERT_CONTEXT InitialCertContext = nullptr;  // borrowed
  HCRYPTPROV ProviderHandle = nullptr;          // null: the platform's default
  uint8_t StoreLocation = 2;                    // 1 local machine, 2 current user
  double VerificationTime = 0;
  // Borrowed: issuers already verified over a run of checks; null: the
  // builder keeps its own for its chains.
  CVerifiedIssuers* VerifiedIssuers = nullptr;
};

class CCryptoAPI20ChainBuilderBase : public CCustomDoc {
 public:
  CCryptoAPI20ChainBuilderBase() = default;
  ~CCryptoAPI20ChainBuilderBase() override;

  // Closes first when open, then keeps a copy of `config` (the caller keeps
  // its own) and fills the work store.
  bool Open(CCryptoAPI20ChainBuilderBaseConfig* config);
  // `source` is a configuration of the builder's kind.
  bool Open(void* source) override;
  bool Close() override;
  bool IsOpened() override { return Config != nullptr; }

  // Builds the chain of `certificate` (null: the configured one) at `date`
  // (0: now). Raises CCryptoAPI20Exception for a chain that does not hold
  // (codes 21, 33, 34, 35); "Документ не открыт" on a closed builder.
  void BuildChain(PCCERT_CONTEXT certificate, double date);

  // The root reached by the last chain built; null before.
  PCCERT_CONTEXT RootCertificate() const { return root_certificate_.get(); }

 protected:
  virtual void BeforeFindIssuer(PCCERT_CONTEXT certificate) { (void)certificate; }
  virtual void AfterFindIssuer(PCCERT_CONTEXT subject, PCCERT_CONTEXT issuer) {
    (void)subject;
    (void)issuer;
  }
  virtual void CreateConfig();
  // What the messages that name a download address add after it: why that
  // address gave nothing, when the builder knows; empty here.
  virtual std::string DownloadNote(const std::string& url) const {
    (void)url;
    return std::string();
  }
  // Raises CCryptoAPI20Exception with the code and text.
  virtual void RaiseChainError(CheckResult code, const std::string& text);
  // RaiseChainError, and the same error should an override return: a chain
  // error never lets the check go on.
  [[noreturn]] void ChainError(CheckResult code, const std::string& text);
  virtual void OpenStores();
  virtual void CloseStores();

  // The issuers seen to have signed what they issued: the run's, or the
  // builder's own.
  CVerifiedIssuers& Issuers();

  std::unique_ptr<CCryptoAPI20ChainBuilderBaseConfig> Config;
  HCERTSTORE WorkStore = nullptr;

 private:
  // The issuer of `current` in the work store that signed it and was valid
  // at `date`; null with the search's last error when there is none.
  CertRef FindIssuer(PCCERT_CONTEXT current, double date, const std::vector<CertRef>& visited);
  bool InWorkStore(PCCERT_CONTEXT certificate);
  // Copies the certificates (and, with `crls`, the CRLs) of a system store.
  void CopySystemStore(const char16_t* name, uint32_t location_flags, bool crls);

  CertRef root_certificate_;
  CVerifiedIssuers own_issuers_;
};
