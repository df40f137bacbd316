#include "platform/crypt/cert_context.h"

#include <openssl/evp.h>

#include <cstring>

#include "platform/crypt/detail/asn1_parse.h"
#include "platform/crypt/detail/context_state.h"
#include "platform/crypt/detail/store_backend.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

using crypt_detail::ContextAccess;
using crypt_detail::ContextState;

CertContext::CertContext(uint32_t encoding_type, std::string encoded, CertInfo info)
    : encoding_type_(encoding_type),
      encoded_(std::move(encoded)),
      info_(std::move(info)),
      state_(std::make_unique<ContextState>()) {}

CertContext::~CertContext() = default;

namespace crypt_detail {

PCCERT_CONTEXT ContextAccess::NewCert(uint32_t encoding_type, std::string encoded, CertInfo info,
                                      std::shared_ptr<StoreBackend> store) {
  auto* context = new CertContext(encoding_type, std::move(encoded), std::move(info));
  context->state_->store = std::move(store);
  return context;
}

std::optional<CryptKeyProvInfo> KeyProvInfoOf(PCCERT_CONTEXT context) {
  ContextState& state = ContextAccess::State(context);
  std::lock_guard lock(state.mutex);
  return state.key_prov_info;
}

std::string Sha1(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha1(), nullptr);
  return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string Sha1Hex(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : Sha1(bytes)) {
    hex += kHex[c >> 4];
    hex += kHex[c & 15];
  }
  return hex;
}

}  // namespace crypt_detail

PCCERT_CONTEXT CertCreateCertificateContext(uint32_t encoding_type, std::string_view encoded) {
  if ((encoding_type & X509_ASN_ENCODING) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string exact;
  CertInfo info;
  if (uint32_t error = crypt_detail::ParseCertificate(encoded, &exact, &info)) {
    SetLastError(error);
    return nullptr;
  }
  return ContextAccess::NewCert(encoding_type, std::move(exact), std::move(info), nullptr);
}

PCCERT_CONTEXT CertDuplicateCertificateContext(PCCERT_CONTEXT context) {
  if (context != nullptr) ContextAccess::State(context).references.fetch_add(1);
  return context;
}

bool CertFreeCertificateContext(PCCERT_CONTEXT context) {
  if (context != nullptr && ContextAccess::State(context).references.fetch_sub(1) == 1) {
    ContextAccess::Delete(context);
  }
  return true;
}

bool CertGetCertificateContextProperty(PCCERT_CONTEXT context, uint32_t prop_id, void* data,
                                       uint32_t* size) {
  if (context == nullptr || size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (prop_id != CERT_SHA1_HASH_PROP_ID) {
    SetLastError(CRYPT_E_NOT_FOUND);
    return false;
  }
  const std::string hash = crypt_detail::Sha1(context->Encoded());
  const auto length = static_cast<uint32_t>(hash.size());
  if (data == nullptr) {
    *size = length;
    return true;
  }
  if (*size < length) {
    *size = length;
    SetLastError(ERROR_MORE_DATA);
    return false;
  }
  std::memcpy(data, hash.data(), length);
  *size = length;
  return true;
}

bool CertGetCertificateContextProperty(PCCERT_CONTEXT context, uint32_t prop_id,
                                       CryptKeyProvInfo* info) {
  if (context == nullptr || info == nullptr || prop_id != CERT_KEY_PROV_INFO_PROP_ID) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  auto value = crypt_detail::KeyProvInfoOf(context);
  if (!value) {
    SetLastError(CRYPT_E_NOT_FOUND);
    return false;
  }
  *info = std::move(*value);
  return true;
}

bool CertSetCertificateContextProperty(PCCERT_CONTEXT context, uint32_t prop_id, uint32_t flags,
                                       const CryptKeyProvInfo* info) {
  if (context == nullptr || prop_id != CERT_KEY_PROV_INFO_PROP_ID || flags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  ContextState& state = ContextAccess::State(context);
  std::optional<CryptKeyProvInfo> value;
  if (info != nullptr) value = *info;
  if (state.store) {
    if (state.store->read_only) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    if (!state.store->WriteKeyProvInfo(context->Encoded(), value)) return false;
  }
  std::lock_guard lock(state.mutex);
  state.key_prov_info = std::move(value);
  return true;
}

const CertExtension* CertFindExtension(std::string_view obj_id,
                                       const std::vector<CertExtension>& extensions) {
  for (const CertExtension& extension : extensions) {
    if (extension.ObjId == obj_id) return &extension;
  }
  SetLastError(CRYPT_E_NOT_FOUND);
  return nullptr;
}
