// CTarvexKey: one certificate with its private key as the package library
// uses it: to sign (the certificate context and its key container), to
// encrypt for a receiver (thumbprint or certificate body) and to tell who
// signed a signature (subject, issuer, common name, role).
#pragma once

#include <cstdint>
#include <string>

#include "lib/foundation/base_class.h"
#include "platform/crypt/cert_context.h"
#include "platform/crypt/crypt_prov.h"

class CTarvexKey : public CBaseClass {
 public:
  // Internal role code of the applicant, the role of a new record.
  static constexpr uint8_t kApplicantRole = 5;

  CTarvexKey() = default;
  // Frees the certificate context when the record owns it and releases the
  // provider handle when one was acquired.
  ~CTarvexKey() override;

  const std::string& Sha1() const { return sha1_; }
  const std::string& SubjectCN() const { return subject_cn_; }
  const std::string& ContainerName() const { return container_name_; }
  const std::string& CertificateBody() const { return certificate_body_; }
  const std::string& Subject() const { return subject_; }
  const std::string& Issuer() const { return issuer_; }
  HCRYPTPROV ProviderHandle() const { return provider_; }

  // An empty value is traced as not critical (the provider may be missing,
  // or a signature may not name it) and stored all the same.
  void SetSha1(const std::string& value);
  void SetCertificateBody(const std::string& value);
  void SetSubject(const std::string& value);
  void SetIssuer(const std::string& value);
  // An empty name is traced, then refused; the old one stays.
  void SetSubjectCN(const std::string& value);
  void SetContainerName(const std::string& value) { container_name_ = value; }

  // Acquires a handle on the container named ContainerName from the default
  // provider of type 75 once; the system error when it cannot.
  void AcquireContext();

  // Set by the code that fills the record; whoever stores a context the
  // record must not free leaves OwnsContext false.
  uint8_t SignRole = kApplicantRole;
  PCCERT_CONTEXT CertContext = nullptr;
  bool OwnsContext = false;

 private:
  std::string sha1_;
  std::string subject_cn_;
  std::string container_name_;
  std::string certificate_body_;
  std::string subject_;
  std::string issuer_;
  HCRYPTPROV provider_ = nullptr;
};
