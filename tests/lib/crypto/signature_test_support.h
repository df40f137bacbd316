// The fixture of the tests that sign through the library's crypto layer and
// the layers above it: private crypt roots, the test signers' keys put into
// containers with the keys tool, the test PKI in the system stores, and the
// openssl command as the independent peer.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/crypto/cryptoapi20_utils.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crypt_refs.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/file_bytes.h"
#include "tests/support/keys_tool.h"
#include "tests/support/openssl.h"
#include "tests/support/run_command.h"
#include "tests/support/signature_format.h"
#include "tests/support/test_pki.h"

constexpr int kMachine = 1;
constexpr int kUser = 2;
constexpr int kStoreMy = 1;
constexpr int kStoreRoot = 2;
constexpr int kStoreCA = 3;
constexpr int kStoreAddressBook = 4;

// The certificate's thumbprint, as the library writes it.
inline std::string ThumbprintOf(const std::string& name) {
  const CertRef context(CertCreateCertificateContext(kMsgEncoding, Pki(name + ".cer")));
  return CCryptoAPI20Utils::GetThumbprint(context.get());
}

class SignatureTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const std::string name : {"root", "intermediate", "signer", "signer2", "revoked"}) {
      const std::string pem = PemOf(PkiPath(name + ".cer"));
      ASSERT_NE("", pem) << name;
      WriteBytes(Pem(name), pem);
    }
    WriteBytes(File("chain.pem"), ReadBytes(Pem("root")) + ReadBytes(Pem("intermediate")));
  }

  std::string File(const std::string& name) const { return roots_.Dir().File(name); }
  std::string Pem(const std::string& name) const { return File(name + ".pem"); }

  // Puts the PKI signer's key and certificate into a new container of the
  // current user's key set (the machine's for kMachine) and "MY" there, as
  // a user does: with the key command.
  static void ImportKey(const std::string& container, const std::string& name, int location) {
    ASSERT_EQ(0, ImportKeyFiles(container, PkiPath(name + ".key"), PkiPath(name + ".cer"),
                                location == kMachine))
        << name;
  }

  // Adds PKI certificates and CRLs to a system store of the location.
  static void AddToStore(int location, int kind, const std::vector<std::string>& certificates,
                         const std::vector<std::string>& crls = {}) {
    const StoreRef store(CCryptoAPI20Utils::OpenSystemStore(nullptr, location, kind));
    ASSERT_NE(nullptr, store);
    for (const std::string& name : certificates) {
      const CertRef context(CertCreateCertificateContext(kMsgEncoding, Pki(name + ".cer")));
      EXPECT_TRUE(CertAddCertificateContextToStore(store.get(), context.get(),
                                                   CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    }
    for (const std::string& name : crls) {
      const CrlRef context(CertCreateCRLContext(kMsgEncoding, Pki(name + ".crl")));
      EXPECT_TRUE(CertAddCRLContextToStore(store.get(), context.get(),
                                           CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    }
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
  // chain up to the test root.
  int OpensslVerify(const std::string& signature, const std::string& content) const {
    return ::OpensslVerify(roots_.Dir(), signature, content, File("chain.pem"));
  }

  // A detached signature made by openssl by the test PKI's `signer`.
  std::string OpensslSign(const std::string& signer, const std::string& content,
                          const std::string& flags) const {
    return ::OpensslSign(roots_.Dir(), Pem(signer), PkiPath(signer + ".key"), content, flags);
  }

  CryptRoots roots_;
};
