#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/text_routines.h"
#include "tests/lib/crypto/cryptoapi20_test_support.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/openssl.h"

namespace {

constexpr int kUser = 2, kMachine = 1;
constexpr int kMy = 1, kRoot = 2, kCa = 3, kAddressBook = 4;

std::vector<std::string> Sorted(std::vector<std::string> bodies) {
  std::sort(bodies.begin(), bodies.end());
  return bodies;
}

class ImportTest : public testing::Test {
 protected:
  std::string File(const std::string& name) const { return roots_.Dir().File(name); }

  // The base64 text of a DER file, in lines as openssl writes them.
  std::string Base64(const std::string& der_file) const {
    return RunCommand("openssl base64 -in " + Quoted(der_file)).output;
  }

  CryptRoots roots_;
  VerifyContext prov_;
};

TEST_F(ImportTest, EveryFormOfOneCertificateGivesTheSameContext) {
  const std::string der = Pki("signer.cer");
  const std::string base64 = Base64(PkiPath("signer.cer"));
  const std::string pem = "-----BEGIN CERTIFICATE-----\n" + base64 + "-----END CERTIFICATE-----\n";
  const std::string thumbprint = OpensslSha1(PkiPath("signer.cer"));
  const struct {
    const char* form;
    std::string text;
  } forms[] = {
      {"DER", der},
      {"PEM", pem},
      {"PEM with CR LF", ReplaceAll(pem, "\n", "\r\n")},
      {"base64 without markers", base64},
      {"base64 in one line", ReplaceAll(base64, "\n", "")},
      {"markers around a DER body", "-----BEGIN CERTIFICATE-----" + der},
  };
  for (const auto& form : forms) {
    SCOPED_TRACE(form.form);
    PCCERT_CONTEXT context = CCryptoAPI20Utils::ImportCertificate(form.text);
    ASSERT_NE(nullptr, context);
    EXPECT_EQ(thumbprint, CCryptoAPI20Utils::GetThumbprint(context));
    EXPECT_EQ(der, CCryptoAPI20Utils::GetCertificateBody(context));
    CertFreeCertificateContext(context);
  }
}

TEST_F(ImportTest, TextThatIsNoCertificateIsRefused) {
  const std::string bad_tag =
      "Ошибка при импорте сертификата: 0x8009310B (-2146881269): ASN1: обнаружено неверное "
      "значение тега";
  const std::string base64 = Base64(PkiPath("signer.cer"));
  const struct {
    const char* what;
    std::string text;
    std::string message;
  } cases[] = {
      {"empty", "", "Передан пустой аргумент: CertificateBody"},
      // A character outside base64 makes it DER, which it is not.
      {"base64 with a stray character", "!" + base64, bad_tag},
      // The markers are removed in their exact case only: lower-case ones
      // decode as base64 and spoil the bytes.
      {"lower-case markers",
       "-----begin certificate-----\n" + base64 + "-----end certificate-----\n", bad_tag},
      {"a CRL", Pki("intermediate.crl"), bad_tag},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.message, ErrorOf([&] { CCryptoAPI20Utils::ImportCertificate(c.text); }));
  }
}

TEST_F(ImportTest, ACrlImportsFromDerOnly) {
  PCCRL_CONTEXT crl = CCryptoAPI20Utils::ImportCRL(Pki("intermediate.crl"));
  ASSERT_NE(nullptr, crl);
  PCCERT_CONTEXT issuer = CCryptoAPI20Utils::ImportCertificate(Pki("intermediate.cer"));
  EXPECT_EQ(issuer->Info().Subject, crl->Info().Issuer);
  // The revoked signer's serial, read least significant byte first.
  ASSERT_EQ(1u, crl->Info().Entries.size());
  EXPECT_EQ("04002F", BinToHexStr(crl->Info().Entries[0].SerialNumber));
  CertFreeCertificateContext(issuer);
  CertFreeCRLContext(crl);

  EXPECT_EQ("Передан пустой аргумент: CRLBody", ErrorOf([] { CCryptoAPI20Utils::ImportCRL(""); }));
  EXPECT_EQ(
      "Ошибка при импорте CRL (неверный формат?): 0x8009310B (-2146881269): ASN1: обнаружено "
      "неверное значение тега",
      ErrorOf([&] { CCryptoAPI20Utils::ImportCRL(Base64(PkiPath("intermediate.crl"))); }));
}

