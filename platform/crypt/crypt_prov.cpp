#include "platform/crypt/crypt_prov.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/detail/gost_engine.h"
#include "platform/crypt/detail/key_container.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace crypt_detail {

struct ProvContext {
  bool machine = false;
  std::optional<Container> container;  // none: a verify context
  std::vector<std::string> listing;    // PP_ENUMCONTAINERS
  size_t position = 0;
  bool listed = false;
};

struct KeyContext {
  Container container;
  PkeyPtr key;
};

}  // namespace crypt_detail

using crypt_detail::Container;

namespace {

constexpr uint32_t kKnownFlags =
    CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET | CRYPT_MACHINE_KEYSET | CRYPT_DELETEKEYSET;

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

// Copies `value` under the size protocol.
bool PutBytes(const void* value, uint32_t length, uint8_t* data, uint32_t* size) {
  if (data == nullptr) {
    *size = length;
    return true;
  }
  if (*size < length) {
    *size = length;
    return Fail(ERROR_MORE_DATA);
  }
  std::memcpy(data, value, length);
  *size = length;
  return true;
}

}  // namespace

bool CryptAcquireContextA(HCRYPTPROV* prov, const char* container, const char* provider_name,
                          uint32_t prov_type, uint32_t flags) {
  if (prov == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *prov = nullptr;
  if ((flags & ~kKnownFlags) != 0) return Fail(NTE_BAD_FLAGS);
  if (prov_type != kGostProviderType) return Fail(NTE_PROV_TYPE_NOT_DEF);
  if (provider_name != nullptr && *provider_name != '\0' &&
      std::strcmp(provider_name, kGostProviderName) != 0) {
    return Fail(NTE_KEYSET_NOT_DEF);
  }
  if (!crypt_detail::RequireGost()) return false;

  const bool machine = (flags & CRYPT_MACHINE_KEYSET) != 0;
  const bool has_name = container != nullptr && *container != '\0';
  const uint32_t action = flags & ~CRYPT_MACHINE_KEYSET;
  auto context = std::make_unique<crypt_detail::ProvContext>();
  context->machine = machine;
  if (action == CRYPT_VERIFYCONTEXT) {
    if (has_name) return Fail(NTE_BAD_FLAGS);
  } else if (!has_name) {
    return Fail(NTE_BAD_KEYSET);
  } else if (action == CRYPT_DELETEKEYSET) {
    Container found;
    return crypt_detail::FindContainer(machine, container, &found) &&
           crypt_detail::DeleteContainer(found);
  } else if (action == CRYPT_NEWKEYSET || action == 0) {
    Container opened;
    const bool ok = action == CRYPT_NEWKEYSET
                        ? crypt_detail::CreateContainer(machine, container, &opened)
                        : crypt_detail::FindContainer(machine, container, &opened);
    if (!ok) return false;
    context->container = std::move(opened);
  } else {
    return Fail(NTE_BAD_FLAGS);
  }
  *prov = context.release();
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool CryptReleaseContext(HCRYPTPROV prov, uint32_t flags) {
  if (prov == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  delete prov;
  return true;
}

bool CryptGetProvParam(HCRYPTPROV prov, uint32_t param, uint8_t* data, uint32_t* size,
                       uint32_t flags) {
  if (prov == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (size == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  switch (param) {
    case PP_ENUMCONTAINERS: {
      if ((flags & ~CRYPT_FIRST) != 0) return Fail(NTE_BAD_FLAGS);
      if ((flags & CRYPT_FIRST) || !prov->listed) {
        prov->listing = crypt_detail::ListContainers(prov->machine);
        prov->position = 0;
        prov->listed = true;
      }
      if (prov->position >= prov->listing.size()) return Fail(ERROR_NO_MORE_ITEMS);
      const std::string& name = prov->listing[prov->position];
      if (!PutBytes(name.c_str(), static_cast<uint32_t>(name.size() + 1), data, size)) {
        return false;
      }
      if (data != nullptr) ++prov->position;
      return true;
    }
    case PP_NAME:
      if (flags != 0) return Fail(NTE_BAD_FLAGS);
      return PutBytes(kGostProviderName, static_cast<uint32_t>(std::strlen(kGostProviderName) + 1),
                      data, size);
    case PP_PROVTYPE: {
      if (flags != 0) return Fail(NTE_BAD_FLAGS);
      const uint8_t type[4] = {static_cast<uint8_t>(kGostProviderType), 0, 0, 0};
      return PutBytes(type, sizeof type, data, size);
    }
    default: return Fail(NTE_BAD_TYPE);
  }
}

bool CryptGetUserKey(HCRYPTPROV prov, uint32_t key_spec, HCRYPTKEY* key) {
  if (prov == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (key == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *key = nullptr;
  if (key_spec != AT_KEYEXCHANGE && key_spec != AT_SIGNATURE) return Fail(NTE_BAD_KEY);
  if (!prov->container) return Fail(NTE_NO_KEY);
  PkeyPtr loaded = crypt_detail::LoadPrivateKey(*prov->container);
  if (!loaded) return false;
  *key = new crypt_detail::KeyContext{*prov->container, std::move(loaded)};
  return true;
}

bool CryptSetKeyParam(HCRYPTKEY key, uint32_t param, std::string_view data, uint32_t flags) {
  if (key == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (param != KP_CERTIFICATE) return Fail(NTE_BAD_TYPE);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  PCCERT_CONTEXT certificate = CertCreateCertificateContext(kMsgEncoding, data);
  if (certificate == nullptr) return false;
  const std::string der = certificate->Encoded();
  CertFreeCertificateContext(certificate);
  if (!crypt_detail::KeyMatches(key->key.get(), der)) return Fail(NTE_BAD_PUBLIC_KEY);
  return crypt_detail::StoreCertificate(key->container, der);
}

bool CryptDestroyKey(HCRYPTKEY key) {
  if (key == nullptr) return Fail(ERROR_INVALID_HANDLE);
  delete key;
  return true;
}

bool CryptImportPemKey(HCRYPTPROV prov, std::string_view pem, HCRYPTKEY* key) {
  if (key != nullptr) *key = nullptr;
  if (prov == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (!prov->container) return Fail(NTE_BAD_KEYSET);
  if (crypt_detail::HasPrivateKey(*prov->container)) return Fail(NTE_EXISTS);
  PkeyPtr parsed = crypt_detail::ParsePrivateKey(pem);
  if (!parsed || !crypt_detail::StorePrivateKey(*prov->container, parsed.get())) return false;
  if (key != nullptr) *key = new crypt_detail::KeyContext{*prov->container, std::move(parsed)};
  return true;
}

EVP_PKEY* CryptAcquireCertificateEvpKey(const CertContext* certificate) {
  if (certificate == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return crypt_detail::KeyOfCertificate(certificate).release();
}
