#include "platform/crypt/provider_registry.h"

#include "platform/crypt/crypt_defs.h"
#include "platform/crypt/crypt_env.h"
#include "platform/crypt/detail/der.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr std::string_view kProviderTypeKeys[] = {
    "software\\microsoft\\cryptography\\defaults\\provider types\\type 075",
    "software\\microsoft\\cryptography\\defaults\\provider types\\type 002",
};

}  // namespace

bool RegGetMachineValueA(std::string_view key_path, std::string_view value_name,
                         std::string* value) {
  const std::string key = crypt_detail::AsciiLower(key_path);
  bool known = false;
  for (std::string_view candidate : kProviderTypeKeys) known = known || key == candidate;
  if (!known || !IsGostEngineAvailable()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  if (!value_name.empty() && crypt_detail::AsciiLower(value_name) != "name") {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  if (!value_name.empty() && value != nullptr) *value = kGostProviderName;
  return true;
}
