// Distinguished names: decoded attributes and their texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Value types of a name attribute: the ASN.1 string type it was encoded as.
constexpr uint32_t CERT_RDN_ANY_TYPE = 0;
constexpr uint32_t CERT_RDN_ENCODED_BLOB = 1;  // any other type: Value is its whole DER
constexpr uint32_t CERT_RDN_OCTET_STRING = 2;
constexpr uint32_t CERT_RDN_NUMERIC_STRING = 3;
constexpr uint32_t CERT_RDN_PRINTABLE_STRING = 4;
constexpr uint32_t CERT_RDN_TELETEX_STRING = 5;
constexpr uint32_t CERT_RDN_VIDEOTEX_STRING = 6;
constexpr uint32_t CERT_RDN_IA5_STRING = 7;
constexpr uint32_t CERT_RDN_GRAPHIC_STRING = 8;
constexpr uint32_t CERT_RDN_VISIBLE_STRING = 9;
constexpr uint32_t CERT_RDN_GENERAL_STRING = 10;
constexpr uint32_t CERT_RDN_UNIVERSAL_STRING = 11;
constexpr uint32_t CERT_RDN_BMP_STRING = 12;
constexpr uint32_t CERT_RDN_UTF8_STRING = 13;

struct CertRdnAttr {
  std::string ObjId;
  uint32_t ValueType = 0;
  // The string's content octets as encoded (UTF-8 for UTF8String, UCS-2
  // big-endian for BMPString, UCS-4 big-endian for UniversalString).
  std::string Value;
};

struct CertRdn {
  std::vector<CertRdnAttr> Attrs;
};

// X509_NAME decoded: the relative names in the order of the encoding.
struct CertNameInfo {
  std::vector<CertRdn> Rdns;
};

// The first attribute with the OID, in encoding order; null when none.
const CertRdnAttr* CertFindRDNAttr(std::string_view obj_id, const CertNameInfo& name);

// The value as cp1251 text: the Unicode string types converted (characters
// outside the code page become '?'), the 8-bit ones byte for byte, any
// other type as "#" and the hex of its DER.
// Returns the length with the zero byte; with a null `psz` or a `size` of 0
// only the length. A `size` too small gets the text cut to fit.
uint32_t CertRDNValueToStrA(uint32_t value_type, std::string_view value, char* psz, uint32_t size);

constexpr uint32_t CERT_OID_NAME_STR = 2;
constexpr uint32_t CERT_NAME_STR_NO_PLUS_FLAG = 0x20000000;

// The encoded name as text (CERT_OID_NAME_STR, the one string type here):
// each attribute as "<OID>=<value>", relative names in encoding order joined by ", ", the
// attributes of one joined by " + " (by ", " with CERT_NAME_STR_NO_PLUS_FLAG). A value that is
// empty, starts or ends with a space or holds one of , + = " \n < > # ; is quoted with inner quotes
// doubled. Returns the length with the zero byte (only the length for a null `psz`); 0 and the last
// error when the name does not decode or the string type is not one of these.
uint32_t CertNameToStrA(uint32_t encoding_type, std::string_view encoded_name, uint32_t str_type,
                        char* psz, uint32_t size);
