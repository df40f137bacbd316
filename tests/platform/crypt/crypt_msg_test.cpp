#include "platform/crypt/crypt_msg.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/crypt/crypt_encode.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/file_bytes.h"
#include "tests/support/keys_tool.h"
#include "tests/support/openssl.h"
#include "tests/support/test_pki.h"
#include "tests/support/zero_pages.h"

namespace {

const std::string kContent = std::string("a few bytes\0\x98\xFF", 15);
const std::string kContainer = "\\\\.\\HDIMAGE\\Иванов";

class CryptMsgTest : public testing::Test {
 protected:
  void SetUp() override {
    // The key goes in as a user puts it: with the command.
    ASSERT_EQ(0, ImportKeyFiles(kContainer, PkiPath("signer.key"), PkiPath("signer.cer")));
    for (const std::string name : {"root", "intermediate", "signer", "signer2"}) {
      const std::string pem = PemOf(PkiPath(name + ".cer"));
      ASSERT_NE("", pem) << name;
      WriteBytes(File(name + ".pem"), pem);
    }
    // The root and the intermediate, trusted alike: the chain is what counts.
    WriteBytes(File("chain.pem"),
               ReadBytes(File("root.pem")) + ReadBytes(File("intermediate.pem")));
    WriteBytes(File("content"), kContent);
    my_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kMsgEncoding, nullptr,
                        CERT_SYSTEM_STORE_CURRENT_USER | CERT_STORE_MAXIMUM_ALLOWED_FLAG, u"MY");
    ASSERT_NE(nullptr, my_);
    signer_ = CertEnumCertificatesInStore(my_, nullptr);
    ASSERT_NE(nullptr, signer_);
  }
  void TearDown() override {
    CertFreeCertificateContext(signer_);
    if (my_ != nullptr) CertCloseStore(my_, 0);
  }

  std::string File(const std::string& name) const { return roots_.Dir().File(name); }

