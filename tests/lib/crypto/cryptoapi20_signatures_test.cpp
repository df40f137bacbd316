#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/str_array.h"
#include "platform/crypt/crypt_msg.h"
#include "platform/kernel/last_error.h"
#include "tests/lib/crypto/cryptoapi20_test_support.h"
#include "tests/support/crypt_roots.h"

namespace {

const std::string kContent = std::string("signed\0\x98 content", 16);

class SignaturesTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(File("content"), kContent);
    for (const char* name : {"signer", "intermediate"}) {
      ASSERT_EQ(0, RunCommand("openssl x509 -inform DER -in " +
                              Quoted(PkiPath(std::string(name) + ".cer")) + " -out " +
                              Quoted(File(std::string(name) + ".pem")))
                       .status);
    }
  }

  std::string File(const std::string& name) const { return roots_.Dir().File(name); }

  // A detached openssl signature of the content by the signer.
  std::string OpensslSignature(const std::string& options) const {
    const std::string out = File("signature.p7s");
    EXPECT_EQ(0, RunCommand("openssl cms -sign -engine gost -binary -md md_gost94 -in " +
                            Quoted(File("content")) + " -signer " + Quoted(File("signer.pem")) +
                            " -inkey " + Quoted(PkiPath("signer.key")) + " " + options +
                            " -outform DER -out " + Quoted(out) + " 2>/dev/null")
                     .status);
    return ReadBytes(out);
  }

  CryptRoots roots_;
};

TEST_F(SignaturesTest, TheSignerComesOutOfTheSignatureInMemory) {
  // Nothing goes through the temporary folder.
  const std::string tmp = File("tmp");
  std::filesystem::create_directory(tmp);
  ::setenv("TMP", tmp.c_str(), 1);
  PCCERT_CONTEXT signer = CCryptoAPI20Utils::GetSignerFromSignature(OpensslSignature(""));
  ASSERT_NE(nullptr, signer);
  EXPECT_EQ(Pki("signer.cer"), signer->Encoded());
  CertFreeCertificateContext(signer);

  EXPECT_EQ(nullptr, CCryptoAPI20Utils::GetSignerFromSignature(OpensslSignature("-nocerts")));
  EXPECT_EQ(
      "Не удалось извлечь подписанта из подписи. Неверный формат подписи: 0x8009310B "
      "(-2146881269): ASN1: обнаружено неверное значение тега",
      ErrorOf([] { CCryptoAPI20Utils::GetSignerFromSignature("not a signature"); }));
  EXPECT_TRUE(std::filesystem::is_empty(tmp));
  ::unsetenv("TMP");
}

TEST_F(SignaturesTest, TheCallbackHandsTheSignerToTheListAndTheVerification) {
  CStrArray list;
  CryptVerifyMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  para.GetSignerCertificate = [&list](uint32_t encoding, const CertInfo& id, HCERTSTORE store) {
    return CCryptoAPI20Utils::GetSignerCertificate(&list, encoding, id, store);
  };
  // The message carries the intermediate before the signer: the match is by
  // issuer and serial number, not by position.
  PCCERT_CONTEXT verified = nullptr;
  ASSERT_TRUE(CryptVerifyDetachedMessageSignature(
      para, 0, OpensslSignature("-certfile " + Quoted(File("intermediate.pem"))), kContent,
      &verified))
      << GetLastError();
  ASSERT_EQ(1, list.Count());
  EXPECT_EQ("", list.GetString(0));
  auto* listed = static_cast<PCCERT_CONTEXT>(list.GetObject(0));
  EXPECT_EQ(Pki("signer.cer"), listed->Encoded());
  EXPECT_EQ(listed, verified);  // the same context, one reference each
  CertFreeCertificateContext(verified);
  CertFreeCertificateContext(listed);

  // A signature without its signer's certificate: last error 0.
  list.Clear();
  SetLastError(5);
  EXPECT_FALSE(CryptVerifyDetachedMessageSignature(para, 0, OpensslSignature("-nocerts"), kContent,
                                                   nullptr));
  EXPECT_EQ(0u, GetLastError());
  EXPECT_EQ(0, list.Count());
}

}  // namespace
