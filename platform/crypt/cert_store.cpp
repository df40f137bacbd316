#include "platform/crypt/cert_store.h"

#include <openssl/err.h>

#include <algorithm>

#include "platform/crypt/crypt_env.h"
#include "platform/crypt/detail/cms_message.h"
#include "platform/crypt/detail/context_state.h"
#include "platform/crypt/detail/der.h"
#include "platform/crypt/detail/files.h"
#include "platform/crypt/detail/gost_engine.h"
#include "platform/crypt/detail/ossl.h"
#include "platform/crypt/detail/store_backend.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

using crypt_detail::ContextAccess;
using crypt_detail::StoreBackend;

namespace crypt_detail {

// One open store handle: its own references to its contexts, in order.
struct CertStore {
  std::shared_ptr<StoreBackend> backend;
  std::vector<PCCERT_CONTEXT> certificates;
  std::vector<PCCRL_CONTEXT> crls;

  ~CertStore() {
    for (PCCERT_CONTEXT context : certificates) CertFreeCertificateContext(context);
    for (PCCRL_CONTEXT context : crls) CertFreeCRLContext(context);
  }
};

}  // namespace crypt_detail

namespace {

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

HCERTSTORE FailOpen(uint32_t error) {
  SetLastError(error);
  return nullptr;
}

// Copies of the contexts into the store; bytes that are not a certificate
// or a CRL are skipped.
void Fill(HCERTSTORE store, const std::vector<std::string>& certificates,
          const std::vector<std::string>& crls) {
  for (const std::string& der : certificates) {
    PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, der);
    if (context == nullptr) continue;
    store->certificates.push_back(ContextAccess::NewCert(
        context->EncodingType(), context->Encoded(), context->Info(), store->backend));
    CertFreeCertificateContext(context);
  }
  for (const std::string& der : crls) {
    PCCRL_CONTEXT context = CertCreateCRLContext(kMsgEncoding, der);
    if (context == nullptr) continue;
    store->crls.push_back(ContextAccess::NewCrl(context->EncodingType(), context->Encoded(),
                                                context->Info(), store->backend));
    CertFreeCRLContext(context);
  }
}

bool IsStoreName(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
  });
}

HCERTSTORE OpenSystemStore(uint32_t flags, std::u16string_view parameter) {
  const uint32_t location = flags & CERT_SYSTEM_STORE_LOCATION_MASK;
  if (location != CERT_SYSTEM_STORE_CURRENT_USER && location != CERT_SYSTEM_STORE_LOCAL_MACHINE) {
    return FailOpen(ERROR_INVALID_PARAMETER);
  }
  const std::string name = crypt_detail::Utf16ToUtf8(parameter);
  if (!IsStoreName(name)) return FailOpen(ERROR_INVALID_NAME);
  const std::string root = CryptRootFolder(location == CERT_SYSTEM_STORE_LOCAL_MACHINE);
  if (root.empty()) return FailOpen(ERROR_PATH_NOT_FOUND);
  const std::string folder = root + "/stores/" + crypt_detail::AsciiLower(name);

  const bool exists = crypt_detail::FolderExists(folder);
  if (!exists && (flags & CERT_STORE_OPEN_EXISTING_FLAG)) return FailOpen(ERROR_FILE_NOT_FOUND);
  bool writable = false;
  if (!(flags & CERT_STORE_READONLY_FLAG)) {
    writable = crypt_detail::EnsureFolder(folder) && crypt_detail::IsWritableFolder(folder);
    if (!writable && !(flags & CERT_STORE_MAXIMUM_ALLOWED_FLAG)) {
      return FailOpen(ERROR_ACCESS_DENIED);
    }
  }
  auto store = std::make_unique<crypt_detail::CertStore>();
  store->backend = std::make_shared<StoreBackend>();
  store->backend->folder = folder;
  store->backend->read_only = !writable;
  auto contents = crypt_detail::ReadStoreFolder(folder);
  for (auto& [der, info] : contents.certificates) {
    PCCERT_CONTEXT context = CertCreateCertificateContext(kMsgEncoding, der);
    if (context == nullptr) continue;
    PCCERT_CONTEXT own = ContextAccess::NewCert(context->EncodingType(), context->Encoded(),
                                                context->Info(), store->backend);
    CertFreeCertificateContext(context);
    ContextAccess::State(own).key_prov_info = std::move(info);
    store->certificates.push_back(own);
  }
  Fill(store.get(), {}, contents.crls);
  SetLastError(ERROR_SUCCESS);
  return store.release();
}

