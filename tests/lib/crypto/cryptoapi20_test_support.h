// Test support for CCryptoAPI20Utils: certificates made on the spot with the openssl command, key
// containers filled from the test PKI, and a look into a system store.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/crypto/cryptoapi20_utils.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/codepage.h"
#include "tests/support/error_of.h"
#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_pki.h"

// A certificate signed with the root's key, DER. `subject` is cp1251 (as
// the tests' literals are); each extension goes to -addext. Only the given
// extensions are added, so a certificate can go without basic constraints.
inline std::string MakeCertificate(const TempDir& dir, const std::string& name,
                                   const std::string& subject,
                                   const std::vector<std::string>& extensions) {
  const std::string config = dir.File("req.cnf");
  WriteBytes(config, "[req]\ndistinguished_name = dn\n[dn]\n");
  std::string command = "openssl req -x509 -new -engine gost -config " + Quoted(config) + " -key " +
                        Quoted(PkiPath("root.key")) + " -md_gost94 -days 3650 -utf8 -subj " +
                        Quoted(AnsiToUtf8(subject));
  for (const std::string& extension : extensions) command += " -addext " + Quoted(extension);
  const std::string out = dir.File(name + ".cer");
  command += " -outform DER -out " + Quoted(out) + " 2>/dev/null";
  EXPECT_EQ(0, RunCommand(command).status) << command;
  return ReadBytes(out);
}

// Puts a key of the test PKI into a new container of the current user.
inline void PutKeyInContainer(const std::string& container, const std::string& key_name) {
  HCRYPTPROV prov = nullptr;
  ASSERT_TRUE(
      CryptAcquireContextA(&prov, container.c_str(), nullptr, kGostProviderType, CRYPT_NEWKEYSET));
  EXPECT_TRUE(CryptImportPemKey(prov, Pki(key_name + ".key"), nullptr));
  CryptReleaseContext(prov, 0);
}

// A verify context of the GOST provider for the test's life.
class VerifyContext {
 public:
  VerifyContext() {
    EXPECT_TRUE(
        CryptAcquireContextA(&prov_, nullptr, nullptr, kGostProviderType, CRYPT_VERIFYCONTEXT));
  }
  ~VerifyContext() { CryptReleaseContext(prov_, 0); }
  VerifyContext(const VerifyContext&) = delete;
  VerifyContext& operator=(const VerifyContext&) = delete;

  HCRYPTPROV Get() const { return prov_; }

 private:
  HCRYPTPROV prov_ = nullptr;
};

// The DER bytes of a system store's certificates, sorted, read through a
// store handle of its own.
inline std::vector<std::string> StoreBodies(int location, int kind) {
  std::vector<std::string> bodies;
  const StoreRef store(CCryptoAPI20Utils::OpenSystemStore(nullptr, location, kind));
  EXPECT_NE(nullptr, store);
  PCCERT_CONTEXT context = nullptr;
  while ((context = CertEnumCertificatesInStore(store.get(), context)) != nullptr) {
    bodies.push_back(context->Encoded());
  }
  std::sort(bodies.begin(), bodies.end());
  return bodies;
}
