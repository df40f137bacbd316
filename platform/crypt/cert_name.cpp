#include "platform/crypt/cert_name.h"

#include <algorithm>
#include <cstring>

#include "platform/crypt/crypt_defs.h"
#include "platform/crypt/detail/asn1_parse.h"
#include "platform/crypt/detail/store_backend.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

// The value as UTF-16, from the string type it was encoded as.
std::u16string ValueToWide(uint32_t value_type, std::string_view value) {
  std::u16string wide;
  switch (value_type) {
    case CERT_RDN_UTF8_STRING: return crypt_detail::Utf8ToUtf16(value);
    case CERT_RDN_BMP_STRING:
      for (size_t i = 0; i + 1 < value.size(); i += 2) {
        wide += static_cast<char16_t>((static_cast<uint8_t>(value[i]) << 8) |
                                      static_cast<uint8_t>(value[i + 1]));
      }
      return wide;
    case CERT_RDN_UNIVERSAL_STRING:
      for (size_t i = 0; i + 3 < value.size(); i += 4) {
        const uint32_t c = (static_cast<uint32_t>(static_cast<uint8_t>(value[i])) << 24) |
                           (static_cast<uint8_t>(value[i + 1]) << 16) |
                           (static_cast<uint8_t>(value[i + 2]) << 8) |
                           static_cast<uint8_t>(value[i + 3]);
        wide += c < 0x10000 ? static_cast<char16_t>(c) : u'?';
      }
      return wide;
    default: return wide;
  }
}

std::string ValueText(uint32_t value_type, std::string_view value) {
  switch (value_type) {
    case CERT_RDN_UTF8_STRING:
    case CERT_RDN_BMP_STRING:
    case CERT_RDN_UNIVERSAL_STRING: return WideToAnsi(ValueToWide(value_type, value));
    case CERT_RDN_ENCODED_BLOB: {
      // Another ASN.1 type: its DER in hex, as X.500 writes such values.
      static const char kHex[] = "0123456789ABCDEF";
      std::string text = "#";
      for (unsigned char c : value) {
        text += kHex[c >> 4];
        text += kHex[c & 15];
      }
      return text;
    }
    default: return std::string(value);  // the 8-bit string types, byte for byte
  }
}

bool NeedsQuotes(const std::string& text) {
  if (text.empty() || text.front() == ' ' || text.back() == ' ') return true;
  return text.find_first_of(",+=\"\n<>#;") != std::string::npos;
}

uint32_t PutText(const std::string& text, char* psz, uint32_t size) {
  const auto length = static_cast<uint32_t>(text.size() + 1);
  if (psz == nullptr || size == 0) return length;
  const uint32_t count = std::min(length, size) - 1;
  std::memcpy(psz, text.data(), count);
  psz[count] = '\0';
  return count + 1;
}

}  // namespace

const CertRdnAttr* CertFindRDNAttr(std::string_view obj_id, const CertNameInfo& name) {
  for (const CertRdn& rdn : name.Rdns) {
    for (const CertRdnAttr& attr : rdn.Attrs) {
      if (attr.ObjId == obj_id) return &attr;
    }
  }
  SetLastError(CRYPT_E_NOT_FOUND);
  return nullptr;
}

uint32_t CertRDNValueToStrA(uint32_t value_type, std::string_view value, char* psz, uint32_t size) {
  return PutText(ValueText(value_type, value), psz, size);
}

uint32_t CertNameToStrA(uint32_t encoding_type, std::string_view encoded_name, uint32_t str_type,
                        char* psz, uint32_t size) {
  if ((encoding_type & X509_ASN_ENCODING) == 0 ||
      (str_type & ~CERT_NAME_STR_NO_PLUS_FLAG) != CERT_OID_NAME_STR) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  CertNameInfo name;
  if (uint32_t error = crypt_detail::ParseName(encoded_name, &name)) {
    SetLastError(error);
    return 0;
  }
  const char* plus = (str_type & CERT_NAME_STR_NO_PLUS_FLAG) ? ", " : " + ";
  std::string text;
  for (size_t r = 0; r < name.Rdns.size(); ++r) {
    if (r > 0) text += ", ";
    const auto& attrs = name.Rdns[r].Attrs;
    for (size_t a = 0; a < attrs.size(); ++a) {
      if (a > 0) text += plus;
      std::string value = ValueText(attrs[a].ValueType, attrs[a].Value);
      if (NeedsQuotes(value)) {
        std::string quoted = "\"";
        for (char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        value = quoted + "\"";
      }
      text += attrs[a].ObjId + "=" + value;
    }
  }
  return PutText(text, psz, size);
}
