#include <gtest/gtest.h>

#include <random>
#include <string>

#include "lib/crypto/cryptoapi20_utils.h"
#include "tests/lib/crypto/cryptoapi20_test_support.h"
#include "tests/support/bounded_child.h"
#include "tests/support/crypt_roots.h"

namespace {

constexpr int kUser = 2, kMy = 1;
const std::string kContainer = "\\\\.\\HDIMAGE\\Иванов";

// Bytes of any value, the same on every run.
std::string Content(size_t size) {
  std::mt19937 random(static_cast<unsigned>(size));
  std::string content(size, '\0');
  for (char& c : content) c = static_cast<char>(random());
  return content;
}

class EncryptionTest : public testing::Test {
 protected:
  void SetUp() override {
    // The signer's certificate in "MY", bound to the container of its key.
    PutKeyInContainer(kContainer, "signer");
    recipient_ = CCryptoAPI20Utils::ImportCertificate(Pki("signer.cer"));
    CCryptoAPI20Utils::AddCertificateToStore(prov_.Get(), kUser, kMy, recipient_, kContainer);
    for (const char* name : {"signer", "signer2"}) {
      ASSERT_EQ(0, RunCommand("openssl x509 -inform DER -in " +
                              Quoted(PkiPath(std::string(name) + ".cer")) + " -out " +
                              Quoted(File(std::string(name) + ".pem")))
                       .status);
    }
  }
  void TearDown() override { CertFreeCertificateContext(recipient_); }

  std::string File(const std::string& name) const { return roots_.Dir().File(name); }

  // Our decryption with the personal store, opened as the key tool opens it.
  static std::string Decrypt(const std::string& encrypted) {
    HCERTSTORE my = CCryptoAPI20Utils::OpenSystemStore(nullptr, kUser, kMy);
    std::string plain;
    const std::string error =
        ErrorOf([&] { plain = CCryptoAPI20Utils::DecryptWithStore(my, encrypted); });
    CertCloseStore(my, 0);
    EXPECT_EQ("no error", error);
    return plain;
  }

  // openssl's encryption of the content for a recipient of the test PKI.
  // With "-stream" openssl writes indefinite lengths, as other GOST
  // implementations do by default.
  std::string OpensslEncrypt(const std::string& content, const std::string& recipient,
                             const std::string& flags = "-engine gost -gost89") const {
    WriteBytes(File("plain"), content);
    EXPECT_EQ(0,
              RunCommand("openssl cms -encrypt " + flags + " -binary -in " + Quoted(File("plain")) +
                         " -outform DER -out " + Quoted(File("openssl.p7m")) + " " +
                         Quoted(File(recipient + ".pem")) + " 2>/dev/null")
                  .status);
    return ReadBytes(File("openssl.p7m"));
  }

  // openssl's decryption of our message with the signer's key.
  std::string OpensslDecrypt(const std::string& encrypted) const {
    WriteBytes(File("ours.p7m"), encrypted);
    EXPECT_EQ(0, RunCommand("openssl cms -decrypt -engine gost -binary -inform DER -in " +
                            Quoted(File("ours.p7m")) + " -recip " + Quoted(File("signer.pem")) +
                            " -inkey " + Quoted(PkiPath("signer.key")) + " -out " +
                            Quoted(File("decrypted")) + " 2>/dev/null")
                     .status);
    return ReadBytes(File("decrypted"));
  }

