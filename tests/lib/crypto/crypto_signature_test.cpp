#include "lib/crypto/crypto_signature.h"

#include <gtest/gtest.h>

#include <memory>

#include "lib/crypto/crypto_exception.h"
#include "lib/crypto/crypto_provider.h"
#include "lib/crypto/kestrin_certificate.h"
#include "tests/lib/crypto/signature_test_support.h"
#include "tests/support/error_of.h"

namespace {

// The outcome as the number the test helpers keep beside their sentinels.
constexpr int Num(CheckResult result) { return static_cast<int>(result); }

const std::string kContent = std::string("Устав\0\x98\xFF", 8);

struct Failure {
  int code = 0;  // 0: not a CCryptoAPI20Exception
  std::string message;
};

template <typename Call>
Failure FailureOf(Call call) {
  try {
    call();
  } catch (const CCryptoAPI20Exception& error) {
    return {Num(error.Code()), error.Message()};
  } catch (const Exception& error) {
    return {0, error.Message()};
  }
  return {-1, "no error"};
}

class CryptoSignatureTest : public SignatureTest {
 protected:
  void SetUp() override {
    SignatureTest::SetUp();
    ImportKey("Иванов", "signer", kUser);
    provider_.OpenVerifyContext(kGostProviderType, false);
  }

  // A signature object opened with a config of its own.
  struct Opened {
    Opened(CCryptoProvider* provider, uint8_t options, uint8_t include = kIncludeSigningCert,
           uint8_t location = kUser)
        : config(provider, location, options, include) {
      EXPECT_TRUE(signature.Open(&config));
    }
    CCryptoSignatureConfig config;
    CCryptoSignature signature;
  };

  std::string SignAs(const std::string& signer, const std::string& content) {
    Opened opened(&provider_, 0);
    EXPECT_TRUE(opened.signature.Sign(ThumbprintOf(signer), content));
    return opened.signature.GetSignature();
  }

