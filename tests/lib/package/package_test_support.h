// Fixture of the package-layer tests that sign: the keys they sign with.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lib/crypto/cryptoapi20_tool.h"
#include "lib/package/tarvex_key.h"
#include "tests/lib/crypto/signature_test_support.h"

class PackageTest : public SignatureTest {
 protected:
  // The signer's "MY" certificate with its container, put in with the
  // command a user runs, as the catalogue hands it out.
  static std::unique_ptr<CTarvexKey> KeyOf(const std::string& name, int sign_role = 3) {
    ImportKey(name, name, kUser);
    auto key = std::make_unique<CTarvexKey>();
    key->SetSha1(ThumbprintOf(name));
    key->SetSubjectCN(name);
    key->CertContext = CCryptoAPI20Tool::FindCertificate(kUser, kStoreMy, key->Sha1());
    key->OwnsContext = true;
    key->SignRole = sign_role;
    EXPECT_NE(nullptr, key->CertContext);
    return key;
  }
};
