// The committed test PKI (tests/platform/crypt/pki, made by
// scripts/make-test-pki): GOST certificates, keys and CRLs of a root, an
// intermediate and their signers.
#pragma once

#include <string>

// The UTF-8 path of one of its files, e.g. "signer.cer".
std::string PkiPath(const std::string& name);
// The bytes of one of its files.
std::string Pki(const std::string& name);
