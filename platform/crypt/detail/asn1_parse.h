// Takes certificates, CRLs, names and extensions apart (DER only). Each
// returns 0 or the CRYPT_E_ASN1_* code for malformed bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/cert_name.h"
#include "platform/crypt/crl_context.h"

namespace crypt_detail {

// `*encoded` gets the certificate's own bytes (the first element).
uint32_t ParseCertificate(std::string_view data, std::string* encoded, CertInfo* info);
uint32_t ParseCrl(std::string_view data, std::string* encoded, CrlInfo* info);
uint32_t ParseName(std::string_view data, CertNameInfo* name);

}  // namespace crypt_detail
