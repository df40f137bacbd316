#include "lib/crypto/crypt_tool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>

#include "lib/crypto/crypt_object.h"
#include "lib/crypto/crypto_exception.h"
#include "lib/crypto/crypto_provider.h"
#include "lib/crypto/crypto_signature.h"
#include "platform/kernel/error_codes.h"
#include "tests/lib/crypto/signature_test_support.h"
#include "tests/support/error_of.h"

namespace {

const std::string kContent = std::string("Заявление\0\x98\xFF\r\n", 14);

class CryptToolTest : public SignatureTest {
 protected:
  void SetUp() override {
    SignatureTest::SetUp();
    ImportKey("\\\\.\\HDIMAGE\\Иванов", "signer", kUser);
    PCCERT_CONTEXT context = CCryptoAPI20Utils::FindCertificateByThumbprint(
        nullptr, kUser, kStoreMy, ThumbprintOf("signer"));
    ASSERT_NE(nullptr, context);
    certificate_ = std::make_unique<CCryptCertificate>(context);
    CertFreeCertificateContext(context);
  }

  // Our own verdict, without the chain.
  static void Verify(const std::string& content, const std::string& signature) {
    CCryptoProvider provider;
    provider.OpenVerifyContext(kGostProviderType, false);
    CCryptoSignatureConfig config(&provider, kUser, 0, kIncludeSigningCert);
    CCryptoSignature verifier;
    ASSERT_TRUE(verifier.Open(&config));
    verifier.Verify(content, signature, nullptr, 0);
  }

  std::unique_ptr<CCryptCertificate> certificate_;
};

TEST_F(CryptToolTest, DetachedSignatureHasTheFormatAndVerifiesBothWays) {
  // Three hours east of UTC: the signing time must still be UTC.
  ::setenv("TZ", "MSK-3", 1);
  ::tzset();
  const long long before = std::time(nullptr);
  const std::string signature = CCryptTool::SignMessage(certificate_.get(), kContent, 0);
  const long long signed_at = SigningTimeOf(roots_.Dir(), signature);
  ::unsetenv("TZ");
  ::tzset();
  EXPECT_LE(before - 1, signed_at);
  EXPECT_GE(std::time(nullptr) + 1, signed_at);

  ExpectSignatureFormat(roots_.Dir(), signature, kContent, "signer");
  EXPECT_EQ(0, OpensslVerify(signature, kContent));
  Verify(kContent, signature);

  // One changed byte of the content, or of the signature value at its end.
  std::string content = kContent;
  content[5] ^= 0x01;
  std::string altered = signature;
  altered.back() ^= 0x01;
  for (const auto& [checked, checked_signature] :
       {std::pair{content, signature}, std::pair{kContent, altered}}) {
    EXPECT_NE(0, OpensslVerify(checked_signature, checked));
    try {
      Verify(checked, checked_signature);
      ADD_FAILURE() << "verified";
    } catch (const CCryptoAPI20Exception& error) {
      EXPECT_EQ(CheckResult::kNotVerified, error.Code());
      EXPECT_EQ(0u, error.Message().find("Ошибка при проверке подписи [0x8009")) << error.Message();
    }
  }
}

TEST_F(CryptToolTest, ModeOneKeepsTheContentEveryOtherModeLeavesItOut) {
  const std::string attached = CCryptTool::SignMessage(certificate_.get(), kContent, 1);
  WriteBytes(File("attached.p7s"), attached);
  ASSERT_EQ(0, RunCommand("openssl cms -verify -engine gost -binary -inform DER -in " +
                          Quoted(File("attached.p7s")) + " -CAfile " + Quoted(File("chain.pem")) +
                          " -purpose any -out " + Quoted(File("out")) + " 2>/dev/null")
                   .status);
  EXPECT_EQ(kContent, ReadBytes(File("out")));

  for (int mode : {0, 2, -1, 255}) {
    const std::string detached = CCryptTool::SignMessage(certificate_.get(), kContent, mode);
    EXPECT_EQ(std::string::npos, detached.find(kContent)) << mode;
    EXPECT_EQ(0, OpensslVerify(detached, kContent)) << mode;
  }
}

TEST_F(CryptToolTest, SignaturesAreBoundTo64KB) {
  const std::string large(70000, 'x');
  try {
    CCryptTool::SignMessage(certificate_.get(), large, 1);
    ADD_FAILURE() << "an attached signature over 64 KB was made";
  } catch (const EOSError& error) {
    EXPECT_EQ(ERROR_MORE_DATA, error.ErrorCode());
    EXPECT_EQ(0u, error.Message().find("System Error.  Code: 234.\r\n")) << error.Message();
  }
  // Detached, the same content signs well within the bound.
  EXPECT_EQ(0, OpensslVerify(CCryptTool::SignMessage(certificate_.get(), large, 0), large));
}

TEST_F(CryptToolTest, RefusesWhatCannotBeSigned) {
  EXPECT_EQ("Передан пустой аргумент: data",
            ErrorOf([&] { CCryptTool::SignMessage(certificate_.get(), "", 0); }));
  EXPECT_EQ("Передан пустой аргумент: certificate",
            ErrorOf([&] { CCryptTool::SignMessage(nullptr, kContent, 0); }));

  // A certificate that names no key container.
  PCCERT_CONTEXT bare = CertCreateCertificateContext(kMsgEncoding, Pki("signer.cer"));
  CCryptCertificate unbound(bare);
  CertFreeCertificateContext(bare);
  try {
    CCryptTool::SignMessage(&unbound, kContent, 0);
    ADD_FAILURE() << "signed without a key";
  } catch (const EOSError& error) {
    EXPECT_EQ(CRYPT_E_NO_KEY_PROPERTY, error.ErrorCode());
  }
}

TEST_F(CryptToolTest, ThreadsSignAtTheSameTime) {
  std::vector<std::string> contents, signatures(4);
  for (int i = 0; i < 4; ++i) contents.push_back(kContent + std::to_string(i));
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&, i] {
      try {
        for (int round = 0; round < 5; ++round) {
          signatures[i] = CCryptTool::SignMessage(certificate_.get(), contents[i], 0);
        }
      } catch (const Exception& error) {
        signatures[i] = error.Message();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < 4; ++i) Verify(contents[i], signatures[i]);
}

}  // namespace