  // The signing-time attribute for 2026-03-01 09:00:00Z.
  static CryptAttribute SigningTime() {
    const uint64_t ticks = (1772355600ULL + 11644473600ULL) * 10000000ULL;
    const FILETIME time{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
    uint8_t buffer[32];
    uint32_t size = sizeof buffer;
    EXPECT_TRUE(CryptEncodeObject(kMsgEncoding, time, buffer, &size));
    return CryptAttribute{kOidPkcs9SigningTime,
                          {std::string(reinterpret_cast<char*>(buffer), size)}};
  }

  CryptSignMessagePara SignPara() const {
    CryptSignMessagePara para;
    para.MsgEncodingType = kMsgEncoding;
    para.SigningCert = signer_;
    para.HashAlgorithm.ObjId = kOidGostR3411_94;
    para.MsgCert = {signer_};
    para.AuthAttr = {SigningTime()};
    return para;
  }

  std::string Sign(bool detached, std::string_view content = kContent) const {
    uint32_t size = 0;
    EXPECT_TRUE(CryptSignMessage(SignPara(), detached, content, nullptr, &size));
    std::string signature(size, '\0');
    EXPECT_TRUE(CryptSignMessage(SignPara(), detached, content,
                                 reinterpret_cast<uint8_t*>(signature.data()), &size));
    signature.resize(size);
    return signature;
  }

  // openssl's verdict on a detached signature over `content`, chain included;
  // the signature stays in "verified.p7s".
  int OpensslVerify(const std::string& signature, const std::string& content) const {
    return ::OpensslVerify(roots_.Dir(), signature, content, File("chain.pem"));
  }

  // What signing with a fresh context of the signer, which reads the
  // container anew, leaves as the last error; 0 when it signs.
  uint32_t FreshSigningError() const {
    PCCERT_CONTEXT fresh = FreshSigner();
    if (fresh == nullptr) return static_cast<uint32_t>(-1);
    CryptSignMessagePara para = SignPara();
    para.SigningCert = fresh;
    uint32_t size = 0;
    const uint32_t error =
        CryptSignMessage(para, true, kContent, nullptr, &size) ? 0 : GetLastError();
    CertFreeCertificateContext(fresh);
    return error;
  }

  // The content openssl finds in an attached signature; empty when it
  // refuses the signature.
  std::string OpensslAttachedContent(const std::string& signature) const {
    WriteBytes(File("attached.p7s"), signature);
    const int status = RunCommand("openssl cms -verify -engine gost -binary -inform DER -in " +
                                  Quoted(File("attached.p7s")) + " -noverify -out " +
                                  Quoted(File("out")) + " 2>/dev/null")
                           .status;
    return status == 0 ? ReadBytes(File("out")) : std::string();
  }

  // A context of the signer's certificate bound to the same container, which
  // has not read its key yet.
  PCCERT_CONTEXT FreshSigner() const {
    CryptKeyProvInfo info;
    EXPECT_TRUE(CertGetCertificateContextProperty(signer_, CERT_KEY_PROV_INFO_PROP_ID, &info));
    PCCERT_CONTEXT fresh = CertCreateCertificateContext(kMsgEncoding, Pki("signer.cer"));
    EXPECT_TRUE(CertSetCertificateContextProperty(fresh, CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
    return fresh;
  }

  // The container's key file.
  std::string KeyFile() const {
    for (const auto& item : std::filesystem::recursive_directory_iterator(roots_.User())) {
      if (item.path().filename() == "private.pem") return item.path().string();
    }
    return {};
  }

  // Whether the DER-form file holds an element of indefinite length (BER).
  static bool Indefinite(const std::string& file) {
    const CommandResult parsed = RunCommand("openssl asn1parse -inform DER -in " + Quoted(file));
    EXPECT_EQ(0, parsed.status) << file;
    return parsed.output.find("l=inf") != std::string::npos;
  }

  CryptRoots roots_;
  HCERTSTORE my_ = nullptr;
  PCCERT_CONTEXT signer_ = nullptr;
};

TEST_F(CryptMsgTest, AnImportedKeySignsWhatOpensslVerifies) {
  const std::string signature = Sign(true);
  EXPECT_EQ(0, OpensslVerify(signature, kContent));
  std::string altered = kContent;
  altered[3] ^= 1;
  EXPECT_NE(0, OpensslVerify(signature, altered));

  // The signing time is the one given; the message carries only the signer.
  const std::string printed =
      RunCommand("openssl cms -cmsout -print -inform DER -in " + Quoted(File("verified.p7s")))
          .output;
  EXPECT_NE(std::string::npos, printed.find("Mar  1 09:00:00 2026 GMT")) << printed;
  EXPECT_NE(std::string::npos, printed.find("eContent: <ABSENT>")) << printed;
  EXPECT_FALSE(Indefinite(File("verified.p7s")));
  EXPECT_EQ(0, RunCommand("openssl pkcs7 -inform DER -in " + Quoted(File("verified.p7s")) +
                          " -print_certs | grep -c 'BEGIN CERTIFICATE' | grep -qx 1")
                   .status);
}

TEST_F(CryptMsgTest, AttachedSignatureCarriesTheContent) {
  EXPECT_EQ(kContent, OpensslAttachedContent(Sign(false)));
}

TEST_F(CryptMsgTest, ContentOfManyPiecesIsSignedAndCheckedWhole) {
  // More than three of the pieces in which content reaches OpenSSL, each
  // piece with bytes of its own.
  std::string content((size_t{3} << 20) + 5, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
  std::string altered = content;
  altered.back() ^= 1;

  const std::string signature = Sign(true, content);
  EXPECT_EQ(0, OpensslVerify(signature, content));
  CryptVerifyMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  EXPECT_TRUE(CryptVerifyDetachedMessageSignature(para, 0, signature, content, nullptr));
  EXPECT_FALSE(CryptVerifyDetachedMessageSignature(para, 0, signature, altered, nullptr));
  EXPECT_EQ(CRYPT_E_HASH_VALUE, GetLastError());

  EXPECT_EQ(content, OpensslAttachedContent(Sign(false, content)));
}

TEST_F(CryptMsgTest, MessagesAndWhatGoesIntoThemAreBoundedBeforeAnyWork) {
  const ZeroPages beyond(kCryptMaxMessageSize + 1);
  ASSERT_TRUE(beyond.Mapped());
  const std::string_view bytes = beyond.View();
  PCCERT_CONTEXT recipient = CertCreateCertificateContext(kMsgEncoding, Pki("signer2.cer"));
  CryptEncryptMessagePara encrypt;
  encrypt.MsgEncodingType = kMsgEncoding;
  encrypt.ContentEncryptionAlgorithm.ObjId = kOidGost28147_89;
  CryptDecryptMessagePara decrypt;
  decrypt.MsgAndCertEncodingType = kMsgEncoding;
  decrypt.CertStores = {my_};
  CryptVerifyMessagePara verify;
  verify.MsgAndCertEncodingType = kMsgEncoding;
  uint32_t size = 0;
  struct Case {
    const char* what;
    std::function<bool()> call;
  } cases[] = {
      {"an attached signature",
       [&] { return CryptSignMessage(SignPara(), false, bytes, nullptr, &size); }},
      {"an envelope",
       [&] { return CryptEncryptMessage(encrypt, {recipient}, bytes, nullptr, &size); }},
      {"a message to decrypt",
       [&] { return CryptDecryptMessage(decrypt, bytes, nullptr, &size, nullptr); }},
      {"a signature to check",
       [&] { return CryptVerifyDetachedMessageSignature(verify, 0, bytes, kContent, nullptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(c.call());
    EXPECT_EQ(TARVEX_E_MESSAGE_TOO_LARGE, GetLastError());
  }
  CertFreeCertificateContext(recipient);
  EXPECT_TRUE(CryptSignerDigestAlgorithms(bytes).empty());
  std::string certificate;
  EXPECT_FALSE(CryptVerifySignerAttributes(bytes, 0, &certificate));
  // One byte less is read: zero bytes are no message.
  EXPECT_FALSE(CryptVerifyDetachedMessageSignature(verify, 0, bytes.substr(1), kContent, nullptr));
  EXPECT_EQ(CRYPT_E_ASN1_BADTAG, GetLastError());
}

// Content above 2 GiB is hashed four times over, for a minute or more each
// time: the test runs when TARVEX_LONG_TESTS is set, never under the
// sanitizer.
TEST_F(CryptMsgTest, ContentAbove2GiBIsSignedAndCheckedWhole) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "hashing gigabytes takes many times longer under the sanitizer";
#endif
  if (std::getenv("TARVEX_LONG_TESTS") == nullptr) GTEST_SKIP() << "TARVEX_LONG_TESTS is not set";
  constexpr size_t kSize = (size_t{1} << 31) + 1;
  const std::pair<size_t, char> marks[] = {{0, 'a'}, {kSize / 2, 'b'}, {kSize - 1, 'z'}};
  const ZeroPages content(kSize);
  const ZeroPages altered(kSize);
  ASSERT_TRUE(content.Mapped() && altered.Mapped());
  // The same content for openssl, as a sparse file.
  const std::string file = File("big.content");
  const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
  ASSERT_LE(0, fd);
  ASSERT_EQ(0, ::ftruncate(fd, static_cast<off_t>(kSize)));
  for (const auto& [at, value] : marks) {
    ASSERT_EQ(1, ::pwrite(fd, &value, 1, static_cast<off_t>(at)));
    content.Data()[at] = value;
    altered.Data()[at] = value;
  }
  ::close(fd);
  altered.Data()[kSize - 1] = 'y';

  const std::string signature = Sign(true, content.View());
  WriteBytes(File("big.p7s"), signature);
  auto peer = std::async(std::launch::async, [&] {
    return RunCommand("openssl cms -verify -engine gost -binary -inform DER -in " +
                      Quoted(File("big.p7s")) + " -content " + Quoted(file) + " -CAfile " +
                      Quoted(File("chain.pem")) + " -purpose any -out /dev/null 2>/dev/null")
        .status;
  });
  auto peer_digest = std::async(std::launch::async, [&] {
    return RunCommand("openssl dgst -engine gost -md_gost94 -binary " + Quoted(file) +
                      " 2>/dev/null")
        .output;
  });
  auto digest = std::async(std::launch::async, [&] {
    std::string value;
    EXPECT_TRUE(CryptDigestContent(kOidGostR3411_94, content.View(), &value));
    return value;
  });
  CryptVerifyMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  EXPECT_FALSE(CryptVerifyDetachedMessageSignature(para, 0, signature, altered.View(), nullptr));
  EXPECT_EQ(CRYPT_E_HASH_VALUE, GetLastError());
  EXPECT_EQ(0, peer.get());
  const std::string expected = peer_digest.get();
  EXPECT_EQ(32u, expected.size());
  EXPECT_EQ(expected, digest.get());
}

TEST_F(CryptMsgTest, SigningRefusals) {
  uint8_t small[16];
  uint32_t size = sizeof small;
  EXPECT_FALSE(CryptSignMessage(SignPara(), true, kContent, small, &size));
  EXPECT_EQ(ERROR_MORE_DATA, GetLastError());
  EXPECT_GT(size, sizeof small);

  CryptSignMessagePara para = SignPara();
  para.HashAlgorithm.ObjId = "1.3.14.3.2.26";
  EXPECT_FALSE(CryptSignMessage(para, true, kContent, nullptr, &size));
  EXPECT_EQ(CRYPT_E_UNKNOWN_ALGO, GetLastError());

  PCCERT_CONTEXT unbound = CertCreateCertificateContext(kMsgEncoding, Pki("signer.cer"));
  para = SignPara();
  para.SigningCert = unbound;
  EXPECT_FALSE(CryptSignMessage(para, true, kContent, nullptr, &size));
  EXPECT_EQ(CRYPT_E_NO_KEY_PROPERTY, GetLastError());
  CertFreeCertificateContext(unbound);

  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  EXPECT_FALSE(CryptSignMessage(SignPara(), true, kContent, nullptr, &size));
  EXPECT_EQ(NTE_PROV_TYPE_NOT_DEF, GetLastError());
  ::unsetenv("TARVEX_GOST_ABSENT");
}

TEST_F(CryptMsgTest, VerifiesOpensslSignaturesAndTellsFailuresApart) {
  ASSERT_EQ(0, RunCommand("openssl cms -sign -engine gost -binary -md md_gost94 -in " +
                          Quoted(File("content")) + " -signer " + Quoted(File("signer.pem")) +
                          " -inkey " + Quoted(PkiPath("signer.key")) + " -outform DER -out " +
                          Quoted(File("openssl.p7s")) + " 2>/dev/null")
                   .status);
  const std::string signature = ReadBytes(File("openssl.p7s"));
  CryptVerifyMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  PCCERT_CONTEXT found = nullptr;
  ASSERT_TRUE(CryptVerifyDetachedMessageSignature(para, 0, signature, kContent, &found));
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(Pki("signer.cer"), found->Encoded());
  CertFreeCertificateContext(found);
  // Our own signature verifies here too.
  EXPECT_TRUE(CryptVerifyDetachedMessageSignature(para, 0, Sign(true), kContent, nullptr));

  std::string altered = kContent;
  altered[0] ^= 1;
  std::string broken = signature;
  broken[broken.size() - 5] ^= 1;  // inside the signature value, the message's last field
  struct Case {
    const char* what;
    std::string signature;
    std::string content;
    uint32_t index;
    uint32_t error;
  } cases[] = {
      {"other content", signature, altered, 0, CRYPT_E_HASH_VALUE},
      {"broken signature", broken, kContent, 0, NTE_BAD_SIGNATURE},
      {"no such signer", signature, kContent, 1, CRYPT_E_NO_SIGNER},
      {"not a message", "garbage bytes", kContent, 0, CRYPT_E_ASN1_BADTAG},
      {"a certificate", Pki("signer.cer"), kContent, 0, CRYPT_E_ASN1_BADTAG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(
        CryptVerifyDetachedMessageSignature(para, c.index, c.signature, c.content, nullptr));
    EXPECT_EQ(c.error, GetLastError());
  }

  // A callback that finds nothing leaves its own last error.
  bool asked = false;
  para.GetSignerCertificate = [&asked](uint32_t, const CertInfo& id, HCERTSTORE store) {
    asked = !id.Issuer.empty() && !id.SerialNumber.empty() && store != nullptr;
    SetLastError(0);
    return static_cast<PCCERT_CONTEXT>(nullptr);
  };
  EXPECT_FALSE(CryptVerifyDetachedMessageSignature(para, 0, signature, kContent, nullptr));
  EXPECT_TRUE(asked);
  EXPECT_EQ(0u, GetLastError());
}

TEST_F(CryptMsgTest, WhatIsFoundBeforehandDecidesAsTheVerificationItselfWould) {
  const std::string signature = Sign(true);
  const std::vector<std::string> algorithms = CryptSignerDigestAlgorithms(signature);
  ASSERT_EQ(std::vector<std::string>{kOidGostR3411_94}, algorithms);
  EXPECT_TRUE(CryptSignerDigestAlgorithms("garbage bytes").empty());
  std::string digest;
  ASSERT_TRUE(CryptDigestContent(kOidGostR3411_94, kContent, &digest));
  // The peer's digest of the same bytes.
  const CommandResult peer = RunCommand("openssl dgst -engine gost -md_gost94 -binary " +
                                        Quoted(File("content")) + " 2>/dev/null");
  EXPECT_EQ(peer.output, digest);
  std::string unknown;
  EXPECT_FALSE(CryptDigestContent("1.2.3.4", kContent, &unknown));

  std::string altered = kContent;
  altered[0] ^= 1;
  std::string altered_digest;
  ASSERT_TRUE(CryptDigestContent(kOidGostR3411_94, altered, &altered_digest));
  std::string broken = signature;
  broken[broken.size() - 5] ^= 1;
  std::string certificate;
  ASSERT_TRUE(CryptVerifySignerAttributes(signature, 0, &certificate));
  EXPECT_EQ(Pki("signer.cer"), certificate);
  for (const std::string& refused : {broken, std::string("garbage bytes")}) {
    EXPECT_FALSE(CryptVerifySignerAttributes(refused, 0, &certificate));
  }
  EXPECT_FALSE(CryptVerifySignerAttributes(signature, 1, &certificate));

  using Digests = std::map<std::string, std::string>;
  const auto signer = std::make_tuple(signature, 0u, Pki("signer.cer"));
  struct Case {
    const char* what;
    std::string signature;
    PreparedChecks prepared;
    std::string content;
    uint32_t error;  // 0: verifies
  } cases[] = {
      {"the content's digest", signature, {Digests{{kOidGostR3411_94, digest}}, {}}, kContent, 0},
      {"the content's digest and the signer",
       signature,
       {Digests{{kOidGostR3411_94, digest}}, {signer}},
       kContent,
       0},
      {"another content's digest",
       signature,
       {Digests{{kOidGostR3411_94, altered_digest}}, {}},
       kContent,
       CRYPT_E_HASH_VALUE},
      {"another content's digest and the signer",
       signature,
       {Digests{{kOidGostR3411_94, altered_digest}}, {signer}},
       kContent,
       CRYPT_E_HASH_VALUE},
      {"a shorter digest",
       signature,
       {Digests{{kOidGostR3411_94, digest.substr(1)}}, {}},
       kContent,
       CRYPT_E_HASH_VALUE},
      {"a broken signature, the whole one listed",
       broken,
       {Digests{{kOidGostR3411_94, digest}}, {signer}},
       kContent,
       NTE_BAD_SIGNATURE},
      {"only another algorithm's: the content is hashed",
       signature,
       {Digests{{"1.2.3.4", digest}}, {signer}},
       altered,
       CRYPT_E_HASH_VALUE},
  };
  CryptVerifyMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    para.Prepared = &c.prepared;
    EXPECT_EQ(c.error == 0,
              CryptVerifyDetachedMessageSignature(para, 0, c.signature, c.content, nullptr));
    EXPECT_EQ(c.error, GetLastError());
  }
}

TEST_F(CryptMsgTest, ReadsTheIndefiniteLengthsOfAStreamingPeer) {
  ASSERT_EQ(0, RunCommand("openssl cms -sign -stream -outform DER -engine gost -binary -md "
                          "md_gost94 -in " +
                          Quoted(File("content")) + " -signer " + Quoted(File("signer.pem")) +
                          " -inkey " + Quoted(PkiPath("signer.key")) + " -out " +
                          Quoted(File("streamed.p7s")) + " 2>/dev/null")
                   .status);
  ASSERT_EQ(0, RunCommand("openssl cms -encrypt -stream -outform DER -engine gost -binary -gost89 "
                          "-in " +
                          Quoted(File("content")) + " -out " + Quoted(File("streamed.p7m")) + " " +
                          Quoted(File("signer.pem")) + " 2>/dev/null")
                   .status);
  ASSERT_TRUE(Indefinite(File("streamed.p7s")));
  ASSERT_TRUE(Indefinite(File("streamed.p7m")));
  const std::string signature = ReadBytes(File("streamed.p7s"));
  const std::string encrypted = ReadBytes(File("streamed.p7m"));

  CryptVerifyMessagePara verify;
  verify.MsgAndCertEncodingType = kMsgEncoding;
  PCCERT_CONTEXT found = nullptr;
  ASSERT_TRUE(CryptVerifyDetachedMessageSignature(verify, 0, signature, kContent, &found))
      << std::hex << GetLastError();
  EXPECT_EQ(Pki("signer.cer"), found->Encoded());
  CertFreeCertificateContext(found);
  std::string altered = kContent;
  altered[0] ^= 1;
  EXPECT_FALSE(CryptVerifyDetachedMessageSignature(verify, 0, signature, altered, nullptr));
  EXPECT_EQ(CRYPT_E_HASH_VALUE, GetLastError());

  // The signer's certificate comes out of the message as it was issued.
  HCERTSTORE bag =
      CertOpenStore(CERT_STORE_PROV_PKCS7, kMsgEncoding, nullptr, 0, CryptDataBlob{signature});
  ASSERT_NE(nullptr, bag) << std::hex << GetLastError();
  PCCERT_CONTEXT first = CertEnumCertificatesInStore(bag, nullptr);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(Pki("signer.cer"), first->Encoded());
  CertFreeCertificateContext(first);
  CertCloseStore(bag, 0);

  CryptDecryptMessagePara decrypt;
  decrypt.MsgAndCertEncodingType = kMsgEncoding;
  decrypt.CertStores = {my_};
  std::string plain(kContent.size() + 16, '\0');
  uint32_t size = static_cast<uint32_t>(plain.size());
  ASSERT_TRUE(CryptDecryptMessage(decrypt, encrypted, reinterpret_cast<uint8_t*>(plain.data()),
                                  &size, nullptr))
      << std::hex << GetLastError();
  plain.resize(size);
  EXPECT_EQ(kContent, plain);

  // Cut short, either message is an unexpected end of data.
  EXPECT_FALSE(
      CryptVerifyDetachedMessageSignature(verify, 0, signature.substr(0, 100), kContent, nullptr));
  EXPECT_EQ(CRYPT_E_ASN1_EOD, GetLastError());
  EXPECT_FALSE(CryptDecryptMessage(decrypt, encrypted.substr(0, encrypted.size() - 2), nullptr,
                                   &size, nullptr));
  EXPECT_EQ(CRYPT_E_ASN1_EOD, GetLastError());
}

TEST_F(CryptMsgTest, ASignatureFileOpensAsAStoreOfItsCertificates) {
  WriteBytes(File("signature.sign"), Sign(true));
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_FILENAME_W, kMsgEncoding, nullptr, 0,
                                   AnsiToWide(File("signature.sign")));
  ASSERT_NE(nullptr, store);
  PCCERT_CONTEXT first = CertEnumCertificatesInStore(store, nullptr);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(Pki("signer.cer"), first->Encoded());
  EXPECT_EQ(nullptr, CertEnumCertificatesInStore(store, first));
  CertCloseStore(store, 0);
}

TEST_F(CryptMsgTest, EncryptsWhatOpensslDecrypts) {
  PCCERT_CONTEXT recipient = CertCreateCertificateContext(kMsgEncoding, Pki("signer2.cer"));
  CryptEncryptMessagePara para;
  para.MsgEncodingType = kMsgEncoding;
  para.ContentEncryptionAlgorithm.ObjId = kOidGost28147_89;
  uint32_t size = 0;
  ASSERT_TRUE(CryptEncryptMessage(para, {recipient}, kContent, nullptr, &size)) << GetLastError();
  std::string encrypted(size + 64, '\0');  // the key transport is random: room to spare
  size = static_cast<uint32_t>(encrypted.size());
  ASSERT_TRUE(CryptEncryptMessage(para, {recipient}, kContent,
                                  reinterpret_cast<uint8_t*>(encrypted.data()), &size));
  encrypted.resize(size);
  CertFreeCertificateContext(recipient);
  WriteBytes(File("encrypted.p7m"), encrypted);
  ASSERT_EQ(0, RunCommand("openssl cms -decrypt -engine gost -binary -inform DER -in " +
                          Quoted(File("encrypted.p7m")) + " -recip " + Quoted(File("signer2.pem")) +
                          " -inkey " + Quoted(PkiPath("signer2.key")) + " -out " +
                          Quoted(File("decrypted")) + " 2>/dev/null")
                   .status);
  EXPECT_EQ(kContent, ReadBytes(File("decrypted")));
  EXPECT_FALSE(Indefinite(File("encrypted.p7m")));
  const std::string printed =
      RunCommand("openssl cms -cmsout -print -inform DER -in " + Quoted(File("encrypted.p7m")))
          .output;
  EXPECT_NE(std::string::npos, printed.find("GOST 28147-89")) << printed;
  // The content cipher's parameters are the CryptoPro-A set, not the engine's default.
  EXPECT_NE(std::string::npos, printed.find("id-Gost28147-89-CryptoPro-A-ParamSet")) << printed;

  para.ContentEncryptionAlgorithm.ObjId = "2.16.840.1.101.3.4.1.2";
  EXPECT_FALSE(CryptEncryptMessage(para, {signer_}, kContent, nullptr, &size));
  EXPECT_EQ(CRYPT_E_UNKNOWN_ALGO, GetLastError());
}

TEST_F(CryptMsgTest, DecryptsWithTheBoundKeyOfAStoreCertificate) {
  ASSERT_EQ(
      0, RunCommand("openssl cms -encrypt -engine gost -binary -gost89 -in " +
                    Quoted(File("content")) + " -outform DER -out " + Quoted(File("for-signer")) +
                    " " + Quoted(File("signer.pem")) + " 2>/dev/null")
             .status);
  const std::string encrypted = ReadBytes(File("for-signer"));
  CryptDecryptMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  para.CertStores = {my_};
  uint32_t size = 0;
  ASSERT_TRUE(CryptDecryptMessage(para, encrypted, nullptr, &size, nullptr));
  std::string plain(size, '\0');
  PCCERT_CONTEXT used = nullptr;
  ASSERT_TRUE(
      CryptDecryptMessage(para, encrypted, reinterpret_cast<uint8_t*>(plain.data()), &size, &used));
  EXPECT_EQ(kContent, plain);
  ASSERT_NE(nullptr, used);
  EXPECT_EQ(Pki("signer.cer"), used->Encoded());
  CertFreeCertificateContext(used);

  HCERTSTORE empty = CertOpenStore(CERT_STORE_PROV_MEMORY, kMsgEncoding, nullptr, 0);
  para.CertStores = {empty};
  EXPECT_FALSE(CryptDecryptMessage(para, encrypted, nullptr, &size, nullptr));
  EXPECT_EQ(CRYPT_E_NO_DECRYPT_CERT, GetLastError());
  CertCloseStore(empty, 0);
}

// The key file is read twice, gigabytes into memory each time, for ten
// seconds: only when TARVEX_LONG_TESTS is set, never under the sanitizer.
TEST_F(CryptMsgTest, AKeyFileLongerThanOpensslReadsIsRefusedWhole) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "gigabytes read into memory: not under the sanitizer";
#endif
  if (std::getenv("TARVEX_LONG_TESTS") == nullptr) GTEST_SKIP() << "TARVEX_LONG_TESTS is not set";
  // The key, then zero bytes up to more than an int counts: none of it is
  // read as the key.
  const std::string key_file = KeyFile();
  ASSERT_NE("", key_file);
  ASSERT_EQ(0, ::truncate(key_file.c_str(), (off_t{1} << 31) + 1));
  EXPECT_EQ(NTE_BAD_KEY, FreshSigningError());
}

TEST_F(CryptMsgTest, AContextKeepsTheKeyItSignedWithWhileItLives) {
  Sign(true);
  // With the container's key gone, the context signs with the key it read.
  std::filesystem::remove(KeyFile());
  EXPECT_EQ(0, OpensslVerify(Sign(true), kContent));

  // A context made afresh reads the container, and finds no key there.
  EXPECT_EQ(NTE_NO_KEY, FreshSigningError());
}

}  // namespace
