// The machine registry as far as the GOST provider fills it: under
// HKEY_LOCAL_MACHINE the keys
//   SOFTWARE\Microsoft\Cryptography\Defaults\Provider Types\Type 075
//   SOFTWARE\Microsoft\Cryptography\Defaults\Provider Types\Type 002
// each with the string value "Name" = kGostProviderName. They exist exactly
// while the provider is installed (crypt_env.h); no other key exists here.
#pragma once

#include <string>
#include <string_view>

// The string value `value_name` of the key `key_path` (a-z folded, as the
// registry compares); an empty value name only tests that the key opens,
// read-only. False and ERROR_FILE_NOT_FOUND when the key or the value is
// missing. `value` may be null.
bool RegGetMachineValueA(std::string_view key_path, std::string_view value_name,
                         std::string* value);
