// CVerifiedIssuers: the issuers already seen to have signed a certificate
// or a CRL during a run of checks (those of one package), so that the
// same chain is not verified again for every signature. What it keeps is a
// fact of the exact bytes, which cannot go stale: a pair is remembered only
// after its signature verified.
#pragma once

#include <set>
#include <string>
#include <utility>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crl_context.h"

class CVerifiedIssuers {
 public:
  // The issuer's key verifies the subject's signature; false (with the
  // platform's last error) when it does not.
  bool Signed(PCCERT_CONTEXT subject, PCCERT_CONTEXT issuer);
  bool Signed(PCCRL_CONTEXT crl, PCCERT_CONTEXT issuer);

 private:
  // The DER of the signed object and of its issuer.
  std::set<std::pair<std::string, std::string>> verified_;
};
