#include "platform/crypt/crypt_encode.h"

#include <cstdio>
#include <cstring>

#include "platform/crypt/crypt_defs.h"
#include "platform/crypt/detail/asn1_parse.h"
#include "platform/crypt/detail/der.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

using crypt_detail::ContextTag;
using crypt_detail::DerElement;
using crypt_detail::DerReader;

namespace {

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

bool CheckEncoding(uint32_t encoding_type) {
  return (encoding_type & X509_ASN_ENCODING) != 0 || Fail(ERROR_INVALID_PARAMETER);
}

// GeneralName, as far as the library reads it: the string choices, and the
// directory name kept as its DER.
bool ReadGeneralName(const DerElement& element, CertAltNameEntry* entry) {
  const int choice = element.tag & 0x1F;
  if ((element.tag & 0xC0) != 0x80) return false;
  entry->AltNameChoice = static_cast<uint32_t>(choice) + 1;
  if (choice == 4) {  // directoryName [4] EXPLICIT Name
    DerReader inner(element.content);
    DerElement name;
    if (!inner.Expect(crypt_detail::kTagSequence, &name)) return false;
    entry->Value = std::string(name.whole);
  } else {
    entry->Value = std::string(element.content);
  }
  return true;
}

// The bytes must be exactly one element with the tag.
bool Single(std::string_view encoded, uint8_t tag, DerElement* element) {
  DerReader reader(encoded);
  if (!reader.Expect(tag, element)) return Fail(reader.Error());
  return reader.AtEnd() || Fail(CRYPT_E_ASN1_BADTAG);
}

}  // namespace

bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded, CertNameInfo* name) {
  if (!CheckEncoding(encoding_type)) return false;
  if (uint32_t error = crypt_detail::ParseName(encoded, name)) return Fail(error);
  return true;
}

bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded,
                       CertBasicConstraints2Info* info) {
  DerElement sequence, element;
  if (!CheckEncoding(encoding_type) || !Single(encoded, crypt_detail::kTagSequence, &sequence)) {
    return false;
  }
  *info = CertBasicConstraints2Info{};
  DerReader reader(sequence.content);
  bool present = false;
  if (!reader.Optional(crypt_detail::kTagBoolean, &element, &present)) return Fail(reader.Error());
  if (present) info->CA = !element.content.empty() && element.content[0] != 0;
  if (!reader.Optional(crypt_detail::kTagInteger, &element, &present)) return Fail(reader.Error());
  if (present) {
    if (element.content.empty() || element.content.size() > 4 ||
        (static_cast<uint8_t>(element.content[0]) & 0x80)) {
      return Fail(CRYPT_E_ASN1_BADTAG);
    }
    info->PathLenConstraint = true;
    for (char c : element.content) info->PathLen = (info->PathLen << 8) | static_cast<uint8_t>(c);
  }
  return reader.AtEnd() || Fail(CRYPT_E_ASN1_BADTAG);
}

bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded, CrlDistPointsInfo* info) {
  DerElement sequence;
  if (!CheckEncoding(encoding_type) || !Single(encoded, crypt_detail::kTagSequence, &sequence)) {
    return false;
  }
  info->DistPoints.clear();
  DerReader points(sequence.content);
  while (!points.AtEnd()) {
    DerElement point, name;
    if (!points.Expect(crypt_detail::kTagSequence, &point)) return Fail(points.Error());
    CrlDistPoint dist_point;
    DerReader fields(point.content);
    bool present = false;
    // DistributionPoint: [0] name, [1] reasons, [2] CRL issuer; only the name counts.
    if (!fields.Optional(ContextTag(0, true), &name, &present)) return Fail(fields.Error());
    if (present) {
      DerReader choice(name.content);
      DerElement chosen;
      if (!choice.Next(&chosen)) return Fail(choice.Error());
      if (chosen.tag == ContextTag(0, true)) {
        dist_point.NameChoice = CRL_DIST_POINT_FULL_NAME;
        DerReader names(chosen.content);
        while (!names.AtEnd()) {
          DerElement general;
          CertAltNameEntry entry;
          if (!names.Next(&general)) return Fail(names.Error());
          if (!ReadGeneralName(general, &entry)) return Fail(CRYPT_E_ASN1_BADTAG);
          dist_point.FullName.push_back(std::move(entry));
        }
      } else if (chosen.tag == ContextTag(1, true)) {
        dist_point.NameChoice = CRL_DIST_POINT_ISSUER_RDN_NAME;
      } else {
        return Fail(CRYPT_E_ASN1_BADTAG);
      }
    }
    info->DistPoints.push_back(std::move(dist_point));
  }
  return true;
}

bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded,
                       CertAuthorityInfoAccess* info) {
  DerElement sequence;
  if (!CheckEncoding(encoding_type) || !Single(encoded, crypt_detail::kTagSequence, &sequence)) {
    return false;
  }
  info->AccDescr.clear();
  DerReader descriptions(sequence.content);
  while (!descriptions.AtEnd()) {
    DerElement description, method, location;
    if (!descriptions.Expect(crypt_detail::kTagSequence, &description)) {
      return Fail(descriptions.Error());
    }
    DerReader fields(description.content);
    if (!fields.Expect(crypt_detail::kTagOid, &method) || !fields.Next(&location)) {
      return Fail(fields.Error());
    }
    CertAccessDescription entry;
    entry.AccessMethod = crypt_detail::OidToText(method.content);
    if (entry.AccessMethod.empty() || !fields.AtEnd() ||
        !ReadGeneralName(location, &entry.AccessLocation)) {
      return Fail(CRYPT_E_ASN1_BADTAG);
    }
    info->AccDescr.push_back(std::move(entry));
  }
  return true;
}

bool CryptDecodeObject(uint32_t encoding_type, std::string_view encoded, FILETIME* time) {
  if (!CheckEncoding(encoding_type)) return false;
  DerReader reader(encoded);
  DerElement element;
  if (!reader.Next(&element)) return Fail(reader.Error());
  if (!reader.AtEnd() || !crypt_detail::DerTimeToFileTime(element, time)) {
    return Fail(CRYPT_E_ASN1_BADTAG);
  }
  return true;
}

bool CryptEncodeObject(uint32_t encoding_type, const FILETIME& time, uint8_t* encoded,
                       uint32_t* size) {
  if (!CheckEncoding(encoding_type) || size == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const int64_t seconds = crypt_detail::FileTimeToUnix(time);
  const int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const int64_t in_day = seconds - days * 86400;
  int64_t year = 0;
  unsigned month = 0, day = 0;
  crypt_detail::CivilFromDays(days, &year, &month, &day);
  if (year < 1950 || year > 2049) return Fail(ERROR_INVALID_PARAMETER);
  char text[32];
  std::snprintf(text, sizeof text, "%02d%02u%02u%02d%02d%02dZ", static_cast<int>(year % 100), month,
                day, static_cast<int>(in_day / 3600), static_cast<int>(in_day / 60 % 60),
                static_cast<int>(in_day % 60));
  const std::string der = crypt_detail::DerEncode(crypt_detail::kTagUtcTime, text);
  const auto length = static_cast<uint32_t>(der.size());
  if (encoded == nullptr) {
    *size = length;
    return true;
  }
  if (*size < length) {
    *size = length;
    return Fail(ERROR_MORE_DATA);
  }
  std::memcpy(encoded, der.data(), length);
  *size = length;
  return true;
}
