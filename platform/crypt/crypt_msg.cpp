#include "platform/crypt/crypt_msg.h"

#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstring>

#include "platform/crypt/crypt_refs.h"
#include "platform/crypt/detail/cms_message.h"
#include "platform/crypt/detail/context_state.h"
#include "platform/crypt/detail/der.h"
#include "platform/crypt/detail/gost_engine.h"
#include "platform/crypt/detail/key_container.h"
#include "platform/crypt/detail/ossl.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

using crypt_detail::BioBytes;
using crypt_detail::DerElement;
using crypt_detail::DerEncode;
using crypt_detail::DerOf;
using crypt_detail::DerReader;
using crypt_detail::KeyOfCertificate;
using crypt_detail::kTagInteger;
using crypt_detail::kTagOid;
using crypt_detail::kTagSequence;
using crypt_detail::kTagSet;
using crypt_detail::OidFromText;
using crypt_detail::RequireGost;
using crypt_detail::ToX509;
using crypt_detail::WriteInPieces;

namespace {

bool Fail(uint32_t error) {
  ERR_clear_error();
  SetLastError(error);
  return false;
}

bool PutBytes(const std::string& value, uint8_t* out, uint32_t* size) {
  const auto length = static_cast<uint32_t>(value.size());
  if (out == nullptr) {
    *size = length;
    return true;
  }
  if (*size < length) {
    *size = length;
    return Fail(ERROR_MORE_DATA);
  }
  std::memcpy(out, value.data(), length);
  *size = length;
  SetLastError(ERROR_SUCCESS);
  return true;
}

std::string CmsBytes(CMS_ContentInfo* cms) { return DerOf(i2d_CMS_ContentInfo, cms); }

// What CMS_final does, for content of any length: it goes through the
// message's BIOs in pieces.
bool FinalInPieces(CMS_ContentInfo* cms, std::string_view content) {
  const BioPtr chain(CMS_dataInit(cms, nullptr));
  return chain && WriteInPieces(chain.get(), content) && BIO_flush(chain.get()) == 1 &&
         CMS_dataFinal(cms, chain.get()) == 1;
}

CmsPtr ParseCms(std::string_view bytes, int expected_type) {
  CmsPtr cms;
  if (const uint32_t error = crypt_detail::ParseCmsMessage(bytes, expected_type, &cms)) {
    Fail(error);
  }
  return cms;
}

// SEQUENCE { type, SET OF values } as OpenSSL's attribute.
X509AttributePtr ToAttribute(const CryptAttribute& attribute) {
  const std::string oid = OidFromText(attribute.ObjId);
  if (oid.empty()) return nullptr;
  std::string values;
  for (const std::string& value : attribute.Values) values += value;
  const std::string der =
      DerEncode(kTagSequence, DerEncode(kTagOid, oid) + DerEncode(kTagSet, values));
  const auto* p = reinterpret_cast<const unsigned char*>(der.data());
  return X509AttributePtr(d2i_X509_ATTRIBUTE(nullptr, &p, static_cast<long>(der.size())));
}

// The content octets of an INTEGER, least significant byte first.
std::string SerialBytes(const ASN1_INTEGER* serial) {
  const std::string bytes = DerOf(i2d_ASN1_INTEGER, serial);
  DerReader reader(bytes);
  DerElement element;
  if (!reader.Expect(kTagInteger, &element)) return {};
  return std::string(element.content.rbegin(), element.content.rend());
}

std::string NameBytes(X509_NAME* name) { return DerOf(i2d_X509_NAME, name); }

// The message's certificates, found by issuer and serial number.
PCCERT_CONTEXT DefaultSigner(const CertInfo& signer_id, HCERTSTORE store) {
  PCCERT_CONTEXT context = nullptr;
  while ((context = CertEnumCertificatesInStore(store, context)) != nullptr) {
    if (context->Info().SerialNumber == signer_id.SerialNumber &&
        context->Info().Issuer == signer_id.Issuer) {
      return context;
    }
  }
  SetLastError(CRYPT_E_NOT_FOUND);
  return nullptr;
}

HCERTSTORE MessageStore(CMS_ContentInfo* cms) {
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_MEMORY, kMsgEncoding, nullptr, 0);
  const X509StackPtr certificates(CMS_get1_certs(cms));
  for (int i = 0; i < sk_X509_num(certificates.get()); ++i) {
    const std::string der = DerOf(i2d_X509, sk_X509_value(certificates.get(), i));
    if (der.empty()) continue;
    PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, der);
    if (context != nullptr) {
      CertAddCertificateContextToStore(store, context, CERT_STORE_ADD_USE_EXISTING, nullptr);
      CertFreeCertificateContext(context);
    }
  }
  return store;
}

