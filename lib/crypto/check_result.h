// The outcomes of the chain and signature checks that CCryptoAPI20Exception
// carries. The numbers are the ones callers and earlier versions saw, so
// they never change.
#pragma once

#include <cstdint>
#include <string_view>

enum class CheckResult : uint8_t {
  // The signing date is outside a certificate's validity or too close to
  // its end, or the certificate was revoked then or just after.
  kCertificateDate = 21,
  // The detached signature does not verify; a strict check reports every
  // other failure under this code too.
  kNotVerified = 22,
  // The signature holds no certificate of its signer.
  kNoSignerCertificate = 32,
  // Any other chain or revocation-list error, or an empty argument.
  kChainError = 33,
  kCrlNotFound = 34,
  kCaCertificateNotFound = 35,
};

std::string_view to_string(CheckResult result);
