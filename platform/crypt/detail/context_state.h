// What a certificate or CRL context keeps besides its bytes: its reference
// count, its properties and the store it belongs to.
#pragma once

#include <openssl/types.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crl_context.h"

namespace crypt_detail {

struct StoreBackend;

struct ContextState {
  std::atomic<int> references{1};
  std::mutex mutex;  // guards the property
  std::optional<CryptKeyProvInfo> key_prov_info;
  std::shared_ptr<StoreBackend> store;  // null: a free context
  // The private key last found for the container `key_for` names: a run
  // of signatures with one context reads and parses its key once.
  std::shared_ptr<EVP_PKEY> key;
  std::optional<CryptKeyProvInfo> key_for;
};

// The one door to the private parts of the contexts.
struct ContextAccess {
  // New contexts with one reference, belonging to `store` (may be null).
  static PCCERT_CONTEXT NewCert(uint32_t encoding_type, std::string encoded, CertInfo info,
                                std::shared_ptr<StoreBackend> store);
  static PCCRL_CONTEXT NewCrl(uint32_t encoding_type, std::string encoded, CrlInfo info,
                              std::shared_ptr<StoreBackend> store);
  static ContextState& State(PCCERT_CONTEXT context) { return *context->state_; }
  static ContextState& State(PCCRL_CONTEXT context) { return *context->state_; }
  static void Delete(PCCERT_CONTEXT context) { delete context; }
  static void Delete(PCCRL_CONTEXT context) { delete context; }
};

// A snapshot of the key-provider property.
std::optional<CryptKeyProvInfo> KeyProvInfoOf(PCCERT_CONTEXT context);
// The SHA-1 of the bytes, raw and as 40 upper-case hex digits.
std::string Sha1(std::string_view bytes);
std::string Sha1Hex(std::string_view bytes);

}  // namespace crypt_detail