TEST_F(ImportTest, ABundlePutsEachCertificateIntoTheStoreThatSuitsIt) {
  // A self-signed certificate without basic constraints, and one whose cA
  // flag is set in a constraint that is not critical: neither is a CA.
  MakeCertificate(roots_.Dir(), "plain-root", "/CN=Простой корень", {});
  MakeCertificate(roots_.Dir(), "soft-ca", "/CN=Мягкий УЦ", {"basicConstraints=CA:true"});
  const std::string bundle = File("bundle.p7b");
  std::string command = "openssl crl2pkcs7 -nocrl -outform DER -out " + Quoted(bundle);
  for (const std::string& file :
       {PkiPath("root.cer"), PkiPath("intermediate.cer"), PkiPath("signer.cer"),
        File("plain-root.cer"), File("soft-ca.cer")}) {
    ASSERT_EQ(0, RunCommand("openssl x509 -inform DER -in " + Quoted(file) + " >> " +
                            Quoted(File("bundle.pem")))
                     .status);
  }
  ASSERT_EQ(0, RunCommand(command + " -certfile " + Quoted(File("bundle.pem"))).status);

  CCryptoAPI20Utils::ImportCertificates(prov_.Get(), kUser, ReadBytes(bundle), "");
  // The root carries a critical cA constraint too: the CA test comes first.
  EXPECT_EQ(Sorted({Pki("root.cer"), Pki("intermediate.cer")}), StoreBodies(kUser, kCa));
  EXPECT_EQ(Sorted({ReadBytes(File("plain-root.cer")), ReadBytes(File("soft-ca.cer"))}),
            StoreBodies(kUser, kRoot));
  EXPECT_EQ(std::vector<std::string>{Pki("signer.cer")}, StoreBodies(kUser, kAddressBook));
  EXPECT_TRUE(StoreBodies(kUser, kMy).empty());
  EXPECT_TRUE(StoreBodies(kMachine, kCa).empty());

  // The same bundle as base64 text, again: what is there stays once.
  CCryptoAPI20Utils::ImportCertificates(prov_.Get(), kUser, Base64(bundle), "");
  EXPECT_EQ(2u, StoreBodies(kUser, kCa).size());
}

TEST_F(ImportTest, ASingleCertificateImportsIntoTheChosenLocation) {
  const std::string pem = "-----BEGIN CERTIFICATE-----\r\n" +
                          ReplaceAll(Base64(PkiPath("signer2.cer")), "\n", "\r\n") +
                          "-----END CERTIFICATE-----\r\n";
  CCryptoAPI20Utils::ImportCertificates(prov_.Get(), kMachine, pem, "");
  EXPECT_EQ(std::vector<std::string>{Pki("signer2.cer")}, StoreBodies(kMachine, kAddressBook));
  EXPECT_TRUE(StoreBodies(kUser, kAddressBook).empty());

  EXPECT_EQ("Недоступное хранилище: [3]", ErrorOf([&] {
              CCryptoAPI20Utils::ImportCertificates(prov_.Get(), 3, Pki("signer2.cer"), "");
            }));
  EXPECT_EQ(
      "Ошибка при импорте сертификата: 0x8009310B (-2146881269): ASN1: обнаружено неверное "
      "значение тега",
      ErrorOf([&] { CCryptoAPI20Utils::ImportCertificates(prov_.Get(), kUser, "!?", ""); }));
}

}  // namespace
