// The format of the detached signatures the library makes, checked by what
// openssl reads out of them.
#pragma once

#include <string>

#include "tests/support/temp_dir.h"

// Checks a detached signature over `content` against the format: the
// structure that openssl reads out of it, the test PKI's `signer`
// certificate as the only one, and the message digest that openssl
// computes itself. Scratch files go into `dir`.
void ExpectSignatureFormat(const TempDir& dir, const std::string& signature,
                           const std::string& content, const std::string& signer);

// The signing time openssl reads out of the signature, as seconds since
// 1970 (UTC); -1 when there is none.
long long SigningTimeOf(const TempDir& dir, const std::string& signature);
