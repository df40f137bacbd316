// The openssl command (with the gost engine) as the independent peer of the
// certificate and signature code.
#pragma once

#include <string>

#include "tests/support/temp_dir.h"

// "AA80...": the SHA-1 fingerprint of a DER certificate file as openssl
// prints it, without colons.
std::string OpensslSha1(const std::string& der_file);

// The PEM form of a DER certificate file; empty when openssl cannot read it.
std::string PemOf(const std::string& der_file);

// openssl's verdict (its exit code, 0 when valid) on a detached signature
// over `content`, with the PEM certificates of `ca_file` trusted (a chain's
// intermediates go there too: `openssl cms -verify` takes no untrusted
// certificates of its own). The files it reads are written into `dir`.
int OpensslVerify(const TempDir& dir, const std::string& signature, const std::string& content,
                  const std::string& ca_file);

// A detached signature made by openssl cms with GOST R 34.11-94, by the
// certificate of `signer_pem` with the key of `key_file`; `flags` are added
// to the command line. The files it writes go into `dir`.
std::string OpensslSign(const TempDir& dir, const std::string& signer_pem,
                        const std::string& key_file, const std::string& content,
                        const std::string& flags);
