// Test support for the signature classes: private environment roots, the
// test signers' keys put into containers with the key command, the test PKI
// in the system stores, and the openssl command as the independent peer.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/crypto/cryptoapi20_utils.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crl_context.h"
#include "platform/kernel/codepage.h"
#include "tests/platform/crypt/crypt_test_support.h"

constexpr int kMachine = 1;
constexpr int kUser = 2;
constexpr int kStoreMy = 1;
constexpr int kStoreRoot = 2;
constexpr int kStoreCA = 3;
constexpr int kStoreAddressBook = 4;

inline std::string Shell(const std::string& path) { return "'" + path + "'"; }

// The certificate's thumbprint, as the library writes it.
inline std::string ThumbprintOf(const std::string& name) {
  PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, Pki(name + ".cer"));
  const std::string thumbprint = CCryptoAPI20Utils::GetThumbprint(context);
  CertFreeCertificateContext(context);
  return thumbprint;
}

class SignatureTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"root", "intermediate", "signer", "signer2", "revoked"}) {
      ASSERT_EQ(0,
                RunCommand("openssl x509 -inform DER -in " +
                           Shell(PkiPath(name + std::string(".cer"))) + " -out " + Shell(Pem(name)))
                    .status);
    }
    WriteBytes(File("chain.pem"), ReadBytes(Pem("root")) + ReadBytes(Pem("intermediate")));
  }

  std::string File(const std::string& name) const { return roots_.Dir().File(name); }
  std::string Pem(const std::string& name) const { return File(name + ".pem"); }

  // Puts the PKI signer's key and certificate into a new container of the
  // current user's key set (the machine's for kMachine) and "MY" there, as
  // a user does: with the key command.
  static void ImportKey(const std::string& container, const std::string& name, int location) {
    const std::string command = std::string(TARVEX_KEYS_TOOL) + " import " +
                                (location == kMachine ? "--machine " : "") +
                                Shell(AnsiToUtf8(container)) + " " + Shell(PkiPath(name + ".key")) +
                                " " + Shell(PkiPath(name + ".cer")) + " >/dev/null";
    ASSERT_EQ(0, RunCommand(command).status) << command;
  }

  // Adds PKI certificates and CRLs to a system store of the location.
  static void AddToStore(int location, int kind, const std::vector<std::string>& certificates,
                         const std::vector<std::string>& crls = {}) {
    HCERTSTORE store = CCryptoAPI20Utils::OpenSystemStore(nullptr, location, kind);
    ASSERT_NE(nullptr, store);
    for (const std::string& name : certificates) {
      PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, Pki(name + ".cer"));
      EXPECT_TRUE(CertAddCertificateContextToStore(store, context, CERT_STORE_ADD_REPLACE_EXISTING,
                                                   nullptr));
      CertFreeCertificateContext(context);
    }
    for (const std::string& name : crls) {
      PCCRL_CONTEXT context = CertCreateCRLContext(kMsgEncoding, Pki(name + ".crl"));
      EXPECT_TRUE(
          CertAddCRLContextToStore(store, context, CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
      CertFreeCRLContext(context);
    }
    CertCloseStore(store, 0);
  }

  // The root in "ROOT"; the intermediate (unless left out) and both CRLs
  // in "CA".
  static void TrustChain(int location, bool with_intermediate = true) {
    AddToStore(location, kStoreRoot, {"root"});
    AddToStore(
        location, kStoreCA,
        with_intermediate ? std::vector<std::string>{"intermediate"} : std::vector<std::string>{},
        {"root", "intermediate"});
  }

  // openssl's verdict on a detached signature over `content`, with the
  // chain up to the test root (the intermediate is in the trusted file, as
  // `openssl cms -verify` takes no untrusted certificates of its own).
  int OpensslVerify(const std::string& signature, const std::string& content) const {
    WriteBytes(File("verified.p7s"), signature);
    WriteBytes(File("verified.content"), content);
    return RunCommand("openssl cms -verify -engine gost -binary -inform DER -in " +
                      Shell(File("verified.p7s")) + " -content " + Shell(File("verified.content")) +
                      " -CAfile " + Shell(File("chain.pem")) +
                      " -purpose any -out /dev/null 2>/dev/null")
        .status;
  }

  // A detached signature made by openssl cms with GOST R 34.11-94; `flags`
  // are added to the command line.
  std::string OpensslSign(const std::string& signer, const std::string& content,
                          const std::string& flags) const {
    WriteBytes(File("openssl.content"), content);
    const std::string command = "openssl cms -sign -engine gost -binary -md md_gost94 -signer " +
                                Shell(Pem(signer)) + " -inkey " + Shell(PkiPath(signer + ".key")) +
                                " -in " + Shell(File("openssl.content")) + " -outform DER -out " +
                                Shell(File("openssl.p7s")) + " " + flags + " 2>/dev/null";
    EXPECT_EQ(0, RunCommand(command).status) << command;
    return ReadBytes(File("openssl.p7s"));
  }

  CryptRoots roots_;
};

// Checks a detached signature of ours over `content` against the format:
// the structure that openssl reads out of it, the signer's certificate as
// the only one, and the message digest that openssl computes itself.
void ExpectSignatureFormat(const TempDir& dir, const std::string& signature,
                           const std::string& content, const std::string& signer);
// The signing time openssl reads out of the signature, as seconds since
// 1970 (UTC); -1 when there is none.
long long SigningTimeOf(const TempDir& dir, const std::string& signature);
