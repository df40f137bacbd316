// Decoding and encoding of the structures the library reads out of
// certificates (CryptDecodeObject / CryptEncodeObject). The structure type
// follows from the output's type. The encoding type must include
// X509_ASN_ENCODING, else ERROR_INVALID_PARAMETER; bytes that do not decode
// as the structure fail with CRYPT_E_ASN1_BADTAG or CRYPT_E_ASN1_EOD.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypt/cert_name.h"
#include "platform/kernel/file_time.h"

// X509_BASIC_CONSTRAINTS2.
struct CertBasicConstraints2Info {
  bool CA = false;
  bool PathLenConstraint = false;
  uint32_t PathLen = 0;
};

constexpr uint32_t CERT_ALT_NAME_RFC822_NAME = 2;
constexpr uint32_t CERT_ALT_NAME_DNS_NAME = 3;
constexpr uint32_t CERT_ALT_NAME_DIRECTORY_NAME = 5;
constexpr uint32_t CERT_ALT_NAME_URL = 7;

// One general name. For the string choices `Value` is the IA5 text; for a
// directory name its DER; for the others the choice's content octets.
struct CertAltNameEntry {
  uint32_t AltNameChoice = 0;
  std::string Value;
};

constexpr uint32_t CRL_DIST_POINT_NO_NAME = 0;
constexpr uint32_t CRL_DIST_POINT_FULL_NAME = 1;
constexpr uint32_t CRL_DIST_POINT_ISSUER_RDN_NAME = 2;

struct CrlDistPoint {
  uint32_t NameChoice = CRL_DIST_POINT_NO_NAME;
  std::vector<CertAltNameEntry> FullName;  // for CRL_DIST_POINT_FULL_NAME
};

// X509_CRL_DIST_POINTS.
struct CrlDistPointsInfo {
  std::vector<CrlDistPoint> DistPoints;
};

struct CertAccessDescription {
  std::string AccessMethod;  // OID
  CertAltNameEntry AccessLocation;
};

// X509_AUTHORITY_INFO_ACCESS.
struct CertAuthorityInfoAccess {
  std::vector<CertAccessDescription> AccDescr;
};

// X509_NAME.
bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded, CertNameInfo* name);
bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded,
                       CertBasicConstraints2Info* info);
bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded, CrlDistPointsInfo* info);
bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded,
                       CertAuthorityInfoAccess* info);
// PKCS_UTC_TIME: a UTCTime (or GeneralizedTime) to a file time.
bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded, FILETIME* time);

// PKCS_UTC_TIME: the time as a DER UTCTime "YYMMDDHHMMSSZ" (years 1950 to
// 2049; others fail with ERROR_INVALID_PARAMETER). With a null `encoded`,
// `*size` gets the length; a `*size` too small fails with ERROR_MORE_DATA.
bool CryptEncodeObject(uint32_t encoding_type, const FILETIME& time, uint8_t* encoded,
                       uint32_t* size);
