#include "platform/crypt/detail/cms_message.h"

#include <openssl/asn1err.h>
#include <openssl/err.h>

#include "platform/crypt/crypt_defs.h"
#include "platform/crypt/detail/der.h"

namespace crypt_detail {
namespace {

// Bytes that do not start with a SEQUENCE are no message at all; for one
// that does, OpenSSL's first reason tells a truncation from a bad encoding.
uint32_t ParseFailure(std::string_view data) {
  const unsigned long error = ERR_peek_error();
  ERR_clear_error();
  if (data.empty()) return CRYPT_E_ASN1_EOD;
  if (static_cast<uint8_t>(data[0]) != kTagSequence || ERR_GET_LIB(error) != ERR_LIB_ASN1) {
    return CRYPT_E_ASN1_BADTAG;
  }
  switch (ERR_GET_REASON(error)) {
    case ASN1_R_TOO_LONG:
    case ASN1_R_HEADER_TOO_LONG:
    case ASN1_R_TOO_SMALL:
    case ASN1_R_NOT_ENOUGH_DATA:
    case ASN1_R_MISSING_EOC: return CRYPT_E_ASN1_EOD;
    default: return CRYPT_E_ASN1_BADTAG;
  }
}

}  // namespace

uint32_t ParseCmsMessage(std::string_view data, int nid, CmsPtr* cms) {
  // OpenSSL would take an element's length as an int.
  if (data.size() > kCryptMaxMessageSize) return TARVEX_E_MESSAGE_TOO_LARGE;
  ERR_clear_error();
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  cms->reset(d2i_CMS_ContentInfo(nullptr, &p, static_cast<long>(data.size())));
  if (!*cms) return ParseFailure(data);
  if (OBJ_obj2nid(CMS_get0_type(cms->get())) != nid) {
    cms->reset();
    return CRYPT_E_ASN1_BADTAG;
  }
  return 0;
}

uint32_t ParseSignedDataBags(std::string_view data, std::vector<std::string>* certificates,
                             std::vector<std::string>* crls) {
  CmsPtr cms;
  if (const uint32_t error = ParseCmsMessage(data, NID_pkcs7_signed, &cms)) return error;
  // Certificates and CRLs keep the encoding they were signed in: OpenSSL
  // writes the signed part from the bytes it read.
  const X509StackPtr list(CMS_get1_certs(cms.get()));
  for (int i = 0; i < sk_X509_num(list.get()); ++i) {
    certificates->push_back(DerOf(i2d_X509, sk_X509_value(list.get(), i)));
  }
  const X509CrlStackPtr revocations(CMS_get1_crls(cms.get()));
  for (int i = 0; i < sk_X509_CRL_num(revocations.get()); ++i) {
    crls->push_back(DerOf(i2d_X509_CRL, sk_X509_CRL_value(revocations.get(), i)));
  }
  return 0;
}

}  // namespace crypt_detail
