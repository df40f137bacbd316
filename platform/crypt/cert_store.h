// Certificate stores: in memory, read over PKCS #7 bytes or a file, and the
// system stores of the current user and the local machine, which persist as
// folders (see crypt_env.h).
//
// A store handle owns its own references to the contexts it holds; contexts
// handed out stay valid after the store is closed. A system store opened
// twice gives two handles, each with the contents it read when it opened
// plus its own changes. A store handle is used by one thread at a time;
// contexts may be shared between threads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crl_context.h"
#include "platform/crypt/crypt_prov.h"

namespace crypt_detail {
struct CertStore;
}
using HCERTSTORE = crypt_detail::CertStore*;

// Store providers.
constexpr uint32_t CERT_STORE_PROV_MEMORY = 2;
constexpr uint32_t CERT_STORE_PROV_PKCS7 = 5;
constexpr uint32_t CERT_STORE_PROV_FILENAME_W = 8;
constexpr uint32_t CERT_STORE_PROV_SYSTEM_W = 10;

// Open flags.
constexpr uint32_t CERT_STORE_NO_CRYPT_RELEASE_FLAG = 0x00000001;
constexpr uint32_t CERT_STORE_MAXIMUM_ALLOWED_FLAG = 0x00001000;
constexpr uint32_t CERT_STORE_OPEN_EXISTING_FLAG = 0x00004000;
constexpr uint32_t CERT_STORE_READONLY_FLAG = 0x00008000;
constexpr uint32_t CERT_SYSTEM_STORE_CURRENT_USER = 0x00010000;
constexpr uint32_t CERT_SYSTEM_STORE_LOCAL_MACHINE = 0x00020000;
constexpr uint32_t CERT_SYSTEM_STORE_LOCATION_MASK = 0x00FF0000;

// Add dispositions. A certificate matches one in the store with the same
// SHA-1 hash; a CRL matches one of the same issuer.
constexpr uint32_t CERT_STORE_ADD_NEW = 1;
constexpr uint32_t CERT_STORE_ADD_USE_EXISTING = 2;
constexpr uint32_t CERT_STORE_ADD_REPLACE_EXISTING = 3;
constexpr uint32_t CERT_STORE_ADD_NEWER = 6;

// Issuer search flags (in and out).
constexpr uint32_t CERT_STORE_SIGNATURE_FLAG = 0x00000001;
constexpr uint32_t CERT_STORE_NO_ISSUER_FLAG = 0x00020000;

constexpr uint32_t CRL_FIND_ISSUED_BY = 1;

constexpr uint32_t CERT_FIND_SHA1_HASH = 0x00010000;

// Accepted by CertCloseStore; contexts handed out outlive their store here,
// so closing never has to report any still in use.
constexpr uint32_t CERT_CLOSE_STORE_CHECK_FLAG = 0x00000002;

// The bytes of a PKCS #7 message for CERT_STORE_PROV_PKCS7.
struct CryptDataBlob {
  std::string_view Data;
};

// CERT_STORE_PROV_MEMORY (no parameter), CERT_STORE_PROV_SYSTEM_W (the
// store name: a location flag is required) and CERT_STORE_PROV_FILENAME_W
// (a file holding a DER PKCS #7 message or one DER certificate; cp1251
// bytes as UTF-16). A system store opens read-only with
// CERT_STORE_READONLY_FLAG, and also with CERT_STORE_MAXIMUM_ALLOWED_FLAG
// when its folder cannot be written; without either, such a store fails
// with ERROR_ACCESS_DENIED. The provider handle is never released by the
// store. Null and the last error on failure.
HCERTSTORE CertOpenStore(uint32_t store_provider, uint32_t encoding_type, HCRYPTPROV prov,
                         uint32_t flags, std::u16string_view parameter = {});
// CERT_STORE_PROV_PKCS7: the certificates and CRLs of a DER SignedData.
HCERTSTORE CertOpenStore(uint32_t store_provider, uint32_t encoding_type, HCRYPTPROV prov,
                         uint32_t flags, const CryptDataBlob& message);
// The current user's system store `name` ("MY", "ROOT", "CA",
// "AddressBook"): CertOpenStore(CERT_STORE_PROV_SYSTEM_W) with
// CERT_SYSTEM_STORE_CURRENT_USER and CERT_STORE_MAXIMUM_ALLOWED_FLAG, so a
// store that cannot be written opens read-only. A null or empty name:
// ERROR_INVALID_PARAMETER.
HCERTSTORE CertOpenSystemStoreA(HCRYPTPROV prov, const char* name);
// Forgets the handle and drops its references. Null: ERROR_INVALID_HANDLE.
bool CertCloseStore(HCERTSTORE store, uint32_t flags);

// The context after `previous` (the first for null), with a reference for
// the caller; `previous` is freed. Null and CRYPT_E_NOT_FOUND at the end.
PCCERT_CONTEXT CertEnumCertificatesInStore(HCERTSTORE store, PCCERT_CONTEXT previous);
PCCRL_CONTEXT CertEnumCRLsInStore(HCERTSTORE store, PCCRL_CONTEXT previous);

// Adds a copy of the context (with its properties) under the disposition;
// a persistent store writes it at once. `store_context` (may be null) gets
// the store's context with a reference for the caller. A read-only store
// fails with ERROR_ACCESS_DENIED; a match refused by CERT_STORE_ADD_NEW or
// CERT_STORE_ADD_NEWER fails with CRYPT_E_EXISTS.
bool CertAddCertificateContextToStore(HCERTSTORE store, PCCERT_CONTEXT context,
                                      uint32_t disposition, PCCERT_CONTEXT* store_context);
bool CertAddCRLContextToStore(HCERTSTORE store, PCCRL_CONTEXT context, uint32_t disposition,
                              PCCRL_CONTEXT* store_context);

// The next certificate of the store after `previous` (freed) whose subject
// is the subject certificate's issuer. On return `*flags` keeps
// CERT_STORE_SIGNATURE_FLAG when that candidate's key does not verify the
// subject's signature, and clears it when it does; CERT_STORE_NO_ISSUER_FLAG
// is never set, since a candidate is always at hand. Null and
// CRYPT_E_SELF_SIGNED when the subject names itself as issuer,
// CRYPT_E_NOT_FOUND when no (further) candidate exists.
PCCERT_CONTEXT CertGetIssuerCertificateFromStore(HCERTSTORE store, PCCERT_CONTEXT subject,
                                                 PCCERT_CONTEXT previous, uint32_t* flags);

// CERT_FIND_SHA1_HASH: the next certificate after `previous` (freed) whose
// SHA-1 hash is the blob's bytes; null and CRYPT_E_NOT_FOUND when none (a
// blob that is not 20 bytes long matches none). Find flags must be 0; other
// find types: ERROR_INVALID_PARAMETER.
PCCERT_CONTEXT CertFindCertificateInStore(HCERTSTORE store, uint32_t encoding_type,
                                          uint32_t find_flags, uint32_t find_type,
                                          const CryptDataBlob* find_para, PCCERT_CONTEXT previous);

// CRL_FIND_ISSUED_BY: the next CRL after `previous` (freed) whose issuer is
// the certificate's subject; null and CRYPT_E_NOT_FOUND when none.
PCCRL_CONTEXT CertFindCRLInStore(HCERTSTORE store, uint32_t encoding_type, uint32_t find_flags,
                                 uint32_t find_type, PCCERT_CONTEXT issuer, PCCRL_CONTEXT previous);
