#include "platform/crypt/detail/asn1_parse.h"

#include <algorithm>

#include "platform/crypt/detail/der.h"

namespace crypt_detail {
namespace {

std::string Reversed(std::string_view bytes) { return std::string(bytes.rbegin(), bytes.rend()); }

uint32_t ParseAlgorithm(const DerElement& element, CryptAlgorithmIdentifier* algorithm) {
  DerReader p(element.content);
  DerElement oid;
  if (!p.Expect(kTagOid, &oid)) return p.Error();
  algorithm->ObjId = OidToText(oid.content);
  if (algorithm->ObjId.empty()) return CRYPT_E_ASN1_BADTAG;
  algorithm->Parameters.clear();
  if (!p.AtEnd()) {
    DerElement parameters;
    if (!p.Next(&parameters)) return p.Error();
    algorithm->Parameters = std::string(parameters.whole);
  }
  return p.AtEnd() ? 0 : CRYPT_E_ASN1_BADTAG;
}

uint32_t ParseTime(DerReader& p, FILETIME* time) {
  DerElement element;
  if (!p.Next(&element)) return p.Error();
  return DerTimeToFileTime(element, time) ? 0 : CRYPT_E_ASN1_BADTAG;
}

// Extensions ::= SEQUENCE OF SEQUENCE { OID, BOOLEAN DEFAULT FALSE, OCTET STRING }
uint32_t ParseExtensions(const DerElement& sequence, std::vector<CertExtension>* extensions) {
  DerReader list(sequence.content);
  while (!list.AtEnd()) {
    DerElement item, oid, critical, value;
    bool has_critical = false;
    if (!list.Expect(kTagSequence, &item)) return list.Error();
    DerReader p(item.content);
    if (!p.Expect(kTagOid, &oid) || !p.Optional(kTagBoolean, &critical, &has_critical) ||
        !p.Expect(kTagOctetString, &value)) {
      return p.Error();
    }
    CertExtension extension;
    extension.ObjId = OidToText(oid.content);
    if (extension.ObjId.empty() || !p.AtEnd()) return CRYPT_E_ASN1_BADTAG;
    extension.Critical = has_critical && !critical.content.empty() && critical.content[0] != 0;
    extension.Value = std::string(value.content);
    extensions->push_back(std::move(extension));
  }
  return 0;
}

// The serial's content octets, least significant byte first. The value is
// positive or not as encoded: the platform keeps it as given.
uint32_t ParseSerial(DerReader& p, std::string* serial) {
  DerElement integer;
  if (!p.Expect(kTagInteger, &integer)) return p.Error();
  if (integer.content.empty()) return CRYPT_E_ASN1_BADTAG;
  *serial = Reversed(integer.content);
  return 0;
}

}  // namespace

uint32_t ParseCertificate(std::string_view data, std::string* encoded, CertInfo* info) {
  DerReader outer(data);
  DerElement certificate, tbs, algorithm, signature;
  if (!outer.Expect(kTagSequence, &certificate)) return outer.Error();
  DerReader cert(certificate.content);
  if (!cert.Expect(kTagSequence, &tbs) || !cert.Expect(kTagSequence, &algorithm) ||
      !cert.Expect(kTagBitString, &signature)) {
    return cert.Error();
  }
  if (!cert.AtEnd()) return CRYPT_E_ASN1_BADTAG;

  DerReader p(tbs.content);
  DerElement version, sig_algorithm, issuer, validity, subject, spki, element;
  bool has_version = false;
  if (!p.Optional(ContextTag(0, true), &version, &has_version)) return p.Error();
  info->Version = 0;
  if (has_version) {
    DerReader v(version.content);
    DerElement number;
    if (!v.Expect(kTagInteger, &number)) return v.Error();
    if (number.content.size() != 1) return CRYPT_E_ASN1_BADTAG;
    info->Version = static_cast<uint8_t>(number.content[0]);
  }
  if (uint32_t error = ParseSerial(p, &info->SerialNumber)) return error;
  if (!p.Expect(kTagSequence, &sig_algorithm)) return p.Error();
  if (uint32_t error = ParseAlgorithm(sig_algorithm, &info->SignatureAlgorithm)) return error;
  if (!p.Expect(kTagSequence, &issuer) || !p.Expect(kTagSequence, &validity)) return p.Error();
  info->Issuer = std::string(issuer.whole);
  DerReader times(validity.content);
  if (uint32_t error = ParseTime(times, &info->NotBefore)) return error;
  if (uint32_t error = ParseTime(times, &info->NotAfter)) return error;
  if (!times.AtEnd()) return CRYPT_E_ASN1_BADTAG;
  if (!p.Expect(kTagSequence, &subject) || !p.Expect(kTagSequence, &spki)) return p.Error();
  info->Subject = std::string(subject.whole);

  DerReader key(spki.content);
  DerElement key_algorithm, key_bits;
  if (!key.Expect(kTagSequence, &key_algorithm) || !key.Expect(kTagBitString, &key_bits)) {
    return key.Error();
  }
  if (uint32_t error = ParseAlgorithm(key_algorithm, &info->SubjectPublicKeyInfo.Algorithm)) {
    return error;
  }
  if (key_bits.content.empty()) return CRYPT_E_ASN1_BADTAG;
  info->SubjectPublicKeyInfo.PublicKey = std::string(key_bits.content.substr(1));

  info->Extensions.clear();
  bool present = false;
  if (!p.Optional(ContextTag(1, false), &element, &present) ||
      !p.Optional(ContextTag(2, false), &element, &present) ||
      !p.Optional(ContextTag(3, true), &element, &present)) {
    return p.Error();
  }
  if (present) {
    DerReader wrapper(element.content);
    DerElement sequence;
    if (!wrapper.Expect(kTagSequence, &sequence)) return wrapper.Error();
    if (uint32_t error = ParseExtensions(sequence, &info->Extensions)) return error;
  }
  if (!p.AtEnd()) return CRYPT_E_ASN1_BADTAG;
  *encoded = std::string(certificate.whole);
  return 0;
}

uint32_t ParseCrl(std::string_view data, std::string* encoded, CrlInfo* info) {
  DerReader outer(data);
  DerElement crl, tbs, algorithm, signature;
  if (!outer.Expect(kTagSequence, &crl)) return outer.Error();
  DerReader list(crl.content);
  if (!list.Expect(kTagSequence, &tbs) || !list.Expect(kTagSequence, &algorithm) ||
      !list.Expect(kTagBitString, &signature)) {
    return list.Error();
  }
  if (!list.AtEnd()) return CRYPT_E_ASN1_BADTAG;

  DerReader p(tbs.content);
  DerElement version, sig_algorithm, issuer;
  bool present = false;
  if (!p.Optional(kTagInteger, &version, &present)) return p.Error();
  info->Version =
      present && version.content.size() == 1 ? static_cast<uint8_t>(version.content[0]) : 0;
  if (!p.Expect(kTagSequence, &sig_algorithm)) return p.Error();
  if (uint32_t error = ParseAlgorithm(sig_algorithm, &info->SignatureAlgorithm)) return error;
  if (!p.Expect(kTagSequence, &issuer)) return p.Error();
  info->Issuer = std::string(issuer.whole);
  if (uint32_t error = ParseTime(p, &info->ThisUpdate)) return error;
  info->NextUpdate = FILETIME{};
  info->Entries.clear();
  info->Extensions.clear();
  uint8_t tag = 0;
  if (p.Peek(&tag) && (tag == kTagUtcTime || tag == kTagGeneralizedTime)) {
    if (uint32_t error = ParseTime(p, &info->NextUpdate)) return error;
  }
  DerElement entries;
  if (!p.Optional(kTagSequence, &entries, &present)) return p.Error();
  if (present) {
    DerReader list_of(entries.content);
    while (!list_of.AtEnd()) {
      DerElement item, extensions;
      if (!list_of.Expect(kTagSequence, &item)) return list_of.Error();
      DerReader e(item.content);
      CrlEntry entry;
      if (uint32_t error = ParseSerial(e, &entry.SerialNumber)) return error;
      if (uint32_t error = ParseTime(e, &entry.RevocationDate)) return error;
      bool has_extensions = false;
      if (!e.Optional(kTagSequence, &extensions, &has_extensions)) return e.Error();
      if (has_extensions) {
        if (uint32_t error = ParseExtensions(extensions, &entry.Extensions)) return error;
      }
      if (!e.AtEnd()) return CRYPT_E_ASN1_BADTAG;
      info->Entries.push_back(std::move(entry));
    }
  }
  DerElement element;
  if (!p.Optional(ContextTag(0, true), &element, &present)) return p.Error();
  if (present) {
    DerReader wrapper(element.content);
    DerElement sequence;
    if (!wrapper.Expect(kTagSequence, &sequence)) return wrapper.Error();
    if (uint32_t error = ParseExtensions(sequence, &info->Extensions)) return error;
  }
  if (!p.AtEnd()) return CRYPT_E_ASN1_BADTAG;
  *encoded = std::string(crl.whole);
  return 0;
}

uint32_t ParseName(std::string_view data, CertNameInfo* name) {
  DerReader outer(data);
  DerElement sequence;
  if (!outer.Expect(kTagSequence, &sequence)) return outer.Error();
  if (!outer.AtEnd()) return CRYPT_E_ASN1_BADTAG;
  name->Rdns.clear();
  DerReader rdns(sequence.content);
  while (!rdns.AtEnd()) {
    DerElement set;
    if (!rdns.Expect(kTagSet, &set)) return rdns.Error();
    CertRdn rdn;
    DerReader attrs(set.content);
    while (!attrs.AtEnd()) {
      DerElement pair, oid, value;
      if (!attrs.Expect(kTagSequence, &pair)) return attrs.Error();
      DerReader p(pair.content);
      if (!p.Expect(kTagOid, &oid) || !p.Next(&value)) return p.Error();
      CertRdnAttr attr;
      attr.ObjId = OidToText(oid.content);
      if (attr.ObjId.empty() || !p.AtEnd()) return CRYPT_E_ASN1_BADTAG;
      switch (value.tag) {
        case 0x04: attr.ValueType = CERT_RDN_OCTET_STRING; break;
        case 0x0C: attr.ValueType = CERT_RDN_UTF8_STRING; break;
        case 0x12: attr.ValueType = CERT_RDN_NUMERIC_STRING; break;
        case 0x13: attr.ValueType = CERT_RDN_PRINTABLE_STRING; break;
        case 0x14: attr.ValueType = CERT_RDN_TELETEX_STRING; break;
        case 0x15: attr.ValueType = CERT_RDN_VIDEOTEX_STRING; break;
        case 0x16: attr.ValueType = CERT_RDN_IA5_STRING; break;
        case 0x19: attr.ValueType = CERT_RDN_GRAPHIC_STRING; break;
        case 0x1A: attr.ValueType = CERT_RDN_VISIBLE_STRING; break;
        case 0x1B: attr.ValueType = CERT_RDN_GENERAL_STRING; break;
        case 0x1C: attr.ValueType = CERT_RDN_UNIVERSAL_STRING; break;
        case 0x1E: attr.ValueType = CERT_RDN_BMP_STRING; break;
        default: attr.ValueType = CERT_RDN_ENCODED_BLOB; break;
      }
      attr.Value =
          std::string(attr.ValueType == CERT_RDN_ENCODED_BLOB ? value.whole : value.content);
      rdn.Attrs.push_back(std::move(attr));
    }
    name->Rdns.push_back(std::move(rdn));
  }
  return 0;
}

}  // namespace crypt_detail
