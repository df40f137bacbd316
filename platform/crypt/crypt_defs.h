// Shared definitions of the CryptoAPI stand-in: encoding types, algorithm
// identifiers, the GOST provider's names and the error codes its calls set.
//
// Byte strings (encoded certificates, names, signatures) are std::string:
// any byte may appear, lengths are bytes. Every call sets the thread's last
// error (GetLastError) when it fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t X509_ASN_ENCODING = 0x00000001;
constexpr uint32_t PKCS_7_ASN_ENCODING = 0x00010000;
// What every certificate and message call of the library passes.
constexpr uint32_t kMsgEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// The GOST provider: type 75, its one name.
constexpr uint32_t kGostProviderType = 75;
constexpr const char* kGostProviderName =
    "Crypto-Pro GOST R 34.10-2001 Cryptographic Service Provider";

// Key specs; the GOST provider holds one key per container, which serves
// both.
constexpr uint32_t AT_KEYEXCHANGE = 1;
constexpr uint32_t AT_SIGNATURE = 2;

// The container is in the machine's key set (acquisition flag, and flag of
// the key-provider property).
constexpr uint32_t CRYPT_MACHINE_KEYSET = 0x00000020;

// Object identifiers the provider works with.
constexpr const char* kOidGostR3411_94 = "1.2.643.2.2.9";
constexpr const char* kOidGostR3410_2001 = "1.2.643.2.2.19";
constexpr const char* kOidGost28147_89 = "1.2.643.2.2.21";

// An algorithm and its parameters (the DER of the parameters; empty when
// the encoding has none).
struct CryptAlgorithmIdentifier {
  std::string ObjId;
  std::string Parameters;
};

// Provider errors (NTE_*).
constexpr uint32_t NTE_BAD_KEY = 0x80090003;
constexpr uint32_t NTE_BAD_DATA = 0x80090005;
constexpr uint32_t NTE_BAD_SIGNATURE = 0x80090006;
constexpr uint32_t NTE_BAD_ALGID = 0x80090008;
constexpr uint32_t NTE_BAD_FLAGS = 0x80090009;
constexpr uint32_t NTE_BAD_TYPE = 0x8009000A;
constexpr uint32_t NTE_NO_KEY = 0x8009000D;
constexpr uint32_t NTE_EXISTS = 0x8009000F;
constexpr uint32_t NTE_BAD_PUBLIC_KEY = 0x80090015;
constexpr uint32_t NTE_BAD_KEYSET = 0x80090016;
constexpr uint32_t NTE_PROV_TYPE_NOT_DEF = 0x80090017;
constexpr uint32_t NTE_KEYSET_NOT_DEF = 0x80090019;
constexpr uint32_t NTE_FAIL = 0x80090020;

// Certificate and message errors (CRYPT_E_*).
constexpr uint32_t CRYPT_E_UNKNOWN_ALGO = 0x80091002;
constexpr uint32_t CRYPT_E_HASH_VALUE = 0x80091007;
constexpr uint32_t CRYPT_E_NOT_FOUND = 0x80092004;
constexpr uint32_t CRYPT_E_EXISTS = 0x80092005;
constexpr uint32_t CRYPT_E_SELF_SIGNED = 0x80092007;
constexpr uint32_t CRYPT_E_NO_KEY_PROPERTY = 0x8009200B;
constexpr uint32_t CRYPT_E_NO_DECRYPT_CERT = 0x8009200C;
constexpr uint32_t CRYPT_E_NO_SIGNER = 0x8009200E;
constexpr uint32_t CRYPT_E_ASN1_EOD = 0x80093102;
constexpr uint32_t CRYPT_E_ASN1_BADTAG = 0x8009310B;

// The stand-in's own code, with the customer bit set, as the platform has
// none for it: the message names the recipient by key agreement, and only
// recipients by key transport are decrypted.
constexpr uint32_t TARVEX_E_KEY_AGREEMENT = 0xA0091001;

// The longest message read or made, and so the most content an attached
// signature or an envelope holds: OpenSSL keeps an element's length as an
// int, and the rest of the message needs room beside its content. The
// content of a detached signature has no such bound.
constexpr size_t kCryptMaxMessageSize = (size_t{1} << 31) - (size_t{1} << 20);
// The stand-in's own code for a message, or content to go into one, above
// that size: refused before any work.
constexpr uint32_t TARVEX_E_MESSAGE_TOO_LARGE = 0xA0091002;
