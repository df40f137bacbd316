#include <gtest/gtest.h>

#include <string>

#include "lib/crypto/cryptoapi20_utils.h"
#include "tests/lib/crypto/cryptoapi20_test_support.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/openssl.h"

namespace {

const std::string kBase = "http://127.0.0.1:18080/";

class ReadingTest : public testing::Test {
 protected:
  // A context of the DER bytes, freed with the fixture.
  PCCERT_CONTEXT Context(const std::string& der) {
    PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, der);
    EXPECT_NE(nullptr, context);
    contexts_.push_back(context);
    return context;
  }
  void TearDown() override {
    for (PCCERT_CONTEXT context : contexts_) CertFreeCertificateContext(context);
  }

  CryptRoots roots_;
  std::vector<PCCERT_CONTEXT> contexts_;
};

TEST_F(ReadingTest, TheTestPkiReadsAsIssued) {
  const struct {
    const char* name;
    std::string subject_cn, issuer_cn;
    bool self_signed, ca;
    std::string serial;  // least significant byte first
    std::string crl_points, ca_issuers;
  } cases[] = {
      {"root", "Тестовый корневой УЦ", "Тестовый корневой УЦ", true, true, "012A4D", "", ""},
      {"intermediate", "Тестовый УЦ", "Тестовый корневой УЦ", false, true, "022A4D",
       kBase + "root.crl", kBase + "root.cer"},
      // The serial's top bit is set: its encoding keeps a leading zero.
      {"signer", "Иванов Иван Иванович", "Тестовый УЦ", false, false, "01F4E3D2C1005F8A00",
       kBase + "intermediate.crl", kBase + "intermediate.cer"},
      // Two HTTP points and an LDAP one: the LDAP address is left out.
      {"signer2", "Петров Пётр Петрович", "Тестовый УЦ", false, false, "0201",
       kBase + "intermediate.crl," + kBase + "mirror/intermediate.crl", kBase + "intermediate.cer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = PkiPath(std::string(c.name) + ".cer");
    PCCERT_CONTEXT context = Context(ReadBytes(file));
    EXPECT_EQ(c.subject_cn, CCryptoAPI20Utils::GetSubjectCN(context));
    EXPECT_EQ(c.issuer_cn, CCryptoAPI20Utils::GetIssuerCN(context));
    EXPECT_EQ(c.self_signed, CCryptoAPI20Utils::IsSelfSigned(context));
    EXPECT_EQ(c.ca, CCryptoAPI20Utils::IsCACertificate(context));
    EXPECT_EQ(c.serial, CCryptoAPI20Utils::GetSerialNumber(context));
    EXPECT_EQ(OpensslSha1(file), CCryptoAPI20Utils::GetThumbprint(context));
    EXPECT_EQ(c.crl_points, CCryptoAPI20Utils::GetCRLDistributionPoints(context));
    EXPECT_EQ(c.ca_issuers, CCryptoAPI20Utils::GetCAIssuersUrl(context));
  }
}

TEST_F(ReadingTest, NamesAndAddressesTheCertificateLacks) {
  // No common name at either end: both read "na", so it counts as
  // self-signed; a cA flag outside a critical constraint does not count.
  PCCERT_CONTEXT nameless = Context(MakeCertificate(
      roots_.Dir(), "nameless", "/C=RU/O=Без имени",
      {"basicConstraints=CA:true", "crlDistributionPoints=URI:ldap://127.0.0.1/cn=crl"}));
  EXPECT_EQ("na", CCryptoAPI20Utils::GetSubjectCN(nameless));
  EXPECT_EQ("na", CCryptoAPI20Utils::GetIssuerCN(nameless));
  EXPECT_TRUE(CCryptoAPI20Utils::IsSelfSigned(nameless));
  EXPECT_FALSE(CCryptoAPI20Utils::IsCACertificate(nameless));
  EXPECT_EQ("", CCryptoAPI20Utils::GetCRLDistributionPoints(nameless));
  EXPECT_EQ("", CCryptoAPI20Utils::GetCAIssuersUrl(nameless));  // no extension: no error

  // Several CA-issuer addresses: the last supported one; only LDAP: an error.
  PCCERT_CONTEXT several = Context(MakeCertificate(
      roots_.Dir(), "several", "/CN=Несколько адресов",
      {"authorityInfoAccess=caIssuers;URI:http://a.example/1.cer,caIssuers;URI:ftp://b.example/"
       "2.cer,OCSP;URI:http://ocsp.example/,caIssuers;URI:ldap://c.example/cn=3"}));
  EXPECT_EQ("ftp://b.example/2.cer", CCryptoAPI20Utils::GetCAIssuersUrl(several));
  PCCERT_CONTEXT ldap_only =
      Context(MakeCertificate(roots_.Dir(), "ldap", "/CN=Только LDAP",
                              {"authorityInfoAccess=caIssuers;URI:ldap://127.0.0.1/cn=ca"}));
  EXPECT_EQ("Точка распространения сертификата CA не найдена",
            ErrorOf([&] { CCryptoAPI20Utils::GetCAIssuersUrl(ldap_only); }));
}

TEST_F(ReadingTest, ExtensionsThatDoNotDecodeAreReported) {
  // Each extension's value is a NULL where a SEQUENCE belongs.
  PCCERT_CONTEXT broken =
      Context(MakeCertificate(roots_.Dir(), "broken", "/CN=Испорченные расширения",
                              {"basicConstraints=critical,DER:0500",
                               "crlDistributionPoints=DER:0500", "authorityInfoAccess=DER:0500"}));
  EXPECT_EQ("Не удалось раскодировать содержимое расширения basicConstraints",
            ErrorOf([&] { CCryptoAPI20Utils::IsCACertificate(broken); }));
  EXPECT_EQ("Не удалось раскодировать содержимое расширения CRL (длина)",
            ErrorOf([&] { CCryptoAPI20Utils::GetCRLDistributionPoints(broken); }));
  EXPECT_EQ("Не удалось раскодировать содержимое расширения CA (длина)",
            ErrorOf([&] { CCryptoAPI20Utils::GetCAIssuersUrl(broken); }));
}

TEST_F(ReadingTest, SupportedAddressesStartWithTheirSchemeInLowerCase) {
  const struct {
    const char* url;
    bool supported;
  } cases[] = {
      {"https://a/b.crl", true},
      {"http://", true},
      {"ftp://a/b.crl", true},
      {"HTTP://a/b.crl", false},
      {"ldap://a", false},
      {" http://a", false},
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.supported, CCryptoAPI20Utils::IsSupportedUrl(c.url)) << c.url;
  }
}

}  // namespace