HCERTSTORE OpenMemoryStore(uint32_t flags, const std::vector<std::string>& certificates,
                           const std::vector<std::string>& crls) {
  auto* store = new crypt_detail::CertStore();
  store->backend = std::make_shared<StoreBackend>();
  store->backend->read_only = (flags & CERT_STORE_READONLY_FLAG) != 0;
  Fill(store, certificates, crls);
  SetLastError(ERROR_SUCCESS);
  return store;
}

HCERTSTORE OpenFileStore(uint32_t flags, std::u16string_view parameter) {
  std::string data;
  if (!crypt_detail::ReadWholeFile(SysPath(WideToAnsi(parameter)), &data)) return nullptr;
  std::vector<std::string> certificates, crls;
  const uint32_t error = crypt_detail::ParseSignedDataBags(data, &certificates, &crls);
  if (error != 0) {
    PCCERT_CONTEXT single = CertCreateCertificateContext(kMsgEncoding, data);
    if (single == nullptr) return nullptr;
    certificates.push_back(single->Encoded());
    CertFreeCertificateContext(single);
  }
  return OpenMemoryStore(flags, certificates, crls);
}

template <typename Context>
Context EnumNext(const std::vector<Context>& list, Context previous) {
  size_t next = 0;
  if (previous != nullptr) {
    const auto it = std::find(list.begin(), list.end(), previous);
    if (it == list.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    next = static_cast<size_t>(it - list.begin()) + 1;
  }
  if (next >= list.size()) {
    SetLastError(CRYPT_E_NOT_FOUND);
    return nullptr;
  }
  return list[next];
}

// Where the disposition lets the new context go: the index to replace,
// list.size() to append, or -1 to keep the existing one. False refuses.
bool Place(uint32_t disposition, int existing, bool newer, size_t size, long* index) {
  switch (disposition) {
    case CERT_STORE_ADD_NEW:
      if (existing >= 0) return Fail(CRYPT_E_EXISTS);
      break;
    case CERT_STORE_ADD_USE_EXISTING:
      if (existing >= 0) {
        *index = -1;
        return true;
      }
      break;
    case CERT_STORE_ADD_REPLACE_EXISTING: break;
    case CERT_STORE_ADD_NEWER:
      if (existing >= 0 && !newer) return Fail(CRYPT_E_EXISTS);
      break;
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
  *index = existing >= 0 ? existing : static_cast<long>(size);
  return true;
}

bool VerifiedBy(PCCERT_CONTEXT subject, PCCERT_CONTEXT issuer) {
  if (!IsGostEngineAvailable()) return false;
  auto subject_x509 = crypt_detail::ToX509(subject->Encoded());
  auto issuer_x509 = crypt_detail::ToX509(issuer->Encoded());
  if (!subject_x509 || !issuer_x509) return false;
  EVP_PKEY* key = X509_get0_pubkey(issuer_x509.get());
  const bool ok = key != nullptr && X509_verify(subject_x509.get(), key) == 1;
  ERR_clear_error();
  return ok;
}

}  // namespace

HCERTSTORE CertOpenStore(uint32_t store_provider, uint32_t encoding_type, HCRYPTPROV,
                         uint32_t flags, std::u16string_view parameter) {
  if (encoding_type != 0 && (encoding_type & X509_ASN_ENCODING) == 0) {
    return FailOpen(ERROR_INVALID_PARAMETER);
  }
  switch (store_provider) {
    case CERT_STORE_PROV_MEMORY: return OpenMemoryStore(flags, {}, {});
    case CERT_STORE_PROV_SYSTEM_W: return OpenSystemStore(flags, parameter);
    case CERT_STORE_PROV_FILENAME_W: return OpenFileStore(flags, parameter);
    default: return FailOpen(ERROR_INVALID_PARAMETER);
  }
}

HCERTSTORE CertOpenStore(uint32_t store_provider, uint32_t encoding_type, HCRYPTPROV,
                         uint32_t flags, const CryptDataBlob& message) {
  if (store_provider != CERT_STORE_PROV_PKCS7 || (encoding_type & PKCS_7_ASN_ENCODING) == 0) {
    return FailOpen(ERROR_INVALID_PARAMETER);
  }
  std::vector<std::string> certificates, crls;
  if (uint32_t error = crypt_detail::ParseSignedDataBags(message.Data, &certificates, &crls)) {
    return FailOpen(error);
  }
  return OpenMemoryStore(flags, certificates, crls);
}

HCERTSTORE CertOpenSystemStoreA(HCRYPTPROV prov, const char* name) {
  if (name == nullptr || *name == '\0') return FailOpen(ERROR_INVALID_PARAMETER);
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kMsgEncoding, prov,
                       CERT_SYSTEM_STORE_CURRENT_USER | CERT_STORE_MAXIMUM_ALLOWED_FLAG,
                       AnsiToWide(name));
}

