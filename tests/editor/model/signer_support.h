// Signers of the editor's tests: keys of the test PKI put in with the
// command a user runs.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/keys_tool.h"
#include "tests/support/openssl.h"
#include "tests/support/test_pki.h"

// Puts the PKI's `name` key and certificate into a container of that name;
// returns the certificate's thumbprint, upper-case as the catalogue writes it.
inline std::string ImportSigner(const std::string& name) {
  EXPECT_EQ(0, ImportKeyFiles(name, PkiPath(name + ".key"), PkiPath(name + ".cer"))) << name;
  return OpensslSha1(PkiPath(name + ".cer"));
}
