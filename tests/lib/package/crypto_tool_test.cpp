#include "lib/package/tarvex_crypto_tool.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "lib/crypto/crypto_exception.h"
#include "lib/crypto/kestrin_certificate.h"
#include "lib/foundation/str_array.h"
#include "lib/package/tarvex_key.h"
#include "tests/lib/crypto/signature_test_support.h"
#include "tests/support/debug_capture.h"
#include "tests/support/error_of.h"

namespace {

const std::string kContent = std::string("Заявление\0\xFF", 11);

class CryptoToolTest : public SignatureTest {
 protected:
  // openssl's encryption of `plain` for the PKI signer.
  std::string OpensslEncrypt(const std::string& plain) const {
    WriteBytes(File("plain"), plain);
    EXPECT_EQ(
        0, RunCommand("openssl cms -encrypt -engine gost -gost89 -binary -in " +
                      Quoted(File("plain")) + " -outform DER -out " + Quoted(File("openssl.p7m")) +
                      " " + Quoted(Pem("signer")) + " 2>/dev/null")
               .status);
    return ReadBytes(File("openssl.p7m"));
  }

  // openssl's decryption of `encrypted` with the PKI signer's key; empty
  // when it cannot.
  std::string OpensslDecrypt(const std::string& encrypted) const {
    WriteBytes(File("ours.p7m"), encrypted);
    ::remove(File("decrypted").c_str());
    RunCommand("openssl cms -decrypt -engine gost -binary -inform DER -in " +
               Quoted(File("ours.p7m")) + " -recip " + Quoted(Pem("signer")) + " -inkey " +
               Quoted(PkiPath("signer.key")) + " -out " + Quoted(File("decrypted")) +
               " 2>/dev/null");
    return ReadBytes(File("decrypted"));
  }
};

class CryptoToolLocationTest : public CryptoToolTest, public testing::WithParamInterface<int> {};

TEST_P(CryptoToolLocationTest, TheFlagChoosesTheStoresOfOneLocation) {
  const int location = GetParam();
  const bool user = location == kUser;
  ImportKey("Иванов", "signer", location);
  const std::string thumbprint = ThumbprintOf("signer");

  EXPECT_EQ(0, OpensslVerify(CTarvexCryptoTool::Sign(user, kContent, thumbprint), kContent));
  EXPECT_EQ("Личный сертификат с отпечатком [" + thumbprint + "] не найден",
            ErrorOf([&] { CTarvexCryptoTool::Sign(!user, kContent, thumbprint); }));

  EXPECT_EQ(Pki("signer.cer"), CTarvexCryptoTool::GetCertificateBodyBySha1(user, thumbprint, true));
  EXPECT_EQ("Сертификат по отпечатку [" + thumbprint + "] не найден в хранилище [MY]",
            ErrorOf([&] { CTarvexCryptoTool::GetCertificateBodyBySha1(!user, thumbprint, true); }));
  EXPECT_EQ("Сертификат по отпечатку [" + thumbprint + "] не найден в хранилище [addressbook]",
            ErrorOf([&] { CTarvexCryptoTool::GetCertificateBodyBySha1(user, thumbprint, false); }));

  // Encryption by thumbprint looks only in "addressbook".
  const std::string not_found = "Сертификат для шифрования с отпечатком [" + thumbprint +
                                "] не найден в храниилище \"Другие пользователи\"";
  EXPECT_EQ(not_found,
            ErrorOf([&] { CTarvexCryptoTool::EncryptBySha1(user, kContent, thumbprint); }));
  AddToStore(location, kStoreAddressBook, {"signer"});
  EXPECT_EQ(Pki("signer.cer"),
            CTarvexCryptoTool::GetCertificateBodyBySha1(user, thumbprint, false));
  EXPECT_EQ(kContent, OpensslDecrypt(CTarvexCryptoTool::EncryptBySha1(user, kContent, thumbprint)));
  EXPECT_EQ(not_found,
            ErrorOf([&] { CTarvexCryptoTool::EncryptBySha1(!user, kContent, thumbprint); }));

  // Decryption needs the private key behind a certificate of "MY" there.
  const std::string encrypted = OpensslEncrypt(kContent);
  EXPECT_EQ(kContent, CTarvexCryptoTool::Decrypt(user, encrypted));
  EXPECT_NE("no error", ErrorOf([&] { CTarvexCryptoTool::Decrypt(!user, encrypted); }));
}

INSTANTIATE_TEST_SUITE_P(BothLocations, CryptoToolLocationTest, testing::Values(kMachine, kUser),
                         [](const auto& param_info) {
                           return param_info.param == kUser ? "User" : "Machine";
                         });

TEST_F(CryptoToolTest, EncryptsForACertificateGivenAsText) {
  const std::string der = Pki("signer.cer");
  const std::string pem = ReadBytes(Pem("signer"));
  // The PEM text between its marker lines.
  const size_t begin = pem.find('\n') + 1;
  const std::string base64 = pem.substr(begin, pem.find("-----END") - begin);
  for (const std::string& text : {der, pem, base64}) {
    EXPECT_EQ(kContent, OpensslDecrypt(CTarvexCryptoTool::EncryptByCertificate(kContent, text)));
  }
  EXPECT_NE("no error",
            ErrorOf([&] { CTarvexCryptoTool::EncryptByCertificate(kContent, "не сертификат"); }));
}

TEST_F(CryptoToolTest, CheckSignatureExFillsTheListWithTheSignerAndItsKey) {
  TrustChain(kUser);
  ImportKey("Иванов", "signer", kUser);
  const std::string thumbprint = ThumbprintOf("signer");
  const std::string signature = CTarvexCryptoTool::Sign(true, kContent, thumbprint);

  EXPECT_EQ("Передан пустой аргумент: pSignerList", ErrorOf([&] {
              CTarvexCryptoTool::CheckSignatureEx(true, kContent, true, false, nullptr, "мусор");
            }));

  CStrArray signers;
  signers.OwnsObjects = StrArrayOwnership::Destroy;
  signers.AddObject("прежний", new CTarvexKey());
  CTarvexCryptoTool::CheckSignatureEx(true, kContent, true, false, &signers, signature);
  ASSERT_EQ(2, signers.Count());
  EXPECT_EQ(thumbprint, signers.GetString(0));
  EXPECT_NE(nullptr,
            dynamic_cast<CKestrinCertificate*>(static_cast<CBaseClass*>(signers.GetObject(0))));
  EXPECT_EQ(thumbprint, signers.GetString(1));
  const auto* key = dynamic_cast<CTarvexKey*>(static_cast<CBaseClass*>(signers.GetObject(1)));
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(thumbprint, key->Sha1());
  EXPECT_EQ(Pki("signer.cer"), key->CertificateBody());
  EXPECT_EQ(5, key->SignRole);

  std::string changed = kContent;
  changed[0] ^= 1;
  try {
    CTarvexCryptoTool::CheckSignatureEx(true, changed, true, false, &signers, signature);
    ADD_FAILURE() << "a changed content verified";
  } catch (const CCryptoAPI20Exception& error) {
    EXPECT_EQ(CheckResult::kNotVerified, error.Code());
  }
  EXPECT_EQ(0, signers.Count());
  // The chain is looked for in the stores of the location asked for.
  EXPECT_NE("no error", ErrorOf([&] {
              CTarvexCryptoTool::CheckSignatureEx(false, kContent, false, false, &signers,
                                                  signature);
            }));
}

// Every download goes to a proxy where nothing listens.
class CryptoToolOfflineTest : public CryptoToolTest {
 protected:
  void SetUp() override {
    CryptoToolTest::SetUp();
    ::setenv("http_proxy", "http://127.0.0.1:1", 1);
    ::unsetenv("no_proxy");
    ::unsetenv("NO_PROXY");
    TrustChain(kUser);
    signers_.OwnsObjects = StrArrayOwnership::Destroy;
  }
  void TearDown() override { ::unsetenv("http_proxy"); }

