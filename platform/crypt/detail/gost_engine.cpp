// The ENGINE interface is deprecated in OpenSSL 3, but the GOST algorithms
// exist only as the gost engine on Debian: use it, quietly.
#define OPENSSL_SUPPRESS_DEPRECATED

#include "platform/crypt/detail/gost_engine.h"

#include <openssl/engine.h>
#include <openssl/err.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/crypt/crypt_defs.h"
#include "platform/crypt/crypt_env.h"
#include "platform/kernel/last_error.h"

namespace crypt_detail {
namespace {

bool SwitchedOff() {
  const char* value = std::getenv("TARVEX_GOST_ABSENT");
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

// Loads the engine and makes it the default for its algorithms; the
// process keeps it to the end.
bool LoadEngine() {
  ENGINE* engine = ENGINE_by_id("gost");
  if (engine == nullptr) {
    ERR_clear_error();
    return false;
  }
  bool ok = ENGINE_init(engine) == 1;
  if (ok) {
    // GOST 28147-89 content encryption with the CryptoPro-A parameter set
    // (1.2.643.2.2.31.1): the engine's default is the newer TC26 set, which
    // older peers cannot read. The provider chooses the parameters, so
    // every message the process encrypts uses this set.
    ok = ENGINE_ctrl_cmd_string(engine, "CRYPT_PARAMS", "1.2.643.2.2.31.1", 0) == 1;
    if (ok) ENGINE_set_default(engine, ENGINE_METHOD_ALL);
    ENGINE_finish(engine);  // the default registration keeps its own reference
  }
  ENGINE_free(engine);
  ERR_clear_error();
  return ok;
}

}  // namespace

bool RequireGost() {
  if (IsGostEngineAvailable()) return true;
  SetLastError(NTE_PROV_TYPE_NOT_DEF);
  return false;
}

}  // namespace crypt_detail

bool IsGostEngineAvailable() {
  static std::once_flag once;
  static bool loaded = false;
  if (crypt_detail::SwitchedOff()) return false;
  std::call_once(once, [] { loaded = crypt_detail::LoadEngine(); });
  return loaded;
}
