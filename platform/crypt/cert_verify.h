// Signature checks of CRLs and certificates with their issuer's key
// (CryptVerifyCertificateSignatureEx with a CRL or a certificate as the
// subject and a certificate as the issuer: CRYPT_VERIFY_CERT_SIGN_SUBJECT_CRL
// or _CERT, CRYPT_VERIFY_CERT_SIGN_ISSUER_CERT).
#pragma once

#include <cstdint>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crl_context.h"
#include "platform/crypt/crypt_prov.h"

// True when the public key of `issuer` verifies the signature of `crl`.
// A signature that does not verify: NTE_BAD_SIGNATURE; a null argument or
// an encoding without X509_ASN_ENCODING: ERROR_INVALID_PARAMETER; without
// the provider: NTE_PROV_TYPE_NOT_DEF. The provider handle is not used.
bool CryptVerifyCertificateSignatureEx(HCRYPTPROV prov, uint32_t encoding_type, PCCRL_CONTEXT crl,
                                       PCCERT_CONTEXT issuer);
// The same for a certificate signed by `issuer`.
bool CryptVerifyCertificateSignatureEx(HCRYPTPROV prov, uint32_t encoding_type,
                                       PCCERT_CONTEXT subject, PCCERT_CONTEXT issuer);
