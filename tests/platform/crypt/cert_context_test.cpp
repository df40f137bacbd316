#include "platform/crypt/cert_context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/crypt/cert_name.h"
#include "platform/crypt/crypt_encode.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/file_time.h"
#include "platform/kernel/last_error.h"
#include "tests/support/openssl.h"
#include "tests/support/test_pki.h"

namespace {

std::string Hex(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kHex[c >> 4];
    hex += kHex[c & 15];
  }
  return hex;
}

std::string Tlv(int tag, const std::string& content) {
  std::string out(1, static_cast<char>(tag));
  out += static_cast<char>(content.size());  // short form: test values stay below 128
  return out + content;
}

// An attribute of a name: OID content octets and a string of the tag.
std::string Attr(const std::string& oid, int tag, const std::string& value) {
  return Tlv(0x30, Tlv(0x06, oid) + Tlv(tag, value));
}

const std::string kCountry("\x55\x04\x06", 3);     // 2.5.4.6
const std::string kCommonName("\x55\x04\x03", 3);  // 2.5.4.3

CertRef Load(const std::string& name) {
  return CertRef(CertCreateCertificateContext(kMsgEncoding, Pki(name)));
}

int64_t UnixTime(const FILETIME& time) {
  const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10000000) - 11644473600LL;
}

TEST(CertContextTest, ThumbprintsAreTheSha1FingerprintsOpensslComputes) {
  for (const char* name : {"root.cer", "intermediate.cer", "signer.cer", "signer2.cer",
                           "expired.cer", "revoked.cer"}) {
    SCOPED_TRACE(name);
    CertRef context = Load(name);
    ASSERT_TRUE(context);
    uint32_t size = 0;
    ASSERT_TRUE(
        CertGetCertificateContextProperty(context.get(), CERT_SHA1_HASH_PROP_ID, nullptr, &size));
    std::string hash(size, '\0');
    ASSERT_TRUE(CertGetCertificateContextProperty(context.get(), CERT_SHA1_HASH_PROP_ID,
                                                  hash.data(), &size));
    EXPECT_EQ(OpensslSha1(PkiPath(name)), Hex(hash));
  }
}

TEST(CertContextTest, PropertyBufferTooSmallAsksForMore) {
  CertRef context = Load("signer.cer");
  char small[19];
  uint32_t size = sizeof small;
  EXPECT_FALSE(
      CertGetCertificateContextProperty(context.get(), CERT_SHA1_HASH_PROP_ID, small, &size));
  EXPECT_EQ(ERROR_MORE_DATA, GetLastError());
  EXPECT_EQ(20u, size);
}

TEST(CertContextTest, SerialKeepsItsLeadingZeroOctetsLeastSignificantFirst) {
  // The encoding of 8A5F00C1D2E3F401 needs a zero octet before the top bit.
  CertRef top_bit = Load("signer.cer");
  EXPECT_EQ("01F4E3D2C1005F8A00", Hex(top_bit->Info().SerialNumber));

  // Padding the platform keeps though DER forbids it: patch the serial's
  // first octets to 00 00.
  std::string der = Pki("signer.cer");
  const std::string serial("\x02\x09\x00\x8A\x5F", 5);
  const size_t at = der.find(serial);
  ASSERT_NE(std::string::npos, at);
  der[at + 3] = '\0';
  CertRef padded(CertCreateCertificateContext(kMsgEncoding, der));
  ASSERT_TRUE(padded);
  EXPECT_EQ("01F4E3D2C1005F0000", Hex(padded->Info().SerialNumber));
}

TEST(CertContextTest, KeepsExactBytesNamesAndValidity) {
  const std::string der = Pki("signer.cer");
  CertRef context(CertCreateCertificateContext(kMsgEncoding, der + "trailing"));
  ASSERT_TRUE(context);
  EXPECT_EQ(der, context->Encoded());
  const CertInfo& info = context->Info();
  EXPECT_EQ(2u, info.Version);
  EXPECT_EQ(1609459200, UnixTime(info.NotBefore));  // 2021-01-01 00:00:00Z
  EXPECT_EQ(2524607999, UnixTime(info.NotAfter));   // 2049-12-31 23:59:59Z
  EXPECT_EQ("1.2.643.2.2.3", info.SignatureAlgorithm.ObjId);
  EXPECT_EQ("1.2.643.2.2.19", info.SubjectPublicKeyInfo.Algorithm.ObjId);
  EXPECT_EQ(64u, info.SubjectPublicKeyInfo.PublicKey.size() - 2);  // OCTET STRING of 64
  CertRef issuer = Load("intermediate.cer");
  EXPECT_EQ(issuer->Info().Subject, info.Issuer);
}

