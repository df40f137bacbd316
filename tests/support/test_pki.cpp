#include "tests/support/test_pki.h"

#include "tests/support/file_bytes.h"

std::string PkiPath(const std::string& name) {
  return std::string(TARVEX_SOURCE_DIR) + "/tests/platform/crypt/pki/" + name;
}

std::string Pki(const std::string& name) { return ReadBytes(PkiPath(name)); }
