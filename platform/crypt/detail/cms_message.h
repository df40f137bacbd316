// CMS messages (PKCS #7 ContentInfo) as the message calls and the PKCS #7
// stores read them. Peers may write any BER, the indefinite lengths of a
// streaming writer included, so OpenSSL parses them; what it cannot parse
// gets the stand-in's ASN.1 error codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypt/detail/ossl.h"

namespace crypt_detail {

// 0 and the message when `data` starts with a ContentInfo of the content
// type `nid`; CRYPT_E_ASN1_EOD when the bytes end too early,
// TARVEX_E_MESSAGE_TOO_LARGE when they are more than kCryptMaxMessageSize,
// else CRYPT_E_ASN1_BADTAG.
uint32_t ParseCmsMessage(std::string_view data, int nid, CmsPtr* cms);

// The certificates and CRLs of a SignedData message, each as its DER.
uint32_t ParseSignedDataBags(std::string_view data, std::vector<std::string>* certificates,
                             std::vector<std::string>* crls);

}  // namespace crypt_detail
