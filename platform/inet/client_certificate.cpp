#include "platform/inet/client_certificate.h"

#include <openssl/err.h>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crypt_prov.h"

std::shared_ptr<const ClientCertificate> ClientCertificate::Load(const CertContext* context) {
  if (context == nullptr) return nullptr;
  const std::string& der = context->Encoded();
  const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
  X509Ptr certificate(d2i_X509(nullptr, &bytes, static_cast<long>(der.size())));
  PkeyPtr key(certificate != nullptr ? CryptAcquireCertificateEvpKey(context) : nullptr);
  ERR_clear_error();
  if (key == nullptr) return nullptr;
  return std::shared_ptr<const ClientCertificate>(
      new ClientCertificate(std::move(certificate), std::move(key)));
}

X509* ClientCertificate::Certificate() const {
  X509_up_ref(certificate_.get());
  return certificate_.get();
}

EVP_PKEY* ClientCertificate::Key() const {
  EVP_PKEY_up_ref(key_.get());
  return key_.get();
}
