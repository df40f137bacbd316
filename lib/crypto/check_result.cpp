#include "lib/crypto/check_result.h"

std::string_view to_string(CheckResult result) {
  switch (result) {
    case CheckResult::kCertificateDate: return "certificate not valid at the signing date";
    case CheckResult::kNotVerified: return "signature not verified";
    case CheckResult::kNoSignerCertificate: return "no signer certificate in the signature";
    case CheckResult::kChainError: return "chain or revocation list error";
    case CheckResult::kCrlNotFound: return "revocation list not found";
    case CheckResult::kCaCertificateNotFound: return "CA certificate not found";
  }
  return "unknown check result";
}