  CCryptoProvider provider_;
};

TEST_F(CryptoSignatureTest, OpensOnlyWithAConfigThatHasAProvider) {
  CCryptoSignature signature;
  EXPECT_FALSE(signature.IsOpened());
  EXPECT_EQ("Передан пустой аргумент: CryptoSignatureConfig",
            ErrorOf([&] { signature.Open(static_cast<CCryptoSignatureConfig*>(nullptr)); }));
  CCryptoSignatureConfig without_provider(nullptr, kUser, 0, kIncludeSigningCert);
  EXPECT_EQ("Не открыт криптопровайдер объекта CCryptoSignatureConfig",
            ErrorOf([&] { signature.Open(&without_provider); }));
  EXPECT_FALSE(signature.IsOpened());
  // Closed, it neither signs nor verifies.
  EXPECT_EQ("Документ не открыт",
            ErrorOf([&] { signature.Sign(ThumbprintOf("signer"), kContent); }));
  EXPECT_EQ("Документ не открыт", ErrorOf([&] { signature.Verify(kContent, "x", nullptr, 0); }));

  CCryptoSignatureConfig config(&provider_, kUser, 0, kIncludeSigningCert);
  ASSERT_TRUE(signature.Open(&config));
  EXPECT_TRUE(signature.IsOpened());
  ASSERT_TRUE(signature.Sign(ThumbprintOf("signer"), kContent));
  EXPECT_TRUE(signature.Close());
  EXPECT_FALSE(signature.IsOpened());
  EXPECT_TRUE(signature.GetSignature().empty());
  EXPECT_TRUE(signature.SignedText.empty());
  EXPECT_TRUE(signature.Close());
}

TEST_F(CryptoSignatureTest, SignMakesTheFormatThatOpensslVerifies) {
  Opened opened(&provider_, 0);
  ASSERT_TRUE(opened.signature.Sign(ThumbprintOf("signer"), kContent));
  const std::string signature = opened.signature.GetSignature();
  EXPECT_EQ(kContent, opened.signature.SignedText);
  ExpectSignatureFormat(roots_.Dir(), signature, kContent, "signer");
  EXPECT_EQ(0, OpensslVerify(signature, kContent));

  // Without the chain option the check looks at no certificate.
  EXPECT_TRUE(opened.signature.Verify(kContent, signature, nullptr, 0));
  EXPECT_EQ(0, opened.signature.Signers.Count());
}

TEST_F(CryptoSignatureTest, SignRefusesAndKeepsTheLastSignature) {
  const std::string signer = ThumbprintOf("signer");
  std::string lower = signer;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string unknown(40, '0');
  struct Case {
    std::string sha1;
    std::string text;
    uint8_t include;
    uint8_t location;
    std::string message;
  };
  const Case cases[] = {
      // Lengths are checked before any store: location 7 would fail there.
      {signer.substr(1), kContent, 2, 7,
       "Длина переменной [sha1 = \"" + signer.substr(1) + "\"] должна быть равной [40]"},
      {signer + "0", kContent, 2, 7,
       "Длина переменной [sha1 = \"" + signer + "0\"] должна быть равной [40]"},
      {signer, "", 2, 7, "Передан пустой аргумент: signedText"},
      {unknown, kContent, 2, kUser, "Личный сертификат с отпечатком [" + unknown + "] не найден"},
      {lower, kContent, 2, kUser, "Личный сертификат с отпечатком [" + lower + "] не найден"},
      {signer, kContent, 2, kMachine, "Личный сертификат с отпечатком [" + signer + "] не найден"},
      {signer, kContent, 0, kUser, "Неизвестный набор сертификатов для включения"},
      {signer, kContent, 1, kUser, "Не реализованный алгоритм включения сертификатов: [1]"},
      {signer, kContent, 3, kUser, "Не реализованный алгоритм включения сертификатов: [3]"},
  };
  for (const Case& c : cases) {
    Opened opened(&provider_, 0, c.include, c.location);
    opened.signature.SetSignature("previous");
    EXPECT_EQ(c.message, ErrorOf([&] { opened.signature.Sign(c.sha1, c.text); }));
    EXPECT_EQ("previous", opened.signature.GetSignature());
  }
}

TEST_F(CryptoSignatureTest, VerifyNamesWhatFailed) {
  Opened opened(&provider_, 0);
  const std::string signature = SignAs("signer", kContent);
  const std::string no_certificate = OpensslSign("signer", kContent, "-nocerts");
  const struct {
    std::string content;
    std::string signature;
    int code;
    std::string message;
  } cases[] = {
      {"", signature, Num(CheckResult::kChainError), "Передан пустой аргумент: sSignedData"},
      {kContent, "", Num(CheckResult::kChainError), "Передан пустой аргумент: sSignatureContent"},
      {kContent, no_certificate, Num(CheckResult::kNoSignerCertificate),
       "Ошибка при проверке подписи: невозможно выделить сертификат из подписи"},
      {kContent, "not a signature", Num(CheckResult::kNotVerified),
       "Ошибка при проверке подписи [0x8009310B"},
      {kContent + "!", signature, Num(CheckResult::kNotVerified),
       "Ошибка при проверке подписи [0x80091007"},
  };
  for (const auto& c : cases) {
    const Failure failure =
        FailureOf([&] { opened.signature.Verify(c.content, c.signature, nullptr, 0); });
    EXPECT_EQ(c.code, failure.code) << c.message;
    EXPECT_EQ(0u, failure.message.find(c.message)) << failure.message;
  }
}

TEST_F(CryptoSignatureTest, OpensslSignaturesVerify) {
  Opened opened(&provider_, 0);
  for (const char* flags : {"-nosmimecap", "-noattr", ""}) {
    const std::string signature = OpensslSign("signer", kContent, flags);
    EXPECT_TRUE(opened.signature.Verify(kContent, signature, nullptr, 0)) << flags;
    EXPECT_EQ(
        Num(CheckResult::kNotVerified),
        FailureOf([&] { opened.signature.Verify(kContent.substr(1), signature, nullptr, 0); }).code)
        << flags;
  }
}

TEST_F(CryptoSignatureTest, StrictVerificationChecksTheSignersChain) {
  TrustChain(kUser);
  ImportKey("Кузнецов", "revoked", kUser);
  const std::string good = SignAs("signer", kContent);
  const std::string revoked = SignAs("revoked", kContent);
  const uint8_t chain = kSignatureCheckChain;
  const uint8_t revocation = kSignatureCheckChain | kSignatureCheckRevocation;

  Opened checked(&provider_, revocation);
  EXPECT_TRUE(checked.signature.VerifyStrict(kContent, good, 0));
  ASSERT_EQ(1, checked.signature.Signers.Count());
  EXPECT_EQ(ThumbprintOf("signer"), checked.signature.Signers.GetString(0));
  auto* signer = static_cast<CKestrinCertificate*>(checked.signature.Signers.GetObject(0));
  EXPECT_EQ(Pki("signer.cer"), signer->Context()->Encoded());
  EXPECT_EQ(&provider_, signer->GetUserData());

  const Failure failure = FailureOf([&] { checked.signature.VerifyStrict(kContent, revoked, 0); });
  EXPECT_EQ(Num(CheckResult::kNotVerified), failure.code);
  EXPECT_EQ(0u, failure.message.find("На момент подписания [")) << failure.message;
  EXPECT_NE(std::string::npos, failure.message.find("сертификат был отозван")) << failure.message;
  // Every other failure becomes code kNotVerified as well, with its own text.
  EXPECT_EQ(Num(CheckResult::kNotVerified),
            FailureOf([&] { checked.signature.VerifyStrict("", good, 0); }).code);
  EXPECT_EQ(Num(CheckResult::kNotVerified),
            FailureOf([&] { checked.signature.VerifyStrict(kContent, "x", 0); }).code);

  // Without the revocation option only the chain counts.
  Opened chain_only(&provider_, chain);
  EXPECT_TRUE(chain_only.signature.VerifyStrict(kContent, revoked, 0));

  // A negative date is refused as it is, before any check.
  const Failure negative = FailureOf([&] { checked.signature.VerifyStrict(kContent, good, -1); });
  EXPECT_EQ(0, negative.code);
  EXPECT_EQ(0u, negative.message.find("Неверное значение аргумента [")) << negative.message;
}

TEST_F(CryptoSignatureTest, AStreamedSignatureOfIndefiniteLengthsVerifiesWithItsChain) {
  TrustChain(kUser);
  const std::string streamed = OpensslSign("signer", kContent, "-stream");
  ASSERT_EQ(0x80, static_cast<unsigned char>(streamed[1]));  // the outer length is indefinite
  Opened checked(&provider_, kSignatureCheckChain);
  EXPECT_TRUE(checked.signature.VerifyStrict(kContent, streamed, 0));
  ASSERT_EQ(1, checked.signature.Signers.Count());
  EXPECT_EQ(ThumbprintOf("signer"), checked.signature.Signers.GetString(0));
  EXPECT_EQ(22, FailureOf([&] { checked.signature.VerifyStrict("other", streamed, 0); }).code);
}

TEST_F(CryptoSignatureTest, StrictVerificationFailsOnAnUnknownIssuer) {
  TrustChain(kUser, false);
  Opened checked(&provider_, kSignatureCheckChain);
  const Failure failure =
      FailureOf([&] { checked.signature.VerifyStrict(kContent, SignAs("signer", kContent), 0); });
  EXPECT_EQ(Num(CheckResult::kNotVerified), failure.code);
  EXPECT_EQ(
      "Не найден сертификат УЦ [Тестовый УЦ]. URL для скачивания: "
      "[http://127.0.0.1:18080/intermediate.cer]",
      failure.message);
}

TEST_F(CryptoSignatureTest, AForeignSignatureIsCheckedByItsSignerNotByTheFirstCertificate) {
  TrustChain(kUser);
  // openssl orders the message's certificates by their encoding: here the
  // CA certificates come before the signer's.
  const std::string signature =
      OpensslSign("revoked", kContent, "-certfile " + Quoted(File("chain.pem")));
  PCCERT_CONTEXT first = CCryptoAPI20Utils::GetSignerFromSignature(signature);
  ASSERT_NE(nullptr, first);
  EXPECT_NE(Pki("revoked.cer"), first->Encoded());
  CertFreeCertificateContext(first);

  Opened checked(&provider_, kSignatureCheckChain | kSignatureCheckRevocation);
  const Failure failure =
      FailureOf([&] { checked.signature.VerifyStrict(kContent, signature, 0); });
  EXPECT_EQ(Num(CheckResult::kNotVerified), failure.code);
  EXPECT_NE(std::string::npos, failure.message.find("сертификат был отозван")) << failure.message;

  const std::string good =
      OpensslSign("signer", kContent, "-certfile " + Quoted(File("chain.pem")));
  EXPECT_TRUE(checked.signature.VerifyStrict(kContent, good, 0));
  ASSERT_EQ(1, checked.signature.Signers.Count());
  EXPECT_EQ(ThumbprintOf("signer"), checked.signature.Signers.GetString(0));
}

}  // namespace
