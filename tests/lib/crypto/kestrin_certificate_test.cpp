#include "lib/crypto/kestrin_certificate.h"

#include <gtest/gtest.h>

#include <string>

#include "lib/foundation/exception.h"
#include "platform/crypt/crypt_defs.h"
#include "platform/kernel/error_codes.h"
#include "tests/support/openssl.h"
#include "tests/support/test_pki.h"

namespace {

const char kSignerSubject[] = "2.5.4.6=RU, 2.5.4.3=Иванов Иван Иванович";
const char kSignerIssuer[] = "2.5.4.6=RU, 2.5.4.10=Тарвекс тест, 2.5.4.3=Тестовый УЦ";

std::string Base64(const std::string& bytes, const std::string& line_break) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 2]);
    out += kAlphabet[n >> 18 & 63];
    out += kAlphabet[n >> 12 & 63];
    out += i + 1 < bytes.size() ? kAlphabet[n >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
    if ((i / 3 + 1) % 16 == 0) out += line_break;
  }
  return out;
}

std::string Pem(const std::string& der, const std::string& line_break, bool lower = false) {
  std::string begin = "-----BEGIN CERTIFICATE-----", end = "-----END CERTIFICATE-----";
  if (lower) begin = "-----begin certificate-----", end = "-----end Certificate-----";
  return begin + line_break + Base64(der, line_break) + line_break + end + line_break;
}

TEST(KestrinCertificateTest, EveryTextFormGivesTheSameCertificate) {
  const std::string der = Pki("signer.cer");
  const std::string thumbprint = OpensslSha1(PkiPath("signer.cer"));
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"PEM with CR LF", Pem(der, "\r\n")},
      {"PEM with LF", Pem(der, "\n")},
      {"markers in other case", Pem(der, "\r\n", true)},
      {"bare base64", Base64(der, "")},
      {"DER", der},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CKestrinCertificate certificate;
    certificate.LoadFromText(c.text);
    EXPECT_TRUE(certificate.Valid());
    EXPECT_TRUE(certificate.Owned());
    EXPECT_EQ(der, certificate.Context()->Encoded());
    EXPECT_EQ(thumbprint, certificate.GetThumbprint());
    EXPECT_EQ(kSignerSubject, certificate.Parts().GetSubjectName());
    EXPECT_EQ(kSignerIssuer, certificate.Parts().GetIssuerName());
  }
}

TEST(KestrinCertificateTest, PartsOfTheCertificate) {
  CKestrinCertificate certificate;
  certificate.LoadFromText(Pki("signer.cer"));
  const CKestrinCertificateContext& parts = certificate.Parts();
  // The top bit of 8A5F00C1D2E3F401 keeps its zero octet in front.
  EXPECT_EQ("008A5F00C1D2E3F401", parts.SerialNumber().GetValue());
  EXPECT_EQ(9u, parts.SerialNumber().Length());
  EXPECT_EQ("1.2.643.2.2.19", parts.PublicKeyInfo().Algorithm().GetValue());
  EXPECT_EQ("1.2.643.2.2.3", parts.SignatureAlgorithm().GetValue());
  EXPECT_EQ(2u, parts.SubjectName().Decoded().Rdns.size());
  EXPECT_EQ("", certificate.GetValue());
  EXPECT_EQ(certificate.Context(), parts.GetCertContext());
  int data = 0;
  certificate.SetUserData(&data);
  EXPECT_EQ(&data, certificate.GetUserData());
}

TEST(KestrinCertificateTest, SerialNumbersReadMostSignificantByteFirst) {
  struct Case {
    std::string stored;  // least significant byte first
    std::string value;
  } cases[] = {
      {std::string("\x01\x02\x0A", 3), "0A0201"},
      {std::string("\x34\x12\x00\x00", 4), "00001234"},  // leading zero bytes kept
      {std::string("\x00", 1), "00"},
  };
  for (const Case& c : cases) {
    CKestrinCryptoSerialNumberBlob serial;
    EXPECT_EQ("", serial.GetValue());  // not valid yet
    EXPECT_TRUE(serial.Assign(c.stored));
    EXPECT_EQ(c.value, serial.GetValue());
  }
}

