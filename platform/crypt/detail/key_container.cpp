#include "platform/crypt/detail/key_container.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <unistd.h>

#include <algorithm>

#include "platform/crypt/crypt_env.h"
#include "platform/crypt/detail/context_state.h"
#include "platform/crypt/detail/files.h"
#include "platform/crypt/detail/gost_engine.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace crypt_detail {
namespace {

constexpr const char* kNameFile = "/name";
constexpr const char* kKeyFile = "/private.pem";
constexpr const char* kCertificateFile = "/certificate.cer";

// Empty when the key set has no root folder.
std::string KeySetFolder(bool machine) {
  const std::string root = CryptRootFolder(machine);
  return root.empty() ? root : root + "/keys";
}

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

PkeyPtr FailKey(uint32_t error) {
  ERR_clear_error();
  SetLastError(error);
  return nullptr;
}

bool SameContainer(const CryptKeyProvInfo& a, const CryptKeyProvInfo& b) {
  return a.ContainerName == b.ContainerName && a.ProvName == b.ProvName &&
         a.ProvType == b.ProvType && a.Flags == b.Flags && a.KeySpec == b.KeySpec;
}

// Encrypted keys are refused rather than prompting for a password.
int NoPassword(char*, int, int, void*) { return 0; }

}  // namespace

bool FindContainer(bool machine, std::string_view name, Container* container) {
  const std::string keys = KeySetFolder(machine);
  if (keys.empty()) return Fail(ERROR_PATH_NOT_FOUND);
  const std::string folder = keys + "/" + Sha1Hex(name);
  std::string stored;
  if (!ReadWholeFile(folder + kNameFile, &stored) || stored != name) {
    return Fail(NTE_BAD_KEYSET);
  }
  *container = Container{folder, std::string(name), machine};
  return true;
}

bool CreateContainer(bool machine, std::string_view name, Container* container) {
  const std::string keys = KeySetFolder(machine);
  if (keys.empty()) return Fail(ERROR_PATH_NOT_FOUND);
  const std::string folder = keys + "/" + Sha1Hex(name);
  if (FolderExists(folder)) return Fail(NTE_EXISTS);
  if (!EnsureFolder(folder) || !WriteFileAtomic(folder + kNameFile, name, 0600)) return false;
  *container = Container{folder, std::string(name), machine};
  return true;
}

bool DeleteContainer(const Container& container) {
  for (const std::string& name : ListFolder(container.folder)) {
    if (!RemoveFile(container.folder + "/" + name)) return false;
  }
  if (::rmdir(container.folder.c_str()) != 0) return FailWithErrno();
  return true;
}

std::vector<std::string> ListContainers(bool machine) {
  std::vector<std::string> names;
  const std::string keys = KeySetFolder(machine);
  if (keys.empty()) return names;
  for (const std::string& entry : ListFolder(keys)) {
    std::string name;
    if (ReadWholeFile(keys + "/" + entry + kNameFile, &name) && Sha1Hex(name) == entry) {
      names.push_back(std::move(name));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool HasPrivateKey(const Container& container) {
  std::string pem;
  return ReadWholeFile(container.folder + kKeyFile, &pem);
}

PkeyPtr ParsePrivateKey(std::string_view pem) {
  if (!RequireGost()) return nullptr;
  BioPtr bio = MemoryBio(pem);
  if (!bio) return FailKey(NTE_BAD_DATA);
  PkeyPtr key(PEM_read_bio_PrivateKey(bio.get(), nullptr, NoPassword, nullptr));
  if (!key) return FailKey(NTE_BAD_DATA);
  if (EVP_PKEY_get_base_id(key.get()) != NID_id_GostR3410_2001) return FailKey(NTE_BAD_ALGID);
  return key;
}

PkeyPtr LoadPrivateKey(const Container& container) {
  std::string pem;
  if (!ReadWholeFile(container.folder + kKeyFile, &pem)) return FailKey(NTE_NO_KEY);
  PkeyPtr key = ParsePrivateKey(pem);
  if (!key && GetLastError() != NTE_PROV_TYPE_NOT_DEF) return FailKey(NTE_BAD_KEY);
  return key;
}

bool StorePrivateKey(const Container& container, EVP_PKEY* key) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr)) {
    ERR_clear_error();
    return Fail(NTE_BAD_KEY);
  }
  return WriteFileAtomic(container.folder + kKeyFile, BioBytes(bio.get()), 0600);
}

bool StoreCertificate(const Container& container, std::string_view der) {
  return WriteFileAtomic(container.folder + kCertificateFile, der, 0644);
}

bool KeyMatches(EVP_PKEY* key, std::string_view certificate_der) {
  X509Ptr x509 = ToX509(certificate_der);
  EVP_PKEY* public_key = x509 ? X509_get0_pubkey(x509.get()) : nullptr;
  const bool same = public_key != nullptr && EVP_PKEY_eq(public_key, key) == 1;
  ERR_clear_error();
  return same;
}

PkeyPtr KeyOfCertificate(PCCERT_CONTEXT certificate) {
  const auto info = KeyProvInfoOf(certificate);
  if (!info) return FailKey(CRYPT_E_NO_KEY_PROPERTY);
  if (info->ProvType != kGostProviderType) return FailKey(NTE_PROV_TYPE_NOT_DEF);
  if (!info->ProvName.empty() && WideToAnsi(info->ProvName) != kGostProviderName) {
    return FailKey(NTE_KEYSET_NOT_DEF);
  }
  if (!RequireGost()) return nullptr;
  ContextState& state = ContextAccess::State(certificate);
  {
    std::lock_guard lock(state.mutex);
    if (state.key && state.key_for && SameContainer(*state.key_for, *info)) {
      EVP_PKEY_up_ref(state.key.get());
      return PkeyPtr(state.key.get());
    }
  }
  const std::string name = WideToAnsi(info->ContainerName);
  const bool machine = (info->Flags & CRYPT_MACHINE_KEYSET) != 0;
  Container container;
  if (!FindContainer(machine, name, &container) &&
      (machine || !FindContainer(true, name, &container))) {
    return nullptr;
  }
  PkeyPtr key = LoadPrivateKey(container);
  if (key && !KeyMatches(key.get(), certificate->Encoded())) return FailKey(NTE_BAD_PUBLIC_KEY);
  if (key) {
    EVP_PKEY_up_ref(key.get());
    std::lock_guard lock(state.mutex);
    state.key.reset(key.get(), EVP_PKEY_free);
    state.key_for = info;
  }
  return key;
}

}  // namespace crypt_detail