  CryptRoots roots_;
  VerifyContext prov_;
  PCCERT_CONTEXT recipient_ = nullptr;
};

TEST_F(EncryptionTest, OpensslAndWeReadEachOthersMessages) {
  for (size_t size : {size_t{1}, size_t{1024}, size_t{5} << 20}) {
    SCOPED_TRACE(size);
    const std::string content = Content(size);
    const std::string ours = CCryptoAPI20Utils::EncryptForRecipient(recipient_, content);
    EXPECT_EQ(content, OpensslDecrypt(ours));
    EXPECT_EQ(content, Decrypt(ours));
    EXPECT_EQ(content, Decrypt(OpensslEncrypt(content, "signer")));
    EXPECT_EQ(content, Decrypt(OpensslEncrypt(content, "signer", "-engine gost -gost89 -stream")));
  }
}

TEST_F(EncryptionTest, OurMessageIsEnvelopedDataForOneRecipient) {
  WriteBytes(File("ours.p7m"), CCryptoAPI20Utils::EncryptForRecipient(recipient_, "x"));
  const std::string printed =
      RunCommand("openssl cms -cmsout -print -inform DER -in " + Quoted(File("ours.p7m"))).output;
  for (const char* expected : {
           "contentType: pkcs7-envelopedData",
           "version: 0",
           "issuerAndSerialNumber",
           "serialNumber: 9970688932488410113",  // 0x8A5F00C1D2E3F401
           "contentType: pkcs7-data",
           "algorithm: GOST 28147-89 (1.2.643.2.2.21)",
           // The content cipher's parameters in the set older peers read.
           "id-Gost28147-89-CryptoPro-A-ParamSet",
       }) {
    EXPECT_NE(std::string::npos, printed.find(expected)) << expected << "\n" << printed;
  }
  EXPECT_EQ(1u, [&] {
    size_t count = 0;
    for (size_t at = printed.find("d.ktri:"); at != std::string::npos;
         at = printed.find("d.ktri:", at + 1)) {
      ++count;
    }
    return count;
  }());
}

TEST_F(EncryptionTest, ARecipientByKeyAgreementIsNamedAsUnsupported) {
  // openssl names an EC recipient by key agreement; its certificate is ours.
  ASSERT_EQ(0, RunCommand("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                          "-nodes -subj /CN=EC -days 1 -keyout " +
                          Quoted(File("ec.key")) + " -out " + Quoted(File("ec.pem")) +
                          " 2>/dev/null && openssl x509 -in " + Quoted(File("ec.pem")) +
                          " -outform DER -out " + Quoted(File("ec.cer")))
                   .status);
  const std::string encrypted = OpensslEncrypt("secret", "ec", "-aes128");
  ASSERT_NE(std::string::npos,
            RunCommand("openssl cms -cmsout -print -inform DER -in " + Quoted(File("openssl.p7m")))
                .output.find("d.kari:"));
  PCCERT_CONTEXT ec = CCryptoAPI20Utils::ImportCertificate(ReadBytes(File("ec.cer")));
  CCryptoAPI20Utils::AddCertificateToStore(prov_.Get(), kUser, kMy, ec, "");
  CertFreeCertificateContext(ec);
  HCERTSTORE my = CCryptoAPI20Utils::OpenSystemStore(nullptr, kUser, kMy);
  EXPECT_EQ(
      "Ошибка при расшифровании (1): 0xA0091001 (-1610018815): Получатель сообщения указан через "
      "согласование ключей (key agreement), а расшифрование для такого получателя не "
      "поддерживается",
      ErrorOf([&] { CCryptoAPI20Utils::DecryptWithStore(my, encrypted); }));
  CertCloseStore(my, 0);
}

TEST_F(EncryptionTest, AMessageForSomeoneElseIsNotDecrypted) {
  const std::string encrypted = OpensslEncrypt("secret", "signer2");
  HCERTSTORE my = CCryptoAPI20Utils::OpenSystemStore(nullptr, kUser, kMy);
  EXPECT_EQ(
      "Ошибка при расшифровании (1): 0x8009200C (-2146885620): Не удается найти сертификат и "
      "закрытый ключ для расшифровки",
      ErrorOf([&] { CCryptoAPI20Utils::DecryptWithStore(my, encrypted); }));
  EXPECT_EQ(
      "Ошибка при расшифровании (1): 0x8009310B (-2146881269): ASN1: обнаружено неверное "
      "значение тега",
      ErrorOf([&] { CCryptoAPI20Utils::DecryptWithStore(my, "not a message"); }));
  CertCloseStore(my, 0);
  EXPECT_EQ("Ошибка при шифровании (1): 0x00000057 (87): Параметр задан неверно",
            ErrorOf([] { CCryptoAPI20Utils::EncryptForRecipient(nullptr, "secret"); }));
}

TEST_F(EncryptionTest, WhatNoMessageHoldsIsRefusedBeforeAnythingIsMadeForIt) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer's allocator ends the process where an allocation would fail";
#endif
  const std::string beyond(kCryptMaxMessageSize + 1, '\0');
  const std::string refused =
      " (1): 0xA0091002 (-1610018814): Криптографическое сообщение и вкладываемое в него "
      "содержимое не могут быть длиннее 2146435072 байт (2 ГБ без 1 МБ)";
  // Nothing of the content's size is allocated before the refusal.
  const std::string answer = InBoundedChild(
      64 << 20,
      [&] {
        HCERTSTORE my = CCryptoAPI20Utils::OpenSystemStore(nullptr, kUser, kMy);
        const std::string decrypting =
            ErrorOf([&] { CCryptoAPI20Utils::DecryptWithStore(my, beyond); });
        CertCloseStore(my, 0);
        return ErrorOf([&] { CCryptoAPI20Utils::EncryptForRecipient(recipient_, beyond); }) + "\n" +
               decrypting;
      },
      File("answer"));
  EXPECT_EQ("Ошибка при шифровании" + refused + "\nОшибка при расшифровании" + refused, answer);
}

}  // namespace