TEST(CertContextTest, RefusesWhatIsNoCertificate) {
  const std::string der = Pki("signer.cer");
  struct Case {
    const char* what;
    std::string bytes;
    uint32_t error;
  } cases[] = {
      {"empty", "", CRYPT_E_ASN1_EOD},
      {"text", "hello, world", CRYPT_E_ASN1_BADTAG},
      {"truncated", der.substr(0, der.size() - 1), CRYPT_E_ASN1_EOD},
      {"a CRL", Pki("root.crl"), CRYPT_E_ASN1_BADTAG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_EQ(nullptr, CertCreateCertificateContext(kMsgEncoding, c.bytes));
    EXPECT_EQ(c.error, GetLastError());
  }
}

TEST(CertContextTest, ReferencesOutliveTheCreator) {
  PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, Pki("root.cer"));
  ASSERT_EQ(context, CertDuplicateCertificateContext(context));
  CertFreeCertificateContext(context);
  EXPECT_FALSE(context->Encoded().empty());  // still held by the duplicate
  CertFreeCertificateContext(context);
  EXPECT_EQ(nullptr, CertDuplicateCertificateContext(nullptr));
  EXPECT_TRUE(CertFreeCertificateContext(nullptr));
}

TEST(CertContextTest, KeyProviderPropertyOnAFreeContext) {
  CertRef context = Load("signer.cer");
  CryptKeyProvInfo info;
  EXPECT_FALSE(CertGetCertificateContextProperty(context.get(), CERT_KEY_PROV_INFO_PROP_ID, &info));
  EXPECT_EQ(CRYPT_E_NOT_FOUND, GetLastError());
  info.ContainerName = u"\\\\.\\HDIMAGE\\Иванов";
  info.ProvType = kGostProviderType;
  info.KeySpec = AT_KEYEXCHANGE;
  ASSERT_TRUE(
      CertSetCertificateContextProperty(context.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
  CryptKeyProvInfo read;
  ASSERT_TRUE(CertGetCertificateContextProperty(context.get(), CERT_KEY_PROV_INFO_PROP_ID, &read));
  EXPECT_EQ(info.ContainerName, read.ContainerName);
  EXPECT_EQ(AT_KEYEXCHANGE, read.KeySpec);
  ASSERT_TRUE(
      CertSetCertificateContextProperty(context.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, nullptr));
  EXPECT_FALSE(CertGetCertificateContextProperty(context.get(), CERT_KEY_PROV_INFO_PROP_ID, &read));
}

TEST(CertContextTest, ExtensionsDecode) {
  CertRef root = Load("root.cer");
  const CertExtension* constraints = CertFindExtension("2.5.29.19", root->Info().Extensions);
  ASSERT_NE(nullptr, constraints);
  EXPECT_TRUE(constraints->Critical);
  CertBasicConstraints2Info basic;
  ASSERT_TRUE(CryptDecodeObject(X509_ASN_ENCODING, constraints->Value, &basic));
  EXPECT_TRUE(basic.CA);
  EXPECT_FALSE(basic.PathLenConstraint);

  CertRef signer = Load("signer2.cer");
  EXPECT_EQ(nullptr, CertFindExtension("1.2.3.4", signer->Info().Extensions));
  const CertExtension* cdp = CertFindExtension("2.5.29.31", signer->Info().Extensions);
  ASSERT_NE(nullptr, cdp);
  CrlDistPointsInfo points;
  ASSERT_TRUE(CryptDecodeObject(X509_ASN_ENCODING, cdp->Value, &points));
  std::vector<std::string> urls;
  for (const CrlDistPoint& point : points.DistPoints) {
    ASSERT_EQ(CRL_DIST_POINT_FULL_NAME, point.NameChoice);
    for (const CertAltNameEntry& name : point.FullName) {
      EXPECT_EQ(CERT_ALT_NAME_URL, name.AltNameChoice);
      urls.push_back(name.Value);
    }
  }
  EXPECT_EQ((std::vector<std::string>{"http://127.0.0.1:18080/intermediate.crl",
                                      "http://127.0.0.1:18080/mirror/intermediate.crl",
                                      "ldap://127.0.0.1/cn=intermediate"}),
            urls);

  const CertExtension* aia = CertFindExtension("1.3.6.1.5.5.7.1.1", signer->Info().Extensions);
  ASSERT_NE(nullptr, aia);
  CertAuthorityInfoAccess access;
  ASSERT_TRUE(CryptDecodeObject(X509_ASN_ENCODING, aia->Value, &access));
  ASSERT_EQ(1u, access.AccDescr.size());
  EXPECT_EQ("1.3.6.1.5.5.7.48.2", access.AccDescr[0].AccessMethod);
  EXPECT_EQ(CERT_ALT_NAME_URL, access.AccDescr[0].AccessLocation.AltNameChoice);
  EXPECT_EQ("http://127.0.0.1:18080/intermediate.cer", access.AccDescr[0].AccessLocation.Value);

  EXPECT_FALSE(CryptDecodeObject(X509_ASN_ENCODING, std::string("\x30\x05", 2), &basic));
  EXPECT_EQ(CRYPT_E_ASN1_EOD, GetLastError());
}

TEST(CertContextTest, UtcTimeRoundTrip) {
  // 2026-03-01 09:00:00Z
  const uint64_t ticks = (1772355600ULL + 11644473600ULL) * 10000000ULL;
  const FILETIME time{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
  uint32_t size = 0;
  ASSERT_TRUE(CryptEncodeObject(kMsgEncoding, time, nullptr, &size));
  std::string der(size, '\0');
  ASSERT_TRUE(CryptEncodeObject(kMsgEncoding, time, reinterpret_cast<uint8_t*>(der.data()), &size));
  EXPECT_EQ(std::string("\x17\x0D") + "260301090000Z", der);
  FILETIME back{};
  ASSERT_TRUE(CryptDecodeObject(kMsgEncoding, der, &back));
  EXPECT_EQ(time.dwLowDateTime, back.dwLowDateTime);
  EXPECT_EQ(time.dwHighDateTime, back.dwHighDateTime);

  const uint64_t late = (2556144000ULL + 11644473600ULL) * 10000000ULL;  // 2051
  EXPECT_FALSE(CryptEncodeObject(
      kMsgEncoding, FILETIME{static_cast<uint32_t>(late), static_cast<uint32_t>(late >> 32)},
      nullptr, &size));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
}

std::string NameText(const std::string& name, uint32_t flags) {
  const uint32_t length = CertNameToStrA(X509_ASN_ENCODING, name, flags, nullptr, 0);
  if (length == 0) return "<failed>";
  std::string text(length, '\0');
  CertNameToStrA(X509_ASN_ENCODING, name, flags, text.data(), length);
  text.resize(length - 1);
  return text;
}

TEST(CertNameTest, OidTextsInEncodingOrderWithQuoting) {
  constexpr uint32_t kOid = CERT_OID_NAME_STR;
  constexpr uint32_t kNoPlus = CERT_OID_NAME_STR | CERT_NAME_STR_NO_PLUS_FLAG;
  const std::string ru = Tlv(0x31, Attr(kCountry, 0x13, "RU"));
  struct Case {
    const char* what;
    std::string name;
    uint32_t flags;
    std::string text;
  } cases[] = {
      {"order kept", Tlv(0x30, ru + Tlv(0x31, Attr(kCommonName, 0x0C, "N"))), kNoPlus,
       "2.5.4.6=RU, 2.5.4.3=N"},
      {"multi-valued, plus",
       Tlv(0x30, Tlv(0x31, Attr(kCountry, 0x13, "RU") + Attr(kCommonName, 0x0C, "N"))), kOid,
       "2.5.4.6=RU + 2.5.4.3=N"},
      {"multi-valued, no plus",
       Tlv(0x30, Tlv(0x31, Attr(kCountry, 0x13, "RU") + Attr(kCommonName, 0x0C, "N"))), kNoPlus,
       "2.5.4.6=RU, 2.5.4.3=N"},
      {"comma and quote quoted", Tlv(0x30, Tlv(0x31, Attr(kCommonName, 0x0C, "a,\"b\""))), kNoPlus,
       "2.5.4.3=\"a,\"\"b\"\"\""},
      {"outer space quoted", Tlv(0x30, Tlv(0x31, Attr(kCommonName, 0x13, " x"))), kNoPlus,
       "2.5.4.3=\" x\""},
      {"UTF-8 Cyrillic to cp1251",
       Tlv(0x30, Tlv(0x31, Attr(kCommonName, 0x0C, "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"))), kNoPlus,
       "2.5.4.3=Иван"},
      {"BMP Cyrillic to cp1251",
       Tlv(0x30, Tlv(0x31, Attr(kCommonName, 0x1E, std::string("\x04\x18\x04\x32", 4)))), kNoPlus,
       "2.5.4.3=Ив"},
      {"empty name", Tlv(0x30, ""), kNoPlus, ""},
      {"not a name", "\x04\x00", kNoPlus, "<failed>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.text, NameText(c.name, c.flags));
  }
}

TEST(CertNameTest, FindsTheFirstAttributeAndConvertsItsValue) {
  CertRef signer = Load("signer.cer");
  CertNameInfo name;
  ASSERT_TRUE(CryptDecodeObject(X509_ASN_ENCODING, signer->Info().Subject, &name));
  ASSERT_EQ(2u, name.Rdns.size());
  const CertRdnAttr* cn = CertFindRDNAttr("2.5.4.3", name);
  ASSERT_NE(nullptr, cn);
  EXPECT_EQ(CERT_RDN_UTF8_STRING, cn->ValueType);
  const uint32_t length = CertRDNValueToStrA(cn->ValueType, cn->Value, nullptr, 0);
  std::string text(length, '\0');
  ASSERT_EQ(length, CertRDNValueToStrA(cn->ValueType, cn->Value, text.data(), length));
  EXPECT_EQ(std::string("Иванов Иван Иванович") + '\0', text);
  EXPECT_EQ(nullptr, CertFindRDNAttr("2.5.4.10", name));
}

}  // namespace
