// The GOST provider (type 75): provider contexts, key containers and their
// keys, on OpenSSL with the gost engine.
//
// A context is a verify context (no container: public-key work only) or
// opens one key container of the current user's key set or, with
// CRYPT_MACHINE_KEYSET, of the machine's. A container holds at most one
// GOST R 34.10-2001 private key and the certificate bound to it. Container
// names are cp1251 and may hold any byte but zero ("\" and Cyrillic
// included); they compare as bytes.
//
// While the provider is not installed (crypt_env.h), every acquisition
// fails with NTE_PROV_TYPE_NOT_DEF.
#pragma once

#include <openssl/types.h>

#include <cstdint>
#include <string_view>

#include "platform/crypt/crypt_defs.h"

class CertContext;

namespace crypt_detail {
struct ProvContext;
struct KeyContext;
}  // namespace crypt_detail
using HCRYPTPROV = crypt_detail::ProvContext*;
using HCRYPTKEY = crypt_detail::KeyContext*;

constexpr uint32_t CRYPT_VERIFYCONTEXT = 0xF0000000;
constexpr uint32_t CRYPT_NEWKEYSET = 0x00000008;
constexpr uint32_t CRYPT_DELETEKEYSET = 0x00000010;

constexpr uint32_t PP_ENUMCONTAINERS = 2;
constexpr uint32_t PP_NAME = 4;
constexpr uint32_t PP_PROVTYPE = 16;
constexpr uint32_t CRYPT_FIRST = 1;

constexpr uint32_t KP_CERTIFICATE = 26;

// `container` and `provider_name` may be null; the provider name must be
// null, empty or kGostProviderName, the type kGostProviderType
// (else NTE_KEYSET_NOT_DEF / NTE_PROV_TYPE_NOT_DEF). A container name needs
// no CRYPT_VERIFYCONTEXT and is required without it; CRYPT_NEWKEYSET
// creates the container (NTE_EXISTS when it is there), CRYPT_DELETEKEYSET
// deletes it with its key and certificate (`*prov` stays null); otherwise a
// missing container fails with NTE_BAD_KEYSET. Other flags: NTE_BAD_FLAGS.
bool CryptAcquireContextA(HCRYPTPROV* prov, const char* container, const char* provider_name,
                          uint32_t prov_type, uint32_t flags);
// Flags must be 0. Keys taken from the context stay usable.
bool CryptReleaseContext(HCRYPTPROV prov, uint32_t flags);

// PP_ENUMCONTAINERS (CRYPT_FIRST starts over from a fresh listing of the
// context's key set, in name order; ERROR_NO_MORE_ITEMS after the last;
// a name with its zero byte longer than `*size` fails with ERROR_MORE_DATA
// and stays the next one), PP_NAME (the provider name with its zero
// byte) and PP_PROVTYPE (4 bytes, little-endian). With a null `data`,
// `*size` gets the length. Other parameters: NTE_BAD_TYPE.
bool CryptGetProvParam(HCRYPTPROV prov, uint32_t param, uint8_t* data, uint32_t* size,
                       uint32_t flags);

// The container's key (AT_KEYEXCHANGE or AT_SIGNATURE, which are the same
// key); NTE_NO_KEY when the container holds none and for a verify context.
bool CryptGetUserKey(HCRYPTPROV prov, uint32_t key_spec, HCRYPTKEY* key);
// KP_CERTIFICATE: binds the DER certificate to the key's container, in
// place of the one bound before. A certificate whose public key is not the
// key's fails with NTE_BAD_PUBLIC_KEY, and nothing changes.
bool CryptSetKeyParam(HCRYPTKEY key, uint32_t param, std::string_view data, uint32_t flags);
bool CryptDestroyKey(HCRYPTKEY key);

// Not a platform call: puts an existing GOST R 34.10-2001 private key
// (PKCS#8 or traditional PEM, not encrypted) into the context's container,
// which must not hold a key yet (NTE_EXISTS; a verify context:
// NTE_BAD_KEYSET). Any other key or text fails
// with NTE_BAD_DATA (NTE_BAD_ALGID for a key of another algorithm). `key`
// may be null.
bool CryptImportPemKey(HCRYPTPROV prov, std::string_view pem, HCRYPTKEY* key);

// Not a platform call: the private key of the container that the
// certificate's key-provider property names, as an OpenSSL key that the
// caller frees with EVP_PKEY_free. It serves the TLS client of the WinInet
// stand-in, which offers it in the handshake as the platform's TLS offers
// the provider's key. Null and the last error: CRYPT_E_NO_KEY_PROPERTY
// without the property, NTE_BAD_KEYSET for a missing container, NTE_NO_KEY
// for one without a key, NTE_BAD_PUBLIC_KEY when its key is not the
// certificate's, NTE_PROV_TYPE_NOT_DEF while the provider is not installed.
EVP_PKEY* CryptAcquireCertificateEvpKey(const CertContext* certificate);
