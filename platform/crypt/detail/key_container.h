// Key containers on disk (layout in crypt_env.h) and the private keys in
// them. Names are cp1251 bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/detail/ossl.h"

namespace crypt_detail {

struct Container {
  std::string folder;  // UTF-8 path
  std::string name;    // cp1251, exact
  bool machine = false;
};

// Each sets the last error when it fails: NTE_BAD_KEYSET for a missing
// container, NTE_EXISTS for one that is there, errno's code for the files.
bool FindContainer(bool machine, std::string_view name, Container* container);
bool CreateContainer(bool machine, std::string_view name, Container* container);
bool DeleteContainer(const Container& container);
// The names of the key set's containers, bytewise sorted.
std::vector<std::string> ListContainers(bool machine);

// NTE_NO_KEY when the container holds no key.
PkeyPtr LoadPrivateKey(const Container& container);
// A key parsed from PEM text: NTE_BAD_DATA, or NTE_BAD_ALGID for a key that
// is not GOST R 34.10-2001.
PkeyPtr ParsePrivateKey(std::string_view pem);
bool HasPrivateKey(const Container& container);
bool StorePrivateKey(const Container& container, EVP_PKEY* key);
bool StoreCertificate(const Container& container, std::string_view der);
// The certificate's public key is the key's.
bool KeyMatches(EVP_PKEY* key, std::string_view certificate_der);

// The private key of the certificate's key-provider property, checked
// against the certificate: CRYPT_E_NO_KEY_PROPERTY without the property,
// NTE_BAD_PUBLIC_KEY when the container's key is another one. A container
// named without CRYPT_MACHINE_KEYSET is looked for in the current user's
// key set and then in the machine's. The key found is kept with the
// context for as long as it lives and names the same container, so that
// signing with one context many times reads the container once.
PkeyPtr KeyOfCertificate(PCCERT_CONTEXT certificate);

}  // namespace crypt_detail
