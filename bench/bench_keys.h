// A signer for the benchmarks: a private key put into a key container
// under the process's crypt roots, and its certificate bound to it.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crypt_prov.h"
#include "platform/kernel/codepage.h"

// Puts the PEM key into a new container and returns a free context of the
// DER certificate whose key property names that container; the process
// ends when the key cannot be put in.
inline PCCERT_CONTEXT BoundCertificate(const std::string& container, const std::string& key_pem,
                                       const std::string& certificate_der) {
  HCRYPTPROV prov = nullptr;
  if (!CryptAcquireContextA(&prov, container.c_str(), nullptr, kGostProviderType,
                            CRYPT_NEWKEYSET) ||
      !CryptImportPemKey(prov, key_pem, nullptr)) {
    std::exit(1);
  }
  CryptReleaseContext(prov, 0);
  PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, certificate_der);
  CryptKeyProvInfo info;
  info.ContainerName = AnsiToWide(container);
  info.ProvName = AnsiToWide(kGostProviderName);
  info.ProvType = kGostProviderType;
  info.KeySpec = AT_KEYEXCHANGE;
  CertSetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, 0, &info);
  return context;
}