TEST(KestrinCertificateTest, NamesKeepTheirEncodingOrderAndOids) {
  // SEQUENCE { SET { C=RU }, SET { CN=N } }
  const std::string name(
      "\x30\x19\x31\x0B\x30\x09\x06\x03\x55\x04\x06\x13\x02RU"
      "\x31\x0A\x30\x08\x06\x03\x55\x04\x03\x0C\x01N",
      27);
  CKestrinCryptoObject object;
  EXPECT_TRUE(object.SetEncoded(name));
  EXPECT_TRUE(object.Valid());
  EXPECT_EQ("2.5.4.6=RU, 2.5.4.3=N", object.GetValue());

  const std::string broken("\x30\x05\x31", 3);
  CKestrinCryptoObject bad;
  try {
    bad.SetEncoded(broken);
    FAIL() << "no error";
  } catch (const EOSError& error) {
    EXPECT_EQ(CRYPT_E_ASN1_EOD, error.ErrorCode());
    EXPECT_EQ(0u, error.Message().find("System Error.  Code: -2146881278.\r\n"));
  }
}

TEST(KestrinCertificateTest, TextThatIsNoCertificateRaisesTheSystemError) {
  CKestrinCertificate certificate;
  for (const std::string text : {"not a certificate!", "QUJD", ""}) {
    SCOPED_TRACE(text);
    try {
      certificate.LoadFromText(text);
      FAIL() << "no error";
    } catch (const EOSError& error) {
      EXPECT_NE(0u, error.ErrorCode());
      EXPECT_EQ(0u, error.Message().find("System Error.  Code: "));
    }
    EXPECT_FALSE(certificate.Valid());
    EXPECT_EQ(nullptr, certificate.Context());
  }
  EXPECT_THROW(certificate.GetThumbprint(), EOSError);
}

TEST(KestrinCertificateTest, DecodeTextStripsOnlyItsKindsMarkers) {
  using K = CKestrinCertificate;
  EXPECT_EQ("ABC", K::DecodeText("-----BEGIN CERTIFICATE REQUEST-----\r\nQUJD\r\n"
                                 "-----END CERTIFICATE REQUEST-----\r\n",
                                 K::kRequestText));
  // A request's markers are not a certificate's: the text stays as it is.
  const std::string request = "-----BEGIN CERTIFICATE REQUEST-----\r\nQUJD\r\n";
  EXPECT_EQ(request, K::DecodeText(request, K::kCertificateText));
  EXPECT_TRUE(K::IsBase64("QU JD=\r\n+/"));
  EXPECT_FALSE(K::IsBase64("QU-JD"));
}

TEST(KestrinCertificateTest, AttachingOwnedAndBorrowedContexts) {
  PCCERT_CONTEXT signer = CertCreateCertificateContext(kMsgEncoding, Pki("signer.cer"));
  PCCERT_CONTEXT root = CertCreateCertificateContext(kMsgEncoding, Pki("root.cer"));
  {
    CKestrinCertificate borrowed;
    borrowed.Attach(nullptr, false);
    EXPECT_FALSE(borrowed.Valid());
    borrowed.Attach(signer, false);
    EXPECT_TRUE(borrowed.Valid());
    EXPECT_FALSE(borrowed.Owned());
    borrowed.Attach(nullptr, false);  // keeps its context, not valid
    EXPECT_FALSE(borrowed.Valid());
    EXPECT_EQ(signer, borrowed.Context());
  }
  EXPECT_EQ(Pki("signer.cer"), signer->Encoded());  // still the owner's
  {
    CKestrinCertificate own;
    EXPECT_TRUE(own.AttachOwned(signer));
    EXPECT_TRUE(own.Owned());
    // A null context adds no reference to the one held (the sanitizer build
    // would report the leak).
    EXPECT_FALSE(own.AttachOwned(nullptr));
    // Attaching another context releases the owned one first.
    EXPECT_TRUE(own.AttachOwned(root));
    EXPECT_EQ("2.5.4.6=RU, 2.5.4.10=Тарвекс тест, 2.5.4.3=Тестовый корневой УЦ",
              own.Parts().GetSubjectName());
  }
  // The callers' references are intact.
  EXPECT_EQ(Pki("signer.cer"), signer->Encoded());
  EXPECT_EQ(Pki("root.cer"), root->Encoded());
  CertFreeCertificateContext(signer);
  {
    CKestrinCertificate handed_over;
    handed_over.Attach(root, true);  // takes over the caller's reference
  }
}

}  // namespace
