// Signers of the editor's tests: keys of the test PKI put in with the
// command a user runs.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/crypt/crypt_test_support.h"

// Puts the PKI's `name` key and certificate into a container of that name;
// returns the certificate's thumbprint, upper-case as the catalogue writes it.
inline std::string ImportSigner(const std::string& name) {
  const std::string command = std::string(TARVEX_KEYS_TOOL) + " import " + name + " '" +
                              PkiPath(name + ".key") + "' '" + PkiPath(name + ".cer") +
                              "' >/dev/null";
  EXPECT_EQ(0, RunCommand(command).status);
  return OpensslSha1(PkiPath(name + ".cer"));
}