bool Sign(const CryptSignMessagePara& para, bool detached, std::string_view content,
          std::string* message) {
  if ((para.MsgEncodingType & PKCS_7_ASN_ENCODING) == 0 || para.SigningCert == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (para.HashAlgorithm.ObjId != kOidGostR3411_94) return Fail(CRYPT_E_UNKNOWN_ALGO);
  if (!detached && content.size() > kCryptMaxMessageSize) return Fail(TARVEX_E_MESSAGE_TOO_LARGE);
  if (!RequireGost()) return false;
  PkeyPtr key = KeyOfCertificate(para.SigningCert);
  if (!key) return false;
  const EVP_MD* digest = EVP_get_digestbyname("md_gost94");
  X509Ptr signer = ToX509(para.SigningCert->Encoded());
  if (digest == nullptr || !signer) return Fail(NTE_BAD_ALGID);

  const unsigned flags =
      CMS_BINARY | CMS_PARTIAL | CMS_NOCERTS | CMS_NOSMIMECAP | (detached ? CMS_DETACHED : 0u);
  CmsPtr cms(CMS_sign(nullptr, nullptr, nullptr, nullptr, flags));
  if (!cms) return Fail(NTE_FAIL);
  CMS_SignerInfo* info = CMS_add1_signer(cms.get(), signer.get(), key.get(), digest, flags);
  if (info == nullptr) return Fail(NTE_BAD_KEY);
  for (const CryptAttribute& attribute : para.AuthAttr) {
    X509AttributePtr attr = ToAttribute(attribute);
    if (!attr || CMS_signed_add1_attr(info, attr.get()) != 1) return Fail(CRYPT_E_ASN1_BADTAG);
  }
  for (PCCERT_CONTEXT certificate : para.MsgCert) {
    X509Ptr x509 = certificate ? ToX509(certificate->Encoded()) : nullptr;
    if (!x509 || CMS_add1_cert(cms.get(), x509.get()) != 1) return Fail(CRYPT_E_ASN1_BADTAG);
  }
  if (!FinalInPieces(cms.get(), content)) return Fail(NTE_FAIL);
  *message = CmsBytes(cms.get());
  return !message->empty() || Fail(NTE_FAIL);
}

const ASN1_OBJECT* DigestObjectOf(CMS_SignerInfo* info) {
  X509_ALGOR* algorithm = nullptr;
  CMS_SignerInfo_get0_algs(info, nullptr, nullptr, &algorithm, nullptr);
  const ASN1_OBJECT* oid = nullptr;
  if (algorithm != nullptr) X509_ALGOR_get0(&oid, nullptr, nullptr, algorithm);
  return oid;
}

// The dotted OID of the signer's digest algorithm.
std::string DigestAlgorithmOf(CMS_SignerInfo* info) {
  const ASN1_OBJECT* oid = DigestObjectOf(info);
  char text[128];
  const int length = oid != nullptr ? OBJ_obj2txt(text, sizeof text, oid, 1) : 0;
  return length > 0 && length < static_cast<int>(sizeof text) ? std::string(text, length)
                                                              : std::string();
}

// The ready digest of the content by the signer's algorithm; null when
// there is none.
const std::string* ReadyDigest(CMS_SignerInfo* info, const PreparedChecks* prepared) {
  if (prepared == nullptr) return nullptr;
  const auto found = prepared->digests.find(DigestAlgorithmOf(info));
  return found == prepared->digests.end() ? nullptr : &found->second;
}

// The signer, as the signer `index` of `signature`, whose signed
// attributes the certificate's key verifies.
struct SignerOfMessage {
  CMS_ContentInfo* cms;
  CMS_SignerInfo* info;
  std::string_view signature;
  uint32_t index;
};

bool AttributesVerify(const SignerOfMessage& signer, PCCERT_CONTEXT certificate,
                      const PreparedChecks* prepared) {
  if (prepared != nullptr && prepared->signers.count({std::string(signer.signature), signer.index,
                                                      certificate->Encoded()}) != 0) {
    return true;
  }
  return CMS_SignerInfo_verify(signer.info) == 1;
}

// What CMS_SignerInfo_verify_content decides for a signer with signed
// attributes, over a digest made already: the message's digest BIOs
// (`chain`, in front of `data`) must include the signer's algorithm, and
// its one messageDigest attribute must hold the digest.
bool MatchesReadyDigest(CMS_SignerInfo* info, BIO* chain, BIO* data, const std::string& digest) {
  const int nid = OBJ_obj2nid(DigestObjectOf(info));
  bool digested = false;
  for (BIO* link = chain; link != nullptr && link != data && !digested; link = BIO_next(link)) {
    EVP_MD_CTX* context = nullptr;
    if (BIO_method_type(link) != BIO_TYPE_MD || BIO_get_md_ctx(link, &context) <= 0 ||
        context == nullptr) {
      continue;
    }
    digested = EVP_MD_CTX_get_type(context) == nid ||
               EVP_MD_get_pkey_type(EVP_MD_CTX_get0_md(context)) == nid;
  }
  const ASN1_OCTET_STRING* value =
      static_cast<const ASN1_OCTET_STRING*>(CMS_signed_get0_data_by_OBJ(
          info, OBJ_nid2obj(NID_pkcs9_messageDigest), -3, V_ASN1_OCTET_STRING));
  return digested && value != nullptr &&
         static_cast<size_t>(ASN1_STRING_length(value)) == digest.size() &&
         std::memcmp(ASN1_STRING_get0_data(value), digest.data(), digest.size()) == 0;
}

bool VerifySigner(const SignerOfMessage& signer, PCCERT_CONTEXT certificate,
                  std::string_view content, const PreparedChecks* prepared) {
  CMS_SignerInfo* info = signer.info;
  X509Ptr x509 = ToX509(certificate->Encoded());
  if (!x509) return Fail(NTE_BAD_PUBLIC_KEY);
  CMS_SignerInfo_set1_signer_cert(info, x509.get());
  const bool has_attributes = CMS_signed_get_attr_count(info) > 0;
  if (has_attributes && !AttributesVerify(signer, certificate, prepared)) {
    return Fail(NTE_BAD_SIGNATURE);
  }
  const std::string* ready = has_attributes ? ReadyDigest(info, prepared) : nullptr;
  // The content goes through the chain of digest BIOs into nothing; with a
  // ready digest the chain is only looked at.
  const BioPtr sink(BIO_new(BIO_s_null()));
  BIO* chain = sink ? CMS_dataInit(signer.cms, sink.get()) : nullptr;
  if (chain == nullptr) return Fail(NTE_FAIL);
  const bool ok = ready != nullptr ? MatchesReadyDigest(info, chain, sink.get(), *ready)
                                   : WriteInPieces(chain, content) &&
                                         CMS_SignerInfo_verify_content(info, chain) == 1;
  // Free the digest BIOs the chain put in front of our sink only.
  while (chain != nullptr && chain != sink.get()) {
    BIO* next = BIO_pop(chain);
    BIO_free(chain);
    chain = next;
  }
  if (!ok) return Fail(has_attributes ? CRYPT_E_HASH_VALUE : NTE_BAD_SIGNATURE);
  return true;
}

// How a message names the owner of a certificate among its recipients.
enum class RecipientKind { kNone, kKeyTransport, kKeyAgreement };

bool AgreesWith(CMS_RecipientInfo* info, X509* x509) {
  STACK_OF(CMS_RecipientEncryptedKey)* keys = CMS_RecipientInfo_kari_get0_reks(info);
  for (int i = 0; i < sk_CMS_RecipientEncryptedKey_num(keys); ++i) {
    if (CMS_RecipientEncryptedKey_cert_cmp(sk_CMS_RecipientEncryptedKey_value(keys, i), x509) ==
        0) {
      return true;
    }
  }
  return false;
}

RecipientKind RecipientOf(STACK_OF(CMS_RecipientInfo) * recipients, X509* x509) {
  RecipientKind kind = RecipientKind::kNone;
  for (int i = 0; i < sk_CMS_RecipientInfo_num(recipients); ++i) {
    CMS_RecipientInfo* info = sk_CMS_RecipientInfo_value(recipients, i);
    const int type = CMS_RecipientInfo_type(info);
    if (type == CMS_RECIPINFO_TRANS && CMS_RecipientInfo_ktri_cert_cmp(info, x509) == 0) {
      return RecipientKind::kKeyTransport;
    }
    if (type == CMS_RECIPINFO_AGREE && AgreesWith(info, x509)) kind = RecipientKind::kKeyAgreement;
  }
  return kind;
}

}  // namespace

