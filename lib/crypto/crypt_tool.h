// CCryptTool: the signing call of the package layer, for a certificate
// context the caller already holds.
#pragma once

#include <cstdint>
#include <string>

#include "lib/foundation/base_class.h"

class CCryptCertificate;

class CCryptTool : public CBaseClass {
 public:
  CCryptTool() = delete;

  // The largest signature SignMessage makes.
  static constexpr uint32_t kMaxSignatureSize = 0x10000;

  // A DER PKCS #7 SignedData over `data` with the GOST R 34.11-94 hash,
  // carrying the signing time (UTC) and exactly the signer's certificate,
  // made with the private key that the certificate's key-provider property
  // names. Mode 1 keeps the content inside (attached); any other mode makes
  // a detached signature. Empty data is refused; a signature that would
  // exceed kMaxSignatureSize and every failure of the platform raise the
  // system error.
  static std::string SignMessage(const CCryptCertificate* certificate, const std::string& data,
                                 int mode);
};