bool CertCloseStore(HCERTSTORE store, uint32_t) {
  if (store == nullptr) return Fail(ERROR_INVALID_HANDLE);
  delete store;
  return true;
}

PCCERT_CONTEXT CertEnumCertificatesInStore(HCERTSTORE store, PCCERT_CONTEXT previous) {
  if (store == nullptr) {
    CertFreeCertificateContext(previous);
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  PCCERT_CONTEXT next = EnumNext(store->certificates, previous);
  CertFreeCertificateContext(previous);
  return CertDuplicateCertificateContext(next);
}

PCCRL_CONTEXT CertEnumCRLsInStore(HCERTSTORE store, PCCRL_CONTEXT previous) {
  if (store == nullptr) {
    CertFreeCRLContext(previous);
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  PCCRL_CONTEXT next = EnumNext(store->crls, previous);
  CertFreeCRLContext(previous);
  return CertDuplicateCRLContext(next);
}

bool CertAddCertificateContextToStore(HCERTSTORE store, PCCERT_CONTEXT context,
                                      uint32_t disposition, PCCERT_CONTEXT* store_context) {
  if (store_context != nullptr) *store_context = nullptr;
  if (store == nullptr || context == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (store->backend->read_only) return Fail(ERROR_ACCESS_DENIED);
  auto& list = store->certificates;
  const auto it = std::find_if(list.begin(), list.end(), [&](PCCERT_CONTEXT c) {
    return c->Encoded() == context->Encoded();
  });
  const int existing = it == list.end() ? -1 : static_cast<int>(it - list.begin());
  const bool newer =
      existing >= 0 && Ticks(context->Info().NotBefore) > Ticks(list[existing]->Info().NotBefore);
  long index = 0;
  if (!Place(disposition, existing, newer, list.size(), &index)) return false;
  if (index < 0) {
    if (store_context != nullptr) *store_context = CertDuplicateCertificateContext(list[existing]);
    return true;
  }
  const auto properties = crypt_detail::KeyProvInfoOf(context);
  if (!store->backend->WriteCertificate(context->Encoded(), properties)) return false;
  PCCERT_CONTEXT own = ContextAccess::NewCert(context->EncodingType(), context->Encoded(),
                                              context->Info(), store->backend);
  ContextAccess::State(own).key_prov_info = properties;
  if (static_cast<size_t>(index) == list.size()) {
    list.push_back(own);
  } else {
    CertFreeCertificateContext(list[index]);
    list[index] = own;
  }
  if (store_context != nullptr) *store_context = CertDuplicateCertificateContext(own);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool CertAddCRLContextToStore(HCERTSTORE store, PCCRL_CONTEXT context, uint32_t disposition,
                              PCCRL_CONTEXT* store_context) {
  if (store_context != nullptr) *store_context = nullptr;
  if (store == nullptr || context == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (store->backend->read_only) return Fail(ERROR_ACCESS_DENIED);
  auto& list = store->crls;
  const auto it = std::find_if(list.begin(), list.end(), [&](PCCRL_CONTEXT c) {
    return c->Info().Issuer == context->Info().Issuer;
  });
  const int existing = it == list.end() ? -1 : static_cast<int>(it - list.begin());
  const bool newer =
      existing >= 0 && Ticks(context->Info().ThisUpdate) > Ticks(list[existing]->Info().ThisUpdate);
  long index = 0;
  if (!Place(disposition, existing, newer, list.size(), &index)) return false;
  if (index < 0) {
    if (store_context != nullptr) *store_context = CertDuplicateCRLContext(list[existing]);
    return true;
  }
  if (!store->backend->WriteCrl(*context)) return false;
  PCCRL_CONTEXT own = ContextAccess::NewCrl(context->EncodingType(), context->Encoded(),
                                            context->Info(), store->backend);
  if (static_cast<size_t>(index) == list.size()) {
    list.push_back(own);
  } else {
    CertFreeCRLContext(list[index]);
    list[index] = own;
  }
  if (store_context != nullptr) *store_context = CertDuplicateCRLContext(own);
  SetLastError(ERROR_SUCCESS);
  return true;
}

PCCERT_CONTEXT CertGetIssuerCertificateFromStore(HCERTSTORE store, PCCERT_CONTEXT subject,
                                                 PCCERT_CONTEXT previous, uint32_t* flags) {
  PCCERT_CONTEXT result = nullptr;
  if (store == nullptr || subject == nullptr || flags == nullptr ||
      (*flags & ~CERT_STORE_SIGNATURE_FLAG) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
  } else if (subject->Info().Issuer == subject->Info().Subject) {
    SetLastError(CRYPT_E_SELF_SIGNED);
  } else {
    auto& list = store->certificates;
    size_t start = 0;
    if (previous != nullptr) {
      const auto it = std::find(list.begin(), list.end(), previous);
      start = it == list.end() ? list.size() : static_cast<size_t>(it - list.begin()) + 1;
    }
    for (size_t i = start; i < list.size() && result == nullptr; ++i) {
      if (list[i]->Info().Subject == subject->Info().Issuer) result = list[i];
    }
    if (result == nullptr) {
      SetLastError(CRYPT_E_NOT_FOUND);
    } else {
      if ((*flags & CERT_STORE_SIGNATURE_FLAG) && VerifiedBy(subject, result)) {
        *flags &= ~CERT_STORE_SIGNATURE_FLAG;
      }
      CertDuplicateCertificateContext(result);
      SetLastError(ERROR_SUCCESS);
    }
  }
  CertFreeCertificateContext(previous);
  return result;
}

PCCERT_CONTEXT CertFindCertificateInStore(HCERTSTORE store, uint32_t, uint32_t find_flags,
                                          uint32_t find_type, const CryptDataBlob* find_para,
                                          PCCERT_CONTEXT previous) {
  PCCERT_CONTEXT result = nullptr;
  if (store == nullptr || find_flags != 0 || find_type != CERT_FIND_SHA1_HASH ||
      find_para == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
  } else {
    auto& list = store->certificates;
    size_t start = 0;
    if (previous != nullptr) {
      const auto it = std::find(list.begin(), list.end(), previous);
      start = it == list.end() ? list.size() : static_cast<size_t>(it - list.begin()) + 1;
    }
    for (size_t i = start; i < list.size() && result == nullptr; ++i) {
      char hash[20];
      uint32_t size = sizeof hash;
      if (CertGetCertificateContextProperty(list[i], CERT_SHA1_HASH_PROP_ID, hash, &size) &&
          std::string_view(hash, size) == find_para->Data) {
        result = list[i];
      }
    }
    if (result == nullptr) {
      SetLastError(CRYPT_E_NOT_FOUND);
    } else {
      CertDuplicateCertificateContext(result);
      SetLastError(ERROR_SUCCESS);
    }
  }
  CertFreeCertificateContext(previous);
  return result;
}

PCCRL_CONTEXT CertFindCRLInStore(HCERTSTORE store, uint32_t, uint32_t find_flags,
                                 uint32_t find_type, PCCERT_CONTEXT issuer,
                                 PCCRL_CONTEXT previous) {
  PCCRL_CONTEXT result = nullptr;
  if (store == nullptr || find_flags != 0 || find_type != CRL_FIND_ISSUED_BY) {
    SetLastError(ERROR_INVALID_PARAMETER);
  } else {
    auto& list = store->crls;
    size_t start = 0;
    if (previous != nullptr) {
      const auto it = std::find(list.begin(), list.end(), previous);
      start = it == list.end() ? list.size() : static_cast<size_t>(it - list.begin()) + 1;
    }
    for (size_t i = start; i < list.size() && result == nullptr; ++i) {
      if (issuer == nullptr || list[i]->Info().Issuer == issuer->Info().Subject) result = list[i];
    }
    if (result == nullptr) {
      SetLastError(CRYPT_E_NOT_FOUND);
    } else {
      CertDuplicateCRLContext(result);
    }
  }
  CertFreeCRLContext(previous);
  return result;
}