  CStrArray signers_;
};

TEST_F(CryptoToolOfflineTest, CheckSignatureExTestsRevocationOnlyWhenAsked) {
  const std::string revoked = OpensslSign("revoked", kContent, "");
  CTarvexCryptoTool::CheckSignatureEx(true, kContent, false, false, &signers_, revoked);
  EXPECT_EQ(2, signers_.Count());
  const std::string error = ErrorOf([&] {
    CTarvexCryptoTool::CheckSignatureEx(true, kContent, true, false, &signers_, revoked);
  });
  EXPECT_NE(std::string::npos, error.find("сертификат был отозван")) << error;
}

TEST_F(CryptoToolOfflineTest, CheckSignatureExDownloadsOnlyWhenAsked) {
  const std::string signature = OpensslSign("signer", kContent, "");
  for (bool download : {false, true}) {
    SCOPED_TRACE(download);
    DebugCapture debug;
    // The stores hold the whole chain: a failed download fails nothing.
    EXPECT_EQ("no error", ErrorOf([&] {
                CTarvexCryptoTool::CheckSignatureEx(true, kContent, true, download, &signers_,
                                                    signature);
              }));
    bool fetched = false;
    for (const std::string& line : debug.Lines()) {
      if (line.find("http://127.0.0.1:18080/intermediate.crl") != std::string::npos) fetched = true;
    }
    EXPECT_EQ(download, fetched);
  }
}

TEST_F(CryptoToolOfflineTest, CheckSignatureMakesTheWholeCheck) {
  EXPECT_TRUE(
      CTarvexCryptoTool::CheckSignature(true, kContent, OpensslSign("signer", kContent, "")));
  const std::string error = ErrorOf([&] {
    CTarvexCryptoTool::CheckSignature(true, kContent, OpensslSign("revoked", kContent, ""));
  });
  EXPECT_NE(std::string::npos, error.find("сертификат был отозван")) << error;
}

TEST_F(CryptoToolTest, GetSignerInfoReadsTheSignersCertificate) {
  CKestrinCertificate expected;
  expected.LoadFromText(Pki("signer.cer"));
  const std::string thumbprint = OpensslSha1(PkiPath("signer.cer"));
  // Ours, and openssl's with the chain, whose certificates come in the
  // order of their encoding: the CA certificates first.
  for (const std::string& signature :
       {OpensslSign("signer", kContent, ""),
        OpensslSign("signer", kContent, "-certfile " + Quoted(File("chain.pem")))}) {
    const TarvexSignerInfo info = CTarvexCryptoTool::GetSignerInfo(signature);
    EXPECT_EQ(thumbprint, info.Sha1);
    EXPECT_EQ("Иванов Иван Иванович", info.SubjectCN);
    EXPECT_EQ(Pki("signer.cer"), info.CertificateBody);
    EXPECT_EQ(expected.Parts().GetSubjectName(), info.Subject);
    EXPECT_EQ(expected.Parts().GetIssuerName(), info.Issuer);
    EXPECT_NE(info.Subject, info.Issuer);
  }
  ImportKey("Иванов", "signer", kUser);
  EXPECT_EQ(
      thumbprint,
      CTarvexCryptoTool::GetSignerInfo(CTarvexCryptoTool::Sign(true, kContent, thumbprint)).Sha1);
}

TEST_F(CryptoToolTest, GetSignerInfoWantsTheSignersOwnCertificate) {
  // Nothing at all, and only the chain without the signer's certificate.
  for (const std::string& flags :
       {std::string("-nocerts"), "-nocerts -certfile " + Quoted(File("chain.pem"))}) {
    SCOPED_TRACE(flags);
    const std::string signature = OpensslSign("signer", kContent, flags);
    EXPECT_EQ("Подпись не содержит сертификата подписанта",
              ErrorOf([&] { CTarvexCryptoTool::GetSignerInfo(signature); }));
  }
  const std::string error = ErrorOf([] { CTarvexCryptoTool::GetSignerInfo("не подпись"); });
  EXPECT_EQ(0u, error.find("Не удалось извлечь подписанта из подписи. Неверный формат подписи: "))
      << error;
}

TEST_F(CryptoToolTest, CryptographyIsOkWhileTheProviderIsInstalled) {
  EXPECT_TRUE(CTarvexCryptoTool::IsCryptographyOk());
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  EXPECT_FALSE(CTarvexCryptoTool::IsCryptographyOk());
  ::unsetenv("TARVEX_GOST_ABSENT");
}

}  // namespace