bool CryptSignMessage(const CryptSignMessagePara& para, bool detached, std::string_view content,
                      uint8_t* signed_blob, uint32_t* size) {
  if (size == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  std::string message;
  return Sign(para, detached, content, &message) && PutBytes(message, signed_blob, size);
}

bool CryptVerifyDetachedMessageSignature(const CryptVerifyMessagePara& para, uint32_t signer_index,
                                         std::string_view signature, std::string_view content,
                                         PCCERT_CONTEXT* signer_cert) {
  if (signer_cert != nullptr) *signer_cert = nullptr;
  if ((para.MsgAndCertEncodingType & PKCS_7_ASN_ENCODING) == 0) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  CmsPtr cms = ParseCms(signature, NID_pkcs7_signed);
  if (!cms) return false;
  STACK_OF(CMS_SignerInfo)* infos = CMS_get0_SignerInfos(cms.get());
  if (signer_index >= static_cast<uint32_t>(sk_CMS_SignerInfo_num(infos))) {
    return Fail(CRYPT_E_NO_SIGNER);
  }
  CMS_SignerInfo* info = sk_CMS_SignerInfo_value(infos, static_cast<int>(signer_index));
  ASN1_OCTET_STRING* key_id = nullptr;
  X509_NAME* issuer = nullptr;
  ASN1_INTEGER* serial = nullptr;
  CertInfo signer_id;
  if (CMS_SignerInfo_get0_signer_id(info, &key_id, &issuer, &serial) == 1 && issuer != nullptr &&
      serial != nullptr) {
    signer_id.Issuer = NameBytes(issuer);
    signer_id.SerialNumber = SerialBytes(serial);
  }
  HCERTSTORE store = MessageStore(cms.get());
  SetLastError(ERROR_SUCCESS);
  CertRef certificate(para.GetSignerCertificate
                          ? para.GetSignerCertificate(para.MsgAndCertEncodingType, signer_id, store)
                          : DefaultSigner(signer_id, store));
  CertCloseStore(store, 0);
  if (certificate == nullptr) {
    ERR_clear_error();
    return false;  // the callback's last error stands
  }
  const SignerOfMessage signer{cms.get(), info, signature, signer_index};
  if (!RequireGost() || !VerifySigner(signer, certificate.get(), content, para.Prepared)) {
    return false;
  }
  if (signer_cert != nullptr) *signer_cert = certificate.release();
  SetLastError(ERROR_SUCCESS);
  return true;
}

std::vector<std::string> CryptSignerDigestAlgorithms(std::string_view signature) {
  std::vector<std::string> algorithms;
  CmsPtr cms;
  if (crypt_detail::ParseCmsMessage(signature, NID_pkcs7_signed, &cms) != 0) return algorithms;
  STACK_OF(CMS_SignerInfo)* infos = CMS_get0_SignerInfos(cms.get());
  for (int i = 0; i < sk_CMS_SignerInfo_num(infos); ++i) {
    std::string oid = DigestAlgorithmOf(sk_CMS_SignerInfo_value(infos, i));
    if (!oid.empty() && std::find(algorithms.begin(), algorithms.end(), oid) == algorithms.end()) {
      algorithms.push_back(std::move(oid));
    }
  }
  ERR_clear_error();
  return algorithms;
}

bool CryptDigestContent(const std::string& oid, std::string_view content, std::string* digest) {
  if (!RequireGost()) return false;
  Asn1ObjectPtr object(OBJ_txt2obj(oid.c_str(), 1));
  const EVP_MD* md = object ? EVP_get_digestbyobj(object.get()) : nullptr;
  unsigned char value[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  const bool ok =
      md != nullptr && EVP_Digest(content.data(), content.size(), value, &length, md, nullptr) == 1;
  ERR_clear_error();
  if (ok) digest->assign(reinterpret_cast<const char*>(value), length);
  return ok;
}

bool CryptVerifySignerAttributes(std::string_view signature, uint32_t signer_index,
                                 std::string* certificate) {
  if (!RequireGost()) return false;
  CmsPtr cms;
  bool ok = false;
  if (crypt_detail::ParseCmsMessage(signature, NID_pkcs7_signed, &cms) == 0) {
    STACK_OF(CMS_SignerInfo)* infos = CMS_get0_SignerInfos(cms.get());
    CMS_SignerInfo* info = signer_index < static_cast<uint32_t>(sk_CMS_SignerInfo_num(infos))
                               ? sk_CMS_SignerInfo_value(infos, static_cast<int>(signer_index))
                               : nullptr;
    const X509StackPtr certificates(info != nullptr ? CMS_get1_certs(cms.get()) : nullptr);
    for (int i = 0; i < sk_X509_num(certificates.get()); ++i) {
      X509* x509 = sk_X509_value(certificates.get(), i);
      if (CMS_SignerInfo_cert_cmp(info, x509) != 0) continue;
      CMS_SignerInfo_set1_signer_cert(info, x509);
      ok = CMS_signed_get_attr_count(info) > 0 && CMS_SignerInfo_verify(info) == 1;
      if (ok) *certificate = DerOf(i2d_X509, x509);
      break;
    }
  }
  ERR_clear_error();
  return ok;
}

bool CryptEncryptMessage(const CryptEncryptMessagePara& para,
                         const std::vector<PCCERT_CONTEXT>& recipients, std::string_view plain,
                         uint8_t* encrypted, uint32_t* size) {
  if (size == nullptr || (para.MsgEncodingType & PKCS_7_ASN_ENCODING) == 0 || recipients.empty()) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (para.ContentEncryptionAlgorithm.ObjId != kOidGost28147_89) {
    return Fail(CRYPT_E_UNKNOWN_ALGO);
  }
  if (plain.size() > kCryptMaxMessageSize) return Fail(TARVEX_E_MESSAGE_TOO_LARGE);
  if (!RequireGost()) return false;
  const EVP_CIPHER* cipher = EVP_get_cipherbyname("gost89");
  if (cipher == nullptr) return Fail(NTE_BAD_ALGID);
  constexpr unsigned kFlags = CMS_BINARY | CMS_PARTIAL;
  CmsPtr cms(CMS_encrypt(nullptr, nullptr, cipher, kFlags));
  if (!cms) return Fail(NTE_FAIL);
  for (PCCERT_CONTEXT recipient : recipients) {
    X509Ptr x509 = recipient ? ToX509(recipient->Encoded()) : nullptr;
    if (!x509) return Fail(ERROR_INVALID_PARAMETER);
    // The gost engine sets its key-transport parameters only on a key
    // context made when the recipient is added.
    if (CMS_add1_recipient_cert(cms.get(), x509.get(), kFlags | CMS_KEY_PARAM) == nullptr) {
      return Fail(NTE_BAD_PUBLIC_KEY);
    }
  }
  if (!FinalInPieces(cms.get(), plain)) return Fail(NTE_FAIL);
  return PutBytes(CmsBytes(cms.get()), encrypted, size);
}

bool CryptDecryptMessage(const CryptDecryptMessagePara& para, std::string_view encrypted,
                         uint8_t* plain, uint32_t* size, PCCERT_CONTEXT* exchange_cert) {
  if (exchange_cert != nullptr) *exchange_cert = nullptr;
  if (size == nullptr || (para.MsgAndCertEncodingType & PKCS_7_ASN_ENCODING) == 0) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  CmsPtr cms = ParseCms(encrypted, NID_pkcs7_enveloped);
  if (!cms) return false;
  if (!RequireGost()) return false;
  STACK_OF(CMS_RecipientInfo)* recipients = CMS_get0_RecipientInfos(cms.get());
  bool key_agreement = false;
  for (HCERTSTORE store : para.CertStores) {
    PCCERT_CONTEXT context = nullptr;
    while ((context = CertEnumCertificatesInStore(store, context)) != nullptr) {
      X509Ptr x509 = ToX509(context->Encoded());
      const RecipientKind kind = x509 ? RecipientOf(recipients, x509.get()) : RecipientKind::kNone;
      key_agreement = key_agreement || kind == RecipientKind::kKeyAgreement;
      PkeyPtr key = kind == RecipientKind::kKeyTransport ? KeyOfCertificate(context) : nullptr;
      if (!key) continue;
      // The walk ends here: the reference it holds is ours now.
      CertRef recipient(context);
      BioPtr out(BIO_new(BIO_s_mem()));
      if (CMS_decrypt(cms.get(), key.get(), x509.get(), nullptr, out.get(), CMS_BINARY) != 1) {
        return Fail(NTE_BAD_DATA);
      }
      if (!PutBytes(BioBytes(out.get()), plain, size)) return false;
      if (exchange_cert != nullptr) *exchange_cert = recipient.release();
      return true;
    }
  }
  // A certificate of ours named by key agreement is found, but cannot be
  // used: saying that it is missing would send the user looking for it.
  return Fail(key_agreement ? TARVEX_E_KEY_AGREEMENT : CRYPT_E_NO_DECRYPT_CERT);
}
