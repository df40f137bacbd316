// The gost engine: loaded once per process, on first need.
#pragma once

namespace crypt_detail {

// True when the provider counts as installed (crypt_env.h); false sets
// NTE_PROV_TYPE_NOT_DEF.
bool RequireGost();

}  // namespace crypt_detail
